#include "tile_grid.hpp"

#include <algorithm>
#include <charconv>

namespace tilecut {

namespace {

std::string twoDigitsAtLeast(std::uint32_t index) {
  std::string digits = std::to_string(index);
  if (digits.size() < 2) digits.insert(digits.begin(), '0');
  return digits;
}

}  // namespace

std::optional<TileCount> parseTileCount(std::string_view text) {
  const std::optional<std::uint32_t> value = parseWholeNumber(text);
  if (!value || *value == 0) return std::nullopt;
  return TileCount{*value, std::string(text.substr(text.find_first_not_of('0')))};
}

std::optional<std::uint32_t> parseWholeNumber(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view digits = text.substr(std::min(text.find_first_not_of('0'), text.size()));
  // Past six digits, or past the limit, the number is larger than any width.
  if (digits.size() > 6) return kMoreThanAnyWidth;
  std::uint32_t value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return std::min(value, kMoreThanAnyWidth);
}

std::string tileName(std::uint32_t column, std::uint32_t row) {
  return "Tx" + twoDigitsAtLeast(column) + "x" + twoDigitsAtLeast(row) + ".tga";
}

}  // namespace tilecut
