#include "run_length.hpp"

#include <algorithm>
#include <cstring>

#include "refusal.hpp"

namespace tilecut {

namespace {

constexpr std::size_t kBufferBytes = std::size_t{64} << 10;
constexpr std::uint8_t kRepeats = 0x80;
constexpr std::uint8_t kCountBits = 0x7F;

}  // namespace

RunLengthPixels::RunLengthPixels(common::File& file, std::uint64_t start, std::uint64_t fileSize,
                                 std::uint8_t bytesPerPixel)
    : file_(file), fileSize_(fileSize), bytesPerPixel_(bytesPerPixel), buffer_(kBufferBytes) {
  at_.offset = start;
}

void RunLengthPixels::read(std::uint8_t* out, std::uint64_t count) {
  while (count > 0) {
    if (at_.left == 0) startPacket(nullptr);
    const auto pixels = static_cast<std::uint8_t>(std::min<std::uint64_t>(count, at_.left));
    const std::size_t bytes = std::size_t{pixels} * bytesPerPixel_;
    if (at_.repeats) {
      for (std::size_t i = 0; i < bytes; i += bytesPerPixel_) {
        std::memcpy(out + i, at_.pixel.data(), bytesPerPixel_);
      }
    } else {
      std::memcpy(out, bytesAt(at_.offset, bytes), bytes);
      at_.offset += bytes;
    }
    out += bytes;
    at_.left = static_cast<std::uint8_t>(at_.left - pixels);
    count -= pixels;
  }
}

void RunLengthPixels::skip(std::uint64_t count, const IndexRange* indices) {
  while (count > 0) {
    if (at_.left == 0) startPacket(indices);
    const auto pixels = static_cast<std::uint8_t>(std::min<std::uint64_t>(count, at_.left));
    if (!at_.repeats) {
      const std::size_t bytes = std::size_t{pixels} * bytesPerPixel_;
      const std::uint8_t* raw = bytesAt(at_.offset, bytes);
      for (std::size_t i = 0; indices != nullptr && i < bytes; ++i) {
        checkIndex(raw[i], at_.offset + i, *indices);
      }
      at_.offset += bytes;
    }
    at_.left = static_cast<std::uint8_t>(at_.left - pixels);
    count -= pixels;
  }
}

void RunLengthPixels::requireNoPixelLeft() const {
  if (at_.left > 0) {
    throw Refusal{"the run-length packet at byte " + std::to_string(packetStart_) +
                  " runs past the last pixel of the picture"};
  }
}

void RunLengthPixels::startPacket(const IndexRange* indices) {
  packetStart_ = at_.offset;
  const std::uint8_t head = *bytesAt(at_.offset, 1);
  ++at_.offset;
  at_.left = static_cast<std::uint8_t>((head & kCountBits) + 1);
  at_.repeats = (head & kRepeats) != 0;
  if (!at_.repeats) return;
  std::memcpy(at_.pixel.data(), bytesAt(at_.offset, bytesPerPixel_), bytesPerPixel_);
  if (indices != nullptr) checkIndex(at_.pixel[0], at_.offset, *indices);
  at_.offset += bytesPerPixel_;
}

// The bytes from `offset` on, read a buffer ahead; `count` is at most a packet's.
const std::uint8_t* RunLengthPixels::bytesAt(std::uint64_t offset, std::size_t count) {
  if (offset < bufferOffset_ || offset + count > bufferOffset_ + bufferSize_) {
    if (offset + count > fileSize_) {
      throw Refusal{"the run-length pixel data ends at byte " + std::to_string(fileSize_) +
                    ", in the packet at byte " + std::to_string(packetStart_)};
    }
    const std::optional<std::size_t> got = file_.readAt(offset, buffer_.data(), buffer_.size());
    if (!got || *got < count) {
      throw Refusal{"cannot read the run-length pixel data at byte " + std::to_string(offset) +
                    ": " + common::lastSystemError().reason};
    }
    bufferOffset_ = offset;
    bufferSize_ = *got;
  }
  return buffer_.data() + (offset - bufferOffset_);
}

void RunLengthPixels::checkIndex(std::uint8_t index, std::uint64_t offset,
                                 const IndexRange& indices) const {
  if (index >= indices.first && index < indices.end) return;
  throw Refusal{"the colour index " + std::to_string(index) + " at byte " + std::to_string(offset) +
                " is not in the colour map, whose entries are " + std::to_string(indices.first) +
                " to " + std::to_string(indices.end - 1)};
}

}  // namespace tilecut
