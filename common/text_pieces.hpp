#pragma once

// The writers append thousands of short pieces to a document: each append is a call into the C++
// library and, in the fuzzing build, a checked copy. Pieces that belong together go in at once.

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace common {

namespace text_pieces {

inline std::size_t sizeOf(char) {
  return 1;
}
inline std::size_t sizeOf(std::string_view piece) {
  return piece.size();
}
inline char* put(char* at, char byte) {
  *at = byte;
  return at + 1;
}
inline char* put(char* at, std::string_view piece) {
  return std::copy(piece.begin(), piece.end(), at);
}

}  // namespace text_pieces

// Appends `pieces`, characters and strings, to `text`, one after the other: with one append when
// they are short, as a key or an attribute is. They are taken by value: a reference to a
// character would give it a place in memory, and in the fuzzing build a checked one.
template <typename... Pieces>
void appendPieces(std::string& text, Pieces... pieces) {
  std::array<char, 64> joined;
  const std::size_t size = (text_pieces::sizeOf(pieces) + ...);
  if (size > joined.size()) {
    ((text += pieces), ...);
    return;
  }
  char* at = joined.data();
  ((at = text_pieces::put(at, pieces)), ...);
  text.append(joined.data(), size);
}

}  // namespace common
