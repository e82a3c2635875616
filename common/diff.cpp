#include "diff.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <memory>

#include "json_report.hpp"
#include "number_text.hpp"
#include "report.hpp"
#include "utf8.hpp"

namespace common {

WalkEvent& EventChannel::add() {
  if (!filling_.empty()) fillingBytes_ += filling_.back().bytes.size();
  if (filling_.size() == kBatchEvents || fillingBytes_ >= kBatchBytes) handOver();
  return filling_.emplace_back();
}

void EventChannel::handOver() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return abandoned_ || ready_.size() < kWaitingBatches; });
  if (abandoned_) throw Abandoned{};
  ready_.push_back(std::move(filling_));
  filling_.clear();
  // A batch the comparison is done with keeps its room for the next.
  if (!spare_.empty()) {
    filling_.swap(spare_.back());
    spare_.pop_back();
    filling_.clear();
  }
  fillingBytes_ = 0;
  changed_.notify_all();
}

void EventChannel::finish(WalkEnd end) {
  const std::lock_guard lock(mutex_);
  if (!filling_.empty()) ready_.push_back(std::move(filling_));
  end_ = std::move(end);
  finished_ = true;
  changed_.notify_all();
}

const WalkEvent* EventChannel::next() {
  if (taken_ < taking_.size()) return &taking_[taken_++];
  std::unique_lock lock(mutex_);
  if (!taking_.empty()) spare_.push_back(std::move(taking_));
  taking_.clear();
  changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
  if (ready_.empty()) return nullptr;
  taking_ = std::move(ready_.front());
  ready_.pop_front();
  taken_ = 0;
  changed_.notify_all();
  return &taking_[taken_++];
}

void EventChannel::abandon() {
  const std::lock_guard lock(mutex_);
  abandoned_ = true;
  changed_.notify_all();
}

namespace {

using Kind = WalkEvent::Kind;

// How an event moves the depth of the scopes open.
int depthChange(Kind kind) {
  return kind == Kind::open ? 1 : kind == Kind::close ? -1 : 0;
}

// One file's walk as the comparison follows it: the next event, and where it stands in the
// file's document.
class Side {
 public:
  explicit Side(EventChannel& channel) : channel_(channel) {}

  // The next event, which stays until it is taken; the end once the walk has ended.
  const WalkEvent& peek() {
    if (event_ == nullptr) {
      event_ = channel_.next();
      if (event_ == nullptr) event_ = &kEnd;
    }
    return *event_;
  }
  // Whether every field has been read: the bytes after the last one, or the end, are next.
  bool ended() { return peek().kind == Kind::unread || peek().kind == Kind::end; }
  const WalkEnd& end() const { return channel_.end(); }

  // Takes the next event, which is not the end.
  void take() {
    const WalkEvent& event = peek();
    if (event.kind == Kind::unread) {
      // The bytes after the last field have no place in the document.
    } else if (event.kind == Kind::close) {
      path_.pop_back();
      elements_.pop_back();
    } else {
      const PathSegment segment = segmentOf(event);
      if (segment.key.empty()) ++elements_.back();
      if (event.kind == Kind::open) {
        path_.push_back(segment);
        elements_.push_back(0);
      }
    }
    event_ = nullptr;
  }
  // Takes the next event and, if it opens a scope, everything in it, unless the walk ends there.
  void skip() {
    int depth = 0;
    do {
      const Kind kind = peek().kind;
      if (ended()) return;
      depth += depthChange(kind);
      take();
    } while (depth > 0);
  }

  // The JSON Pointer of the next event's field or scope, and of the innermost open scope.
  std::string pointer() {
    std::vector<PathSegment> place = path_;
    place.push_back(segmentOf(peek()));
    return pointerOf(place);
  }
  std::string here() const { return pointerOf(path_); }

 private:
  inline static const WalkEvent kEnd{};

  PathSegment segmentOf(const WalkEvent& event) const {
    const std::string_view key = event.field != nullptr ? event.field->key : event.scope->key;
    if (!key.empty()) return {key};
    return {{}, elements_.back()};
  }

  EventChannel& channel_;
  const WalkEvent* event_ = nullptr;
  std::vector<PathSegment> path_;
  std::vector<std::int64_t> elements_{0};  // of each open scope so far, the document's first
};

// The frames of a coded stream of samples, one at a time, from where a walk stands in it.
class Frames {
 public:
  // `depth` scopes deep in the stream, after `framesBefore` frames.
  Frames(Side& side, int depth, std::int64_t framesBefore)
      : side_(side), depth_(depth), frame_(framesBefore) {}

