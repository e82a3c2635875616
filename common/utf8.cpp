#include "utf8.hpp"

#include <algorithm>

namespace common {

Utf8Lead utf8Lead(unsigned char byte) {
  if (byte < 0x80) return {1};
  if (byte >= 0xC2 && byte <= 0xDF) return {2};
  if (byte == 0xE0) return {3, 0xA0};
  if (byte == 0xED) return {3, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF) return {3};
  if (byte == 0xF0) return {4, 0x90};
  if (byte == 0xF4) return {4, 0x80, 0x8F};
  if (byte >= 0xF1 && byte <= 0xF3) return {4};
  return {0};
}

std::size_t validUtf8Length(std::string_view bytes) {
  const Utf8Lead lead = utf8Lead(static_cast<unsigned char>(bytes[0]));
  if (bytes.size() < lead.length) return 0;
  for (std::size_t i = 1; i < lead.length; ++i) {
    const auto next = static_cast<unsigned char>(bytes[i]);
    if (next < (i == 1 ? lead.low : 0x80) || next > (i == 1 ? lead.high : 0xBF)) return 0;
  }
  return lead.length;
}

std::string withInvalidUtf8Replaced(std::string_view bytes) {
  std::string text;
  while (!bytes.empty()) {
    const std::size_t length = validUtf8Length(bytes);
    text += length == 0 ? kReplacementCharacter : bytes.substr(0, length);
    bytes.remove_prefix(std::max<std::size_t>(length, 1));
  }
  return text;
}

}  // namespace common
