#pragma once

// A file written whole: its bytes go to a new file beside it, which takes its place only once
// every byte is written, so that a refusal or a crash leaves the old file (or none), never a
// part of a new one.

#include <string>
#include <string_view>
#include <vector>

#include "file_system.hpp"

namespace common {

class OutputFile final : public ByteSink {
 public:
  explicit OutputFile(std::string path) : path_(std::move(path)) {}
  // Without a commit, the new file goes and the old one stays.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Makes the new file beside the old; false, with the reason, when it cannot.
  bool open(SystemError& failure);
  // Buffered: a failure shows at the commit.
  void write(std::string_view bytes) override;
  // Writes what is left, closes the new file and puts it in the old one's place.
  bool commit(SystemError& failure);

 private:
  bool flush();

  std::string path_;
  std::string temporary_;
  File file_;
  std::vector<char> buffer_;
  bool failed_ = false;
  SystemError failure_;
};

}  // namespace common
