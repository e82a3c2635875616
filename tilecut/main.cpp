// tilecut: cuts an uncompressed 24-bit TGA image into square tiles, each written as a TGA file
// of its own in the current directory.
//
// The tile side is the image width divided by the number of tiles across; as many rows of
// tiles are cut as fit into the height. Pixel lines are stored bottom line first, so tile row
// 0 is the top of the picture and is cut last. Tiles are written in the input's file order:
// bottom row first, left to right. Pixel columns and lines that no tile covers are left out.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "app_framework.hpp"
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

// A file descriptor that is closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// What is cut: `count` tiles across and `rows` down, each `side` pixels square.
struct Grid {
  std::uint32_t count;
  std::uint16_t side;
  std::uint16_t rows;
  std::uint64_t lineBytes;   // one input line
  std::uint64_t pixelStart;  // file offset of the first pixel line
};

// Reads until `size` bytes are in or the file ends; the number read, or -1 on an error.
std::int64_t readFully(int fd, std::uint8_t* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = read(fd, buffer + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<std::int64_t>(done);
}

bool writeFully(int fd, const std::uint8_t* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t wrote = write(fd, bytes + done, size - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

int openInput(const char* name) {
  const int fd = open(name, O_RDONLY);
  if (fd < 0) throw Refusal{"cannot open " + std::string(name) + ": " + std::strerror(errno)};
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    close(fd);
    throw Refusal{"cannot open " + std::string(name) + ": " + std::strerror(EISDIR)};
  }
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return fd;
}

TgaHeader readHeader(int input, const char* name) {
  HeaderBytes raw{};
  const std::int64_t got = readFully(input, raw.data(), raw.size());
  if (got < 0) throw Refusal{"cannot read " + std::string(name) + ": " + std::strerror(errno)};
  if (static_cast<std::size_t>(got) < raw.size()) {
    throw Refusal{std::string(name) + " ends at byte " + std::to_string(got) +
                  " while reading the TGA header"};
  }
  return parseHeader(raw);
}

// Refuses an input that ends before the last pixel line the grid covers, so that no tile is
// written from bytes that were never read.
void requireGridInFile(int input, const char* name, const Grid& grid) {
  if (grid.rows == 0) return;
  const std::uint64_t needed =
      grid.pixelStart + std::uint64_t{grid.rows} * grid.side * grid.lineBytes;
  const off_t size = lseek(input, 0, SEEK_END);
  if (size < 0 || static_cast<std::uint64_t>(size) < needed) {
    throw Refusal{std::string(name) + " holds " + std::to_string(size) + " bytes, but its " +
                  std::to_string(grid.rows) + " rows of tiles need " + std::to_string(needed) +
                  " (pixel data from byte " + std::to_string(grid.pixelStart) + ")"};
  }
}

// Refuses a grid one of whose tile names is the input itself (the same file, under its own name
// or through a link): creating that tile would empty the image before it is cut.
void requireNoTileReplacesInput(int input, const Grid& grid) {
  struct stat image {};
  if (fstat(input, &image) != 0) return;
  for (std::uint32_t row = 0; row < grid.rows; ++row) {
    for (std::uint32_t column = 0; column < grid.count; ++column) {
      const std::string name = tileName(column, row);
      struct stat existing {};
      if (stat(name.c_str(), &existing) == 0 && existing.st_dev == image.st_dev &&
          existing.st_ino == image.st_ino) {
        throw Refusal{"tile " + name + " would replace the input image; cut it in another folder"};
      }
    }
  }
}

// Writes one tile, whose first line starts at `tileStart` in the input; false when the tile
// file cannot be created, which is reported and skipped.
bool cutTile(int input, const Grid& grid, std::uint64_t tileStart, const std::string& tileName,
             std::array<std::uint8_t, kMaxLineBytes>& line) {
  const Descriptor output(open(tileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666));
  if (output.get() < 0) {
    const int error = errno;
    std::cout << "\n***Error with file " << tileName << "  Colde: " << error << std::endl
              << std::endl;
    return false;
  }
  // A half-written tile is worse than none.
  const auto abandon = [&](const std::string& why) {
    unlink(tileName.c_str());
    throw Refusal{why};
  };
  const auto writeOut = [&](const std::uint8_t* bytes, std::size_t size) {
    if (!writeFully(output.get(), bytes, size)) {
      abandon("cannot write " + tileName + ": " + std::strerror(errno));
    }
  };
  const HeaderBytes header = tileHeader(grid.side);
  writeOut(header.data(), header.size());
  const std::size_t tileLineBytes = std::size_t{grid.side} * kBytesPerPixel;
  std::uint64_t position = tileStart;
  for (std::uint16_t y = 0; y < grid.side; ++y, position += grid.lineBytes) {
    if (lseek(input, static_cast<off_t>(position), SEEK_SET) < 0 ||
        readFully(input, line.data(), tileLineBytes) != static_cast<std::int64_t>(tileLineBytes)) {
      abandon("the input ends or cannot be read at byte " + std::to_string(position));
    }
    writeOut(line.data(), tileLineBytes);
  }
  writeOut(kFooter.data(), kFooter.size());
  return true;
}

// Cuts every tile in file order; false when some tile file could not be created.
bool cutTiles(int input, const Grid& grid) {
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

int cutImage(const char* name, std::uint32_t count) {
  std::cout << "INPUT: " << name << std::endl;
  const Descriptor input(openInput(name));
  const TgaHeader header = readHeader(input.get(), name);
  if (header.depthWord != kAcceptedDepthWord) {
    std::cout << std::endl << "***ERROR bitdepth not 24";
    return 1;
  }
  if (header.imageType != kUncompressedTrueColour) {
    throw Refusal{std::string(name) + " has image type " + std::to_string(header.imageType) +
                  "; only uncompressed true-colour images (type 2) can be cut"};
  }
  const auto side = static_cast<std::uint16_t>(header.width / count);
  if (side == 0) {
    throw Refusal{std::string(name) + " is " + std::to_string(header.width) +
                  " pixels wide, too narrow for " + std::to_string(count) + " tiles across"};
  }
  const Grid grid{count, side, static_cast<std::uint16_t>(header.height / side),
                  std::uint64_t{header.width} * kBytesPerPixel, pixelDataOffset(header)};
  std::cout << " Input Image Res: " << header.width << "x" << header.height << std::endl;
  std::cout << " Output Image Res: " << grid.side << std::endl;
  std::cout << " SegsY: " << grid.rows << std::endl;
  requireGridInFile(input.get(), name, grid);
  requireNoTileReplacesInput(input.get(), grid);
  return cutTiles(input.get(), grid) ? 0 : 1;
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
