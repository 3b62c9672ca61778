#include "harness/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

// After the program has ended, the pipes are read until they have been quiet
// this long, and never longer than the limit below: a process it left behind
// may keep writing.
constexpr int kQuietMs = 50;
constexpr auto kDrainLimit = std::chrono::milliseconds(1000);

std::string nameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

struct Pipe {
  int read = -1;
  int write = -1;
};

Pipe makePipe() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return {};
  return {fds[0], fds[1]};
}

void closeFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Reads what is available from the open pipes; returns false when poll found
// nothing within timeoutMs. A pipe at its end is closed and set to -1.
bool readAvailable(int& outFd, int& errFd, std::string& out, std::string& err, int timeoutMs) {
  pollfd fds[2];
  nfds_t count = 0;
  if (outFd >= 0) fds[count++] = {outFd, POLLIN, 0};
  if (errFd >= 0) fds[count++] = {errFd, POLLIN, 0};
  if (count == 0) return false;
  const int ready = poll(fds, count, timeoutMs);
  if (ready <= 0) return false;
  for (nfds_t i = 0; i < count; ++i) {
    if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    const bool isOut = fds[i].fd == outFd;
    char buffer[65536];
    const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
    if (got > 0) {
      (isOut ? out : err).append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
      closeFd(isOut ? outFd : errFd);
    }
  }
  return true;
}

void recordStatus(int status, ChildOutput& result) {
  if (WIFEXITED(status)) {
    result.exitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signaled = true;
    result.exitStatus = 128 + WTERMSIG(status);
  }
}

}  // namespace

std::vector<std::string> environmentWith(const std::vector<std::string>& removed,
                                         const std::vector<std::string>& replaced) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const std::string name = nameOf(text);
    bool drop = false;
    for (const std::string& r : removed) drop = drop || r == name;
    for (const std::string& r : replaced) drop = drop || nameOf(r) == name;
    if (!drop) result.push_back(text);
  }
  result.insert(result.end(), replaced.begin(), replaced.end());
  return result;
}

ChildOutput runChild(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int timeoutMs) {
  ChildOutput result;
  Pipe out = makePipe();
  Pipe err = makePipe();
  if (out.read < 0 || err.read < 0) {
    result.err = std::string("cannot create pipes: ") + std::strerror(errno);
    return result;
  }

  std::vector<char*> arguments;
  for (const std::string& a : argv) arguments.push_back(const_cast<char*>(a.c_str()));
  arguments.push_back(nullptr);
  std::vector<char*> variables;
  for (const std::string& v : environment) variables.push_back(const_cast<char*>(v.c_str()));
  variables.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    // Only async-signal-safe calls from here on.
    setpgid(0, 0);
    const int input = open("/dev/null", O_RDONLY);
    dup2(input, 0);
    dup2(out.write, 1);
    dup2(err.write, 2);
    // Wine's long-lived processes inherit what the program holds open.
    syscall(SYS_close_range, 3u, ~0u, 0u);
    execve(arguments[0], arguments.data(), variables.data());
    const char message[] = "cannot execute the program\n";
    (void)!write(2, message, sizeof message - 1);
    _exit(127);
  }
  closeFd(out.write);
  closeFd(err.write);
  if (pid < 0) {
    closeFd(out.read);
    closeFd(err.read);
    result.err = std::string("cannot fork: ") + std::strerror(errno);
    return result;
  }
  // Set from both sides so that a kill right after the fork reaches the group.
  setpgid(pid, pid);

  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  bool ended = false;
  while (!ended) {
    readAvailable(out.read, err.read, result.out, result.err, 20);
    const pid_t waited = waitpid(pid, &status, WNOHANG);
    if (waited == pid) {
      ended = true;
    } else if (Clock::now() > deadline) {
      kill(-pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.killed = true;
      ended = true;
    } else if (out.read < 0 && err.read < 0) {
      // Both pipes are at their end: nothing to read while waiting.
      usleep(10000);
    }
  }
  recordStatus(status, result);

  const auto drainEnd = Clock::now() + kDrainLimit;
  while (Clock::now() < drainEnd && readAvailable(out.read, err.read, result.out, result.err, kQuietMs)) {
  }
  closeFd(out.read);
  closeFd(err.read);
  return result;
}

}  // namespace e2e
