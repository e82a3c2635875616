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
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  const std::size_t firstDigit = text.find_first_not_of('0');
  if (firstDigit == std::string_view::npos) return std::nullopt;  // zero
  const std::string_view digits = text.substr(firstDigit);
  std::uint32_t value = kMoreThanAnyWidth;
  // Past six digits, or past the limit, the number is larger than any width.
  if (digits.size() <= 6) {
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    value = std::min(value, kMoreThanAnyWidth);
  }
  return TileCount{value, std::string(digits)};
}

std::optional<std::uint32_t> parseBorder(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  const std::size_t firstDigit = std::min(text.find_first_not_of('0'), text.size());
  const std::string_view digits = text.substr(firstDigit);
  std::uint32_t value = 0;
  if (digits.size() > 6) return kMoreThanAnyWidth;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return std::min(value, kMoreThanAnyWidth);
}

std::string tileName(std::uint32_t column, std::uint32_t row) {
  return "Tx" + twoDigitsAtLeast(column) + "x" + twoDigitsAtLeast(row) + ".tga";
}

}  // namespace tilecut
