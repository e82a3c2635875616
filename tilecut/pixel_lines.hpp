#pragma once

// The grid of a cut and the input's pixel lines that it covers, read a band of whole lines at a
// time: straight from the file, or decoded from its run-length packets. Lines stand in the file
// bottom line first, or top line first (descriptor bit 5); a band is always made to run from
// left to right, so that a tile's pixels are a segment of each of its lines.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/file_system.hpp"
#include "run_length.hpp"
#include "tga.hpp"

namespace tilecut {

// File lines `first` to `first + count - 1`.
struct LineRange {
  std::uint32_t first;
  std::uint32_t count;
  std::uint32_t end() const { return first + count; }
};

// The pixel columns of one line of a tile: `before` copies of the picture's first pixel where
// the tile's border reaches past its left edge, `count` pixels from `first`, and `after` copies
// of its last pixel past its right edge.
struct TileColumns {
  std::uint32_t before;
  std::uint32_t first;
  std::uint32_t count;
  std::uint32_t after;
};

// What is cut: `count` tiles across and `rows` down, each covering a square of `side` pixels,
// from an image of `width` × `height` pixels stored in `format`. Each tile holds its square and
// `border` pixels around it on every side: the picture's own, and beyond the picture's edge the
// nearest edge pixel.
struct Grid {
  std::uint32_t count;
  std::uint16_t side;
  std::uint16_t rows;
  std::uint32_t width;
  std::uint32_t height;
  std::uint64_t pixelStart;  // file offset of the first pixel line
  PixelFormat format;
  std::uint32_t border = 0;

  std::uint32_t topLines() const { return height - std::uint32_t{rows} * side; }
  std::uint64_t lineBytes() const { return std::uint64_t{width} * format.bytesPerPixel; }
  // The side of a tile file: its square and its border.
  std::uint32_t tileSide() const { return side + 2 * border; }
  // The file lines that tile row `row` is made of; they follow one another in the file.
  LineRange linesOf(std::uint32_t row) const;
  // The file line of line `line` of a tile of row `row`, its lines counted from the bottom.
  std::uint32_t fileLineOf(std::uint32_t row, std::uint32_t line) const;
  TileColumns columnsOf(std::uint32_t column) const;
  // The file lines from the first to the last that a tile is made of.
  LineRange covered() const;
};

// Whole lines of the input in memory: `lines` of them from file line `first`.
struct Band {
  std::vector<std::uint8_t> bytes;
  std::uint32_t first = 0;
  std::size_t lines = 0;
};

class PixelLines {
 public:
  PixelLines(common::File& input, const std::string& name, const Grid& grid,
             std::optional<IndexRange> indices);

  // Before any tile is written: refuses an input whose pixel data ends before the lines the
  // tiles cover, whose run-length stream is broken, or that holds a colour index beyond its
  // map; and marks where each of `bandStarts` (file lines, ascending) begins in the stream.
  // Indices are read at most `bandBytes` at a time.
  void check(const std::vector<std::uint32_t>& bandStarts, std::uint64_t bandBytes);
  // Reads `lines` lines from file line `first`, running from left to right.
  void read(Band& band, std::uint32_t first, std::size_t lines);

 private:
  void checkStoredIndices(std::uint64_t bandBytes);
  void checkRunLengthStream(const std::vector<std::uint32_t>& bandStarts);
  void readStored(Band& band, std::uint32_t first, std::size_t lines);

  common::File& input_;
  const std::string& name_;
  const Grid& grid_;
  std::optional<IndexRange> indices_;
  std::optional<RunLengthPixels> runLength_;
  std::vector<std::pair<std::uint32_t, RunLengthPixels::Mark>> marks_;  // by file line
};

}  // namespace tilecut
