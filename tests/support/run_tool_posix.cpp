// Runs a tool on POSIX: fork, exec, and poll on pipes for its output.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "run_tool.hpp"

namespace testing_support {

namespace {

[[noreturn]] void execInChild(const std::string& tool, const std::vector<std::string>& args,
                              const std::filesystem::path& workDir,
                              const std::filesystem::path& input, int outPipe, int errPipe) {
  const int in = open(input.empty() ? "/dev/null" : input.c_str(), O_RDONLY);
  if (in < 0 || dup2(in, 0) < 0 || dup2(outPipe, 1) < 0 || dup2(errPipe, 2) < 0 ||
      chdir(workDir.c_str()) != 0) {
    _exit(127);
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(tool.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execv(tool.c_str(), argv.data());
  _exit(127);
}

// Drains both pipes until they close or the deadline passes; true when it timed out.
bool collectOutput(int outFd, int errFd, std::string& out, std::string& err,
                   std::chrono::steady_clock::time_point deadline) {
  std::array<pollfd, 2> fds{{{outFd, POLLIN, 0}, {errFd, POLLIN, 0}}};
  std::array<std::string*, 2> sinks{&out, &err};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return true;
    if (poll(fds.data(), fds.size(), static_cast<int>(left.count())) < 0 && errno != EINTR) {
      throw std::runtime_error("poll failed");
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      std::array<char, 65536> buffer{};
      const ssize_t got = read(fds[i].fd, buffer.data(), buffer.size());
      if (got > 0) {
        sinks[i]->append(buffer.data(), static_cast<std::size_t>(got));
      } else {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  return false;
}

}  // namespace

RunResult runTool(const std::string& tool, const std::vector<std::string>& args,
                  const std::filesystem::path& workDir, std::chrono::milliseconds timeout,
                  const std::filesystem::path& input) {
  std::array<int, 2> outPipe{};
  std::array<int, 2> errPipe{};
  if (pipe(outPipe.data()) != 0 || pipe(errPipe.data()) != 0) throw std::runtime_error("pipe");
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork");
  if (child == 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    execInChild(tool, args, workDir, input, outPipe[1], errPipe[1]);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  RunResult result;
  result.timedOut = collectOutput(outPipe[0], errPipe[0], result.out, result.err,
                                  std::chrono::steady_clock::now() + timeout);
  if (result.timedOut) kill(child, SIGKILL);
  close(outPipe[0]);
  close(errPipe[0]);
  int status = 0;
  waitpid(child, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.rawOut = result.out;
  return result;
}

}  // namespace testing_support
