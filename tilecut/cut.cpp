// tilecut: cuts a TGA image into square tiles, each written as a TGA file of its own.
//
// The tile side is the image width divided by the number of tiles across; as many rows of
// tiles are cut as fit into the height. Tile row 0 is the top of the picture; pixel columns on
// the right and lines at the top that no tile covers are left out. Tiles are written bottom row
// first, left to right, each with its lines bottom first, whatever the input's origin. Without
// --any-tga only uncompressed 24-bit images of bottom-left origin are cut; with it, every form
// of the TGA format (pixel_lines.cpp reads them), each tile in the input's own pixel format.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_system.hpp"
#include "common/report.hpp"
#include "pixel_lines.hpp"
#include "printer.hpp"
#include "refusal.hpp"
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

// The widest tile a TGA header can state: its width is a 16-bit number.
constexpr std::uint64_t kMostTileSide = 65535;

// The pixel format of the images tilecut cuts without --any-tga.
constexpr PixelFormat kTrueColour24{kBytesPerPixel, false, false, false, false, 0};

// What every tile of the cut begins with, and where the tiles go.
struct Tiles {
  HeaderBytes header;
  std::vector<std::uint8_t> colourMap;  // of a colour-mapped image, copied into every tile
  std::string directory;                // empty for the current one
  bool dryRun;
  std::string pathOf(const std::string& name) const {
    return directory.empty() ? name : directory + "/" + name;
  }
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

std::vector<std::uint8_t> readColourMap(File& input, const std::string& name,
                                        const TgaHeader& header, std::uint32_t bytes) {
  std::vector<std::uint8_t> map(bytes);
  const std::uint64_t start = kHeaderSize + header.idLength;
  if (input.readAt(start, map.data(), bytes) != bytes) {
    throw Refusal{name + " ends or cannot be read in its colour map, between byte " +
                  std::to_string(start) + " and byte " + std::to_string(start + bytes)};
  }
  return map;
}

// Refuses a grid one of whose tiles is the input itself (the same file, under its own name or
// through a link): creating that tile would empty the image before it is cut.
void requireNoTileReplacesInput(File& input, const Grid& grid, const Tiles& tiles) {
  const std::optional<common::FileIdentity> image = input.identity();
  if (!image) return;
  for (std::uint32_t row = 0; row < grid.rows; ++row) {
    for (std::uint32_t column = 0; column < grid.count; ++column) {
      const std::string name = tileName(column, row);
      if (common::identityAt(tiles.pathOf(name)) == image) {
        throw Refusal{"tile " + name + " would replace the input image; cut it in another folder"};
      }
    }
  }
}

// The bands of tile row `row`, `bandLines` lines each, as (first file line, lines), in the order
// they are written: the bottom of the picture first.
std::vector<std::pair<std::uint32_t, std::size_t>> bandsOf(const Grid& grid, std::uint32_t row,
                                                           std::size_t bandLines) {
  std::vector<std::pair<std::uint32_t, std::size_t>> bands;
  const LineRange lines = grid.linesOf(row);
  for (std::size_t done = 0; done < lines.count; done += bandLines) {
    const std::size_t count = std::min<std::size_t>(bandLines, lines.count - done);
    bands.emplace_back(lines.first + static_cast<std::uint32_t>(done), count);
  }
  if (grid.format.topOrigin) std::reverse(bands.begin(), bands.end());
  return bands;
}

// The first file line of every band of the cut, ascending.
std::vector<std::uint32_t> bandStarts(const Grid& grid, std::size_t bandLines) {
  std::vector<std::uint32_t> starts;
  for (std::uint32_t row = 0; row < grid.rows; ++row) {
    for (const auto& band : bandsOf(grid, row, bandLines)) starts.push_back(band.first);
  }
  std::sort(starts.begin(), starts.end());
  return starts;
}

// A tile file: open while it is written, closed once it is whole.
struct TileOutput {
  std::string name;
  std::string path;
  File file;
  bool created = false;  // false when it could not be created, which was reported
  std::uint32_t column = 0;
  std::uint32_t row = 0;
  std::uint32_t linesWritten = 0;  // from the bottom of the tile
};

void writeToTile(TileOutput& tile, std::span<const Segment> segments) {
  if (!tile.file.write(segments)) {
    throw Refusal{"cannot write " + tile.name + ": " + common::lastSystemError().reason};
  }
}

// Creates the tile's file, reports it, and writes the tile header and colour map; in a dry run,
// only reports it.
TileOutput startTile(const Grid& grid, const Tiles& tiles, std::uint32_t column, std::uint32_t row,
                     Printer& printer) {
  TileOutput tile{tileName(column, row), {}, {}, false, column, row};
  tile.path = tiles.pathOf(tile.name);
  SystemError failure;
  if (!tiles.dryRun) tile.file = common::createForWriting(tile.path, failure);
  tile.created = tile.file.isOpen();
  const std::uint32_t x = column * grid.side;
  const std::uint32_t y = grid.topLines() + row * std::uint32_t{grid.side};
  printer.tile({tile.name, column, row, x, y, tile.created, tile.created ? 0 : failure.number});
  if (!tile.created) return tile;
  const Segment start[] = {{tiles.header.data(), tiles.header.size()},
                           {tiles.colourMap.data(), tiles.colourMap.size()}};
  writeToTile(tile, start);
  return tile;
}

// The pieces of a tile's lines, gathered into one write: segments of the band, and the pixels a
// border repeats beyond the picture's edge, copied into `repeated` until they are written. That
// copy is bounded: a tile is written in several parts when its border needs more.
class Gather {
 public:
  explicit Gather(const Grid& grid)
      : bytesPerPixel_(grid.format.bytesPerPixel), mostRepeated_(mostRepeatedOf(grid)) {
    repeated_.reserve(mostRepeated_);
  }