  // Moves to the next frame; false at the end of the stream (taken) or of the walk.
  bool next() {
    if (left_ > 0) {
      --left_;
      ++frame_;
      return true;
    }
    for (;;) {
      if (side_.ended()) return false;
      const WalkEvent& event = side_.peek();
      if (event.kind == Kind::close && depth_ == 0) {
        side_.take();
        return false;
      }
      depth_ += depthChange(event.kind);
      const bool frames = event.kind == Kind::sample && event.integer > 0;
      if (frames) {
        value_ = event.real;
        offset_ = event.span.offset;
        left_ = event.integer - 1;
        ++frame_;
      }
      side_.take();
      if (frames) return true;
    }
  }
  std::int64_t frame() const { return frame_; }
  float value() const { return value_; }
  std::uint64_t offset() const { return offset_; }

 private:
  Side& side_;
  int depth_;  // within the stream
  std::int64_t frame_;
  std::int64_t left_ = 0;  // frames of the current sample still to come
  float value_ = 0;
  std::uint64_t offset_ = 0;
};

// One side of a difference: where its field or record lies in its file, and what it holds.
struct DiffSide {
  std::uint64_t offset = 0;
  Kind kind = Kind::open;  // of the field; open for a record or frames, which have no value
  std::int64_t integer = 0;
  float real = 0;
  std::string_view bytes = {};
  std::int64_t frames = 0;  // that only this file has
  const WalkEnd* end = nullptr;
};

DiffSide sideOf(const WalkEvent& event) {
  return {event.span.offset, event.kind, event.integer, event.real, event.bytes};
}

DiffSide sampleSide(const Frames& frames) {
  return {.offset = frames.offset(), .kind = Kind::sample, .real = frames.value()};
}

struct Difference {
  std::string_view kind = {};  // empty for a changed value; "added", "removed", "otherCoding"...
  std::string field = {};      // its JSON Pointer
  std::int64_t frame = 0;      // of a sample, from 1; 0 for none
  std::optional<DiffSide> a = {};
  std::optional<DiffSide> b = {};
};

class DiffReport {
 public:
  virtual ~DiffReport() = default;
  virtual void difference(const Difference& difference) = 0;
  // The only call when the file `path` cannot be opened.
  virtual void cannotOpen(const char* path, const std::string& reason) = 0;
  // The last call; false when the report could not be written.
  virtual bool finish(std::int64_t compared, std::int64_t differing) = 0;
};

// A name as the document gives its text, up to its first NUL, as a JSON string; with its bytes in
// hex when the text does not hold them all (a NUL, bytes that are not UTF-8).
void appendName(std::string& text, std::string_view bytes) {
  const std::string_view shown = bytes.substr(0, bytes.find('\0'));
  appendJsonString(text, shown);
  if (shown.size() == bytes.size() && withInvalidUtf8Replaced(shown) == shown) return;
  text += " (hex ";
  appendHexDigits(text, bytes);
  text += ')';
}

void appendEnd(std::string& text, const WalkEnd& end) {
  text += end.outcome;
  if (!end.pointer.empty()) text.append(" in ").append(end.pointer);
  if (!end.fieldBytes.empty()) {
    text += " (holding ";
    appendHexDigits(text, end.fieldBytes);
    text += ')';
  }
  if (end.unreadCount == 0) return;
  text.append(" and ").append(std::to_string(end.unreadCount)).append(" bytes unread (");
  appendHexDigits(text, end.unreadFirstBytes);
  text.append(end.unreadCount > end.unreadFirstBytes.size() ? "...)" : ")");
}

// "0.5 at 340 in A"; "at 120 in B" for a record.
void appendSide(std::string& text, const DiffSide& side, char file) {
  switch (side.kind) {
    case Kind::integer:
      text += std::to_string(side.integer);
      break;
    case Kind::real:
    case Kind::sample:
      appendExactFloat(text, side.real);
      if (!std::isfinite(side.real)) {
        text.append(" (bits ").append(floatBitsText(side.real)).append(")");
      }
      break;
    case Kind::name:
      appendName(text, side.bytes);
      break;
    case Kind::end:
      appendEnd(text, *side.end);
      break;
    case Kind::open:
    case Kind::close:
    case Kind::unread:
      break;
  }
  if (side.kind != Kind::open) text += ' ';
  text.append("at ").append(std::to_string(side.offset)).append(" in ").append(1, file);
}

// A line a difference, then a line of the counts.
class TextDiff final : public DiffReport {
 public:
  void difference(const Difference& difference) override {
    std::string line = difference.field;
    if (difference.frame > 0) {
      const std::int64_t frames = (difference.a ? difference.a : difference.b)->frames;
      line += frames > 1 ? ", frames " : ", frame ";
      line += std::to_string(difference.frame);
      if (frames > 1) line.append(" to ").append(std::to_string(difference.frame + frames - 1));
    }
    line += ": ";
    if (difference.kind == "otherCoding") line += "same samples, other coding, ";
    if (difference.kind == "added" || difference.kind == "removed") {
      line.append(difference.kind).append(", ");
    }
    if (difference.a) appendSide(line, *difference.a, 'A');
    if (difference.a && difference.b) line += difference.kind == "otherCoding" ? " and " : ", ";
    if (difference.b) appendSide(line, *difference.b, 'B');
    printLine(line);
  }
  void cannotOpen(const char* path, const std::string& reason) override {
    writeCannotOpen(stderr, path, reason);
  }
  bool finish(std::int64_t compared, std::int64_t differing) override {
    printLine(compared, " fields compared, ", differing, " differ");
    if (std::ferror(stdout) == 0) return true;
    printWriteFailure();
    return false;
  }
};

// One JSON document: the format, the two files, every difference, and the counts.
class JsonDiff final : public DiffReport {
 public:
  JsonDiff(std::string_view format, const char* pathA, const char* pathB) : json_(stdout) {
    json_.beginObject();
    json_.key("format");
    json_.string(format);
    json_.key("a");
    json_.string(pathA);
    json_.key("b");
    json_.string(pathB);
    json_.key("differences");
    json_.beginArray();
  }

