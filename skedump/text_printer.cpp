// The labelled text report, as the format's first users had it: every line is written and
// flushed the moment its fields have been read.

#include <array>
#include <cstdio>
#include <cstring>

#include "common/report.hpp"
#include "skeleton.hpp"

namespace skedump {
namespace {

using common::printLine;

constexpr std::size_t kFloatsPerRow = 4;

class TextPrinter final : public common::TextReport<Outcome> {
 public:
  using TextReport::TextReport;

  void open(const Scope& scope, std::int64_t number, std::uint64_t) override {
    if (&scope != &kBone) return;
    bone_ = number;
    printLine("*Reading Bone #: ", number);
    printLine("___________________");
  }
  void integer(const Field& field, Span, std::int64_t value) override {
    if (&field == &kHeader) {
      header_ = value;
      printLine("header1: ", value);
    } else if (&field == &kBoneCount) {
      printLine("NumberOfBones: ", value);
      printLine("----------------");
      printLine();
    } else if (&field == &kNameLength) {
      printLine(" NameTextLength: ", value);
    } else if (&field == &kShort) {
      printLine(" Short: ", value);
      printLine();  // the empty line before the rows of floats
      rowFilled_ = 0;
    }
  }
  void name(const Field&, Span, std::string_view bytes) override {
    // Up to the first NUL, never beyond the name's own length.
    printLine(" BoneName: \"", bytes.substr(0, bytes.find('\0')), '"');
  }
  void real(const Field&, Span, float value) override {
    row_[rowFilled_++] = value;
    if (rowFilled_ < kFloatsPerRow) return;
    printLine(row_[0], '\t', row_[1], '\t', row_[2], '\t', row_[3]);
    rowFilled_ = 0;
  }

  void end(const Ending& ending) override {
    switch (ending.outcome) {
      case Outcome::headerRefused:
        printLine("***ERROR***  Header != ", kExpectedHeader, " __ ", header_);
        return;
      case Outcome::nameLengthRefused:
        printLine("***ERROR***  name length > ", kMaxNameLength);
        break;
      case Outcome::fileEndsEarly:
        printEndsEarly(ending, bone_ > 0 ? " of bone " + std::to_string(bone_) : "");
        return;
      case Outcome::complete:
        break;
    }
    printLine();
    printLine();
  }

 private:
  std::int64_t header_ = 0;
  std::int64_t bone_ = 0;  // the bone being read; 0 while the header is read
  std::array<float, kFloatsPerRow> row_{};
  std::size_t rowFilled_ = 0;
};

}  // namespace

std::unique_ptr<Printer> makeTextPrinter(const char* path) {
  return std::make_unique<TextPrinter>(path);
}

}  // namespace skedump
