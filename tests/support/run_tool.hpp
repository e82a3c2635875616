#pragma once

// Spawns a built tool and captures what it prints, and gives each test a folder of its own.

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

struct RunResult {
  // What the tool wrote, with each end of line as a newline. On Windows standard output and
  // standard error are in text mode and every newline reaches the pipe as CR LF; `out` and `err`
  // have them turned back, so that a report compares alike on every platform.
  std::string out;
  std::string err;
  std::string rawOut;  // standard output as it reached the pipe
  int exitCode = -1;   // 128 + signal number when the tool was killed
  bool timedOut = false;
};

// Runs `tool` with `args` (UTF-8) in `workDir`, with `input` as its standard input (none when
// empty); kills it after `timeout`. One implementation per platform: run_tool_posix.cpp,
// run_tool_windows.cpp.
RunResult runTool(const std::string& tool, const std::vector<std::string>& args,
                  const std::filesystem::path& workDir,
                  std::chrono::milliseconds timeout = std::chrono::seconds(30),
                  const std::filesystem::path& input = {});

// A fresh temporary folder, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // `name` is UTF-8 on every platform.
  std::filesystem::path operator/(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

// How a tool's standard output ends a line on this platform: Windows console programs write
// CR LF (the C runtime's text mode), POSIX ones a newline.
#ifdef _WIN32
inline const std::string kEndOfLine = "\r\n";
#else
inline const std::string kEndOfLine = "\n";
#endif

// `text` with each newline written as kEndOfLine.
std::string withPlatformLineEnds(const std::string& text);

// The bytes of a UTF-8 literal, as the tools take a path.
inline std::string utf8(std::u8string_view text) {
  return {text.begin(), text.end()};
}

// The lines of `text`, each with its newline; a last line without one is kept as it is.
std::vector<std::string> splitLines(const std::string& text);

}  // namespace testing_support
