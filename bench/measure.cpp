// Runs a command with its standard output on a pipe that is read and discarded, as a reader of
// the report would, and prints its wall time in seconds and its peak resident set in KiB.
//   measure [-C FOLDER] COMMAND [ARG...]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  int first = 1;
  const char* folder = nullptr;
  if (argc > 2 && std::strcmp(argv[1], "-C") == 0) {
    folder = argv[2];
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: measure [-C FOLDER] COMMAND [ARG...]\n");
    return 2;
  }
  int report[2];
  if (pipe(report) != 0) return 2;
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    dup2(report[1], 1);
    close(report[0]);
    close(report[1]);
    if (folder && chdir(folder) != 0) _exit(127);
    execvp(argv[first], argv + first);
    _exit(127);
  }
  close(report[1]);
  static char sink[1 << 16];
  while (read(report[0], sink, sizeof sink) > 0) {
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.3f %ld\n", seconds, usage.ru_maxrss);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
