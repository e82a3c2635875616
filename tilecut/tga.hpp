#pragma once

// The part of the TGA format that tilecut reads and writes: the 18-byte header, where the pixel
// data starts, the pixel formats that --any-tga reads, the header of a tile of each, and the
// 26-byte TGA 2.0 footer.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tilecut {

constexpr std::size_t kHeaderSize = 18;
constexpr std::size_t kFooterSize = 26;
constexpr std::size_t kBytesPerPixel = 3;
// Pixel depth 24 in byte 16 and descriptor 0 (bottom-left origin, no alpha) in byte 17, read
// together as one little-endian word: all that tilecut cuts without --any-tga.
constexpr std::uint16_t kAcceptedDepthWord = 24;
constexpr std::uint8_t kUncompressedTrueColour = 2;

using HeaderBytes = std::array<std::uint8_t, kHeaderSize>;

struct TgaHeader {
  std::uint8_t idLength;
  std::uint8_t colourMapType;  // 1 when a colour map follows the image ID
  std::uint8_t imageType;
  std::uint16_t colourMapLength;
  std::uint8_t colourMapEntryBits;
  std::uint16_t width;
  std::uint16_t height;
  std::uint16_t depthWord;           // the pixel depth, and the descriptor in the high byte
  std::uint16_t colourMapFirst = 0;  // the index of the map's first entry

  std::uint8_t pixelDepth() const { return static_cast<std::uint8_t>(depthWord & 0xFF); }
  std::uint8_t descriptor() const { return static_cast<std::uint8_t>(depthWord >> 8); }
};

TgaHeader parseHeader(const HeaderBytes& bytes);

// Pixel data follows the header, the image ID and the colour map, if one is declared.
std::uint32_t pixelDataOffset(const TgaHeader& header);

// How the pixels of an image that --any-tga reads are stored.
struct PixelFormat {
  std::uint8_t bytesPerPixel;
  bool runLength;     // image types 9, 10 and 11
  bool colourMapped;  // image types 1 and 9: each pixel an 8-bit index into the colour map
  bool topOrigin;     // descriptor bit 5: the first line is the top of the picture
  bool rightToLeft;   // descriptor bit 4: each line runs from right to left
  std::uint32_t colourMapBytes;  // copied into every tile of a colour-mapped image
};

// The pixel format of an image whose header a reader of its form accepts; otherwise nothing,
// and `refusal` names the field, its byte offset and what is wrong with it.
std::optional<PixelFormat> pixelFormatOf(const TgaHeader& header, std::string& refusal);

// The header of a square uncompressed 24-bit tile, bottom-left origin, no ID, no colour map.
HeaderBytes tileHeader(std::uint16_t side);
// The header of a square tile in the image's own pixel format, uncompressed, bottom-left origin,
// no ID, and its colour map where it has one.
HeaderBytes tileHeader(std::uint16_t side, const TgaHeader& image, const PixelFormat& format);

// No extension area, no developer area, then the signature.
extern const std::array<std::uint8_t, kFooterSize> kFooter;

}  // namespace tilecut
