// Fuzzing harness for tilecut. The first input byte is the number of tiles across, handed to
// the tool as its decimal text (0 included); the rest is the image. The image is cut in the
// harness's own folder, and the harness aborts, which the fuzzer records as a finding, unless
// a cut wrote exactly the tiles the grid rule gives, each with exactly the grid's bytes, and a
// refusal wrote none. The same cut with --json must end alike and print a document that parses.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "fuzz_support.hpp"
#include "tga_tiles.hpp"
#include "tilecut/run.hpp"

namespace {

constexpr char kImageName[] = "image.tga";
// Every tile is a file of its own: more of them slow the runs down fourfold and reach no new
// code.
constexpr std::uint32_t kMostTiles = 16;

// The grid an image's header gives for `count` tiles across, read independently of the tool.
struct Grid {
  std::uint32_t count;
  std::uint32_t width;
  std::uint32_t side;
  std::uint32_t rows;
  std::size_t pixelStart;
  std::uint32_t tiles() const { return count * rows; }
};

std::uint32_t u16At(const std::string& file, std::size_t offset) {
  return static_cast<std::uint8_t>(file[offset]) +
         256u * static_cast<std::uint8_t>(file[offset + 1]);
}

// Nothing when the header is short or no tile fits across.
std::optional<Grid> gridOf(const std::string& image, std::uint32_t count) {
  if (image.size() < 18 || count == 0) return std::nullopt;
  const std::uint32_t width = u16At(image, 12);
  const std::uint32_t side = width / count;
  if (side == 0) return std::nullopt;
  std::size_t pixelStart = 18 + static_cast<std::uint8_t>(image[0]);
  if (image[1] == 1) {
    const std::uint32_t entryBytes = (static_cast<std::uint8_t>(image[7]) + 7u) / 8u;
    pixelStart += u16At(image, 5) * entryBytes;
  }
  return Grid{count, width, side, u16At(image, 14) / side, pixelStart};
}

std::string tileName(std::uint32_t column, std::uint32_t row) {
  char name[32];
  std::snprintf(name, sizeof name, "Tx%02ux%02u.tga", column, row);
  return name;
}

// Removes every file in the folder but the image, that is the tiles the cut wrote, and says
// how many there were.
std::uint32_t removeTiles() {
  std::uint32_t tiles = 0;
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    if (entry.path().filename() == kImageName) continue;
    std::filesystem::remove(entry.path());
    ++tiles;
  }
  return tiles;
}

bool tilesAreTheGrids(const std::string& image, const Grid& grid) {
  for (std::uint32_t row = 0; row < grid.rows; ++row) {
    for (std::uint32_t column = 0; column < grid.count; ++column) {
      const std::string expected = testing_support::expectedTile(image, grid.pixelStart, grid.width,
                                                                 grid.side, grid.rows, column, row);
      if (fuzz_support::readFile(tileName(column, row)) != expected) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return -1;
  static const bool inOwnFolder = chdir(fuzz_support::ownFolder().c_str()) == 0;
  if (!inOwnFolder) std::abort();

  const std::uint32_t count = data[0];
  const std::string image(fuzz_support::asText(data + 1, size - 1));
  const std::optional<Grid> grid = gridOf(image, count);
  if (grid && grid->tiles() > kMostTiles) return -1;
  fuzz_support::writeFile(kImageName, image);

  const int exitCode = tilecut::run(kImageName, std::to_string(count).c_str());
  fuzz_support::requireExitCode(exitCode);
  const bool cutAsTheGridSays = exitCode == 0 && grid && tilesAreTheGrids(image, *grid);
  const std::uint32_t written = removeTiles();
  if (exitCode == 0 && (!cutAsTheGridSays || written != grid->tiles())) std::abort();
  if (exitCode == 1 && written != 0) std::abort();

  // The same cut with --json: the same outcome, the same tiles, and a document that parses.
  std::fflush(stdout);
  fuzz_support::capturedOutput().clear();
  if (tilecut::run(kImageName, std::to_string(count).c_str(), {.form = tilecut::Form::json}) !=
      exitCode) {
    std::abort();
  }
  fuzz_support::requireJsonDocument();
  if (removeTiles() != written) std::abort();
  return 0;
}
