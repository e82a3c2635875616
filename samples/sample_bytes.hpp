#pragma once

// The bytes of a sample file, built in file order, little-endian, as the formats have them.

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace samples {

// Little-endian bytes in file order.
class Bytes {
 public:
  Bytes& u8(std::uint8_t value) {
    data_.push_back(static_cast<char>(value));
    return *this;
  }
  Bytes& u16(std::uint16_t value) { return little(value, 2); }
  Bytes& i32(std::int32_t value) { return little(static_cast<std::uint32_t>(value), 4); }
  Bytes& f32(float value) { return little(std::bit_cast<std::uint32_t>(value), 4); }
  Bytes& text(std::string_view value) {
    data_.append(value);
    return *this;
  }
  Bytes& name(std::string_view value) {
    return u16(static_cast<std::uint16_t>(value.size())).text(value);
  }
  const std::string& str() const { return data_; }

 private:
  Bytes& little(std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) data_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return *this;
  }
  std::string data_;
};

}  // namespace samples
