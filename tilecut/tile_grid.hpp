#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tilecut {

// More tiles across than any TGA image has pixels: its width is a 16-bit number.
constexpr std::uint32_t kMoreThanAnyWidth = 65536;

// The number of tiles across as given: `digits` without leading zeros, and `value` the number,
// or kMoreThanAnyWidth for any larger one, however many digits it has.
struct TileCount {
  std::uint32_t value;
  std::string digits;
  bool operator==(const TileCount&) const = default;
};

// The whole argument in decimal digits, 1 or more. Nothing for anything else (empty, 0, a sign,
// a space, letters, trailing characters).
std::optional<TileCount> parseTileCount(std::string_view text);

// A whole number of 0 or more in decimal digits, any number of them (a border); a number larger
// than any width is kMoreThanAnyWidth. Nothing for anything else (empty, a sign, a space,
// letters, trailing characters).
std::optional<std::uint32_t> parseWholeNumber(std::string_view text);

// "T", "x", the column, "x", the row, ".tga"; each index in decimal with at least two digits.
std::string tileName(std::uint32_t column, std::uint32_t row);

}  // namespace tilecut
