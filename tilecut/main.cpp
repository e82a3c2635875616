// tilecut: cuts an uncompressed 24-bit TGA image into square tiles, each written as a TGA file
// of its own in the current directory.
//
// The tile side is the image width divided by the number of tiles across; as many rows of
// tiles are cut as fit into the height. Pixel lines are stored bottom line first, so tile row
// 0 is the top of the picture and is cut last. Tiles are written in the input's file order:
// bottom row first, left to right. Pixel columns and lines that no tile covers are left out.

#include <array>
#include <cstdint>
#include <iostream>
#include <string>
#include <string_view>

#include "app_framework.hpp"
#include "file_system.hpp"
#include "tga.hpp"
#include "tile_grid.hpp"

namespace tilecut {
namespace {

constexpr std::string_view kUsage = "tilecut.exe FILENAME SegmentsHorizontal_X";
constexpr std::size_t kMaxLineBytes = UINT16_MAX * kBytesPerPixel;

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
};

File openInput(const std::string& name) {
  SystemError failure;
  File input = openForReading(name, failure);
  if (!input.isOpen()) throw Refusal{"cannot open " + name + ": " + failure.reason};
  return input;
}

TgaHeader readHeader(File& input, const std::string& name) {
  HeaderBytes raw{};
  const std::optional<std::size_t> got = input.read(raw.data(), raw.size());
  if (!got) throw Refusal{"cannot read " + name + ": " + lastSystemError().reason};
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
  if (!size) throw Refusal{"cannot read " + name + ": " + lastSystemError().reason};
  if (*size < needed) {
    throw Refusal{name + " holds " + std::to_string(*size) + " bytes, but its " +
                  std::to_string(grid.rows) + " rows of tiles need " + std::to_string(needed) +
                  " (pixel data from byte " + std::to_string(grid.pixelStart) + ")"};
  }
}

// Refuses a grid one of whose tile names is the input itself (the same file, under its own name
// or through a link): creating that tile would empty the image before it is cut.
void requireNoTileReplacesInput(File& input, const Grid& grid) {
  const std::optional<FileIdentity> image = input.identity();
  if (!image) return;
  for (std::uint32_t row = 0; row < grid.rows; ++row) {
    for (std::uint32_t column = 0; column < grid.count; ++column) {
      const std::string name = tileName(column, row);
      if (identityAt(name) == image) {
        throw Refusal{"tile " + name + " would replace the input image; cut it in another folder"};
      }
    }
  }
}

// Writes the header, the lines and the footer of one tile whose first line starts at
// `tileStart` in the input; the reason when a read or a write fails.
std::optional<std::string> writeTile(File& input, File& output, const Grid& grid,
                                     std::uint64_t tileStart, const std::string& tileName,
                                     std::array<std::uint8_t, kMaxLineBytes>& line) {
  const auto cannotWrite = [&] {
    return "cannot write " + tileName + ": " + lastSystemError().reason;
  };
  const HeaderBytes header = tileHeader(grid.side);
  if (!output.write(header.data(), header.size())) return cannotWrite();
  const std::size_t tileLineBytes = std::size_t{grid.side} * kBytesPerPixel;
  std::uint64_t position = tileStart;
  for (std::uint16_t y = 0; y < grid.side; ++y, position += grid.lineBytes) {
    if (!input.seek(position) || input.read(line.data(), tileLineBytes) != tileLineBytes) {
      return "the input ends or cannot be read at byte " + std::to_string(position);
    }
    if (!output.write(line.data(), tileLineBytes)) return cannotWrite();
  }
  if (!output.write(kFooter.data(), kFooter.size())) return cannotWrite();
  return std::nullopt;
}

// Cuts one tile; false when the tile file cannot be created, which is reported and skipped.
bool cutTile(File& input, const Grid& grid, std::uint64_t tileStart, const std::string& tileName,
             std::array<std::uint8_t, kMaxLineBytes>& line) {
  SystemError failure;
  File output = createForWriting(tileName, failure);
  if (!output.isOpen()) {
    std::cout << "\n***Error with file " << tileName << "  Colde: " << failure.number << std::endl
              << std::endl;
    return false;
  }
  const std::optional<std::string> broken =
      writeTile(input, output, grid, tileStart, tileName, line);
  if (broken) {
    // A half-written tile is worse than none.
    output.close();
    removeFile(tileName);
    throw Refusal{*broken};
  }
  return true;
}

// Cuts every tile in file order; false when some tile file could not be created.
bool cutTiles(File& input, const Grid& grid) {
  std::array<std::uint8_t, kMaxLineBytes> line{};
  bool allCreated = true;
  for (std::uint32_t row = grid.rows; row-- > 0;) {
    const std::uint64_t linesBefore = std::uint64_t{grid.rows - 1u - row} * grid.side;
    for (std::uint32_t column = 0; column < grid.count; ++column) {
      const std::string name = tileName(column, row);
      std::cout << name << std::endl;
      const std::uint64_t tileStart = grid.pixelStart + linesBefore * grid.lineBytes +
                                      std::uint64_t{column} * grid.side * kBytesPerPixel;
      allCreated = cutTile(input, grid, tileStart, name, line) && allCreated;
    }
  }
  return allCreated;
}

int cutImage(const std::string& name, std::uint32_t count) {
  std::cout << "INPUT: " << name << std::endl;
  File input = openInput(name);
  const TgaHeader header = readHeader(input, name);
  if (header.depthWord != kAcceptedDepthWord) {
    std::cout << std::endl << "***ERROR bitdepth not 24";
    return 1;
  }
  if (header.imageType != kUncompressedTrueColour) {
    throw Refusal{name + " has image type " + std::to_string(header.imageType) +
                  "; only uncompressed true-colour images (type 2) can be cut"};
  }
  const auto side = static_cast<std::uint16_t>(header.width / count);
  if (side == 0) {
    throw Refusal{name + " is " + std::to_string(header.width) + " pixels wide, too narrow for " +
                  std::to_string(count) + " tiles across"};
  }
  const Grid grid{count, side, static_cast<std::uint16_t>(header.height / side),
                  std::uint64_t{header.width} * kBytesPerPixel, pixelDataOffset(header)};
  std::cout << " Input Image Res: " << header.width << "x" << header.height << std::endl;
  std::cout << " Output Image Res: " << grid.side << std::endl;
  std::cout << " SegsY: " << grid.rows << std::endl;
  requireGridInFile(input, name, grid);
  requireNoTileReplacesInput(input, grid);
  return cutTiles(input, grid) ? 0 : 1;
}

int run(const char* name, const char* countText) {
  const std::optional<std::uint32_t> count = parseTileCount(countText);
  try {
    if (!count) {
      throw Refusal{"the number of tiles across \"" + std::string(countText) +
                    "\" is not a whole number of 1 or more"};
    }
    return cutImage(name, *count);
  } catch (const Refusal& refusal) {
    std::cout << "***ERROR " << refusal.message << std::endl;
    return 1;
  }
}

}  // namespace
}  // namespace tilecut

int main(int argc, char** argv) {
  if (!tilecut::startApplicationFramework(argc, argv)) {
    std::cerr << "Fatal Error: MFC initialization failed" << std::endl;
    return 1;
  }
  if (argc < 3) {
    std::cout << tilecut::kUsage;
    return 1;
  }
  return tilecut::run(argv[1], argv[2]);
}
