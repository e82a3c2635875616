// The labelled text report, as the format's first users had it: every line is written and
// flushed the moment its fields have been read. Positions and envelopes are stored X, Z, Y and
// shown X, Y, Z, so their lines wait for the third float.

#include <array>

#include "common/report.hpp"
#include "printer.hpp"

namespace skndump {
namespace {

using common::printLine;
using common::printText;

constexpr std::string_view kNameRule = "\n================\n";

class TextPrinter final : public Printer {
 public:
  explicit TextPrinter(const char* path) : path_(path) {}

  void header(Span, std::int32_t value) override {
    header_ = value;
    printLine("(.skn)header1: ", value);
  }
  void vertexCount(Span, std::int32_t value) override {
    printLine("NumberOf Verticies: ", value);
    printLine("----------------");
    printLine();
  }
  void beginVertices() override {}
  void beginVertex(std::int64_t number, std::uint64_t) override {
    enterRecord("vertex", number);
    printLine("*Reading Vertex #: ", number);
    printLine("___________________");
  }
  void position(Axis axis, Span, float value) override {
    if (!collect(axis, value)) return;
    printLine(" Vertex Pos_X: ", xzy_[0]);
    printLine(" Vertex Pos_Y: ", xzy_[2]);
    printLine(" Vertex Pos_Z: ", xzy_[1]);
  }
  void flag(int index, Span, std::int8_t value) override {
    constexpr std::array<const char*, 3> kLabels{
        "flagA:           ", "Belongs to bone: ", "flagC:           "};
    printLine('\t', kLabels[static_cast<std::size_t>(index)], static_cast<std::int16_t>(value));
  }
  void weight(Span, float value) override {
    weight_ = value;
    printLine("   Weight: ", value);
  }
  void envelope(Axis axis, Span, float value) override {
    if (!collect(axis, value)) return;
    printLine("  Envelope_X: ", xzy_[0]);
    printLine("  Envelope_Y: ", xzy_[2]);
    printLine("  Envelope_Z: ", xzy_[1]);
  }
  void beginExtension(std::uint64_t) override {}
  void extensionFlag(int number, Span, std::int8_t value) override {
    printLine('\t', number, "_EX flag(0.5): ", static_cast<std::int16_t>(value));
  }
  void secondWeight(Span, float value) override {
    printLine("   Weight: ", value, "\t// Scale, weight or something");
  }
  void cFloat(int, Span, float value) override { printLine(" C_Float: ", value); }
  void endExtension(std::uint64_t) override {}
  void endVertex(std::uint64_t) override { printLine(); }
  void nameCount(Span, std::uint16_t value) override {
    enterRecord(nullptr, 0);
    printText(kNameRule, " Number of Names: ", value, kNameRule);
  }
  void beginName(std::int64_t number, std::uint64_t) override {
    enterRecord("name", number);
    nameNumber_ = number;
  }
  void nameLength(Span, std::uint16_t) override {}
  void name(Span, std::string_view bytes) override {
    // Up to the first NUL, never beyond the name's own length.
    printLine("Text_", nameNumber_, " :\t", bytes.substr(0, bytes.find('\0')));
  }
  void endName(std::uint64_t) override {}

  void end(const Ending& ending) override {
    switch (ending.outcome) {
      case Outcome::headerRefused:
        printLine("***ERROR***  Header != ", kExpectedHeader, " __ ", header_);
        return;
      case Outcome::weightRefused:
        printLine("***ERROR*** ?_float (unknown1) = ", weight_);
        return;
      case Outcome::fileEndsEarly:
        fileEndsEarly(ending);
        return;
      case Outcome::complete:
        printLine();
        printLine();
        return;
    }
  }

  void cannotOpen(const std::string& reason) override { common::printCannotOpen(path_, reason); }

  bool finish() override { return true; }  // every line was flushed as it was printed

 private:
  void enterRecord(const char* kind, std::int64_t number) {
    recordKind_ = kind;
    recordNumber_ = number;
  }
  // Keeps the float of `axis`; true once the third, Y, is in.
  bool collect(Axis axis, float value) {
    xzy_[static_cast<std::size_t>(axis)] = value;
    return axis == Axis::y;
  }
  void fileEndsEarly(const Ending& ending) {
    std::string where(ending.field.label);
    if (recordKind_ != nullptr) {
      where += std::string(" of ") + recordKind_ + " " + std::to_string(recordNumber_);
    }
    common::printFileEndsEarly(path_, ending.offset, where);
  }

  const char* path_;
  std::int32_t header_ = 0;
  float weight_ = 0;
  std::array<float, 3> xzy_{};
  const char* recordKind_ = nullptr;  // the record being read, for error lines
  std::int64_t recordNumber_ = 0;
  std::int64_t nameNumber_ = 0;
};

}  // namespace

std::unique_ptr<Printer> makeTextPrinter(const char* path) {
  return std::make_unique<TextPrinter>(path);
}

}  // namespace skndump
