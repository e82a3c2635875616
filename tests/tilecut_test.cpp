// Tests of tilecut: the TGA header and name functions, and the tool spawned in a folder of its
// own on images built here, with its report, exit code and every tile file compared.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "bytes.hpp"
#include "run_tool.hpp"
#include "tga_tiles.hpp"
#include "tilecut/tga.hpp"
#include "tilecut/tile_grid.hpp"

namespace {

using testing_support::Bytes;
using testing_support::RunResult;
using testing_support::ScratchDir;

// Pixel lines in file order (the first is the bottom of the picture), 3 bytes a pixel.
struct Image {
  std::uint16_t width;
  std::uint16_t height;
  std::string pixels;
};

// No two neighbouring pixels alike and no symmetry, so a swapped, shifted or flipped tile shows.
Image patternImage(std::uint16_t width, std::uint16_t height) {
  Image image{width, height, {}};
  image.pixels.reserve(std::size_t{width} * height * 3);
  for (std::uint32_t line = 0; line < height; ++line) {
    for (std::uint32_t x = 0; x < width; ++x) {
      image.pixels.push_back(static_cast<char>(x * 7 + line * 13));
      image.pixels.push_back(static_cast<char>(x));
      image.pixels.push_back(static_cast<char>(line + (x >> 8) * 31));
    }
  }
  return image;
}

struct TgaLayout {
  std::uint8_t imageType = 2;
  std::uint8_t depth = 24;
  std::uint8_t descriptor = 0;
  std::string imageId;
  std::uint16_t colourMapEntries = 0;  // 24-bit entries, colour-map type 1 when not 0
};

std::string tgaFile(const Image& image, const TgaLayout& layout = {}) {
  Bytes file;
  file.u8(static_cast<std::uint8_t>(layout.imageId.size()));
  file.u8(layout.colourMapEntries > 0 ? 1 : 0).u8(layout.imageType);
  file.u16(0).u16(layout.colourMapEntries).u8(layout.colourMapEntries > 0 ? 24 : 0);
  file.u16(0).u16(0).u16(image.width).u16(image.height).u8(layout.depth).u8(layout.descriptor);
  file.raw(layout.imageId).fill(std::size_t{layout.colourMapEntries} * 3, '\x5C');
  return file.raw(image.pixels).str();
}

const std::string kFooter = std::string(8, '\0') + "TRUEVISION-XFILE." + std::string(1, '\0');

// The tile file the grid rule gives for `column` and `row` (row 0 the top of the picture).
std::string expectedTile(const Image& image, std::uint32_t side, std::uint32_t rows,
                         std::uint32_t column, std::uint32_t row) {
  return testing_support::expectedTile(image.pixels, 0, image.width, side, rows, column, row);
}

std::set<std::string> filesIn(const ScratchDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.path().filename() != "in.tga") names.insert(entry.path().filename().string());
  }
  return names;
}

// A cut of `input`; standard error must be `err`: nothing, or the hint that --any-tga cuts it.
RunResult cut(const ScratchDir& dir, const std::string& input, const std::string& count,
              const std::string& err = "") {
  testing_support::writeFile(dir / "in.tga", input);
  RunResult result = testing_support::runTool(TOOL_PATH, {"in.tga", count}, dir.path());
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.err, err);
  return result;
}

const std::string kAnyTgaHint =
    "tilecut: --any-tga (-a) cuts this image, each tile in the image's own pixel format\n";

std::string report(const Image& image, std::uint32_t side, std::uint32_t rows) {
  return "INPUT: in.tga\n Input Image Res: " + std::to_string(image.width) + "x" +
         std::to_string(image.height) + "\n Output Image Res: " + std::to_string(side) +
         "\n SegsY: " + std::to_string(rows) + "\n";
}

// The system's error number for creating a file where a folder stands: EISDIR on POSIX,
// ERROR_ACCESS_DENIED on Windows.
#ifdef _WIN32
constexpr int kCreateOverFolderError = 5;
#else
constexpr int kCreateOverFolderError = 21;
#endif