  void difference(const Difference& difference) override {
    json_.beginObject();
    json_.key("field");
    json_.string(difference.field);
    if (difference.frame > 0) {
      json_.key("frame");
      json_.number(difference.frame);
    }
    if (!difference.kind.empty()) {
      json_.key("kind");
      json_.string(difference.kind);
    }
    if (difference.a) side("a", *difference.a);
    if (difference.b) side("b", *difference.b);
    json_.endObject();
  }
  void cannotOpen(const char* path, const std::string& reason) override {
    writeCannotOpen(stderr, path, reason);
    json_.endArray();
    json_.key("end");
    json_.beginObject();
    json_.key("outcome");
    json_.string("cannotOpen");
    json_.key("file");
    json_.string(path);
    json_.key("reason");
    json_.string(reason);
    json_.closeAll();
    finishDocument();
  }
  bool finish(std::int64_t compared, std::int64_t differing) override {
    json_.endArray();
    json_.key("end");
    json_.beginObject();
    json_.key("outcome");
    json_.string(differing == 0 ? "same" : "different");
    json_.key("compared");
    json_.number(compared);
    json_.key("differing");
    json_.number(differing);
    json_.closeAll();
    return finishDocument();
  }

 private:
  void side(std::string_view key, const DiffSide& side) {
    json_.key(key);
    json_.beginObject();
    json_.key("offset");
    json_.number(static_cast<std::int64_t>(side.offset));
    switch (side.kind) {
      case Kind::integer:
        json_.key("value");
        json_.number(side.integer);
        break;
      case Kind::real:
      case Kind::sample:
        writeFloatValue(json_, side.real);
        break;
      case Kind::name:
        json_.key("value");
        json_.string(side.bytes.substr(0, side.bytes.find('\0')));
        json_.key("hex");
        json_.hex(side.bytes);
        break;
      case Kind::end:
        endValue(*side.end);
        break;
      case Kind::open:
      case Kind::close:
      case Kind::unread:
        break;
    }
    if (side.frames > 0) {
      json_.key("frames");
      json_.number(side.frames);
    }
    json_.endObject();
  }
  void endValue(const WalkEnd& end) {
    json_.key("value");
    json_.string(end.outcome);
    if (!end.pointer.empty()) {
      json_.key("at");
      json_.string(end.pointer);
    }
    if (!end.fieldBytes.empty()) {
      json_.key("fieldBytes");
      json_.hex(end.fieldBytes);
    }
    json_.key("unread");
    json_.number(static_cast<std::int64_t>(end.unreadCount));
    json_.key("firstBytes");
    json_.hex(end.unreadFirstBytes);
  }
  bool finishDocument() {
    if (json_.finish()) return true;
    printWriteFailure();
    return false;
  }

