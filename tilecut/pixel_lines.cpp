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

// The picture line `line` stands in the file, counted from the top of the picture.
std::uint32_t fileLineOfPictureLine(const Grid& grid, std::uint32_t line) {
  return grid.format.topOrigin ? line : grid.height - 1 - line;
}

}  // namespace

LineRange Grid::linesOf(std::uint32_t row) const {
  // The picture lines the tiles of the row cover, from the top, with their border within the
  // picture.
  const std::uint32_t top = topLines() + row * std::uint32_t{side};
  const std::uint32_t from = top - std::min(top, border);
  const std::uint32_t to = std::min(height, top + side + border);
  return {format.topOrigin ? from : height - to, to - from};
}

std::uint32_t Grid::fileLineOf(std::uint32_t row, std::uint32_t line) const {
  const std::int64_t bottom = std::int64_t{topLines()} + (row + 1) * std::int64_t{side} - 1;
  const std::int64_t pictureLine =
      std::clamp<std::int64_t>(bottom + border - line, 0, std::int64_t{height} - 1);
  return fileLineOfPictureLine(*this, static_cast<std::uint32_t>(pictureLine));
}

TileColumns Grid::columnsOf(std::uint32_t column) const {
  const std::uint32_t left = column * std::uint32_t{side};
  const std::uint32_t first = left - std::min(left, border);
  const std::uint32_t end = std::min(width, left + side + border);
  return {border - (left - first), first, end - first, left + side + border - end};
}

LineRange Grid::covered() const {
  const LineRange top = linesOf(0);
  const LineRange bottom = linesOf(rows - 1u);
  const std::uint32_t first = std::min(top.first, bottom.first);
  return {first, std::max(top.end(), bottom.end()) - first};
}

PixelLines::PixelLines(common::File& input, const std::string& name, const Grid& grid,
                       std::optional<IndexRange> indices)
    : input_(input), name_(name), grid_(grid), indices_(indices) {}

void PixelLines::check(const std::vector<std::uint32_t>& bandStarts, std::uint64_t bandBytes) {
  if (grid_.format.runLength) return checkRunLengthStream(bandStarts);
  const std::uint64_t needed = grid_.pixelStart + grid_.covered().end() * grid_.lineBytes();
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
  const LineRange covered = grid_.covered();
  const auto linesAtOnce = static_cast<std::uint32_t>(std::max<std::uint64_t>(
      1, std::min<std::uint64_t>(kCheckBytes, bandBytes) / grid_.lineBytes()));
  Band scratch{std::vector<std::uint8_t>(linesAtOnce * grid_.lineBytes())};
  for (std::uint32_t line = covered.first; line < covered.end(); line += linesAtOnce) {
    const std::uint32_t lines = std::min(linesAtOnce, covered.end() - line);
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
