// The stamp command line: build and inspect, where launcher and output come
// from, the one-line errors and their exit codes.
#include "stamp/cli.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "stamp_test_support.h"

namespace launcher::stamp {
namespace {

using testing::readAll;
using testing::ScratchDirectory;

struct StampRun {
  int exitCode;
  std::string out;
  std::string err;
};

StampRun stamp(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "stamp");
  std::ostringstream out, err;
  const int code = runStamp(arguments, out, err);
  return {code, out.str(), err.str()};
}

class StampCommand : public ::testing::Test {
 protected:
  void SetUp() override { launcher_ = dir_.write("app-launcher.exe", testing::smallPe()).string(); }
  std::string config(const std::string& toml, const std::string& name = "app.toml") {
    return dir_.write(name, toml).string();
  }
  std::string path(const std::string& relative) const { return (dir_.path() / relative).string(); }

  ScratchDirectory dir_;
  std::string launcher_;
};

TEST_F(StampCommand, BuildWritesTheStampedLauncherAndInspectDescribesIt) {
  dir_.write("lib/rt.jar", std::string(700, 'j'));
  const std::string cfg = config(
      "kind = \"setup\"\ncode_page = 1252\n"
      "[settings]\nname = \"Caf\u00e9\"\nmain_class = \"com.example.Main\"\nsplash_width = 10\n99999 = \"extra\"\n"
      "[[localized]]\nlocale = \"de\"\n[localized.messages]\n20013 = \"Einrichtung\"\n"
      "[[files]]\nname = 'user\\rt.jar'\nsource = \"lib/rt.jar\"\n"
      "[[java_side]]\nname = \"0.dat\"\ncontent = \"zip\"\n");
  const StampRun build = stamp({"build", cfg, "--launcher", launcher_, "-o", path("out.exe")});
  ASSERT_EQ(build.exitCode, 0) << build.err;
  EXPECT_EQ(build.err, "");
  const std::vector<uint8_t> exe = readAll(path("out.exe"));
  EXPECT_EQ(build.out, "wrote \"" + path("out.exe") + "\": " + std::to_string(exe.size()) + " bytes\n");
  EXPECT_EQ(readAll(launcher_), testing::smallPe()) << "the launcher itself is left alone";

  const StampRun inspect = stamp({"inspect", path("out.exe")});
  ASSERT_EQ(inspect.exitCode, 0) << inspect.err;
  const std::string& text = inspect.out;
  const std::vector<std::string> expectedLines = {
      "file size: " + std::to_string(exe.size()) + "\n",
      "block offset: 1152\n",
      "block: present\n",
      "integrity flag: 1\n",
      "narrow entries: 79\n",
      "setting 101 name: \"Caf\\xE9\"\n",
      "setting 122 main_class: \"com.example.Main\"\n",
      "setting 141 splash_width: \"10\"\n",
      "setting 1006: \"File or directory {0} not found or empty\\n\"\n",
      "setting 2003 included_file_names: \"user\\\\rt.jar;\"\n",
      "setting 99999: \"extra\"\n",
      "wide entries: 19\n",
      "wide 20001: \"Caf\u00e9 is downloading the Java(TM) Runtime Environment. Please wait.\"\n",
      "localized sets: 1\n",
      "localized \"de\" messages: 1\n",
      "localized \"de\" 20013: \"Einrichtung\"\n",
      "included files: 1\n",
      "included file \"user\\\\rt.jar\": 700 bytes\n",
      "java-side entries: 1\n",
      "java-side entry \"0.dat\": 3 bytes\n",
      "covered length ends at the block end\n",
  };
  for (const std::string& line : expectedLines) EXPECT_NE(text.find(line), std::string::npos) << line << "in\n" << text;
  EXPECT_NE(text.find("matches\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("does not match"), std::string::npos) << text;
}

TEST_F(StampCommand, InspectNoticesEveryChangedCoveredByteButNotThePadding) {
  const std::string cfg = config("kind = \"setup\"\n[settings]\nname = \"Demo\"\n[[files]]\nname = \"a\"\ncontent = \"abc\"\n");
  ASSERT_EQ(stamp({"build", cfg, "--launcher", launcher_, "-o", path("out.exe")}).exitCode, 0);
  const std::vector<uint8_t> exe = readAll(path("out.exe"));
  const std::size_t blockStart = 1152;
  const std::size_t coveredEnd = blockStart + 20 + testing::le64(exe, blockStart + 12);
  ASSERT_LT(coveredEnd, exe.size()) << "the test needs some padding";

  const uint32_t crc = testing::le32(exe, blockStart + 8);
  EXPECT_EQ(crc, testing::referenceCrc32(exe.data() + blockStart + 20, coveredEnd - blockStart - 20));

  // A byte inside a text, one inside the included file and the last covered
  // byte (the Java-side count).
  for (std::size_t offset : {blockStart + 40, coveredEnd - 10, coveredEnd - 1}) {
    std::vector<uint8_t> damaged = exe;
    damaged[offset] ^= 0x01;
    dir_.write("damaged.exe", damaged);
    const StampRun inspect = stamp({"inspect", path("damaged.exe")});
    EXPECT_NE(inspect.out.find("does not match (computed 0x"), std::string::npos) << offset << "\n" << inspect.out;
  }
  std::vector<uint8_t> padded = exe;
  padded[coveredEnd] = 0x01;
  dir_.write("padded.exe", padded);
  EXPECT_NE(stamp({"inspect", path("padded.exe")}).out.find(" matches\n"), std::string::npos);
}

TEST_F(StampCommand, InspectOfALauncherWithoutABlock) {
  const StampRun inspect = stamp({"inspect", launcher_});
  EXPECT_EQ(inspect.exitCode, 0);
  EXPECT_EQ(inspect.out, "file size: 1152\nblock offset: 1152\nblock: none\n");
}

TEST_F(StampCommand, InspectReportsABlockCutShort) {
  const std::string cfg = config("kind = \"app\"\n");
  ASSERT_EQ(stamp({"build", cfg, "--launcher", launcher_, "-o", path("out.exe")}).exitCode, 0);
  std::vector<uint8_t> exe = readAll(path("out.exe"));
  exe.resize(1152 + 200);
  dir_.write("cut.exe", exe);
  const StampRun inspect = stamp({"inspect", path("cut.exe")});
  EXPECT_EQ(inspect.exitCode, 1);
  EXPECT_NE(inspect.out.find("cannot be checked"), std::string::npos) << inspect.out;
  EXPECT_NE(inspect.out.find("damaged: Internal Error: read"), std::string::npos) << inspect.out;
}

TEST_F(StampCommand, TheCommandLineWinsOverTheConfigWhosePathsAreRelativeToIt) {
  dir_.write("sub/launchers/from-config.exe", testing::smallPe());
  const std::string cfg =
      config("kind = \"app\"\nlauncher = \"launchers/from-config.exe\"\noutput = \"built.exe\"\n", "sub/app.toml");
  const StampRun fromConfig = stamp({"build", cfg});
  ASSERT_EQ(fromConfig.exitCode, 0) << fromConfig.err;
  EXPECT_TRUE(std::filesystem::exists(path("sub/built.exe")));

  const StampRun overridden = stamp({"build", cfg, "--launcher", path("missing.exe"), "-o", path("other.exe")});
  EXPECT_EQ(overridden.exitCode, 1);
  EXPECT_EQ(overridden.err, "cannot read the launcher \"" + path("missing.exe") + "\"\n");
  const StampRun outputOverridden = stamp({"build", cfg, "--output", path("other.exe")});
  EXPECT_EQ(outputOverridden.exitCode, 0) << outputOverridden.err;
  EXPECT_EQ(readAll(path("other.exe")), readAll(path("sub/built.exe")));
}

TEST_F(StampCommand, ConfigErrorsAreOneLineNamingFileAndKeyWithExitCode2) {
  struct Case {
    const char* toml;
    const char* error;  // behind "<config>: "
  } cases[] = {
      {"kind = \"app\"\n[settings]\nmian_class = \"x\"", "settings.mian_class: unknown setting name"},
      {"kind = \"app\"\n[settings]\nexecutable_kind = \"console\"", "settings.executable_kind: expected an integer"},
      {"kind = \"app\"\n[settings]\nsplash = \"on\"", "settings.splash: expected a boolean or an integer"},
      {"kind = \"app\"\n[[files]]\nname = \"x.jar\"\nsource = \"lib/x.jar\"", "files[0].source: cannot read \"lib/x.jar\""},
      {"kind = \"app\"\n[settings]\nname = \"\u65e5\u672c\"", "settings.name: \"\u65e5\u672c\" cannot be written in code page 1252"},
      {"kind = \"application\"", "kind: expected \"app\" or \"setup\""},
      {"kind = \"setup\"\n[wide]\ntitle = \"x\"", "wide.title: expected a numeric id"},
      {"kind = \"setup\"\n[[localized]]\nlocale = \"de\"\n[localized.messages]\nx1 = \"y\"", "localized[0].messages.x1: expected a numeric id"},
      {"[settings]\nname = \"x\"", "kind: missing (\"app\" or \"setup\")"},
      {"kind = \"app\"\n[settings]\nname = \"x\"\n101 = \"y\"", "settings.name: sets the same setting as settings.101"},
  };
  for (const Case& c : cases) {
    const std::string cfg = config(c.toml);
    const StampRun run = stamp({"build", cfg, "--launcher", launcher_, "-o", path("never.exe")});
    EXPECT_EQ(run.exitCode, 2) << c.toml;
    EXPECT_EQ(run.err, cfg + ": " + c.error + "\n") << c.toml;
    EXPECT_EQ(run.out, "") << c.toml;
    EXPECT_FALSE(std::filesystem::exists(path("never.exe"))) << c.toml;
  }
}

TEST_F(StampCommand, MissingLauncherOutputOrConfigAreConfigErrors) {
  const std::string cfg = config("kind = \"app\"\n");
  const StampRun noLauncher = stamp({"build", cfg, "-o", path("out.exe")});
  EXPECT_EQ(noLauncher.exitCode, 2);
  EXPECT_EQ(noLauncher.err, cfg + ": launcher: not given (set launcher or use --launcher)\n");
  const StampRun noOutput = stamp({"build", cfg, "--launcher", launcher_});
  EXPECT_EQ(noOutput.exitCode, 2);
  EXPECT_EQ(noOutput.err, cfg + ": output: not given (set output or use -o)\n");
  const StampRun noConfig = stamp({"build", path("absent.toml"), "--launcher", launcher_, "-o", path("out.exe")});
  EXPECT_EQ(noConfig.exitCode, 2);
  EXPECT_EQ(noConfig.err, path("absent.toml") + ": cannot read the config file\n");
  const StampRun syntax = stamp({"build", config("kind = \"app\n"), "--launcher", launcher_, "-o", path("out.exe")});
  EXPECT_EQ(syntax.exitCode, 2);
  EXPECT_EQ(syntax.err.rfind(path("app.toml") + ": line 1, column ", 0), 0u) << syntax.err;
}

TEST_F(StampCommand, OtherFailuresAreOneLineWithExitCode1) {
  const std::string cfg = config("kind = \"app\"\n");
  dir_.write("notes.txt", std::string("not an executable"));
  dir_.write("reordered.exe", testing::makePe({{".rsrc", 0x400, 0x80}, {".text", 0x200, 0x200}}));
  struct Case {
    std::vector<std::string> arguments;
    std::string error;
  } cases[] = {
      {{"build", cfg, "--launcher", path("absent.exe"), "-o", path("out.exe")},
       "cannot read the launcher \"" + path("absent.exe") + "\"\n"},
      {{"build", cfg, "--launcher", path("notes.txt"), "-o", path("out.exe")},
       "launcher \"" + path("notes.txt") + "\": not a PE executable (no MZ signature)\n"},
      {{"build", cfg, "--launcher", path("reordered.exe"), "-o", path("out.exe")},
       "launcher \"" + path("reordered.exe") +
           "\": the last section header (\".text\") does not describe the section whose raw data ends last (\".rsrc\" "
           "ends at 0x480, behind 0x400); cutting there would destroy image data\n"},
      {{"build", cfg, "--launcher", launcher_, "-o", path("no/such/dir/out.exe")},
       "cannot write \"" + path("no/such/dir/out.exe") + "\"\n"},
      {{"inspect", path("absent.exe")}, "cannot read \"" + path("absent.exe") + "\"\n"},
      {{"inspect", path("notes.txt")}, "\"" + path("notes.txt") + "\": not a PE executable (no MZ signature)\n"},
  };
  for (const Case& c : cases) {
    const StampRun run = stamp(c.arguments);
    EXPECT_EQ(run.exitCode, 1) << c.error;
    EXPECT_EQ(run.err, c.error);
  }
  EXPECT_FALSE(std::filesystem::exists(path("out.exe")));
}

TEST_F(StampCommand, UsageErrorsAndHelp) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"frobnicate"}, {"build"}, {"inspect"}, {"build", "a.toml", "--bogus"}}) {
    const StampRun run = stamp(arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.rfind("stamp: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  const StampRun help = stamp({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("build"), std::string::npos);
  EXPECT_NE(help.out.find("inspect"), std::string::npos);
}

#ifdef STAMP_EXECUTABLE
// The program itself, started as users start it.
TEST_F(StampCommand, TheProgramPassesItsArgumentsAndExitCodes) {
  const std::string good = config("kind = \"app\"\n[settings]\nname = \"x\"\n", "good.toml");
  const std::string bad = config("kind = \"app\"\n[settings]\nnmae = \"x\"\n", "bad.toml");
  const auto run = [&](const std::string& arguments) {
    const int status = std::system((std::string(STAMP_EXECUTABLE) + " " + arguments + " >" + path("stdout.txt") +
                                    " 2>" + path("stderr.txt")).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run("build '" + good + "' --launcher '" + launcher_ + "' -o '" + path("prog.exe") + "'"), 0);
  EXPECT_EQ(run("inspect '" + path("prog.exe") + "'"), 0);
  const std::vector<uint8_t> described = readAll(path("stdout.txt"));
  EXPECT_NE(std::string(described.begin(), described.end()).find("setting 101 name: \"x\"\n"), std::string::npos);
  EXPECT_EQ(run("build '" + bad + "' --launcher '" + launcher_ + "' -o '" + path("prog.exe") + "'"), 2);
  const std::vector<uint8_t> error = readAll(path("stderr.txt"));
  EXPECT_EQ(std::string(error.begin(), error.end()), bad + ": settings.nmae: unknown setting name\n");
}
#endif

}  // namespace
}  // namespace launcher::stamp