// Checks the report of cutting `image` into `count` tiles across, the names in cutting order and
// every tile in `tileDir` against the grid rule.
void expectTiles(const RunResult& result, const std::filesystem::path& tileDir,
                 const std::string& report, const Image& image, std::uint32_t count) {
  const std::uint32_t side = image.width / count;
  const std::uint32_t rows = image.height / side;
  std::string expected = report;
  for (std::uint32_t row = rows; row-- > 0;) {
    for (std::uint32_t column = 0; column < count; ++column) {
      const std::string name = tilecut::tileName(column, row);
      expected += name + "\n";
      EXPECT_EQ(testing_support::readFile(tileDir / name),
                expectedTile(image, side, rows, column, row))
          << name;
    }
  }
  EXPECT_EQ(result.out, expected);
  EXPECT_EQ(result.exitCode, 0);
}

std::set<std::string> tileNames(const Image& image, std::uint32_t count) {
  const std::uint32_t side = image.width / count;
  std::set<std::string> names;
  for (std::uint32_t row = 0; row < image.height / side; ++row) {
    for (std::uint32_t column = 0; column < count; ++column) {
      names.insert(tilecut::tileName(column, row));
    }
  }
  return names;
}

// Cuts `image` as in.tga into `count` tiles across in a folder of its own and checks the report
// and the folder: exactly the grid's tiles, each byte for byte.
void expectGrid(const Image& image, std::uint32_t count, const TgaLayout& layout = {}) {
  const std::uint32_t side = image.width / count;
  ScratchDir dir;
  const RunResult result = cut(dir, tgaFile(image, layout), std::to_string(count));
  expectTiles(result, dir.path(), report(image, side, image.height / side), image, count);
  EXPECT_EQ(filesIn(dir), tileNames(image, count));
}

TEST(TileGrid, TileNames) {
  EXPECT_EQ(tilecut::tileName(0, 0), "Tx00x00.tga");
  EXPECT_EQ(tilecut::tileName(3, 1), "Tx03x01.tga");
  EXPECT_EQ(tilecut::tileName(29, 10), "Tx29x10.tga");
  EXPECT_EQ(tilecut::tileName(30, 0), "Tx30x00.tga");
  EXPECT_EQ(tilecut::tileName(100, 7), "Tx100x07.tga");
}

TEST(TileGrid, TileCountArgument) {
  using tilecut::TileCount;
  EXPECT_EQ(tilecut::parseTileCount("1"), (TileCount{1, "1"}));
  EXPECT_EQ(tilecut::parseTileCount("007"), (TileCount{7, "7"}));
  EXPECT_EQ(tilecut::parseTileCount("65535"), (TileCount{65535, "65535"}));
  // Any larger number is more tiles than any image has pixels across.
  EXPECT_EQ(tilecut::parseTileCount("65536"), (TileCount{65536, "65536"}));
  EXPECT_EQ(tilecut::parseTileCount("0099999999999999999999"),
            (TileCount{65536, "99999999999999999999"}));
  for (const char* text : {"", "0", "000", "-4", "+4", " 4", "4x", "abc"}) {
    EXPECT_FALSE(tilecut::parseTileCount(text).has_value()) << '"' << text << '"';
  }
}

TEST(TgaFormat, TileHeaderAndFooterBytes) {
  const tilecut::HeaderBytes header = tilecut::tileHeader(0x0140);
  EXPECT_EQ(std::string(header.begin(), header.end()),
            std::string("\0\0\x02\0\0\0\0\0\0\0\0\0\x40\x01\x40\x01\x18\0", 18));
  EXPECT_EQ(std::string(tilecut::kFooter.begin(), tilecut::kFooter.end()), kFooter);
}

TEST(TgaFormat, PixelDataFollowsImageIdAndColourMap) {
  tilecut::HeaderBytes bytes{};
  bytes[0] = 5;   // image ID length
  bytes[1] = 1;   // a colour map follows
  bytes[5] = 4;   // of 4 entries
  bytes[7] = 15;  // of 15 bits, stored in 2 bytes each
  EXPECT_EQ(tilecut::pixelDataOffset(tilecut::parseHeader(bytes)), 18u + 5u + 8u);
  bytes[1] = 0;  // colour-map fields without a colour map take no room
  EXPECT_EQ(tilecut::pixelDataOffset(tilecut::parseHeader(bytes)), 18u + 5u);
}

