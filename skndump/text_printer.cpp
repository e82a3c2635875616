// The labelled text report, as the format's first users had it: every line is written and
// flushed the moment its fields have been read. Positions and envelopes are stored X, Z, Y and
// shown X, Y, Z, so their lines wait for the third float.

#include <array>

#include "common/report.hpp"
#include "skin.hpp"

namespace skndump {
namespace {

using common::printLine;
using common::printText;

constexpr std::string_view kNameRule = "\n================\n";

class TextPrinter final : public common::TextReport<Outcome> {
 public:
  using TextReport::TextReport;

  void open(const Scope& scope, std::int64_t number, std::uint64_t) override {
    if (&scope == &kVertex) {
      enterRecord("vertex", number);
      printLine("*Reading Vertex #: ", number);
      printLine("___________________");
    } else if (&scope == &kNameRecord) {
      enterRecord("name", number);
    } else if (&scope == &kExtension) {
      extensionFlags_ = 0;
    }
  }
  void close(const Scope& scope, std::uint64_t) override {
    if (&scope == &kVertex) printLine();
  }
  void integer(const Field& field, Span, std::int64_t value) override {
    if (&field == &kHeader) {
      header_ = value;
      printLine("(.skn)header1: ", value);
    } else if (&field == &kVertexCount) {
      printLine("NumberOf Verticies: ", value);
      printLine("----------------");
      printLine();
    } else if (&field == &kFlagA || &field == &kBone || &field == &kFlagC) {
      const char* label = &field == &kFlagA  ? "flagA:           "
                          : &field == &kBone ? "Belongs to bone: "
                                             : "flagC:           ";
      printLine('\t', label, value);
    } else if (&field == &kExtensionFlag) {
      printLine('\t', ++extensionFlags_, "_EX flag(0.5): ", value);
    } else if (&field == &kNameCount) {
      enterRecord(nullptr, 0);
      printText(kNameRule, " Number of Names: ", value, kNameRule);
    }
  }
  void real(const Field& field, Span, float value) override {
    if (const std::optional<Axis> axis = axisOf(field, kPositionXzy)) {
      collect(" Vertex Pos_", *axis, value);
    } else if (const std::optional<Axis> envelopeAxis = axisOf(field, kEnvelopeXzy)) {
      collect("  Envelope_", *envelopeAxis, value);
    } else if (&field == &kWeight) {
      weight_ = value;
      printLine("   Weight: ", value);
    } else if (&field == &kSecondWeight) {
      printLine("   Weight: ", value, "\t// Scale, weight or something");
    } else if (&field == &kCFloat) {
      printLine(" C_Float: ", value);
    }
  }
  void name(const Field&, Span, std::string_view bytes) override {
    // Up to the first NUL, never beyond the name's own length.
    printLine("Text_", recordNumber_, " :\t", bytes.substr(0, bytes.find('\0')));
  }

  void end(const Ending& ending) override {
    switch (ending.outcome) {
      case Outcome::headerRefused:
        printLine("***ERROR***  Header != ", kExpectedHeader, " __ ", header_);
        return;
      case Outcome::weightRefused:
        printLine("***ERROR*** ?_float (unknown1) = ", weight_);
        return;
      case Outcome::fileEndsEarly:
        printEndsEarly(ending, recordKind_ == nullptr ? std::string()
                                                      : std::string(" of ") + recordKind_ + " " +
                                                            std::to_string(recordNumber_));
        return;
      case Outcome::complete:
        printLine();
        printLine();
        return;
    }
  }

 private:
  void enterRecord(const char* kind, std::int64_t number) {
    recordKind_ = kind;
    recordNumber_ = number;
  }
  // Keeps the float of `axis`; once the third, Y, is in, prints the three lines of `label`.
  void collect(std::string_view label, Axis axis, float value) {
    xzy_[static_cast<std::size_t>(axis)] = value;
    if (axis != Axis::y) return;
    printLine(label, "X: ", xzy_[0]);
    printLine(label, "Y: ", xzy_[2]);
    printLine(label, "Z: ", xzy_[1]);
  }
  std::int64_t header_ = 0;
  float weight_ = 0;
  std::array<float, 3> xzy_{};
  const char* recordKind_ = nullptr;  // the record being read, for error lines
  std::int64_t recordNumber_ = 0;
  int extensionFlags_ = 0;  // of the extension block being read
};

}  // namespace

std::unique_ptr<Printer> makeTextPrinter(const char* path) {
  return std::make_unique<TextPrinter>(path);
}

}  // namespace skndump