  JsonWriter json_;
};

bool sameValue(const WalkEvent& a, const WalkEvent& b) {
  switch (a.kind) {
    case Kind::real:
    case Kind::sample:
      // Bit for bit: -0 is not 0, and each NaN is its own.
      return std::bit_cast<std::uint32_t>(a.real) == std::bit_cast<std::uint32_t>(b.real) &&
             a.integer == b.integer;
    case Kind::name:
      return a.bytes == b.bytes;
    default:
      return a.integer == b.integer;
  }
}

bool sameItem(const WalkEvent& a, const WalkEvent& b) {
  return a.kind == b.kind && a.scope == b.scope && a.field == b.field;
}

bool sameEnd(const WalkEnd& a, const WalkEnd& b) {
  return a.outcome == b.outcome && a.pointer == b.pointer && a.fieldBytes == b.fieldBytes &&
         a.unreadCount == b.unreadCount && a.unreadFirstBytes == b.unreadFirstBytes;
}

// The two walks followed in step, each difference handed to the report as it is found.
class Comparison {
 public:
  Comparison(Side& a, Side& b, DiffReport& report) : a_(a), b_(b), report_(report) {}

  // Compares everything, up to where the walks end, then how they end.
  void run() {
    compareScope();
    while (!a_.ended()) a_.skip();
    while (!b_.ended()) b_.skip();
    const bool sameUnread = sameBytesAfterTheLastField();
    if (sameUnread && sameEnd(a_.end(), b_.end())) return;
    Difference stop{.kind = "end", .field = "/end"};
    stop.a = DiffSide{.offset = a_.end().offset, .kind = Kind::end, .end = &a_.end()};
    stop.b = DiffSide{.offset = b_.end().offset, .kind = Kind::end, .end = &b_.end()};
    report(stop);
  }

  std::int64_t compared() const { return compared_; }
  std::int64_t differing() const { return differing_; }

 private:
  // Takes the bytes after the last field from both walks, a piece at a time, to their ends.
  bool sameBytesAfterTheLastField() {
    std::string pieceA;
    std::string pieceB;
    std::string_view leftA;
    std::string_view leftB;
    bool same = true;
    for (;;) {
      refill(a_, pieceA, leftA);
      refill(b_, pieceB, leftB);
      if (leftA.empty() || leftB.empty()) break;
      const std::size_t common = std::min(leftA.size(), leftB.size());
      same = same && leftA.substr(0, common) == leftB.substr(0, common);
      leftA.remove_prefix(common);
      leftB.remove_prefix(common);
    }
    // What one file has beyond the other's.
    for (Side* side : {&a_, &b_}) {
      for (; side->peek().kind == Kind::unread; side->take()) same = false;
    }
    return same && leftA.empty() && leftB.empty();
  }
  // The next piece of the bytes after the last field, when the one before is used up.
  static void refill(Side& side, std::string& piece, std::string_view& left) {
    if (!left.empty() || side.peek().kind != Kind::unread) return;
    piece = side.peek().bytes;
    side.take();
    left = piece;
  }

  void report(const Difference& difference) {
    ++differing_;
    report_.difference(difference);
  }

  // From where both walks stand to the close of the scope they are in (taken), or until one of
  // them ends.
  void compareScope() {
    for (;;) {
      if (a_.ended() || b_.ended()) return;
      const WalkEvent& a = a_.peek();
      const WalkEvent& b = b_.peek();
      const bool aCloses = a.kind == Kind::close;
      const bool bCloses = b.kind == Kind::close;
      if (aCloses && bCloses) {
        a_.take();
        b_.take();
        return;
      }
      // What one file has where the other has something else is that file's alone.
      if (aCloses) {
        onlyIn(b_, "added");
      } else if (bCloses || !sameItem(a, b)) {
        onlyIn(a_, "removed");
      } else if (a.kind != Kind::open) {
        compareField(a, b);
      } else if (a.scope->samplesByFrame) {
        compareSamples();
      } else {
        a_.take();
        b_.take();
        compareScope();
      }
    }
  }

