#pragma once

// The tile files tilecut must write, derived from the grid rule.

#include <cstdint>
#include <string>

#include "bytes.hpp"

namespace testing_support {

// The tile in `column` and `row` (row 0 the top of the picture) of an image `width` pixels
// wide whose pixel lines start at `pixelStart` in `file`: its header, its lines in file order
// and the TGA 2.0 footer.
inline std::string expectedTile(const std::string& file, std::size_t pixelStart,
                                std::uint32_t width, std::uint32_t side, std::uint32_t rows,
                                std::uint32_t column, std::uint32_t row) {
  Bytes tile;
  tile.raw(std::string("\0\0\x02\0\0\0\0\0\0\0\0\0", 12));
  tile.u16(static_cast<std::uint16_t>(side)).u16(static_cast<std::uint16_t>(side)).u8(24).u8(0);
  for (std::uint32_t y = 0; y < side; ++y) {
    const std::size_t line = std::size_t{rows - 1 - row} * side + y;
    tile.raw(file.substr(pixelStart + (line * width + std::size_t{column} * side) * 3, side * 3));
  }
  tile.fill(8, '\0').raw("TRUEVISION-XFILE.").u8(0);
  return tile.str();
}

}  // namespace testing_support