TEST(TilecutCommandLine, FewerThanTwoArgumentsPrintUsage) {
  ScratchDir dir;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"in.tga"}}) {
    const RunResult result = testing_support::runTool(TOOL_PATH, args, dir.path());
    EXPECT_EQ(result.out, "tilecut.exe FILENAME SegmentsHorizontal_X");
    EXPECT_EQ(result.exitCode, 1);
  }
  EXPECT_TRUE(filesIn(dir).empty());
}

TEST(TilecutCommandLine, CountThatIsNotAWholeNumberIsRefused) {
  for (const std::string count : {"", "0", "-4", "abc", "4x", "+4"}) {
    ScratchDir dir;
    const RunResult result = cut(dir, tgaFile(patternImage(64, 64)), count);
    EXPECT_EQ(result.out, "***ERROR the number of tiles across \"" + count +
                              "\" is not a whole number of 1 or more\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(filesIn(dir).empty());
  }
}

TEST(TilecutGrid, Image256x128By4) {
  const Image image = patternImage(256, 128);
  expectGrid(image, 4);
  // The layout of one tile, spelled out: 12332 bytes, its header and its footer.
  ScratchDir dir;
  cut(dir, tgaFile(image), "4");
  const std::string tile = testing_support::readFile(dir / "Tx02x00.tga");
  ASSERT_EQ(tile.size(), 12332u);
  EXPECT_EQ(tile.substr(0, 18), std::string("\0\0\x02\0\0\0\0\0\0\0\0\0\x40\0\x40\0\x18\0", 18));
  EXPECT_EQ(tile.substr(12332 - 26), kFooter);
  // Its first pixel is column 128 of the file's line 64.
  EXPECT_EQ(tile.substr(18, 3), image.pixels.substr((64 * 256 + 128) * 3, 3));
}

TEST(TilecutGrid, OtherShapes) {
  expectGrid(patternImage(64, 256), 1);   // a column of four tiles
  expectGrid(patternImage(100, 100), 3);  // the last pixel column and line left out
  expectGrid(patternImage(64, 100), 2);   // the last 4 lines left out
  expectGrid(patternImage(120, 10), 12);  // a count of two digits
  expectGrid(patternImage(40, 2), 40);    // names past index 29
}

TEST(TilecutGrid, OnePixelTilesAre47Bytes) {
  const Image image = patternImage(3, 1);
  expectGrid(image, 3);
  ScratchDir dir;
  cut(dir, tgaFile(image), "3");
  EXPECT_EQ(std::filesystem::file_size(dir / "Tx01x00.tga"), 47u);
}

TEST(TilecutGrid, TileWiderThanTheOldLineBuffer) {
  expectGrid(patternImage(3000, 3000), 1);
}

// A tile row of 255 lines of 65535 pixels (48 MiB) does not fit into one band of the input: it
// is cut in two bands, the second shorter.
TEST(TilecutGrid, TileRowsOfSeveralBands) {
  expectGrid(patternImage(65535, 255), 256);
}

TEST(TilecutGrid, NoRowOfTilesFits) {
  ScratchDir dir;
  const Image image = patternImage(256, 32);
  const RunResult result = cut(dir, tgaFile(image), "2");
  EXPECT_EQ(result.out, report(image, 128, 0));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(filesIn(dir).empty());
}

TEST(TilecutGrid, PixelDataAfterImageIdAndColourMap) {
  TgaLayout layout;
  layout.imageId = "made by hand";
  layout.colourMapEntries = 4;
  expectGrid(patternImage(32, 16), 2, layout);
}

TEST(TilecutRefusals, DepthWordOtherThan24) {
  const std::vector<std::pair<std::uint8_t, std::uint8_t>> depths = {{24, 0x20}, {32, 0}, {8, 0}};
  for (const auto& [depth, descriptor] : depths) {
    ScratchDir dir;
    TgaLayout layout;
    layout.depth = depth;
    layout.descriptor = descriptor;
    // --any-tga cuts a top-left or a 32-bit image; an 8-bit true-colour image is no TGA at all.
    const RunResult result =
        cut(dir, tgaFile(patternImage(8, 8), layout), "2", depth == 8 ? "" : kAnyTgaHint);
    EXPECT_EQ(result.out, "INPUT: in.tga\n\n***ERROR bitdepth not 24");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(filesIn(dir).empty());
  }
}

TEST(TilecutRefusals, ImageTypesOtherThanUncompressedTrueColour) {
  for (const int type : {10, 1, 0}) {
    ScratchDir dir;
    TgaLayout layout;
    layout.imageType = static_cast<std::uint8_t>(type);
    // --any-tga cuts the run-length form; type 1 of 24 bits a pixel and type 0 are no image.
    const RunResult result =
        cut(dir, tgaFile(patternImage(8, 8), layout), "2", type == 10 ? kAnyTgaHint : "");
    EXPECT_EQ(result.out, "INPUT: in.tga\n***ERROR in.tga has image type " + std::to_string(type) +
                              "; only uncompressed true-colour images (type 2) can be cut\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(filesIn(dir).empty());
  }
}

TEST(TilecutRefusals, InputThatCannotBeOpenedOrIsTooShort) {
  ScratchDir dir;
  RunResult result = testing_support::runTool(TOOL_PATH, {"missing.tga", "2"}, dir.path());
  EXPECT_EQ(result.out,
            "INPUT: missing.tga\n***ERROR cannot open missing.tga: No such file or directory\n");
  EXPECT_EQ(result.exitCode, 1);

  std::filesystem::create_directory(dir / "folder.tga");
  result = testing_support::runTool(TOOL_PATH, {"folder.tga", "2"}, dir.path());
  EXPECT_EQ(result.out, "INPUT: folder.tga\n***ERROR cannot open folder.tga: Is a directory\n");
  EXPECT_EQ(result.exitCode, 1);

  const std::string image = tgaFile(patternImage(16, 8));
  result = cut(dir, image.substr(0, 17), "2");
  EXPECT_EQ(result.out,
            "INPUT: in.tga\n***ERROR in.tga ends at byte 17 while reading the TGA header\n");
  EXPECT_EQ(result.exitCode, 1);

  // Two rows of 8-pixel tiles need all 8 lines: 18 + 8 * 48 bytes.
  result = cut(dir, image.substr(0, image.size() - 1), "2");
  EXPECT_EQ(result.out, report(patternImage(16, 8), 8, 1) +
                            "***ERROR in.tga holds 401 bytes, but its 1 rows of tiles need 402 "
                            "(pixel data from byte 18)\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(filesIn(dir), (std::set<std::string>{"folder.tga"}));
}

TEST(TilecutRefusals, TileThatWouldReplaceTheInput) {
  ScratchDir dir;
  const Image image = patternImage(16, 8);
  const std::string input = tgaFile(image);
  testing_support::writeFile(dir / "Tx01x00.tga", input);
  const RunResult result = testing_support::runTool(TOOL_PATH, {"Tx01x00.tga", "2"}, dir.path());
  EXPECT_EQ(result.out,
            "INPUT: Tx01x00.tga\n Input Image Res: 16x8\n Output Image Res: 8\n"
            " SegsY: 1\n***ERROR tile Tx01x00.tga would replace the input image; cut "
            "it in another folder\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(testing_support::readFile(dir / "Tx01x00.tga"), input);
  EXPECT_EQ(filesIn(dir), (std::set<std::string>{"Tx01x00.tga"}));
}

TEST(TilecutRefusals, CountAboveTheWidth) {
  for (const std::string count : {"9", "4294967297", "99999999999999999999"}) {
    ScratchDir dir;
    const RunResult result = cut(dir, tgaFile(patternImage(8, 8)), count);
    EXPECT_EQ(result.out, "INPUT: in.tga\n***ERROR in.tga is 8 pixels wide, too narrow for " +
                              count + " tiles across\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(filesIn(dir).empty());
  }
}

TEST(TilecutRefusals, TileThatCannotBeCreatedIsSkipped) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "Tx00x01.tga");
  const Image image = patternImage(256, 128);
  const RunResult result = cut(dir, tgaFile(image), "4");
  std::string expected = report(image, 64, 2);
  for (std::uint32_t row = 2; row-- > 0;) {
    for (std::uint32_t column = 0; column < 4; ++column) {
      const std::string name = tilecut::tileName(column, row);
      expected += name + "\n";
      if (name == "Tx00x01.tga") {
        expected +=
            "\n***Error with file Tx00x01.tga  Colde: " + std::to_string(kCreateOverFolderError) +
            "\n\n";
        continue;
      }
      EXPECT_EQ(testing_support::readFile(dir / name), expectedTile(image, 64, 2, column, row));
    }
  }
  EXPECT_EQ(result.out, expected);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Tx00x01.tga"));
}

// Pixel bytes that a text-mode file would translate: newline, carriage return and the end-of-file
// mark, also as CR LF pairs.
TEST(TilecutFiles, LineEndBytesInPixelsComeOutUnchanged) {
  Image image{8, 8, {}};
  const std::string bytes = "\n\r\x1a\r\n\n\x1a";
  for (std::size_t i = 0; i < 8u * 8u * 3u; ++i) image.pixels += bytes[i % bytes.size()];
  expectGrid(image, 2);
}

TEST(TilecutFiles, TilesOfAnEarlierRunAreReplaced) {
  ScratchDir dir;
  cut(dir, tgaFile(patternImage(32, 16)), "2");
  // Another image of the same grid: every tile of the first run must now hold its bytes.
  Image second = patternImage(32, 16);
  for (char& byte : second.pixels) byte = static_cast<char>(~byte);
  const RunResult result = cut(dir, tgaFile(second), "2");
  expectTiles(result, dir.path(), report(second, 16, 1), second, 2);
  EXPECT_EQ(filesIn(dir), tileNames(second, 2));
}

TEST(TilecutFiles, NamesOutsideAscii) {
  ScratchDir dir;
  const Image image = patternImage(32, 16);
  const std::string input = testing_support::utf8(u8"текстура.tga");
  testing_support::writeFile(dir / input, tgaFile(image));
  const std::filesystem::path tileDir = dir / testing_support::utf8(u8"テクスチャ");
  std::filesystem::create_directory(tileDir);
  const RunResult result = testing_support::runTool(TOOL_PATH, {"../" + input, "2"}, tileDir);
  EXPECT_EQ(result.err, "");
  const std::string opening =
      "INPUT: ../" + input + "\n Input Image Res: 32x16\n" + " Output Image Res: 16\n SegsY: 1\n";
  expectTiles(result, tileDir, opening, image, 2);
}

}  // namespace

// --json is the manifest of the cut: every tile file holds exactly the square of the picture
// that its entry names (x, y from the top-left corner), and what no tile covers is named.
TEST(TilecutJson, EveryTileCoversTheSquareItsEntryNames) {
  const Image image = patternImage(11, 8);  // cut 3 across: side 3, 2 rows, 2 columns and
  ScratchDir dir;                           // 2 lines left out
  testing_support::writeFile(dir / "in.tga", tgaFile(image));
  const RunResult result =
      testing_support::runTool(TOOL_PATH, {"--json", "in.tga", "3"}, dir.path());
  EXPECT_EQ(result.exitCode, 0);
  const auto manifest = nlohmann::ordered_json::parse(result.out);
  EXPECT_EQ(manifest["grid"]["tileSide"], 3);
  EXPECT_EQ(manifest["leftOut"],
            nlohmann::ordered_json::parse(R"({"rightColumns":2,"topLines":2})"));
  EXPECT_EQ(manifest["end"]["outcome"], "cut");
  ASSERT_EQ(manifest["tiles"].size(), 6u);
  for (const auto& tile : manifest["tiles"]) {
    const std::uint32_t x = tile["x"];
    const std::uint32_t y = tile["y"];
    const std::uint32_t side = tile["side"];
    std::string square;  // the tile's lines, bottom first, as a TGA stores them
    for (std::uint32_t line = side; line-- > 0;) {
      const std::size_t fileLine = image.height - 1 - (y + line);
      square += image.pixels.substr((fileLine * image.width + x) * 3, side * 3);
    }
    const std::string written = testing_support::readFile(dir / tile["name"].get<std::string>());
    EXPECT_EQ(written.substr(18, square.size()), square) << tile.dump();
  }
}

// --any-tga: every form of TGA, its tiles in the image's own pixel format; the options that
// go with it; and what a reader of each form refuses.
namespace any_tga {

using testing_support::AnyTgaCut;

// `image` stored as `descriptor` says (bit 5 top line first, bit 4 right to left), in the
// run-length form where asked: the same picture in other bytes.
std::string storedAs(const Image& image, std::uint8_t descriptor, bool runLength) {
  std::string pixels;
  for (std::uint32_t i = 0; i < image.height; ++i) {
    const std::uint32_t line = (descriptor & 0x20) != 0 ? image.height - 1 - i : i;
    for (std::uint32_t j = 0; j < image.width; ++j) {
      const std::uint32_t x = (descriptor & 0x10) != 0 ? image.width - 1 - j : j;
      pixels += image.pixels.substr((std::size_t{line} * image.width + x) * 3, 3);
    }
  }
  Bytes file;
  file.u8(0).u8(0).u8(runLength ? 10 : 2).fill(9, '\0').u16(image.width).u16(image.height);
  file.u8(24).u8(descriptor);
  return file.raw(runLength ? testing_support::runLengthPackets(pixels, 3) : pixels).str();
}

// An image of 8-bit indices into a map of 16 24-bit entries, whose first index is 3.
std::string colourMapped(std::uint16_t width, std::uint16_t height, bool runLength) {
  std::string indices;
  for (std::uint32_t i = 0; i < std::uint32_t{width} * height; ++i) {
    indices += static_cast<char>(3 + (i * 7 / 3) % 16);
  }
  Bytes file;
  file.u8(0).u8(1).u8(runLength ? 9 : 1).u16(3).u16(16).u8(24).u16(0).u16(0).u16(width).u16(height);
  file.u8(8).u8(0);
  for (int entry = 0; entry < 16; ++entry)
    file.u8(static_cast<std::uint8_t>(entry * 16)).u8(7).u8(9);
  return file.raw(runLength ? testing_support::runLengthPackets(indices, 1) : indices).str();
}

RunResult cutAnyTga(const ScratchDir& dir, const std::string& input, const std::string& count,
                    std::vector<std::string> options = {}) {
  testing_support::writeFile(dir / "in.tga", input);
  options.insert(options.begin(), "-a");
  options.push_back("in.tga");
  options.push_back(count);
  RunResult result = testing_support::runTool(TOOL_PATH, options, dir.path());
  EXPECT_EQ(result.err, "");
  return result;
}

// The folder holds exactly the tiles an independent reading of the format gives.
void expectTilesOf(const ScratchDir& dir, const std::string& input, std::uint32_t count) {
  const AnyTgaCut expected(input, count);
  ASSERT_TRUE(expected.tiles().has_value());
  std::set<std::string> names;
  for (const auto& [name, bytes] : *expected.tiles()) {
    names.insert(name);
    EXPECT_EQ(testing_support::readFile(dir / name), bytes) << name;
  }
  EXPECT_EQ(filesIn(dir), names);
}

TEST(TilecutAnyTga, EveryOriginAndTheRunLengthFormCutAsTheBottomLeftTwin) {
  const Image image = patternImage(37, 29);
  ScratchDir twinDir;
  const RunResult twin = cut(twinDir, tgaFile(image), "3");
  for (const std::uint8_t descriptor : std::vector<std::uint8_t>{0x00, 0x10, 0x20, 0x30}) {
    for (const bool runLength : {false, true}) {
      SCOPED_TRACE("descriptor " + std::to_string(descriptor) + (runLength ? ", run-length" : ""));
      ScratchDir dir;
      const RunResult result = cutAnyTga(dir, storedAs(image, descriptor, runLength), "3");
      EXPECT_EQ(result.out, twin.out);
      EXPECT_EQ(result.exitCode, 0);
      for (const std::string& name : tileNames(image, 3)) {
        EXPECT_EQ(testing_support::readFile(dir / name), testing_support::readFile(twinDir / name))
            << name;
      }
      expectTilesOf(dir, storedAs(image, descriptor, runLength), 3);
    }
  }
}

TEST(TilecutAnyTga, ColourMappedTilesCarryTheMap) {
  for (const bool runLength : {false, true}) {
    ScratchDir dir;
    const std::string input = colourMapped(20, 9, runLength);
    const RunResult result = cutAnyTga(dir, input, "4");
    EXPECT_EQ(result.exitCode, 0) << result.out;
    expectTilesOf(dir, input, 4);
    // The map goes into every tile whole: 18 + 48 bytes before the 5 × 5 indices.
    EXPECT_EQ(testing_support::readFile(dir / "Tx00x00.tga").substr(18, 48), input.substr(18, 48));
  }
}

TEST(TilecutAnyTga, EveryCutOfARunLengthImageIsRefusedWithNoTile) {
  const std::string input = storedAs(patternImage(9, 6), 0x20, true);
  for (std::size_t length = 18; length < input.size(); ++length) {
    SCOPED_TRACE(length);
    ScratchDir dir;
    const RunResult result = cutAnyTga(dir, input.substr(0, length), "3");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("***ERROR in.tga: the run-length pixel data ends at byte " +
                              std::to_string(length) + ", in the packet at byte "),
              std::string::npos)
        << result.out;
    EXPECT_TRUE(filesIn(dir).empty());
  }
}

// One header field at a time, set to a value no reader of the image's form takes.
TEST(TilecutAnyTga, HeadersNoReaderTakesAreRefusedByFieldAndOffset) {
  const std::string plain = storedAs(patternImage(8, 8), 0, false);
  const auto with = [&](std::size_t offset, std::uint8_t value) {
    std::string file = plain;
    file[offset] = static_cast<char>(value);
    return file;
  };
  const std::vector<std::pair<std::string, std::string>> cases = {
      {with(2, 4),
       "the image type at byte 2 is 4: tilecut reads 1, 2 and 3 (colour-mapped, true-colour and "
       "grey) and 9, 10 and 11 (their run-length forms)"},
      {with(1, 2), "the colour map type at byte 1 is 2: 0 (none) or 1"},
      {with(2, 1), "the colour map type at byte 1 is 0, but a colour-mapped image has one"},
      {with(16, 12),
       "the pixel depth at byte 16 is 12 bits: an image of type 2 has 15, 16, 24 or 32"},
      {with(17, 0x40),
       "the descriptor at byte 17 is 64: its bits 6 and 7 (interleaved lines) are 0 in every "
       "image tilecut reads"},
      {with(17, 0x08),
       "the descriptor at byte 17 declares 8 alpha bits, and 24-bit colours hold at most 0"},
  };
  for (const auto& [input, reason] : cases) {
    ScratchDir dir;
    const RunResult result = cutAnyTga(dir, input, "2");
    EXPECT_EQ(result.out, "INPUT: in.tga\n***ERROR in.tga: " + reason + "\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(filesIn(dir).empty());
  }
}

TEST(TilecutAnyTga, BrokenPixelDataIsRefusedBeforeAnyTile) {
  const std::string opening =
      "INPUT: in.tga\n Input Image Res: 20x9\n Output Image Res: 5\n SegsY: 1\n";
  std::string beyondTheMap = colourMapped(20, 9, false);
  beyondTheMap[66 + 50] = 19;  // in a line the tiles cover; the map's entries are 3 to 18
  // 180 pixels: repeat packets of 128 and of 60, which runs 8 past the last.
  const std::string overrun = colourMapped(20, 9, true).substr(0, 66) + "\xff\x04\xbb\x05";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {beyondTheMap,
       "the colour index 19 at byte 116 is not in the colour map, whose entries are 3 to 18\n"},
      {colourMapped(20, 9, true).substr(0, 100), "the run-length pixel data ends at byte 100"},
      {overrun, "the run-length packet at byte 68 runs past the last pixel of the picture\n"},
  };
  for (const auto& [input, reason] : cases) {
    ScratchDir dir;
    const RunResult result = cutAnyTga(dir, input, "4");
    EXPECT_EQ(result.out.rfind(opening + "***ERROR in.tga: " + reason, 0), 0u) << result.out;
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(filesIn(dir).empty());
  }
}

TEST(TilecutOptions, TilesIntoAFolderThatMustExist) {
  const Image image = patternImage(12, 6);
  ScratchDir dir;
  std::filesystem::create_directory(dir / "out");
  RunResult result = cutAnyTga(dir, tgaFile(image), "2", {"-C", "out"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(filesIn(dir), std::set<std::string>{"out"});
  expectTiles(result, dir / "out", report(image, 6, 1), image, 2);

  result = cutAnyTga(dir, tgaFile(image), "2", {"--directory=missing"});
  EXPECT_EQ(result.out, "***ERROR the folder missing for the tiles does not exist\n");
  EXPECT_EQ(result.exitCode, 1);
  result = cutAnyTga(dir, tgaFile(image), "2", {"--directory", "in.tga"});
  EXPECT_EQ(result.out, "***ERROR the folder in.tga for the tiles is not a folder\n");
  result = testing_support::runTool(TOOL_PATH, {"-C"}, dir.path());
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "***ERROR --directory takes DIR: see tilecut --help\n");
  EXPECT_EQ(result.exitCode, 1);
  // After the operands, as a user may type it.
  std::filesystem::remove_all(dir / "out");
  std::filesystem::create_directory(dir / "out");
  result = testing_support::runTool(TOOL_PATH, {"in.tga", "2", "-C", "out"}, dir.path());
  expectTiles(result, dir / "out", report(image, 6, 1), image, 2);
  EXPECT_EQ(filesIn(dir), std::set<std::string>{"out"});
}

TEST(TilecutOptions, ADryRunReportsTheCutAndCreatesNoFile) {
  const Image image = patternImage(12, 6);
  ScratchDir dir;
  RunResult result = cutAnyTga(dir, tgaFile(image), "2", {"-n"});
  EXPECT_EQ(result.out, report(image, 6, 1) +
                            "Tx00x00.tga\nTx01x00.tga\n"
                            "<<dry run: 2 tiles to write, nothing written>>\n");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(filesIn(dir).empty());

  result = cutAnyTga(dir, tgaFile(image), "2", {"--dry-run", "--json"});
  const auto manifest = nlohmann::ordered_json::parse(result.out);
  EXPECT_EQ(manifest["dryRun"], true);
  EXPECT_EQ(manifest["end"]["outcome"], "checked");
  EXPECT_FALSE(manifest["tiles"][0].contains("created"));
  EXPECT_TRUE(filesIn(dir).empty());
}

}  // namespace any_tga

// --border 0 is the cut without the option, byte for byte; a border makes every tile larger by
// twice its width, and the report says so; a border that is no whole number, or that makes a
// tile wider than a TGA can say, is refused before any file is created. The pixels of bordered
// tiles are held to Pillow, numpy and libvips in tga_forms.py.
TEST(TilecutOptions, BorderZeroIsTheCutWithoutOneAndBadBordersAreRefused) {
  const std::string input = tgaFile(patternImage(12, 6));
  ScratchDir plain;
  const RunResult without = cut(plain, input, "2");
  ScratchDir zero;
  testing_support::writeFile(zero / "in.tga", input);
  RunResult result =
      testing_support::runTool(TOOL_PATH, {"in.tga", "2", "--border", "0"}, zero.path());
  EXPECT_EQ(result.out, without.out);
  EXPECT_EQ(filesIn(zero), filesIn(plain));
  for (const std::string& name : filesIn(plain)) {
    EXPECT_EQ(testing_support::readFile(zero / name), testing_support::readFile(plain / name));
  }

  ScratchDir bordered;
  testing_support::writeFile(bordered / "in.tga", input);
  result = testing_support::runTool(TOOL_PATH, {"-b", "3", "in.tga", "2"}, bordered.path());
  EXPECT_EQ(result.out,
            "INPUT: in.tga\n Input Image Res: 12x6\n Output Image Res: 12\n SegsY: 1\n"
            " Border: 3\nTx00x00.tga\nTx01x00.tga\n");
  EXPECT_EQ(testing_support::readFile(bordered / "Tx01x00.tga").size(), 18u + 12 * 12 * 3 + 26);

  const std::vector<std::pair<std::string, std::string>> refusals = {
      {"x", "***ERROR the border \"x\" is not a whole number of 0 or more\n"},
      {"-1", "***ERROR the border \"-1\" is not a whole number of 0 or more\n"},
      {"32765",
       "INPUT: in.tga\n***ERROR in.tga: a tile of 6 pixels with a border of 32765 would be 65536 "
       "pixels wide, more than the 65535 a TGA can say\n"},
  };
  for (const auto& [border, out] : refusals) {
    ScratchDir dir;
    testing_support::writeFile(dir / "in.tga", input);
    result = testing_support::runTool(TOOL_PATH, {"-b", border, "in.tga", "2"}, dir.path());
    EXPECT_EQ(result.out, out);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(filesIn(dir).empty());
  }
}
