// Fuzzing harness for tilecut. The first input byte is the number of tiles across, handed to
// the tool as its decimal text (0 included); the second picks the options: bit 0 --any-tga,
// bit 1 a dry run, bit 2 the tiles into a folder of their own (-C), bits 4 to 7 a border of
// that many pixels (--border, when not 0); the rest is the image. The
// image is cut in the harness's own folder, and the harness aborts, which the fuzzer records as
// a finding, unless a cut wrote exactly the tiles of the grid, each with exactly the bytes an
// independent reading of the image gives, and a refusal or a dry run wrote none. With
// --any-tga that reading also says whether the image must be refused. The same cut with --json
// must end alike and print a document that parses.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "fuzz_support.hpp"
#include "tga_tiles.hpp"
#include "tilecut/run.hpp"

namespace {

constexpr char kImageName[] = "image.tga";
constexpr char kTileFolder[] = "tiles";
// Every tile is a file of its own: more of them slow the runs down fourfold and reach no new
// code.
constexpr std::uint32_t kMostTiles = 16;

using Tiles = std::map<std::string, std::string>;  // by name

std::uint32_t u16At(const std::string& file, std::size_t offset) {
  return static_cast<std::uint8_t>(file[offset]) +
         256u * static_cast<std::uint8_t>(file[offset + 1]);
}

// The tiles of the grid, read independently of the tool: without --any-tga the uncompressed
// 24-bit reading, whatever the header says (the tool's checks decide whether it cuts at all).
Tiles defaultTiles(const std::string& image, std::uint32_t count) {
  Tiles tiles;
  if (image.size() < 18 || count == 0 || u16At(image, 12) / count == 0) return tiles;
  const std::uint32_t width = u16At(image, 12);
  const std::uint32_t side = width / count;
  const std::uint32_t rows = u16At(image, 14) / side;
  std::size_t pixelStart = 18 + static_cast<std::uint8_t>(image[0]);
  if (image[1] == 1)
    pixelStart += u16At(image, 5) * ((static_cast<std::uint8_t>(image[7]) + 7u) / 8u);
  for (std::uint32_t row = 0; row < rows; ++row) {
    for (std::uint32_t column = 0; column < count; ++column) {
      char name[32];
      std::snprintf(name, sizeof name, "Tx%02ux%02u.tga", column, row);
      tiles[name] =
          testing_support::expectedTile(image, pixelStart, width, side, rows, column, row);
    }
  }
  return tiles;
}

// How many tiles the grid has, read from the header alone.
std::uint32_t tilesOfTheGrid(const std::string& image, std::uint32_t count) {
  if (image.size() < 18 || count == 0 || u16At(image, 12) / count == 0) return 0;
  return count * (u16At(image, 14) / (u16At(image, 12) / count));
}

// Removes the tiles the cut wrote, and hands them over.
Tiles takeTiles(const std::filesystem::path& folder) {
  Tiles tiles;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name == kImageName || name == kTileFolder) continue;
    tiles[name] = fuzz_support::readFile(entry.path());
    std::filesystem::remove(entry.path());
  }
  return tiles;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return -1;
  static const bool inOwnFolder = chdir(fuzz_support::ownFolder().c_str()) == 0 &&
                                  std::filesystem::create_directories(kTileFolder);
  if (!inOwnFolder) std::abort();

  const std::uint32_t count = data[0];
  const std::uint32_t border = data[1] >> 4;
  tilecut::Options options{.anyTga = (data[1] & 1) != 0, .dryRun = (data[1] & 2) != 0};
  if ((data[1] & 4) != 0) options.directory = kTileFolder;
  if (border > 0) options.border = std::to_string(border);
  const std::string image(fuzz_support::asText(data + 2, size - 2));
  if (tilesOfTheGrid(image, count) > kMostTiles) return -1;
  fuzz_support::writeFile(kImageName, image);
  const std::filesystem::path folder = options.directory.empty() ? "." : kTileFolder;
  const std::string countText = std::to_string(count);

  const int exitCode = tilecut::run(kImageName, countText.c_str(), options);
  fuzz_support::requireExitCode(exitCode);
  const Tiles written = takeTiles(folder);
  const testing_support::AnyTgaCut expected(image, count, border);
  const std::optional<Tiles> expectedTiles =
      expected.tiles() ? std::optional(Tiles(expected.tiles()->begin(), expected.tiles()->end()))
                       : std::nullopt;
  if (options.anyTga) {
    if ((exitCode == 0) != expectedTiles.has_value()) std::abort();
    if (exitCode == 0 && !options.dryRun && written != *expectedTiles) std::abort();
  } else if (exitCode == 0 && !options.dryRun && border == 0 &&
             written != defaultTiles(image, count)) {
    std::abort();
  } else if (exitCode == 0 && !options.dryRun && border > 0 && expectedTiles &&
             written != *expectedTiles) {
    // The one form tilecut always cut, read as --any-tga reads it, has the same tiles.
    std::abort();
  }
  if ((exitCode == 1 || options.dryRun) && !written.empty()) std::abort();

  // The same cut with --json: the same outcome, the same tiles, and a document that parses.
  std::fflush(stdout);
  fuzz_support::capturedOutput().clear();
  options.form = common::Form::json;
  if (tilecut::run(kImageName, countText.c_str(), options) != exitCode) std::abort();
  fuzz_support::requireJsonDocument();
  if (takeTiles(folder) != written) std::abort();
  return 0;
}
