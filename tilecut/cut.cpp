// tilecut: cuts an uncompressed 24-bit TGA image into square tiles, each written as a TGA file
// of its own in the current directory.
//
// The tile side is the image width divided by the number of tiles across; as many rows of
// tiles are cut as fit into the height. Pixel lines are stored bottom line first, so tile row
// 0 is the top of the picture and is cut last. Tiles are written in the input's file order:
// bottom row first, left to right. Pixel columns and lines that no tile covers are left out.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_system.hpp"
#include "printer.hpp"
#include "run.hpp"
#include "tga.hpp"
#include "tile_grid.hpp"

namespace tilecut {
namespace {

using common::File;
using common::Segment;
using common::SystemError;

// The input is read in bands of whole lines, each covered line once. A band holds a whole tile
// row where one fits, else as many lines as fit; this bounds the memory for any image.
constexpr std::uint64_t kMostBandBytes = std::uint64_t{32} << 20;

// The run cannot go on; the message says what and where.
struct Refusal {
  std::string message;
};

// What is cut: `count` tiles across and `rows` down, each `side` pixels square.
struct Grid {
  std::uint32_t count;
  std::uint16_t side;
  std::uint16_t rows;
  std::uint64_t lineBytes;   // one input line
  std::uint64_t pixelStart;  // file offset of the first pixel line
  std::uint32_t topLines;    // lines at the top of the picture that no tile covers
  std::size_t tileLineBytes() const { return std::size_t{side} * kBytesPerPixel; }
  // File offset of the first line of tile row `row` (row 0 the top, cut last).
  std::uint64_t rowStart(std::uint32_t row) const {
    return pixelStart + std::uint64_t{rows - 1u - row} * side * lineBytes;
  }
};

// Whole lines of the input held in memory, `lines` of them.
struct Band {
  std::vector<std::uint8_t> bytes;
  std::size_t lines = 0;
};

File openInput(const std::string& name) {
  SystemError failure;
  File input = common::openForReading(name, failure);
  if (!input.isOpen()) throw Refusal{"cannot open " + name + ": " + failure.reason};
  return input;
}

TgaHeader readHeader(File& input, const std::string& name) {
  HeaderBytes raw{};
  const std::optional<std::size_t> got = input.readAt(0, raw.data(), raw.size());
  if (!got) throw Refusal{"cannot read " + name + ": " + common::lastSystemError().reason};
  if (*got < raw.size()) {
    throw Refusal{name + " ends at byte " + std::to_string(*got) + " while reading the TGA header"};
  }
  return parseHeader(raw);
}

// Refuses an input that ends before the last pixel line the grid covers, so that no tile is
// written from bytes that were never read.
void requireGridInFile(File& input, const std::string& name, const Grid& grid) {
  if (grid.rows == 0) return;
  const std::uint64_t needed =
      grid.pixelStart + std::uint64_t{grid.rows} * grid.side * grid.lineBytes;
  const std::optional<std::uint64_t> size = input.size();
  if (!size) throw Refusal{"cannot read " + name + ": " + common::lastSystemError().reason};
  if (*size < needed) {
    throw Refusal{name + " holds " + std::to_string(*size) + " bytes, but its " +
                  std::to_string(grid.rows) + " rows of tiles need " + std::to_string(needed) +
                  " (pixel data from byte " + std::to_string(grid.pixelStart) + ")"};
  }
}

// Refuses a grid one of whose tile names is the input itself (the same file, under its own name
// or through a link): creating that tile would empty the image before it is cut.
void requireNoTileReplacesInput(File& input, const Grid& grid) {
  const std::optional<common::FileIdentity> image = input.identity();
  if (!image) return;
  for (std::uint32_t row = 0; row < grid.rows; ++row) {
    for (std::uint32_t column = 0; column < grid.count; ++column) {
      const std::string name = tileName(column, row);
      if (common::identityAt(name) == image) {
        throw Refusal{"tile " + name + " would replace the input image; cut it in another folder"};
      }
    }
  }
}

void readBand(File& input, Band& band, std::uint64_t start, std::size_t lines,
              std::uint64_t lineBytes) {
  const std::size_t size = lines * lineBytes;
  if (input.readAt(start, band.bytes.data(), size) != size) {
    throw Refusal{"the input ends or cannot be read between byte " + std::to_string(start) +
                  " and byte " + std::to_string(start + size)};
  }
  band.lines = lines;
}

// A tile file: open while it is written, closed once it is whole.
struct TileOutput {
  std::string name;
  File file;
  bool created = false;  // false when it could not be created, which was reported
};

void writeToTile(TileOutput& tile, std::span<const Segment> segments) {
  if (!tile.file.write(segments)) {
    throw Refusal{"cannot write " + tile.name + ": " + common::lastSystemError().reason};
  }
}

// Creates the tile's file, reports it, and writes the tile header.
TileOutput startTile(const Grid& grid, std::uint32_t column, std::uint32_t row, Printer& printer) {
  TileOutput tile{tileName(column, row), {}};
  SystemError failure;
  tile.file = common::createForWriting(tile.name, failure);
  tile.created = tile.file.isOpen();
  const std::uint32_t x = column * grid.side;
  const std::uint32_t y = grid.topLines + row * std::uint32_t{grid.side};
  printer.tile({tile.name, column, row, x, y, tile.created, tile.created ? 0 : failure.number});
  if (!tile.created) return tile;
  const HeaderBytes header = tileHeader(grid.side);
  const Segment segment{header.data(), header.size()};
  writeToTile(tile, {&segment, 1});
  return tile;
}

// Writes the part of tile `column` that the band holds: a segment of each of its lines.
void writeBandPart(TileOutput& tile, const Grid& grid, const Band& band, std::uint32_t column,
                   std::vector<Segment>& segments) {
  if (!tile.file.isOpen()) return;
  segments.clear();
  const std::size_t columnStart = std::size_t{column} * grid.tileLineBytes();
  for (std::size_t line = 0; line < band.lines; ++line) {
    segments.push_back(
        {band.bytes.data() + line * grid.lineBytes + columnStart, grid.tileLineBytes()});
  }
  writeToTile(tile, segments);
}

void finishTile(TileOutput& tile) {
  if (!tile.file.isOpen()) return;
  const Segment footer{kFooter.data(), kFooter.size()};
  writeToTile(tile, {&footer, 1});
  tile.file.close();
}

// Cuts tile row `row` from one band that holds all its lines, a tile at a time.
void cutRowFromOneBand(File& input, const Grid& grid, std::uint32_t row, Band& band,
                       std::vector<TileOutput>& tiles, std::vector<Segment>& segments,
                       Printer& printer) {
  readBand(input, band, grid.rowStart(row), grid.side, grid.lineBytes);
  for (std::uint32_t column = 0; column < grid.count; ++column) {
    tiles.push_back(startTile(grid, column, row, printer));
    writeBandPart(tiles.back(), grid, band, column, segments);
    finishTile(tiles.back());
  }
}

// Cuts tile row `row` in several bands: every tile of the row is created first, in order, and
// each band is written to all of them.
void cutRowInBands(File& input, const Grid& grid, std::uint32_t row, Band& band,
                   std::vector<TileOutput>& tiles, std::vector<Segment>& segments,
                   Printer& printer) {
  for (std::uint32_t column = 0; column < grid.count; ++column) {
    tiles.push_back(startTile(grid, column, row, printer));
  }
  const std::size_t bandLines = band.bytes.size() / grid.lineBytes;
  for (std::size_t done = 0; done < grid.side; done += band.lines) {
    const std::size_t lines = std::min<std::size_t>(bandLines, grid.side - done);
    readBand(input, band, grid.rowStart(row) + done * grid.lineBytes, lines, grid.lineBytes);
    for (std::uint32_t column = 0; column < grid.count; ++column) {
      writeBandPart(tiles[column], grid, band, column, segments);
    }
  }
  for (TileOutput& tile : tiles) finishTile(tile);
}

// Cuts every tile in file order; false when some tile file could not be created. A tile left
// half-written by a failed read or write is removed: it is worse than none.
bool cutTiles(File& input, const Grid& grid, Printer& printer) {
  // An image lower than one tile has nothing to cut; its band would be all memory and no use.
  if (grid.rows == 0) return true;
  const std::size_t bandLines =
      static_cast<std::size_t>(std::min<std::uint64_t>(grid.side, kMostBandBytes / grid.lineBytes));
  Band band{std::vector<std::uint8_t>(bandLines * grid.lineBytes)};
  std::vector<TileOutput> tiles;
  std::vector<Segment> segments;
  bool allCreated = true;
  for (std::uint32_t row = grid.rows; row-- > 0;) {
    tiles.clear();
    try {
      if (bandLines == grid.side) {
        cutRowFromOneBand(input, grid, row, band, tiles, segments, printer);
      } else {
        cutRowInBands(input, grid, row, band, tiles, segments, printer);
      }
    } catch (const Refusal&) {
      for (TileOutput& tile : tiles) {
        if (tile.file.isOpen()) {
          tile.file.close();
          common::removeFile(tile.name);
        }
      }
      throw;
    }
    for (const TileOutput& tile : tiles) allCreated = allCreated && tile.created;
  }
  return allCreated;
}

Outcome cutImage(const std::string& name, const TileCount& count, Printer& printer) {
  printer.input(name);
  File input = openInput(name);
  const TgaHeader header = readHeader(input, name);
  printer.header(header);
  if (header.depthWord != kAcceptedDepthWord) return Outcome::depthRefused;
  if (header.imageType != kUncompressedTrueColour) {
    throw Refusal{name + " has image type " + std::to_string(header.imageType) +
                  "; only uncompressed true-colour images (type 2) can be cut"};
  }
  const auto side = static_cast<std::uint16_t>(header.width / count.value);
  if (side == 0) {
    throw Refusal{name + " is " + std::to_string(header.width) + " pixels wide, too narrow for " +
                  count.digits + " tiles across"};
  }
  const auto rows = static_cast<std::uint16_t>(header.height / side);
  const Grid grid{count.value,
                  side,
                  rows,
                  std::uint64_t{header.width} * kBytesPerPixel,
                  pixelDataOffset(header),
                  header.height - std::uint32_t{rows} * side};
  printer.grid(header, {grid.count, grid.side, grid.rows, grid.pixelStart});
  requireGridInFile(input, name, grid);
  requireNoTileReplacesInput(input, grid);
  return cutTiles(input, grid, printer) ? Outcome::cut : Outcome::tileNotCreated;
}

Outcome cutOrRefuse(const char* name, const char* countText, Printer& printer) {
  const std::optional<TileCount> count = parseTileCount(countText);
  if (!count) {
    throw Refusal{"the number of tiles across \"" + std::string(countText) +
                  "\" is not a whole number of 1 or more"};
  }
  return cutImage(name, *count, printer);
}

}  // namespace

int run(const char* name, const char* countText, Form form) {
  const std::unique_ptr<Printer> printer =
      form == Form::json ? makeJsonPrinter() : makeTextPrinter();
  Outcome outcome = Outcome::refused;
  try {
    outcome = cutOrRefuse(name, countText, *printer);
    printer->end(outcome, "");
  } catch (const Refusal& refusal) {
    printer->end(outcome, refusal.message);
  }
  const int exitCode = outcome == Outcome::cut ? 0 : 1;
  return printer->finish() ? exitCode : 1;
}

}  // namespace tilecut
