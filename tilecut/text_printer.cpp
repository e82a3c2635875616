// The text report, as the tool's first users had it.

#include "common/report.hpp"
#include "printer.hpp"

namespace tilecut {
namespace {

using common::printLine;
using common::printText;

class TextPrinter final : public Printer {
 public:
  explicit TextPrinter(const Options& options) : dryRun_(options.dryRun) {}

  void input(const std::string& name) override { printLine("INPUT: ", name); }
  void header(const TgaHeader&) override {}
  void grid(const TgaHeader& header, const GridFacts& grid) override {
    printLine(" Input Image Res: ", header.width, "x", header.height);
    // With a border, the tiles written are larger than the squares of the grid.
    printLine(" Output Image Res: ", grid.tileSide());
    printLine(" SegsY: ", grid.rows);
    if (grid.border > 0) printLine(" Border: ", grid.border);
  }
  void tile(const TileFacts& tile) override {
    printLine(tile.name);
    ++tiles_;
    if (tile.created || dryRun_) return;
    printLine("\n***Error with file ", tile.name, "  Colde: ", tile.error);
    printLine();
  }
  void end(Outcome outcome, const std::string& reason) override {
    if (outcome == Outcome::depthRefused) {
      printLine();
      printText("***ERROR bitdepth not 24");
    }
    if (outcome == Outcome::refused) printLine("***ERROR ", reason);
    if (outcome == Outcome::checked) {
      printLine("<<dry run: ", tiles_, " tiles to write, nothing written>>");
    }
  }
  bool finish() override { return true; }  // as ever, the report's own writes are not checked

 private:
  bool dryRun_;
  std::int64_t tiles_ = 0;
};

}  // namespace

std::unique_ptr<Printer> makeTextPrinter(const Options& options) {
  return std::make_unique<TextPrinter>(options);
}

}  // namespace tilecut
