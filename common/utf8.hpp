#pragma once

// UTF-8 as the tools write and read it: valid sequences only, that is no overlong form, no
// surrogate and nothing above U+10FFFF.

#include <cstddef>
#include <string>
#include <string_view>

namespace common {

// What a byte begins: a sequence of `length` bytes (1 for ASCII, 0 for none), whose second byte
// lies from `low` to `high` and any later ones from 0x80 to 0xBF.
struct Utf8Lead {
  std::size_t length;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
};
Utf8Lead utf8Lead(unsigned char byte);

// The length of the valid sequence at the start of `bytes`, or 0 when there is none there.
std::size_t validUtf8Length(std::string_view bytes);

// `bytes` with each byte that is not part of valid UTF-8 replaced by U+FFFD.
std::string withInvalidUtf8Replaced(std::string_view bytes);

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace common
