#include "output_file.hpp"

#include <random>

namespace common {

namespace {

constexpr std::size_t kBufferBytes = std::size_t{64} << 10;

}  // namespace

OutputFile::~OutputFile() {
  if (!temporary_.empty()) {
    file_.close();
    removeFile(temporary_);
  }
}

bool OutputFile::open(SystemError& failure) {
  // Beside the file, so that the rename stays within one file system.
  std::random_device seed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = path_ + "." + std::to_string(seed() % 1000000) + ".part";
    file_ = createNew(name, failure);
    if (file_.isOpen()) {
      // The buffer grows as the bytes come, up to kBufferBytes: a small file takes little room.
      temporary_ = name;
      return true;
    }
  }
  return false;
}

void OutputFile::write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() > kBufferBytes && !flush()) return;
  if (bytes.size() >= kBufferBytes) {
    const Segment segment{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
    if (!failed_ && !file_.write({&segment, 1})) {
      failed_ = true;
      failure_ = lastSystemError();
    }
    return;
  }
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

bool OutputFile::commit(SystemError& failure) {
  if (!flush()) {
    failure = failure_;
    return false;
  }
  file_.close();
  if (!replaceFile(temporary_, path_, failure)) return false;
  temporary_.clear();
  return true;
}

bool OutputFile::flush() {
  if (failed_) return false;
  const Segment segment{reinterpret_cast<const std::uint8_t*>(buffer_.data()), buffer_.size()};
  if (!buffer_.empty() && !file_.write({&segment, 1})) {
    failed_ = true;
    failure_ = lastSystemError();
  }
  buffer_.clear();
  return !failed_;
}

}  // namespace common
