// Pieces appended at once read as if they were appended one by one, on both sides of the length
// up to which they are joined first.

#include "common/text_pieces.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

TEST(TextPieces, AppendedInOrderWhateverTheirLength) {
  // The pieces around the name are 5 bytes: 59 is the longest name joined first.
  for (const std::size_t length : {0, 1, 58, 59, 60, 200}) {
    const std::string name(length, 'n');
    std::string text = "<a";
    common::appendPieces(text, ' ', std::string_view(name), '=', '"', std::string_view("v"), '"');
    EXPECT_EQ(text, "<a " + name + "=\"v\"") << length;
  }
}

}  // namespace
