#pragma once

// The run-length coded pixel data of TGA image types 9, 10 and 11, decoded from the file a
// buffer at a time. A packet begins with one byte: bit 7 set, one pixel follows that stands for
// them all; clear, that many pixels follow as they are; bits 0 to 6 hold the count less one. A
// packet may run on from one line into the next, but not past the last pixel.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/file_system.hpp"

namespace tilecut {

// The colour indices a colour-mapped image may hold: its colour map's entries.
struct IndexRange {
  std::uint32_t first;
  std::uint32_t end;  // one past the last
};

class RunLengthPixels {
 public:
  // Where decoding stands: the next byte of the stream, and what is left of its packet.
  struct Mark {
    std::uint64_t offset = 0;
    std::uint8_t left = 0;  // pixels left in the packet
    bool repeats = false;
    std::array<std::uint8_t, 4> pixel{};  // of a repeat packet
  };

  RunLengthPixels(common::File& file, std::uint64_t start, std::uint64_t fileSize,
                  std::uint8_t bytesPerPixel);

  Mark mark() const { return at_; }
  void seek(const Mark& mark) { at_ = mark; }

  // Decodes the next `count` pixels into `out`.
  void read(std::uint8_t* out, std::uint64_t count);
  // Steps over the next `count` pixels, checking each index against `indices` where given.
  void skip(std::uint64_t count, const IndexRange* indices);
  // Refuses a packet that runs past the last pixel, once every pixel is read.
  void requireNoPixelLeft() const;

 private:
  void startPacket(const IndexRange* indices);
  std::uint8_t byteAt(std::uint64_t offset);
  const std::uint8_t* bytesAt(std::uint64_t offset, std::size_t count);
  void checkIndex(std::uint8_t index, std::uint64_t offset, const IndexRange& indices) const;

  common::File& file_;
  std::uint64_t fileSize_;
  std::uint8_t bytesPerPixel_;
  Mark at_;
  std::uint64_t packetStart_ = 0;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t bufferOffset_ = 0;  // of the buffer's first byte in the file
  std::size_t bufferSize_ = 0;
};

}  // namespace tilecut
