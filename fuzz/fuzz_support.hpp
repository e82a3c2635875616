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
#include <string>
#include <string_view>

#include "common/file_system.hpp"
#include "common/report_form.hpp"
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

inline ssize_t discardBytes(void*, const char*, std::size_t size) {
  return static_cast<ssize_t>(size);
}

// Standard output into memory. The dumpers flush every line: a stream in memory saves a
// system call per line. Whatever is written to the descriptor itself reaches the null device.
// The tools' failure lines on stderr are dropped; libFuzzer keeps the stream it took at start-up,
// and the sanitizers write to the descriptor.
inline void captureStandardOutput() {
  std::fflush(stdout);
  const int null = open("/dev/null", O_WRONLY);
  if (null < 0 || dup2(null, STDOUT_FILENO) < 0) std::abort();
  close(null);
  FILE* memory = fopencookie(nullptr, "w", {nullptr, captureBytes, nullptr, nullptr});
  if (memory == nullptr) std::abort();
  stdout = memory;
  FILE* dropped = fopencookie(nullptr, "w", {nullptr, discardBytes, nullptr, nullptr});
  if (dropped == nullptr) std::abort();
  stderr = dropped;
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

// The files a harness hands a tool, written and read with the system's calls: a stream object
// a file costs more than the call.
inline void writeFile(const std::filesystem::path& path, std::string_view bytes) {
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (file < 0) std::abort();
  const bool written =
      write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  if (close(file) != 0 || !written) std::abort();
}

inline std::string readFile(const std::filesystem::path& path) {
  std::string bytes;
  const int file = open(path.c_str(), O_RDONLY);
  if (file < 0) return bytes;
  char piece[4096];
  for (ssize_t got; (got = read(file, piece, sizeof piece)) > 0;) {
    bytes.append(piece, static_cast<std::size_t>(got));
  }
  close(file);
  return bytes;
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The tools end with 0 or 1; anything else (a crash is caught by the sanitizers) is a finding.
inline void requireExitCode(int exitCode) {
  if (exitCode != 0 && exitCode != 1) std::abort();
}

// The longest text report of an input that the dumpers' harnesses take further, to the other
// forms and the round trip: some hundreds of lines. A few bytes can make a long report (a repeat
// run of 127 samples is 4 bytes) and the time of a run grows with its report, while a short one
// reaches every part of the walks and printers (an animation drawn in pixel columns, past 160
// frames, takes about 10 KiB). A longer one is kept out of the corpus.
constexpr std::size_t kMostReportBytes = std::size_t{16} << 10;

// The bytes of a file written back, kept in memory.
class BytesKept final : public common::ByteSink {
 public:
  explicit BytesKept(std::string& bytes) : bytes_(bytes) {}
  void write(std::string_view bytes) override { bytes_ += bytes; }

 private:
  std::string& bytes_;
};

// Runs a dumper on the input, handed to it in memory under the name of the file `name` of the own
// folder, in each form: the same exit code, a valid document, and for a dumper that `draws`, a
// valid SVG picture. Then its reverse writes the document, handed to it in memory, back into
// memory: that must succeed in silence and give the input, byte for byte. No file is written or
// read: a system call costs more than a small input's walk.
inline int dumpInput(const std::uint8_t* data, std::size_t size, const char* name,
                     const common::Dumper& dumper, bool draws) {
  const common::DumpRun dump = dumper.dump;
  static const std::string path = (ownFolder() / name).string();
  const std::string_view bytes = asText(data, size);
  common::BytesInMemory input(bytes);
  const int exitCode = dump(input, path.c_str(), common::Form::text);
  requireExitCode(exitCode);
  std::fflush(stdout);
  // An input whose report is this long is no use to the fuzzer: left out of its corpus.
  if (capturedOutput().size() > kMostReportBytes) {
    capturedOutput().clear();
    return -1;
  }
  capturedOutput().clear();
  if (draws) {
    if (dump(input, path.c_str(), common::Form::svg) != exitCode) std::abort();
    std::fflush(stdout);
    if (!isSvgDocument(capturedOutput())) std::abort();
    capturedOutput().clear();
  }
  if (dump(input, path.c_str(), common::Form::json) != exitCode) std::abort();
  std::fflush(stdout);
  std::string document;
  document.swap(capturedOutput());
  if (!isReportDocument(document)) std::abort();
  std::string writtenBack;
  writtenBack.reserve(size);
  common::BytesInMemory documentBytes(document);
  BytesKept fileBytes(writtenBack);
  if (dumper.reverse(documentBytes, "(the document)", fileBytes) != 0) std::abort();
  std::fflush(stdout);
  if (!capturedOutput().empty() || writtenBack != bytes) std::abort();
  capturedOutput().swap(document);  // its room serves the next run
  capturedOutput().clear();
  return 0;
}

// --diff of the input with itself must find no difference. A copy in which one byte is changed,
// and one cut short, must differ (every byte is a field's, or one of those after the last field,
// which are compared too), and the document must be valid. Which byte changes, and where the cut
// falls, follow from the input, so that a finding replays.
inline int diffInput(const std::uint8_t* data, std::size_t size, common::DiffRun diff) {
  ownFolder();  // standard output caught
  const std::string_view bytes = asText(data, size);
  common::BytesInMemory a(bytes);
  common::BytesInMemory sameAgain(bytes);
  if (diff(a, "a", sameAgain, "b", common::Form::text) != 0) std::abort();
  capturedOutput().clear();
  if (bytes.empty()) return 0;
  const std::size_t at =
      (bytes.size() * 7919 + static_cast<unsigned char>(bytes.back())) % bytes.size();
  std::string changed(bytes);
  changed[at] = static_cast<char>(changed[at] ^ 0x5A);
  for (const std::string_view other : {std::string_view(changed), bytes.substr(0, at)}) {
    common::BytesInMemory first(bytes);
    common::BytesInMemory second(other);
    if (diff(first, "a", second, "b", common::Form::json) != 1) std::abort();
    requireJsonDocument();
  }
  return 0;
}

}  // namespace fuzz_support
