#pragma once

// Builds fixture files field by field, little-endian, so a test reads like the format it
// describes: Bytes().i32(1).i32(2).name("root").

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace testing_support {

class Bytes {
 public:
  Bytes& i8(std::int8_t value) { return u8(static_cast<std::uint8_t>(value)); }
  Bytes& u8(std::uint8_t value) {
    data_.push_back(static_cast<char>(value));
    return *this;
  }
  Bytes& i16(std::int16_t value) { return u16(static_cast<std::uint16_t>(value)); }
  Bytes& u16(std::uint16_t value) { return little(value, 2); }
  Bytes& i32(std::int32_t value) { return u32(static_cast<std::uint32_t>(value)); }
  Bytes& u32(std::uint32_t value) { return little(value, 4); }
  Bytes& f32(float value) { return u32(std::bit_cast<std::uint32_t>(value)); }
  Bytes& raw(std::string_view bytes) {
    data_.append(bytes);
    return *this;
  }
  Bytes& fill(std::size_t count, char byte) {
    data_.append(count, byte);
    return *this;
  }
  // A u16 length followed by that many bytes, with no terminator.
  Bytes& name(std::string_view text) {
    return u16(static_cast<std::uint16_t>(text.size())).raw(text);
  }
  Bytes& append(const Bytes& other) { return raw(other.str()); }

  const std::string& str() const { return data_; }
  std::size_t size() const { return data_.size(); }

 private:
  Bytes& little(std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) data_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return *this;
  }

  std::string data_;
};

}  // namespace testing_support
