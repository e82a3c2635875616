// The text report, as the format's first users had it: every line is written and flushed the
// moment its fields have been read, and a repeat run's sample is printed once per frame it
// stands for.

#include <utility>

#include "animation.hpp"
#include "common/report.hpp"

namespace bafdump {
namespace {

using common::printLine;

class TextPrinter final : public common::TextReport<Outcome> {
 public:
  using TextReport::TextReport;

  void open(const Scope& scope, std::int64_t number, std::uint64_t) override {
    if (&scope == &kNameRecord || &scope == &kBone) enter(number, 0);
    if (&scope == &kComponent) enter(bone_, static_cast<int>(number));
  }
  void close(const Scope& scope, std::uint64_t) override {
    if (&scope == &kNameRecord) enter(0, 0);
  }
  void integer(const Field& field, Span, std::int64_t value) override {
    if (&field == &kHeader) {
      fileOpened();
      header_ = value;
      printLine("(.baf)header: ", value);
      printLine("----------------");
    } else if (&field == &kBoneCount) {
      printLine(value, "\t// number of bones");
    } else if (&field == &kFrameCount) {
      printLine(value, "\t// number of frames");
    } else if (&field == &kPrecision) {
      printLine(value, "\t// precision (number of bits in matissa)");
    } else if (&field == &kComponentPrefix) {
      printLine("\t// component: ", component_, "  Bone: ", bone_);
    }
  }
  void name(const Field&, Span, std::string_view bytes) override {
    // Up to the first NUL, never beyond the name's own length.
    printLine(bytes.substr(0, bytes.find('\0')));
  }
  void sample(const Field&, Span, float value, int frames) override {
    for (int i = 0; i < frames; ++i) printLine(value);
  }

  void end(const Ending& ending) override {
    fileOpened();
    switch (ending.outcome) {
      case Outcome::headerRefused:
        // The text says 0 although 3 is required; scripts match the line as it stands.
        printLine("***ERROR***  Header != 0 __ ", header_);
        return;
      case Outcome::nameLengthRefused:
        printLine("***ERROR***  name lenght > ", static_cast<int>(kMaxNameLength));
        return;
      case Outcome::fileEndsEarly:
        printEndsEarly(ending, within(component_, bone_));
        return;
      case Outcome::complete:
        printLine();
        printLine();
        return;
    }
  }

 private:
  // The report's first line, once the file has opened: before its first field, or its end.
  void fileOpened() {
    if (std::exchange(fileShown_, true)) return;
    printLine("File: ", path_);
  }
  void enter(std::int64_t bone, int component) {
    bone_ = bone;
    component_ = component;
  }

  std::int64_t header_ = 0;
  bool fileShown_ = false;
  // The bone and component being read, for error lines; 0 for none.
  std::int64_t bone_ = 0;
  int component_ = 0;
};

}  // namespace

std::unique_ptr<Printer> makeTextPrinter(const char* path) {
  return std::make_unique<TextPrinter>(path);
}

}  // namespace bafdump
