#include "number_text.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace common {

namespace {

constexpr std::size_t kExponentDigits = 3;
constexpr int kSignificantDigits = 6;

}  // namespace

void appendFloatText(std::string& text, float value) {
  if (std::isnan(value)) {
    text += "nan";
    return;
  }
  if (std::isinf(value)) {
    text += value < 0 ? "-inf" : "inf";
    return;
  }
  // Exactly what printf's %.6g writes, without going through the C library's locale.
  std::array<char, 32> buffer{};
  const char* end =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), static_cast<double>(value),
                    std::chars_format::general, kSignificantDigits)
          .ptr;
  const std::string_view digits(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
  const std::size_t e = digits.find('e');
  if (e == std::string_view::npos) {
    text += digits;
    return;
  }
  // At least two exponent digits are written; the report wants three.
  const std::string_view exponent = digits.substr(e + 2);  // after the letter and the sign
  text += digits.substr(0, e + 2);
  if (exponent.size() < kExponentDigits) text.append(kExponentDigits - exponent.size(), '0');
  text += exponent;
}

void appendExactFloat(std::string& text, float value) {
  std::array<char, 32> buffer{};
  text.append(buffer.data(),
              std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr);
}

constexpr char kHexDigits[] = "0123456789abcdef";

std::string floatBitsText(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  std::string text(8, '0');
  for (std::size_t i = 0; i < 8; ++i) text[7 - i] = kHexDigits[(bits >> (4 * i)) & 0xF];
  return text;
}

void appendHexDigits(std::string& text, std::string_view bytes) {
  for (const char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    text += kHexDigits[c >> 4];
    text += kHexDigits[c & 0xF];
  }
}

}  // namespace common
