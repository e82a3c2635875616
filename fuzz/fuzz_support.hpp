#pragma once

// What every fuzzing harness needs: a folder of its own for the files it hands a tool, standard
// output caught in memory (the text reports are checked by the end-to-end tests, not here; the
// JSON documents must parse), and a check of the exit code.

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "json_check.hpp"
#include "svg_check.hpp"

namespace fuzz_support {

// A fresh folder under the temporary folder, one per process, so that harnesses run side by
// side never share a file; removed when the process ends normally.
class OwnFolder {
 public:
  OwnFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "assettools-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~OwnFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  OwnFolder(const OwnFolder&) = delete;
  OwnFolder& operator=(const OwnFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// What the tools printed through stdout since it was last cleared.
inline std::string& capturedOutput() {
  static std::string text;
  return text;
}

inline ssize_t captureBytes(void*, const char* bytes, std::size_t size) {
  capturedOutput().append(bytes, size);
  return static_cast<ssize_t>(size);
}

// Standard output into memory. The dumpers flush every line: a stream in memory saves a
// system call per line. Whatever is written to the descriptor itself reaches the null device.
inline void captureStandardOutput() {
  std::fflush(stdout);
  const int null = open("/dev/null", O_WRONLY);
  if (null < 0 || dup2(null, STDOUT_FILENO) < 0) std::abort();
  close(null);
  FILE* memory = fopencookie(nullptr, "w", {nullptr, captureBytes, nullptr, nullptr});
  if (memory == nullptr) std::abort();
  stdout = memory;
}

// The process's own folder, made on first use; standard output is caught from then on.
inline const std::filesystem::path& ownFolder() {
  static const OwnFolder folder = [] {
    captureStandardOutput();
    return OwnFolder();
  }();
  return folder.path();
}

// What a run with --json printed must be one JSON document, valid UTF-8, an object whose last
// member is "end"; a finding otherwise. The output is cleared for the next run.
inline void requireJsonDocument() {
  std::fflush(stdout);
  if (!isReportDocument(capturedOutput())) std::abort();
  capturedOutput().clear();
}

inline void writeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file.flush()) std::abort();
}

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The tools end with 0 or 1; anything else (a crash is caught by the sanitizers) is a finding.
inline void requireExitCode(int exitCode) {
  if (exitCode != 0 && exitCode != 1) std::abort();
}

// The forms a dumper prints its report in.
enum class Form { text, json, svg };

// Runs a dumper on the input written to `name` in the own folder, as `dump(path, form)`, in
// each form: the same exit code, a valid document, and for a dumper that `draws`, a valid SVG
// picture. Then `reverse(document, output)` writes the document back: that must succeed in
// silence and give the input, byte for byte.
template <typename Dump, typename Reverse>
int dumpInput(const std::uint8_t* data, std::size_t size, const char* name, Dump dump,
              Reverse reverse, bool draws) {
  const std::filesystem::path input = ownFolder() / name;
  const std::string_view bytes = asText(data, size);
  writeFile(input, bytes);
  const int exitCode = dump(input.c_str(), Form::text);
  requireExitCode(exitCode);
  std::fflush(stdout);
  capturedOutput().clear();
  if (draws) {
    if (dump(input.c_str(), Form::svg) != exitCode) std::abort();
    std::fflush(stdout);
    if (!isSvgDocument(capturedOutput())) std::abort();
    capturedOutput().clear();
  }
  if (dump(input.c_str(), Form::json) != exitCode) std::abort();
  std::fflush(stdout);
  const std::filesystem::path document = ownFolder() / "document.json";
  writeFile(document, capturedOutput());
  requireJsonDocument();
  const std::filesystem::path output = ownFolder() / "written-back";
  if (reverse(document.c_str(), output.c_str()) != 0) std::abort();
  std::fflush(stdout);
  if (!capturedOutput().empty() || readFile(output) != bytes) std::abort();
  return 0;
}

}  // namespace fuzz_support
