// The JSON document: every field with its offset, its size and its value, in file order; names,
// bones, components and runs as arrays of records, each run with its decoded values (one for a
// repeat run, which stands for `length` frames). It is written as the file is read and is valid
// however the run ends: records left open by a stop are closed and marked incomplete, and the
// "end" member says what stopped the run, where, and which bytes no field accounts for.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/json_writer.hpp"
#include "printer.hpp"

namespace bafdump {
namespace {

class JsonPrinter final : public Printer {
 public:
  explicit JsonPrinter(const char* path) : json_(stdout) {
    json_.beginObject();
    json_.key("format");
    json_.string("baf");
    json_.key("file");
    json_.string(path);
  }

  void fileOpened() override {}
  void header(Span span, std::int32_t value) override {
    header_ = value;
    integerField("header", span, value);
  }
  void boneCount(Span span, std::uint16_t value) override {
    integerField("boneCount", span, value);
  }
  void beginNames() override { openArray("names"); }
  void beginName(std::int64_t bone, std::uint64_t offset) override {
    openRecord("/names/" + std::to_string(bone - 1), offset);
    json_.key("bone");
    json_.number(bone);
  }
  void nameLength(Span span, std::uint16_t length) override {
    nameLength_ = length;
    integerField("length", span, length);
  }
  void name(Span span, std::string_view bytes) override {
    json_.key("name");
    json_.beginObject();
    spanMembers(span);
    json_.key("text");
    json_.string(bytes.substr(0, bytes.find('\0')));
    json_.key("hex");
    json_.hex(bytes);
    json_.endObject();
  }
  void endName(std::uint64_t end) override { closeTop(end, true); }
  void frameCount(Span span, std::int32_t value) override {
    closeTop(0, true);  // the names
    integerField("frameCount", span, value);
  }
  void precision(Span span, std::uint8_t value) override {
    integerField("precision", span, value);
    openArray("bones");
  }
  void beginBone(std::int64_t bone, std::uint64_t offset) override {
    openRecord("/bones/" + std::to_string(bone - 1), offset);
    json_.key("bone");
    json_.number(bone);
  }
  void bonePrefix(Span span, std::uint16_t word) override {
    integerField("prefix", span, word);
    openArray("components");
  }
  void beginComponent(int component, std::uint64_t offset) override {
    openRecord(recordPath() + "/components/" + std::to_string(component - 1), offset);
    json_.key("component");
    json_.number(std::int64_t{component});
    runCount_ = 0;
  }
  void componentPrefix(Span span, std::uint16_t word) override {
    integerField("prefix", span, word);
    openArray("runs");
  }
  void beginRun(Span control, std::uint16_t word, ControlWord run) override {
    openRecord(recordPath() + "/runs/" + std::to_string(runCount_++), control.offset);
    integerField("control", control, word);
    json_.key("repeat");
    json_.boolean(run.repeat);
    json_.key("length");
    json_.number(std::int64_t{run.length});
    openArray("values");
  }
  void sample(Span, std::uint16_t, float value) override { json_.number(value); }
  void endRun(std::uint64_t end) override {
    closeTop(end, true);  // the values
    closeTop(end, true);
  }
  void endComponent(std::uint64_t end) override {
    closeTop(end, true);  // the runs
    closeTop(end, true);
  }
  void endBone(std::uint64_t end) override {
    closeTop(end, true);  // the components
    closeTop(end, true);
  }

  void end(const Ending& ending) override {
    const std::string stoppedAt = ending.outcome == Outcome::complete ? "" : fieldPath(ending);
    while (!open_.empty()) closeTop(ending.offset, false);
    json_.key("end");
    json_.beginObject();
    json_.key("outcome");
    json_.string(outcomeName(ending.outcome));
    json_.key("offset");
    json_.number(static_cast<std::int64_t>(ending.offset));
    if (ending.outcome != Outcome::complete) {
      json_.key("field");
      json_.string(stoppedAt);
      json_.key("reason");
      json_.string(reason(ending));
    }
    json_.key("unread");
    json_.beginObject();
    json_.key("offset");
    json_.number(static_cast<std::int64_t>(ending.offset));
    json_.key("count");
    json_.number(static_cast<std::int64_t>(ending.unread.count));
    json_.key("firstBytes");
    json_.hex(ending.unread.firstBytes);
    json_.endObject();
    json_.endObject();
  }

