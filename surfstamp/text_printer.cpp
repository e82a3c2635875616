// The text report, as the tool's first users had it.

#include <iostream>

#include "printer.hpp"

namespace surfstamp {
namespace {

class TextPrinter final : public Printer {
 public:
  void materialId(const char* text, MaterialIdArgument id) override {
    idText_ = text;
    id_ = id;
  }
  void formatByte(Field) override {}
  void modelCount(Field field) override { modelCount_ = field.value; }
  void modelCountAccepted() override {
    std::cout << " numModels: " << modelCount_ << std::endl;
    std::cout << " matidReplace: " << id_.value << std::endl;
  }
  void chunk(const Chunk&) override {}
  void beginIdFields() override {}
  void idField(const IdField&) override { ++idFields_; }

  void end(Outcome outcome, const std::string& reason) override {
    switch (outcome) {
      case Outcome::notAModel:
        std::cout << "invalid .sm file\n<<done>>\n";
        return;
      case Outcome::noCollisionModel:
        std::cout << "I found not one or too many collision models in this file\n<<done>>\n";
        return;
      case Outcome::refused:
        std::cout << "***ERROR " << reason << std::endl;
        return;
      case Outcome::idTooLarge:
        std::cout << "Supply a matID less than 65536 please\nYou supplied: " << idText_
                  << std::endl;
        return;
      case Outcome::stamped:
        std::cout << "<<done>>\n";
        return;
      case Outcome::checked:
        std::cout << "<<dry run: " << idFields_ << " id fields to stamp, nothing written>>\n";
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
