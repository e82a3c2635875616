#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tilecut {

// The number of tiles across: the whole argument in decimal, 1 or more. Nothing for anything
// else (empty, 0, a sign, letters, trailing characters, a number too large to hold).
std::optional<std::uint32_t> parseTileCount(std::string_view text);

// "T", "x", the column, "x", the row, ".tga"; each index in decimal with at least two digits.
std::string tileName(std::uint32_t column, std::uint32_t row);

}  // namespace tilecut