  // A field or a record of one file only: reported once, with its pointer, offset and value.
  void onlyIn(Side& side, std::string_view kind) {
    Difference difference{.kind = kind, .field = side.pointer()};
    (&side == &a_ ? difference.a : difference.b) = sideOf(side.peek());
    report(difference);
    side.skip();
  }

  void compareField(const WalkEvent& a, const WalkEvent& b) {
    ++compared_;
    if (!sameValue(a, b)) report({.field = a_.pointer(), .a = sideOf(a), .b = sideOf(b)});
    a_.take();
    b_.take();
  }

  // A coded stream of samples, from its open: while the two codings agree event by event, so do
  // their samples; from where they part, the samples are compared frame by frame.
  void compareSamples() {
    const std::string stream = a_.here();
    Difference otherCoding{.kind = "otherCoding", .field = a_.pointer()};
    otherCoding.a = DiffSide{.offset = a_.peek().span.offset};
    otherCoding.b = DiffSide{.offset = b_.peek().span.offset};
    a_.take();
    b_.take();
    std::int64_t framesBefore = 0;
    int depth = 0;
    for (;;) {
      if (a_.ended() || b_.ended()) {
        compared_ += framesBefore;
        return;
      }
      const WalkEvent& a = a_.peek();
      const WalkEvent& b = b_.peek();
      if (!sameItem(a, b) || !sameValue(a, b)) break;
      depth += depthChange(a.kind);
      if (a.kind == Kind::sample) framesBefore += a.integer;
      a_.take();
      b_.take();
      if (depth < 0) {
        compared_ += framesBefore;
        return;
      }
    }
    compared_ += framesBefore;
    Frames a(a_, depth, framesBefore);
    Frames b(b_, depth, framesBefore);
    bool samplesDiffer = false;
    for (;;) {
      const bool inA = a.next();
      const bool inB = b.next();
      if (!inA || !inB) {
        if (inA && !b_.ended()) samplesDiffer |= onlyFrames(stream, a, a_, "removed");
        if (inB && !a_.ended()) samplesDiffer |= onlyFrames(stream, b, b_, "added");
        break;
      }
      ++compared_;
      if (std::bit_cast<std::uint32_t>(a.value()) == std::bit_cast<std::uint32_t>(b.value())) {
        continue;
      }
      samplesDiffer = true;
      report({.field = stream, .frame = a.frame(), .a = sampleSide(a), .b = sampleSide(b)});
    }
    // The codings parted at two events that differ: as far as both were read, the samples are
    // the same.
    if (!samplesDiffer) report(otherCoding);
  }

  // The frames from `frames`' current one on, which only one file has: reported once.
  bool onlyFrames(const std::string& stream, Frames& frames, Side& side, std::string_view kind) {
    Difference difference{.kind = kind, .field = stream, .frame = frames.frame()};
    DiffSide only{.offset = frames.offset(), .frames = 1};
    while (frames.next()) ++only.frames;
    (&side == &a_ ? difference.a : difference.b) = only;
    report(difference);
    return true;
  }

  Side& a_;
  Side& b_;
  DiffReport& report_;
  std::int64_t compared_ = 0;
  std::int64_t differing_ = 0;
};

}  // namespace

int compareWalks(EventChannel& a, EventChannel& b, std::string_view format, const DiffInput& inputA,
                 const DiffInput& inputB, Form form) {
  std::unique_ptr<DiffReport> report;
  if (form == Form::json) {
    report = std::make_unique<JsonDiff>(format, inputA.path, inputB.path);
  } else {
    report = std::make_unique<TextDiff>();
  }
  Side sideA(a);
  Side sideB(b);
  for (const auto& [side, input] : {std::pair{&sideA, &inputA}, std::pair{&sideB, &inputB}}) {
    if (side->peek().kind == WalkEvent::Kind::end && side->end().cannotOpen) {
      report->cannotOpen(input->path, *side->end().cannotOpen);
      return 2;
    }
  }
  Comparison comparison(sideA, sideB, *report);
  comparison.run();
  if (!report->finish(comparison.compared(), comparison.differing())) return 2;
  return comparison.differing() == 0 ? 0 : 1;
}

}  // namespace common
