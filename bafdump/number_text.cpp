#include "number_text.hpp"

#include <array>
#include <cmath>
#include <cstdio>

namespace bafdump {

namespace {

constexpr std::size_t kExponentDigits = 3;

// The C library writes at least two exponent digits; the report wants at least three.
void widenExponent(std::string& text) {
  const auto e = text.find('e');
  if (e == std::string::npos) return;
  const std::size_t digitsStart = e + 2;  // after the letter and the sign
  const std::size_t digits = text.size() - digitsStart;
  if (digits < kExponentDigits) text.insert(digitsStart, kExponentDigits - digits, '0');
}

}  // namespace

std::string floatText(float value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  std::array<char, 32> buffer{};
  const int length =
      std::snprintf(buffer.data(), buffer.size(), "%.6g", static_cast<double>(value));
  std::string text(buffer.data(), static_cast<std::size_t>(length));
  widenExponent(text);
  return text;
}

}  // namespace bafdump
