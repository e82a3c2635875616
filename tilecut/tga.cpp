#include "tga.hpp"

namespace tilecut {

namespace {

std::uint16_t u16At(const HeaderBytes& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

void setU16(HeaderBytes& bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

constexpr std::array<std::uint8_t, kFooterSize> makeFooter() {
  std::array<std::uint8_t, kFooterSize> footer{};
  constexpr char kSignature[] = "TRUEVISION-XFILE.";  // 17 characters and the final NUL
  for (std::size_t i = 0; i < sizeof kSignature; ++i) {
    footer[8 + i] = static_cast<std::uint8_t>(kSignature[i]);
  }
  return footer;
}

// The image types: colour-mapped, true-colour and grey, and 8 more for their run-length forms.
constexpr std::uint8_t kColourMapped = 1;
constexpr std::uint8_t kGrey = 3;
constexpr std::uint8_t kRunLength = 8;

bool isDepthOf(std::uint8_t form, std::uint8_t depth) {
  switch (form) {
    case kColourMapped:
      return depth == 8;
    case kUncompressedTrueColour:
      return depth == 15 || depth == 16 || depth == 24 || depth == 32;
    case kGrey:
      return depth == 8 || depth == 16;
  }
  return false;
}

// The alpha bits a pixel (or colour map entry) of `depth` bits can hold beside its colour.
unsigned mostAlphaBits(std::uint8_t form, std::uint8_t depth) {
  if (form == kGrey) return depth == 16 ? 8 : 0;
  return depth == 32 ? 8 : depth == 16 ? 1 : 0;
}

std::string byteField(const char* field, int offset, unsigned value) {
  return "the " + std::string(field) + " at byte " + std::to_string(offset) + " is " +
         std::to_string(value);
}

// Why a reader of the image's form would not take its header, or nothing.
std::string headerRefusal(const TgaHeader& header) {
  const std::uint8_t form = header.imageType & ~kRunLength;
  if (form < kColourMapped || form > kGrey || (header.imageType & ~(kRunLength | 3)) != 0) {
    return byteField("image type", 2, header.imageType) +
           ": tilecut reads 1, 2 and 3 (colour-mapped, true-colour and grey) and 9, 10 and 11 "
           "(their run-length forms)";
  }
  if (header.colourMapType > 1) {
    return byteField("colour map type", 1, header.colourMapType) + ": 0 (none) or 1";
  }
  if (form == kColourMapped) {
    if (header.colourMapType != 1) {
      return byteField("colour map type", 1, 0) + ", but a colour-mapped image has one";
    }
    if (header.colourMapLength == 0) {
      return byteField("colour map length", 5, 0) + ": a colour-mapped image has entries";
    }
    if (!isDepthOf(kUncompressedTrueColour, header.colourMapEntryBits)) {
      return byteField("colour map entry size", 7, header.colourMapEntryBits) +
             " bits: 15, 16, 24 or 32";
    }
  }
  if (!isDepthOf(form, header.pixelDepth())) {
    const char* depths = form == kColourMapped ? "8, an index into the colour map"
                         : form == kGrey       ? "8 or 16"
                                               : "15, 16, 24 or 32";
    return byteField("pixel depth", 16, header.pixelDepth()) + " bits: an image of type " +
           std::to_string(header.imageType) + " has " + depths;
  }
  if ((header.descriptor() & 0xC0) != 0) {
    return byteField("descriptor", 17, header.descriptor()) +
           ": its bits 6 and 7 (interleaved lines) are 0 in every image tilecut reads";
  }
  const unsigned alphaBits = header.descriptor() & 0x0F;
  const std::uint8_t alphaDepth =
      form == kColourMapped ? header.colourMapEntryBits : header.pixelDepth();
  const unsigned most = mostAlphaBits(form == kGrey ? kGrey : kUncompressedTrueColour, alphaDepth);
  if (alphaBits > most) {
    return "the descriptor at byte 17 declares " + std::to_string(alphaBits) + " alpha bits, and " +
           std::to_string(alphaDepth) + "-bit colours hold at most " + std::to_string(most);
  }
  return {};
}

}  // namespace

const std::array<std::uint8_t, kFooterSize> kFooter = makeFooter();

TgaHeader parseHeader(const HeaderBytes& bytes) {
  return {bytes[0],         bytes[1],         bytes[2],         u16At(bytes, 5), bytes[7],
          u16At(bytes, 12), u16At(bytes, 14), u16At(bytes, 16), u16At(bytes, 3)};
}

std::uint32_t pixelDataOffset(const TgaHeader& header) {
  std::uint32_t offset = kHeaderSize + header.idLength;
  if (header.colourMapType == 1) {
    const std::uint32_t entryBytes = (header.colourMapEntryBits + 7u) / 8u;
    offset += header.colourMapLength * entryBytes;
  }
  return offset;
}

std::optional<PixelFormat> pixelFormatOf(const TgaHeader& header, std::string& refusal) {
  refusal = headerRefusal(header);
  if (!refusal.empty()) return std::nullopt;
  const bool colourMapped = (header.imageType & ~kRunLength) == kColourMapped;
  const std::uint32_t entryBytes = (header.colourMapEntryBits + 7u) / 8u;
  return PixelFormat{static_cast<std::uint8_t>((header.pixelDepth() + 7) / 8),
                     (header.imageType & kRunLength) != 0,
                     colourMapped,
                     (header.descriptor() & 0x20) != 0,
                     (header.descriptor() & 0x10) != 0,
                     colourMapped ? header.colourMapLength * entryBytes : 0};
}

HeaderBytes tileHeader(std::uint16_t side) {
  HeaderBytes header{};
  header[2] = kUncompressedTrueColour;
  setU16(header, 12, side);
  setU16(header, 14, side);
  header[16] = 24;
  header[17] = 0;
  return header;
}

HeaderBytes tileHeader(std::uint16_t side, const TgaHeader& image, const PixelFormat& format) {
  HeaderBytes header = tileHeader(side);
  header[2] = static_cast<std::uint8_t>(image.imageType & ~kRunLength);
  if (format.colourMapped) {
    header[1] = 1;
    setU16(header, 3, image.colourMapFirst);
    setU16(header, 5, image.colourMapLength);
    header[7] = image.colourMapEntryBits;
  }
  header[16] = image.pixelDepth();
  header[17] = static_cast<std::uint8_t>(image.descriptor() & 0x0F);  // the alpha bits
  return header;
}

}  // namespace tilecut
