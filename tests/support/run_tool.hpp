#pragma once

// Spawns a built tool and captures what it prints, and gives each test a folder of its own.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

struct RunResult {
  std::string out;
  std::string err;
  int exitCode = -1;  // 128 + signal number when the tool was killed
  bool timedOut = false;
};

// Runs `tool` with `args` in `workDir`, stdin from /dev/null; kills it after `timeout`.
RunResult runTool(const std::string& tool, const std::vector<std::string>& args,
                  const std::filesystem::path& workDir,
                  std::chrono::milliseconds timeout = std::chrono::seconds(30));

// A fresh temporary folder, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

// The lines of `text`, each with its newline; a last line without one is kept as it is.
std::vector<std::string> splitLines(const std::string& text);

}  // namespace testing_support
