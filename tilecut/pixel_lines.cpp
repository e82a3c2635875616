#include "pixel_lines.hpp"

#include <algorithm>

#include "refusal.hpp"

namespace tilecut {

namespace {

// Indices are checked a megabyte of lines at a time, whatever the band.
constexpr std::uint64_t kCheckBytes = std::uint64_t{1} << 20;

void reversePixels(std::uint8_t* line, std::size_t pixels, std::size_t bytesPerPixel) {
  for (std::size_t left = 0, right = pixels - 1; left < right; ++left, --right) {
    std::swap_ranges(line + left * bytesPerPixel, line + (left + 1) * bytesPerPixel,
                     line + right * bytesPerPixel);
  }
}

}  // namespace

std::uint32_t Grid::firstLine(std::uint32_t row) const {
  return format.topOrigin ? topLines() + row * side : (rows - 1u - row) * side;
}

std::uint32_t Grid::coveredEnd() const {
  return format.topOrigin ? height : std::uint32_t{rows} * side;
}

PixelLines::PixelLines(common::File& input, const std::string& name, const Grid& grid,
                       std::optional<IndexRange> indices)
    : input_(input), name_(name), grid_(grid), indices_(indices) {}

void PixelLines::check(const std::vector<std::uint32_t>& bandStarts, std::uint64_t bandBytes) {
  if (grid_.format.runLength) return checkRunLengthStream(bandStarts);
  const std::uint64_t needed = grid_.pixelStart + grid_.coveredEnd() * grid_.lineBytes();
  const std::optional<std::uint64_t> size = input_.size();
  if (!size) throw Refusal{"cannot read " + name_ + ": " + common::lastSystemError().reason};
  if (*size < needed) {
    throw Refusal{name_ + " holds " + std::to_string(*size) + " bytes, but its " +
                  std::to_string(grid_.rows) + " rows of tiles need " + std::to_string(needed) +
                  " (pixel data from byte " + std::to_string(grid_.pixelStart) + ")"};
  }
  if (indices_) checkStoredIndices(bandBytes);
}

void PixelLines::read(Band& band, std::uint32_t first, std::size_t lines) {
  if (runLength_) {
    const auto mark = std::lower_bound(
        marks_.begin(), marks_.end(), first,
        [](const auto& marked, std::uint32_t line) { return marked.first < line; });
    runLength_->seek(mark->second);
    runLength_->read(band.bytes.data(), lines * grid_.width);
  } else {
    readStored(band, first, lines);
  }
  band.first = first;
  band.lines = lines;
  if (!grid_.format.rightToLeft) return;
  for (std::size_t line = 0; line < lines; ++line) {
    reversePixels(band.bytes.data() + line * grid_.lineBytes(), grid_.width,
                  grid_.format.bytesPerPixel);
  }
}

// Every line a tile covers, a few at a time: every index must name an entry of the map.
void PixelLines::checkStoredIndices(std::uint64_t bandBytes) {
  const std::uint32_t begin = grid_.firstLine(grid_.format.topOrigin ? 0 : grid_.rows - 1u);
  const auto linesAtOnce = static_cast<std::uint32_t>(std::max<std::uint64_t>(
      1, std::min<std::uint64_t>(kCheckBytes, bandBytes) / grid_.lineBytes()));
  Band scratch{std::vector<std::uint8_t>(linesAtOnce * grid_.lineBytes())};
  for (std::uint32_t line = begin; line < grid_.coveredEnd(); line += linesAtOnce) {
    const std::uint32_t lines = std::min(linesAtOnce, grid_.coveredEnd() - line);
    readStored(scratch, line, lines);
    const std::uint64_t bytes = lines * grid_.lineBytes();
    const std::uint64_t at = grid_.pixelStart + line * grid_.lineBytes();
    for (std::uint64_t i = 0; i < bytes; ++i) {
      const std::uint8_t index = scratch.bytes[i];
      if (index < indices_->first || index >= indices_->end) {
        throw Refusal{name_ + ": the colour index " + std::to_string(index) + " at byte " +
                      std::to_string(at + i) + " is not in the colour map, whose entries are " +
                      std::to_string(indices_->first) + " to " + std::to_string(indices_->end - 1)};
      }
    }
  }
}

// The whole stream, once: it must hold exactly the picture's pixels.
void PixelLines::checkRunLengthStream(const std::vector<std::uint32_t>& bandStarts) {
  const std::optional<std::uint64_t> size = input_.size();
  if (!size) throw Refusal{"cannot read " + name_ + ": " + common::lastSystemError().reason};
  runLength_.emplace(input_, grid_.pixelStart, *size, grid_.format.bytesPerPixel);
  const IndexRange* indices = indices_ ? &*indices_ : nullptr;
  try {
    std::uint32_t line = 0;
    for (const std::uint32_t start : bandStarts) {
      runLength_->skip(std::uint64_t{start - line} * grid_.width, indices);
      marks_.emplace_back(start, runLength_->mark());
      line = start;
    }
    runLength_->skip(std::uint64_t{grid_.height - line} * grid_.width, indices);
    runLength_->requireNoPixelLeft();
  } catch (const Refusal& refusal) {
    throw Refusal{name_ + ": " + refusal.message};
  }
}

void PixelLines::readStored(Band& band, std::uint32_t first, std::size_t lines) {
  const std::uint64_t start = grid_.pixelStart + first * grid_.lineBytes();
  const std::size_t size = lines * grid_.lineBytes();
  if (input_.readAt(start, band.bytes.data(), size) != size) {
    throw Refusal{"the input ends or cannot be read between byte " + std::to_string(start) +
                  " and byte " + std::to_string(start + size)};
  }
}

}  // namespace tilecut
