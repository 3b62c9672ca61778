// The log file: where it is created, what it holds, and that lines from many
// threads arrive whole.
#include "runtime/log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <thread>

#include "runtime/log_state.h"
#include "support/temp_directory.h"

namespace launcher {
namespace {

using testing::ProcessStateGuard;
using testing::TempDirectory;

// Each test starts with a log that has not been opened yet, and leaves none.
class LogTest : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }
  static void reset() {
    std::lock_guard<std::mutex> lock(g_log.mutex);
    g_log.path.reset();
    g_log.file = nullptr;
    g_log.initialised = false;
    g_log.createRequested = false;
    g_log.pathHandedOut = false;
  }
  static std::vector<std::string> logFilesIn(const TempDirectory& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(dir.file("mqv_nlog_*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (FindNextFileA(search, &data));
    FindClose(search);
    return names;
  }
};

TEST_F(LogTest, AnApplicationLauncherWithoutARequestWritesNothing) {
  ProcessStateGuard guard;
  TempDirectory dir;
  guard.setEnvironment("TMP", dir.path());
  guard.setEnvironment("VELKOR_LOG", "Yes");
  guard.setEnvironment("MORVANE_LOG", "YES");
  g_runtime.kind = LauncherKind::Application;
  logMessage("nothing %d", 1);
  logError("nothing either");
  EXPECT_TRUE(logFilesIn(dir).empty());
  EXPECT_FALSE(getLogPath().has_value());
}

TEST_F(LogTest, EitherVariableHoldingYesCreatesTheFileInTmpWithItsHeader) {
  for (const char* variable : {"VELKOR_LOG", "MORVANE_LOG"}) {
    reset();
    ProcessStateGuard guard;
    TempDirectory dir;
    guard.setEnvironment("TMP", dir.path());
    guard.setEnvironment("VELKOR_LOG", std::nullopt);
    guard.setEnvironment("MORVANE_LOG", std::nullopt);
    guard.setEnvironment(variable, "yes");
    g_runtime.kind = LauncherKind::Application;
    logMessage("first %s", "line");
    logError("failed %d", 7);
    logMessage("with its own line feed\n");
    logMessage("last");

    const std::vector<std::string> files = logFilesIn(dir);
    ASSERT_EQ(files.size(), 1u) << variable;
    const std::string content = dir.read(files[0]);
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    const std::string header = std::string("Started executable ") + module + " at ";
    ASSERT_EQ(content.rfind(header, 0), 0u) << content;
    // ctime's own line feed leaves an empty line behind the header; text mode
    // writes CR LF.
    const std::size_t headerEnd = content.find("\r\n\r\n");
    ASSERT_NE(headerEnd, std::string::npos);
    EXPECT_EQ(headerEnd - header.size(), 24u) << "a ctime text of 24 characters";
    EXPECT_EQ(content.substr(headerEnd + 4),
              "first line\r\nERROR: failed 7\r\nwith its own line feed\r\n\r\nlast\r\n");
    const std::optional<std::string> path = getLogPath();
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, dir.file(files[0]));
  }
}

TEST_F(LogTest, WithoutAUsableTmpTheLogGoesToCOrTheCurrentDirectory) {
  ProcessStateGuard guard;
  guard.setEnvironment("TMP", "Q:\\does\\not\\exist");
  guard.setEnvironment("VELKOR_LOG", "yes");
  g_runtime.kind = LauncherKind::Application;
  logMessage("somewhere");
  const std::optional<std::string> path = getLogPath();
  ASSERT_TRUE(path.has_value());
  // Wine's drive C: exists, so the log lands in its root.
  EXPECT_EQ(path->rfind("c:\\mqv_nlog_", 0), 0u) << *path;
  DeleteFileA(path->c_str());
}

TEST_F(LogTest, ConcurrentLinesNeverInterleaveOrGetLost) {
  TempDirectory dir;
  {
    std::lock_guard<std::mutex> lock(g_log.mutex);
    g_log.path = dir.file("mqv_nlog_threads");
    g_log.initialised = true;
  }
  constexpr int kThreads = 8;
  constexpr int kLines = 300;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i)
        logMessage("thread %d line %d %s", t, i, "payload-payload-payload-payload-payload-payload");
    });
  for (std::thread& thread : threads) thread.join();

  std::istringstream content(dir.read("mqv_nlog_threads"));
  std::set<std::pair<int, int>> seen;
  std::string line;
  int count = 0;
  while (std::getline(content, line)) {
    ++count;
    int t = -1, i = -1;
    char payload[64] = {};
    ASSERT_EQ(std::sscanf(line.c_str(), "thread %d line %d %63s", &t, &i, payload), 3) << line;
    EXPECT_STREQ(payload, "payload-payload-payload-payload-payload-payload") << line;
    EXPECT_EQ(line.back(), '\r') << line;
    seen.insert({t, i});
  }
  EXPECT_EQ(count, kThreads * kLines);
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kLines));
}

}  // namespace
}  // namespace launcher
