#pragma once

// What every fuzzing harness needs: a folder of its own for the files it hands a tool, standard
// output out of the way (the reports are checked by the end-to-end tests, not here), and a
// check of the exit code.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

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

inline ssize_t discardBytes(void*, const char*, std::size_t size) {
  return static_cast<ssize_t>(size);
}

// Standard output to nowhere. The dumpers flush every line: a stream that drops what it is
// given saves a system call per line. What goes through std::cout, which holds on to the
// original stream, reaches the null device.
inline void discardStandardOutput() {
  std::fflush(stdout);
  const int null = open("/dev/null", O_WRONLY);
  if (null < 0 || dup2(null, STDOUT_FILENO) < 0) std::abort();
  close(null);
  FILE* nowhere = fopencookie(nullptr, "w", {nullptr, discardBytes, nullptr, nullptr});
  if (nowhere == nullptr) std::abort();
  stdout = nowhere;
}

// The process's own folder, made on first use; standard output is discarded from then on.
inline const std::filesystem::path& ownFolder() {
  static const OwnFolder folder = [] {
    discardStandardOutput();
    return OwnFolder();
  }();
  return folder.path();
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

// Runs a dumper on the input written to `name` in the own folder.
template <typename Dump>
int dumpInput(const std::uint8_t* data, std::size_t size, const char* name, Dump dump) {
  const std::filesystem::path input = ownFolder() / name;
  writeFile(input, asText(data, size));
  requireExitCode(dump(input.c_str()));
  return 0;
}

}  // namespace fuzz_support