  // Adds the tile's line from `line`, a line of the band.
  void line(TileOutput& tile, const std::uint8_t* line, const TileColumns& columns) {
    const std::size_t repeats = std::size_t{columns.before} + columns.after;
    if (repeated_.size() + repeats * bytesPerPixel_ > mostRepeated_) write(tile);
    repeat(line, columns.before);
    segments_.push_back({line + std::size_t{columns.first} * bytesPerPixel_,
                         std::size_t{columns.count} * bytesPerPixel_});
    repeat(line + (std::size_t{columns.first} + columns.count - 1) * bytesPerPixel_, columns.after);
  }
  void write(TileOutput& tile) {
    if (segments_.empty()) return;
    writeToTile(tile, segments_);
    segments_.clear();
    repeated_.clear();
  }

 private:
  static constexpr std::size_t kRepeatedBytes = std::size_t{1} << 20;

  // A cut without a border repeats nothing, and takes no room for it.
  static std::size_t mostRepeatedOf(const Grid& grid) {
    if (grid.border == 0) return 0;
    return std::max(kRepeatedBytes, std::size_t{2} * grid.border * grid.format.bytesPerPixel);
  }

  void repeat(const std::uint8_t* pixel, std::uint32_t times) {
    if (times == 0) return;
    const std::size_t start = repeated_.size();
    for (std::uint32_t i = 0; i < times; ++i) {
      repeated_.insert(repeated_.end(), pixel, pixel + bytesPerPixel_);
    }
    segments_.push_back({repeated_.data() + start, repeated_.size() - start});
  }

