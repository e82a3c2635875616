// Runs a tool's own main on a batch of command lines, in one process. The script-driven checks
// take each tool through thousands of files, and with the sanitizers a process start costs more
// than the run itself; here a batch pays for one. The tool's main.cpp is compiled in with its
// main renamed toolMain (tests/CMakeLists.txt); the end-to-end suites spawn the built programs.
//
//   TOOL_batch JOBS RESULTS
//
// JOBS holds a job a line, its fields separated by tabs: the folder the job runs in, the file
// that takes its standard output, then its arguments. RESULTS gets a line a job: its exit code.
// What a job writes through the C library's stderr (the failure line of a document) goes to its
// output file's name with ".err" added; a sanitizer's report still reaches standard error.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

int toolMain(int argc, char** argv);

namespace {

std::vector<std::string> fieldsOf(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

// Runs one job; its exit code, or -1 when the job line cannot be run.
int runJob(std::vector<std::string> fields, char* programName) {
  std::error_code failed;
  std::filesystem::current_path(fields[0], failed);
  if (failed || std::freopen(fields[1].c_str(), "wb", stdout) == nullptr) return -1;
  std::FILE* const standardError = stderr;
  stderr = std::fopen((fields[1] + ".err").c_str(), "wb");
  if (stderr == nullptr) {
    stderr = standardError;
    return -1;
  }
  std::vector<char*> arguments{programName};
  for (std::size_t i = 2; i < fields.size(); ++i) arguments.push_back(fields[i].data());
  arguments.push_back(nullptr);
  const int exitCode = toolMain(static_cast<int>(arguments.size() - 1), arguments.data());
  std::fflush(stdout);
  std::fclose(stderr);
  stderr = standardError;
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s JOBS RESULTS\n", argv[0]);
    return 2;
  }
  std::ifstream jobs(argv[1]);
  std::ofstream results(argv[2]);
  for (std::string line; std::getline(jobs, line);) {
    const std::vector<std::string> fields = fieldsOf(line);
    const int exitCode = fields.size() < 2 ? -1 : runJob(fields, argv[0]);
    if (exitCode < 0) {
      std::fprintf(stderr, "cannot run the job \"%s\"\n", line.c_str());
      return 2;
    }
    results << exitCode << '\n';
  }
  return results.flush() ? 0 : 2;
}
