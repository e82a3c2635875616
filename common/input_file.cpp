// The seam's sources of bytes, the same on every platform: a file through the platform's calls,
// standard input through the C library's, and memory.

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "file_system.hpp"

namespace common {

std::optional<std::string> InputFile::open() {
  position_ = 0;
  if (isStandardInput()) {
    setStandardInputToBytes();
    return std::nullopt;
  }
  if (file_.isOpen()) return std::nullopt;
  SystemError failure;
  file_ = openForReading(path_, failure);
  if (!file_.isOpen()) return failure.reason;
  return std::nullopt;
}

std::optional<std::size_t> InputFile::read(char* buffer, std::size_t size) {
  if (isStandardInput()) {
    const std::size_t got = std::fread(buffer, 1, size, stdin);
    if (got < size && std::ferror(stdin)) return std::nullopt;
    return got;
  }
  const std::optional<std::size_t> got =
      file_.readAt(position_, reinterpret_cast<std::uint8_t*>(buffer), size);
  if (got) position_ += *got;
  return got;
}

std::uint64_t InputFile::size() {
  return isStandardInput() ? 0 : file_.size().value_or(0);
}

std::optional<std::string> BytesInMemory::open() {
  position_ = 0;
  return std::nullopt;
}

std::optional<std::size_t> BytesInMemory::read(char* buffer, std::size_t size) {
  const std::size_t got = std::min(size, bytes_.size() - position_);
  std::memcpy(buffer, bytes_.data() + position_, got);
  position_ += got;
  return got;
}

}  // namespace common