  void cannotOpen(const std::string& reason) override {
    json_.key("end");
    json_.beginObject();
    json_.key("outcome");
    json_.string("cannotOpen");
    json_.key("reason");
    json_.string(reason);
    json_.endObject();
  }

  bool finish() override {
    json_.closeAll();
    return json_.finish();
  }

 private:
  // An object or array opened below the document: a record gets its size and whether it is
  // complete when it closes, and is where the fields being read belong.
  struct Open {
    bool record;
    std::uint64_t offset;
    std::string path;  // a record's JSON Pointer
  };

  void openRecord(std::string path, std::uint64_t offset) {
    json_.beginObject();
    json_.key("offset");
    json_.number(static_cast<std::int64_t>(offset));
    open_.push_back({true, offset, std::move(path)});
  }
  void openArray(const char* key) {
    json_.key(key);
    json_.beginArray();
    open_.push_back({false, 0, {}});
  }
  void closeTop(std::uint64_t end, bool complete) {
    const Open top = open_.back();
    open_.pop_back();
    if (!top.record) {
      json_.endArray();
      return;
    }
    json_.key("size");
    json_.number(static_cast<std::int64_t>(end - top.offset));
    json_.key("complete");
    json_.boolean(complete);
    json_.endObject();
  }
  // The JSON Pointer of the innermost open record; empty at the top of the document.
  std::string recordPath() const {
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
      if (it->record) return it->path;
    }
    return {};
  }

  void spanMembers(Span span) {
    json_.key("offset");
    json_.number(static_cast<std::int64_t>(span.offset));
    json_.key("size");
    json_.number(static_cast<std::int64_t>(span.size));
  }
  void integerField(const char* key, Span span, std::int64_t value) {
    json_.key(key);
    json_.beginObject();
    spanMembers(span);
    json_.key("value");
    json_.number(value);
    json_.endObject();
  }

  static const char* outcomeName(Outcome outcome) {
    switch (outcome) {
      case Outcome::complete:
        return "complete";
      case Outcome::fileEndsEarly:
        return "fileEndsEarly";
      case Outcome::headerRefused:
        return "headerRefused";
      case Outcome::nameLengthRefused:
        return "nameLengthRefused";
    }
    return "";
  }

  // A JSON Pointer to the member the run stopped at.
  std::string fieldPath(const Ending& ending) const {
    if (ending.outcome == Outcome::headerRefused) return "/header";
    if (ending.outcome == Outcome::nameLengthRefused) return recordPath() + "/length";
    std::string path = recordPath() + "/" + ending.field.key;
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict, bug 105329) on "/" + text.
    if (ending.index >= 0) path.append("/").append(std::to_string(ending.index));
    return path;
  }

  std::string reason(const Ending& ending) const {
    switch (ending.outcome) {
      case Outcome::headerRefused:
        return "the header is " + std::to_string(header_) + ", not " +
               std::to_string(kExpectedHeader);
      case Outcome::nameLengthRefused:
        return "the name length " + std::to_string(nameLength_) + " is above " +
               std::to_string(kMaxNameLength);
      case Outcome::fileEndsEarly:
        return common::fileEndsEarlyReason(ending.offset);
      case Outcome::complete:
        break;
    }
    return "";
  }

  common::JsonWriter json_;
  std::vector<Open> open_;
  std::int32_t header_ = 0;
  std::uint16_t nameLength_ = 0;
  std::int64_t runCount_ = 0;  // runs begun in the component being read
};

}  // namespace

std::unique_ptr<Printer> makeJsonPrinter(const char* path) {
  return std::make_unique<JsonPrinter>(path);
}

}  // namespace bafdump
