#pragma once

// The tile files tilecut must write, derived from the grid rule.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// `pixels` of `size` bytes each as TGA run-length packets: a repeat packet for two or more alike,
// raw ones between, at most 128 pixels a packet, running on from one line into the next.
inline std::string runLengthPackets(const std::string& pixels, std::size_t size) {
  std::string packets;
  const std::size_t count = pixels.size() / size;
  const auto pixel = [&](std::size_t at) { return pixels.substr(at * size, size); };
  for (std::size_t at = 0; at < count;) {
    std::size_t same = 1;
    while (at + same < count && same < 128 && pixel(at + same) == pixel(at)) ++same;
    if (same > 1) {
      packets += static_cast<char>(0x80 | (same - 1));
      packets += pixel(at);
      at += same;
      continue;
    }
    std::size_t raw = 1;
    while (at + raw < count && raw < 128 &&
           (at + raw + 1 == count || pixel(at + raw) != pixel(at + raw + 1))) {
      ++raw;
    }
    packets += static_cast<char>(raw - 1);
    packets += pixels.substr(at * size, raw * size);
    at += raw;
  }
  return packets;
}

// What tilecut --any-tga must make of `file` cut `count` across, each tile with a border of
// `border` pixels, read here on its own terms from the TGA format: the tiles in cutting order
// (name, bytes), or nothing when it must refuse.
class AnyTgaCut {
 public:
  AnyTgaCut(const std::string& file, std::uint32_t count, std::uint32_t border = 0)
      : file_(file), border_(border) {
    if (file.size() < 18 || count == 0 || !headerAccepted()) return;
    side_ = u16(12) / count;
    if (side_ == 0 || side_ + 2 * border_ > 65535) return;
    rows_ = u16(14) / side_;
    if (rows_ > 0 && !readPicture()) return;
    tiles_.emplace();
    for (std::uint32_t row = rows_; row-- > 0;) {
      for (std::uint32_t column = 0; column < count; ++column) {
        char name[32];
        std::snprintf(name, sizeof name, "Tx%02ux%02u.tga", column, row);
        tiles_->emplace_back(name, tile(column, row));
      }
    }
  }
  const std::optional<std::vector<std::pair<std::string, std::string>>>& tiles() const {
    return tiles_;
  }

 private:
  std::uint32_t byte(std::size_t at) const { return static_cast<unsigned char>(file_[at]); }
  std::uint32_t u16(std::size_t at) const { return byte(at) | byte(at + 1) << 8; }
  std::uint32_t form() const { return byte(2) & 7; }
  std::uint32_t depth() const { return byte(16); }
  std::uint32_t pixelBytes() const { return (depth() + 7) / 8; }
  std::size_t mapBytes() const { return byte(1) == 1 ? u16(5) * ((byte(7) + 7) / 8) : 0; }
  std::size_t pixelStart() const { return 18 + byte(0) + mapBytes(); }

