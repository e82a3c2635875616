// The text report, as the tool's first users had it.

#include "common/report.hpp"
#include "printer.hpp"

namespace surfstamp {
namespace {

using common::printLine;
using common::printText;

class TextPrinter final : public Printer {
 public:
  void materialId(const char* text, MaterialIdArgument id) override {
    idText_ = text;
    id_ = id;
  }
  void formatByte(Field) override {}
  void modelCount(Field field) override { modelCount_ = field.value; }
  void modelCountAccepted() override {
    printLine(" numModels: ", modelCount_);
    printLine(" matidReplace: ", id_.value);
  }
  void chunk(const Chunk&) override {}
  void beginIdFields() override {}
  void idField(const IdField&) override { ++idFields_; }

  void end(Outcome outcome, const std::string& reason) override {
    switch (outcome) {
      case Outcome::notAModel:
        printText("invalid .sm file\n<<done>>\n");
        return;
      case Outcome::noCollisionModel:
        printText("I found not one or too many collision models in this file\n<<done>>\n");
        return;
      case Outcome::refused:
        printLine("***ERROR ", reason);
        return;
      case Outcome::idTooLarge:
        printLine("Supply a matID less than 65536 please\nYou supplied: ", idText_);
        return;
      case Outcome::stamped:
        printText("<<done>>\n");
        return;
      case Outcome::checked:
        printText("<<dry run: ", idFields_, " id fields to stamp, nothing written>>\n");
        return;
    }
  }

  bool finish() override { return true; }  // as ever, the report's own writes are not checked

 private:
  const char* idText_ = "";
  MaterialIdArgument id_{};
  std::int64_t modelCount_ = 0;
  std::int64_t idFields_ = 0;
};

}  // namespace

std::unique_ptr<Printer> makeTextPrinter() {
  return std::make_unique<TextPrinter>();
}

}  // namespace surfstamp