  std::size_t bytesPerPixel_;
  std::size_t mostRepeated_;
  std::vector<std::uint8_t> repeated_;  // never grows past its reserve, so segments stay valid
  std::vector<Segment> segments_;
};

// Writes the lines of the tile that the band holds, the bottom of the picture first.
void writeBandPart(TileOutput& tile, const Grid& grid, const Band& band, Gather& gather) {
  if (!tile.file.isOpen()) return;
  const TileColumns columns = grid.columnsOf(tile.column);
  for (; tile.linesWritten < grid.tileSide(); ++tile.linesWritten) {
    const std::uint32_t line = grid.fileLineOf(tile.row, tile.linesWritten);
    if (line < band.first || line >= band.first + band.lines) break;
    gather.line(tile, band.bytes.data() + (line - band.first) * grid.lineBytes(), columns);
  }
  gather.write(tile);
}

void finishTile(TileOutput& tile) {
  if (!tile.file.isOpen()) return;
  const Segment footer{kFooter.data(), kFooter.size()};
  writeToTile(tile, {&footer, 1});
  tile.file.close();
}

// The input's lines and what the tiles are made of, for one cut.
struct Cut {
  const Grid& grid;
  const Tiles& tiles;
  PixelLines& lines;
  Band& band;
  Printer& printer;
};

// Cuts tile row `row` from one band that holds all its lines, a tile at a time.
void cutRowFromOneBand(Cut& cut, std::uint32_t row, std::vector<TileOutput>& outputs,
                       Gather& gather) {
  const LineRange lines = cut.grid.linesOf(row);
  cut.lines.read(cut.band, lines.first, lines.count);
  for (std::uint32_t column = 0; column < cut.grid.count; ++column) {
    outputs.push_back(startTile(cut.grid, cut.tiles, column, row, cut.printer));
    writeBandPart(outputs.back(), cut.grid, cut.band, gather);
    finishTile(outputs.back());
  }
}

// Cuts tile row `row` in several bands: every tile of the row is created first, in order, and
// each band is written to all of them.
void cutRowInBands(Cut& cut, std::uint32_t row, std::size_t bandLines,
                   std::vector<TileOutput>& outputs, Gather& gather) {
  for (std::uint32_t column = 0; column < cut.grid.count; ++column) {
    outputs.push_back(startTile(cut.grid, cut.tiles, column, row, cut.printer));
  }
  for (const auto& [first, lines] : bandsOf(cut.grid, row, bandLines)) {
    cut.lines.read(cut.band, first, lines);
    for (std::uint32_t column = 0; column < cut.grid.count; ++column) {
      writeBandPart(outputs[column], cut.grid, cut.band, gather);
    }
  }
  for (TileOutput& tile : outputs) finishTile(tile);
}

// Reports every tile as a cut would, creating none.
void listTiles(const Grid& grid, const Tiles& tiles, Printer& printer) {
  for (std::uint32_t row = grid.rows; row-- > 0;) {
    for (std::uint32_t column = 0; column < grid.count; ++column) {
      startTile(grid, tiles, column, row, printer);
    }
  }
}

// Cuts every tile, bottom row first; false when some tile file could not be created. A tile left
// half-written by a failed read or write is removed: it is worse than none.
bool cutTiles(Cut& cut, std::size_t bandLines) {
  std::vector<TileOutput> outputs;
  Gather gather(cut.grid);
  bool allCreated = true;
  for (std::uint32_t row = cut.grid.rows; row-- > 0;) {
    outputs.clear();
    try {
      if (bandLines >= cut.grid.linesOf(row).count) {
        cutRowFromOneBand(cut, row, outputs, gather);
      } else {
        cutRowInBands(cut, row, bandLines, outputs, gather);
      }
    } catch (const Refusal&) {
      for (TileOutput& tile : outputs) {
        if (tile.file.isOpen()) {
          tile.file.close();
          common::removeFile(tile.path);
        }
      }
      throw;
    }
    for (const TileOutput& tile : outputs) allCreated = allCreated && tile.created;
  }
  return allCreated;
}

// Checks the whole input, then cuts it, or lists its tiles in a dry run.
Outcome cutGrid(File& input, const std::string& name, const Grid& grid, const Tiles& tiles,
                std::optional<IndexRange> indices, Printer& printer) {
  // An image lower than one tile has nothing to cut, nor anything to check.
  if (grid.rows == 0) return tiles.dryRun ? Outcome::checked : Outcome::cut;
  // No row of tiles is made of more lines than its tiles are high, nor than the picture has.
  const std::size_t bandLines = static_cast<std::size_t>(std::min<std::uint64_t>(
      std::min(grid.tileSide(), grid.height), kMostBandBytes / grid.lineBytes()));
  PixelLines lines(input, name, grid, indices);
  lines.check(bandStarts(grid, bandLines), bandLines * grid.lineBytes());
  requireNoTileReplacesInput(input, grid, tiles);
  if (tiles.dryRun) {
    listTiles(grid, tiles, printer);
    return Outcome::checked;
  }
  // Only now that the file is known to hold the pixels: a header alone never costs the memory
  // of a band.
  Band band{std::vector<std::uint8_t>(bandLines * grid.lineBytes())};
  Cut cut{grid, tiles, lines, band, printer};
  return cutTiles(cut, bandLines) ? Outcome::cut : Outcome::tileNotCreated;
}

// The pixel format the options let tilecut cut the image in; a refusal otherwise, and whether
// --any-tga would have cut it.
std::optional<PixelFormat> acceptedFormat(const TgaHeader& header, const std::string& name,
                                          const Options& options, bool& anyTgaCutsIt) {
  if (!options.anyTga) {
    std::string ignored;
    anyTgaCutsIt = pixelFormatOf(header, ignored).has_value();
    if (header.depthWord != kAcceptedDepthWord) return std::nullopt;
    if (header.imageType != kUncompressedTrueColour) {
      throw Refusal{name + " has image type " + std::to_string(header.imageType) +
                    "; only uncompressed true-colour images (type 2) can be cut"};
    }
    anyTgaCutsIt = false;
    return kTrueColour24;
  }
  std::string refusal;
  const std::optional<PixelFormat> format = pixelFormatOf(header, refusal);
  if (!format) throw Refusal{name + ": " + refusal};
  return format;
}

Outcome cutImage(const std::string& name, const TileCount& count, std::uint32_t border,
                 const Options& options, Printer& printer, bool& anyTgaCutsIt) {
  printer.input(name);
  File input = openInput(name);
  const TgaHeader header = readHeader(input, name);
  printer.header(header);
  const std::optional<PixelFormat> format = acceptedFormat(header, name, options, anyTgaCutsIt);
  if (!format) return Outcome::depthRefused;
  const auto side = static_cast<std::uint16_t>(header.width / count.value);
  if (side == 0) {
    throw Refusal{name + " is " + std::to_string(header.width) + " pixels wide, too narrow for " +
                  count.digits + " tiles across"};
  }
  if (side + std::uint64_t{2} * border > kMostTileSide) {
    throw Refusal{name + ": a tile of " + std::to_string(side) + " pixels with a border of " +
                  std::to_string(border) + " would be " +
                  std::to_string(side + std::uint64_t{2} * border) +
                  " pixels wide, more than the 65535 a TGA can say"};
  }
  const auto rows = static_cast<std::uint16_t>(header.height / side);
  const Grid grid{.count = count.value,
                  .side = side,
                  .rows = rows,
                  .width = header.width,
                  .height = header.height,
                  .pixelStart = pixelDataOffset(header),
                  .format = *format,
                  .border = border};
  printer.grid(header, {grid.count, grid.side, grid.rows, grid.pixelStart, grid.border});
  const auto tileSide = static_cast<std::uint16_t>(grid.tileSide());
  Tiles tiles{options.anyTga ? tileHeader(tileSide, header, *format) : tileHeader(tileSide),
              {},
              options.directory,
              options.dryRun};
  std::optional<IndexRange> indices;
  if (format->colourMapped && rows > 0) {
    tiles.colourMap = readColourMap(input, name, header, format->colourMapBytes);
    indices = IndexRange{header.colourMapFirst,
                         std::uint32_t{header.colourMapFirst} + header.colourMapLength};
  }
  return cutGrid(input, name, grid, tiles, indices, printer);
}

// A folder for the tiles must be there: tilecut makes none.
void requireFolder(const std::string& directory) {
  if (directory.empty()) return;
  if (!common::isDirectory(directory)) {
    throw Refusal{"the folder " + directory + " for the tiles " +
                  (common::identityAt(directory) ? "is not a folder" : "does not exist")};
  }
}

Outcome cutOrRefuse(const char* name, const char* countText, const Options& options,
                    Printer& printer, bool& anyTgaCutsIt) {
  const std::optional<TileCount> count = parseTileCount(countText);
  if (!count) {
    throw Refusal{"the number of tiles across \"" + std::string(countText) +
                  "\" is not a whole number of 1 or more"};
  }
  const std::optional<std::uint32_t> border =
      options.border ? parseWholeNumber(*options.border) : std::uint32_t{0};
  if (!border) {
    throw Refusal{"the border \"" + *options.border + "\" is not a whole number of 0 or more"};
  }
  requireFolder(options.directory);
  return cutImage(name, *count, *border, options, printer, anyTgaCutsIt);
}

}  // namespace

int run(const char* name, const char* countText, const Options& options) {
  const std::unique_ptr<Printer> printer =
      options.form == common::Form::json ? makeJsonPrinter(options) : makeTextPrinter(options);
  Outcome outcome = Outcome::refused;
  bool anyTgaCutsIt = false;
  try {
    outcome = cutOrRefuse(name, countText, options, *printer, anyTgaCutsIt);
    printer->end(outcome, "");
  } catch (const Refusal& refusal) {
    printer->end(outcome, refusal.message);
  }
  const int exitCode = outcome == Outcome::cut || outcome == Outcome::checked ? 0 : 1;
  const bool written = printer->finish();
  // The report stays as scripts know it; the way to cut the image goes where a person reads,
  // after the report's last line.
  if (anyTgaCutsIt) {
    std::fflush(stdout);
    common::printErrorLine(
        "tilecut: --any-tga (-a) cuts this image, each tile in the image's own "
        "pixel format");
  }
  return written ? exitCode : 1;
}

}  // namespace tilecut
