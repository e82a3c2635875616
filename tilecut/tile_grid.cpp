#include "tile_grid.hpp"

#include <charconv>

namespace tilecut {

namespace {

std::string twoDigitsAtLeast(std::uint32_t index) {
  std::string digits = std::to_string(index);
  if (digits.size() < 2) digits.insert(digits.begin(), '0');
  return digits;
}

}  // namespace

std::optional<std::uint32_t> parseTileCount(std::string_view text) {
  std::uint32_t count = 0;
  const char* end = text.data() + text.size();
  // from_chars takes no sign other than '-', which it refuses for an unsigned type.
  const auto [stop, error] = std::from_chars(text.data(), end, count);
  if (text.empty() || error != std::errc() || stop != end || count == 0) return std::nullopt;
  return count;
}

std::string tileName(std::uint32_t column, std::uint32_t row) {
  return "Tx" + twoDigitsAtLeast(column) + "x" + twoDigitsAtLeast(row) + ".tga";
}

}  // namespace tilecut
