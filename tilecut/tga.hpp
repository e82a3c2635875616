#pragma once

// The part of the TGA format that tilecut reads and writes: the 18-byte header, where the
// pixel data of an uncompressed image starts, and the 26-byte TGA 2.0 footer.

#include <array>
#include <cstdint>

namespace tilecut {

constexpr std::size_t kHeaderSize = 18;
constexpr std::size_t kFooterSize = 26;
constexpr std::size_t kBytesPerPixel = 3;
// Pixel depth 24 in byte 16 and descriptor 0 (bottom-left origin, no alpha) in byte 17, read
// together as one little-endian word.
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
  std::uint16_t depthWord;
};

TgaHeader parseHeader(const HeaderBytes& bytes);

// Pixel data follows the header, the image ID and the colour map, if one is declared.
std::uint32_t pixelDataOffset(const TgaHeader& header);

// The header of a square uncompressed 24-bit tile, bottom-left origin, no ID, no colour map.
HeaderBytes tileHeader(std::uint16_t side);

// No extension area, no developer area, then the signature.
extern const std::array<std::uint8_t, kFooterSize> kFooter;

}  // namespace tilecut
