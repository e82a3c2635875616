#include "tga.hpp"

namespace tilecut {

namespace {

std::uint16_t u16At(const HeaderBytes& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

constexpr std::array<std::uint8_t, kFooterSize> makeFooter() {
  std::array<std::uint8_t, kFooterSize> footer{};
  constexpr char kSignature[] = "TRUEVISION-XFILE.";  // 17 characters and the final NUL
  for (std::size_t i = 0; i < sizeof kSignature; ++i) {
    footer[8 + i] = static_cast<std::uint8_t>(kSignature[i]);
  }
  return footer;
}

}  // namespace

const std::array<std::uint8_t, kFooterSize> kFooter = makeFooter();

TgaHeader parseHeader(const HeaderBytes& bytes) {
  return {bytes[0], bytes[1],         bytes[2],         u16At(bytes, 5),
          bytes[7], u16At(bytes, 12), u16At(bytes, 14), u16At(bytes, 16)};
}

std::uint32_t pixelDataOffset(const TgaHeader& header) {
  std::uint32_t offset = kHeaderSize + header.idLength;
  if (header.colourMapType == 1) {
    const std::uint32_t entryBytes = (header.colourMapEntryBits + 7u) / 8u;
    offset += header.colourMapLength * entryBytes;
  }
  return offset;
}

HeaderBytes tileHeader(std::uint16_t side) {
  HeaderBytes header{};
  header[2] = kUncompressedTrueColour;
  const auto low = static_cast<std::uint8_t>(side & 0xFF);
  const auto high = static_cast<std::uint8_t>(side >> 8);
  header[12] = low;
  header[13] = high;
  header[14] = low;
  header[15] = high;
  header[16] = 24;
  header[17] = 0;
  return header;
}

}  // namespace tilecut