  bool headerAccepted() const {
    const std::uint32_t type = byte(2);
    const bool mapped = form() == 1;
    if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11) return false;
    if (byte(1) > 1 || (mapped && (byte(1) != 1 || u16(5) == 0))) return false;
    const auto trueColourDepth = [](std::uint32_t bits) {
      return bits == 15 || bits == 16 || bits == 24 || bits == 32;
    };
    if (mapped && !trueColourDepth(byte(7))) return false;
    if (mapped        ? depth() != 8
        : form() == 3 ? depth() != 8 && depth() != 16
                      : !trueColourDepth(depth())) {
      return false;
    }
    const std::uint32_t alphaOf = mapped ? byte(7) : depth();
    const std::uint32_t mostAlpha = form() == 3     ? (depth() == 16 ? 8 : 0)
                                    : alphaOf == 32 ? 8
                                    : alphaOf == 16 ? 1
                                                    : 0;
    return (byte(17) & 0xC0) == 0 && (byte(17) & 0x0F) <= mostAlpha;
  }

  // The picture as pixels from its top-left corner, line by line, after the checks the cut
  // makes: the lines the tiles cover are in the file, run-length packets hold the picture
  // exactly, and every colour index it reads names an entry of the map.
  bool readPicture() {
    const std::uint32_t width = u16(12), height = u16(14), size = pixelBytes();
    const bool topOrigin = (byte(17) & 0x20) != 0, rightToLeft = (byte(17) & 0x10) != 0;
    std::string stored;  // in file order
    std::vector<bool> checked(height, false);
    // The lines above the top row of tiles that its border takes, in the picture.
    const std::uint32_t above = std::min(border_, height - rows_ * side_);
    const std::uint32_t coveredFrom = topOrigin ? height - rows_ * side_ - above : 0;
    const std::uint32_t coveredTo = topOrigin ? height : rows_ * side_ + above;
    if (file_.size() < pixelStart()) return false;
    if ((byte(2) & 8) == 0) {
      if (file_.size() < pixelStart() + std::size_t{coveredTo} * width * size) return false;
      stored = file_.substr(pixelStart(), std::size_t{coveredTo} * width * size);
      for (std::uint32_t line = coveredFrom; line < coveredTo; ++line) checked[line] = true;
    } else {
      std::size_t at = pixelStart();
      const std::size_t pixels = std::size_t{width} * height;
      while (stored.size() < pixels * size) {
        if (at >= file_.size()) return false;
        const std::uint32_t head = byte(at++), count = (head & 0x7F) + 1;
        const std::size_t bytes = head & 0x80 ? size : count * size;
        if (at + bytes > file_.size() || stored.size() + count * size > pixels * size) return false;
        for (std::uint32_t i = 0; i < (head & 0x80 ? count : 1); ++i)
          stored += file_.substr(at, bytes);
        at += bytes;
      }
      checked.assign(height, true);
    }
    if (form() == 1) {
      for (std::uint32_t line = 0; line < height; ++line) {
        for (std::uint32_t x = 0; checked[line] && x < width; ++x) {
          const std::uint32_t index =
              static_cast<unsigned char>(stored[std::size_t{line} * width + x]);
          if (index < u16(3) || index >= u16(3) + u16(5)) return false;
        }
      }
    }
    picture_.assign(std::size_t{width} * height * size, '\0');
    for (std::uint32_t line = 0;
         line < height && std::size_t{line + 1} * width * size <= stored.size(); ++line) {
      const std::uint32_t y = topOrigin ? line : height - 1 - line;
      for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint32_t column = rightToLeft ? width - 1 - x : x;
        picture_.replace((std::size_t{y} * width + column) * size, size, stored,
                         (std::size_t{line} * width + x) * size, size);
      }
    }
    return true;
  }

  std::string tile(std::uint32_t column, std::uint32_t row) const {
    const std::int64_t width = u16(12), height = u16(14), size = pixelBytes();
    const std::int64_t tileSide = side_ + 2 * std::int64_t{border_};
    const std::int64_t top = height - rows_ * side_ + row * side_ - border_;
    const std::int64_t left = std::int64_t{column} * side_ - border_;
    Bytes tile;
    tile.u8(0).u8(form() == 1 ? 1 : 0).u8(static_cast<std::uint8_t>(form()));
    if (form() == 1) {
      tile.raw(file_.substr(3, 5));
    } else {
      tile.fill(5, '\0');
    }
    tile.u16(0)
        .u16(0)
        .u16(static_cast<std::uint16_t>(tileSide))
        .u16(static_cast<std::uint16_t>(tileSide));
    tile.u8(static_cast<std::uint8_t>(depth())).u8(static_cast<std::uint8_t>(byte(17) & 0x0F));
    tile.raw(file_.substr(18 + byte(0), form() == 1 ? mapBytes() : 0));
    // Beyond the picture's edge, the nearest edge pixel.
    const auto within = [](std::int64_t at, std::int64_t extent) {
      return static_cast<std::size_t>(std::clamp<std::int64_t>(at, 0, extent - 1));
    };
    for (std::int64_t line = tileSide; line-- > 0;) {
      for (std::int64_t x = 0; x < tileSide; ++x) {
        const std::size_t at = within(top + line, height) * static_cast<std::size_t>(width) +
                               within(left + x, width);
        tile.raw(picture_.substr(at * static_cast<std::size_t>(size),
                                 static_cast<std::size_t>(size)));
      }
    }
    return tile.fill(8, '\0').raw("TRUEVISION-XFILE.").u8(0).str();
  }

  const std::string& file_;
  std::uint32_t border_;
  std::uint32_t side_ = 0;
  std::uint32_t rows_ = 0;
  std::string picture_;
  std::optional<std::vector<std::pair<std::string, std::string>>> tiles_;
};

}  // namespace testing_support
