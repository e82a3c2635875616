// The text report, as the format's first users had it: every line is written and flushed the
// moment its fields have been read, and a repeat run's sample is printed once per frame it
// stands for.

#include "common/report.hpp"
#include "printer.hpp"

namespace bafdump {
namespace {

using common::printLine;

class TextPrinter final : public Printer {
 public:
  explicit TextPrinter(const char* path) : path_(path) {}

  void fileOpened() override { printLine("File: ", path_); }
  void header(Span, std::int32_t value) override {
    header_ = value;
    printLine("(.baf)header: ", value);
    printLine("----------------");
  }
  void boneCount(Span, std::uint16_t value) override { printLine(value, "\t// number of bones"); }
  void beginNames() override {}
  void beginName(std::int64_t bone, std::uint64_t) override { enter(bone, 0); }
  void nameLength(Span, std::uint16_t) override {}
  void name(Span, std::string_view bytes) override {
    // Up to the first NUL, never beyond the name's own length.
    printLine(bytes.substr(0, bytes.find('\0')));
  }
  void endName(std::uint64_t) override { enter(0, 0); }
  void frameCount(Span, std::int32_t value) override { printLine(value, "\t// number of frames"); }
  void precision(Span, std::uint8_t value) override {
    printLine(static_cast<int>(value), "\t// precision (number of bits in matissa)");
  }
  void beginBone(std::int64_t bone, std::uint64_t) override { enter(bone, 0); }
  void bonePrefix(Span, std::uint16_t) override {}
  void beginComponent(int component, std::uint64_t) override { enter(bone_, component); }
  void componentPrefix(Span, std::uint16_t) override {
    printLine("\t// component: ", component_, "  Bone: ", bone_);
  }
  void beginRun(Span, std::uint16_t, ControlWord run) override { run_ = run; }
  void sample(Span, std::uint16_t, float value) override {
    for (int i = 0; i < (run_.repeat ? run_.length : 1); ++i) printLine(value);
  }
  void endRun(std::uint64_t) override {}
  void endComponent(std::uint64_t) override {}
  void endBone(std::uint64_t) override {}

  void end(const Ending& ending) override {
    switch (ending.outcome) {
      case Outcome::headerRefused:
        // The text says 0 although 3 is required; scripts match the line as it stands.
        printLine("***ERROR***  Header != 0 __ ", header_);
        return;
      case Outcome::nameLengthRefused:
        printLine("***ERROR***  name lenght > ", static_cast<int>(kMaxNameLength));
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
  void enter(std::int64_t bone, int component) {
    bone_ = bone;
    component_ = component;
  }
  void fileEndsEarly(const Ending& ending) {
    std::string where(ending.field.label);
    if (component_ > 0) where += " of component " + std::to_string(component_);
    if (bone_ > 0) where += " of bone " + std::to_string(bone_);
    common::printFileEndsEarly(path_, ending.offset, where);
  }

  const char* path_;
  std::int32_t header_ = 0;
  // The bone and component being read, for error lines; 0 for none.
  std::int64_t bone_ = 0;
  int component_ = 0;
  ControlWord run_{};
};

}  // namespace

std::unique_ptr<Printer> makeTextPrinter(const char* path) {
  return std::make_unique<TextPrinter>(path);
}

}  // namespace bafdump
