#pragma once

// What tilecut finds and does, step by step, and the two forms it is reported in: the historic
// text report, and a JSON document that is the manifest of the cut: the input's geometry, every
// tile with the rectangle of the picture it covers, what no tile covers, and the outcome.

#include <cstdint>
#include <memory>
#include <string>

#include "run.hpp"
#include "tga.hpp"

namespace tilecut {

// The grid as reported: `tilesAcross` tiles across and `rows` down, each covering a square of
// `side` pixels, and holding `border` pixels around it on every side.
struct GridFacts {
  std::uint32_t tilesAcross;
  std::uint16_t side;
  std::uint16_t rows;
  std::uint64_t pixelDataOffset;
  std::uint32_t border;
  // The side of a tile file: its square and its border.
  std::uint32_t tileSide() const { return side + 2 * border; }
};

// One tile, when its file is created or could not be.
struct TileFacts {
  const std::string& name;
  std::uint32_t column;
  std::uint32_t row;  // 0 the top of the picture
  std::uint32_t x;    // the covered square, in pixels from the picture's top-left corner
  std::uint32_t y;
  bool created;
  int error;  // the system's error number when the file could not be created
};

enum class Outcome {
  cut,             // every tile written (or no row of tiles fits)
  tileNotCreated,  // every other tile written
  depthRefused,    // pixel depth other than 24 or a descriptor other than 0; no file written
  refused,         // the count or the image cannot be used; no file written
  checked,         // a dry run: every tile could be cut, and none was written
};

class Printer {
 public:
  virtual ~Printer() = default;
  virtual void input(const std::string& name) = 0;
  virtual void header(const TgaHeader& header) = 0;
  virtual void grid(const TgaHeader& header, const GridFacts& grid) = 0;
  virtual void tile(const TileFacts& tile) = 0;
  // The last call of every run; `reason` says why a refused run was refused.
  virtual void end(Outcome outcome, const std::string& reason) = 0;
  // Hands everything to standard output; false when that failed.
  virtual bool finish() = 0;
};

std::unique_ptr<Printer> makeTextPrinter(const Options& options);
std::unique_ptr<Printer> makeJsonPrinter(const Options& options);

}  // namespace tilecut
