// The text report, as the tool's first users had it.

#include <iostream>

#include "printer.hpp"

namespace tilecut {
namespace {

class TextPrinter final : public Printer {
 public:
  void input(const std::string& name) override { std::cout << "INPUT: " << name << std::endl; }
  void header(const TgaHeader&) override {}
  void grid(const TgaHeader& header, const GridFacts& grid) override {
    std::cout << " Input Image Res: " << header.width << "x" << header.height << std::endl;
    std::cout << " Output Image Res: " << grid.side << std::endl;
    std::cout << " SegsY: " << grid.rows << std::endl;
  }
  void tile(const TileFacts& tile) override {
    std::cout << tile.name << std::endl;
    if (tile.created) return;
    std::cout << "\n***Error with file " << tile.name << "  Colde: " << tile.error << std::endl
              << std::endl;
  }
  void end(Outcome outcome, const std::string& reason) override {
    if (outcome == Outcome::depthRefused) std::cout << std::endl << "***ERROR bitdepth not 24";
    if (outcome == Outcome::refused) std::cout << "***ERROR " << reason << std::endl;
  }
  bool finish() override { return true; }  // as ever, the report's own writes are not checked
};

}  // namespace

std::unique_ptr<Printer> makeTextPrinter() {
  return std::make_unique<TextPrinter>();
}

}  // namespace tilecut
