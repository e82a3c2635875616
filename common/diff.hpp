#pragma once

// Two files of one format compared field by field (--diff). Each file is walked on a thread of
// its own by the format's walk, which hands what it reads to a channel; the comparison follows
// the two walks in step, a batch of events at a time, so its memory is the same whatever the
// files' sizes. A field is named by its JSON Pointer in the file's document and compared by its
// value, wherever it lies; a record only one file has is reported once, not field by field; the
// samples of a coded stream are compared frame by frame, whatever runs code them.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "report_form.hpp"
#include "walk.hpp"

namespace common {

// What a walk hands on, kept until the comparison takes it.
struct WalkEvent {
  // `unread`: bytes after the last field, a piece of them an event, after every field.
  enum class Kind : std::uint8_t { open, close, integer, real, sample, name, unread, end };
  Kind kind = Kind::end;
  const Scope* scope = nullptr;  // of open and close
  const Field* field = nullptr;  // of a field
  std::int64_t integer = 0;      // an integer's value, a record's number, a sample's frames
  float real = 0;                // a float's or a sample's value
  Span span{};                   // a field's; where a scope opens
  std::string bytes;             // a name's, or a piece of the bytes after the last field
};

// How a walk ended, as the document's "end" gives it, or why its file did not open.
struct WalkEnd {
  std::optional<std::string> cannotOpen = {};
  std::string outcome = {};
  std::string pointer = {};  // of the field it stopped at, if any
  std::uint64_t offset = 0;
  std::string fieldBytes = {};  // of the field it ends in, as far as the file holds it
  std::uint64_t unreadCount = 0;
  std::string unreadFirstBytes = {};
};

// The events of one walk, handed from its thread to the comparison a batch at a time. A walk
// that runs ahead waits while two batches wait; one the comparison no longer wants stops at its
// next event.
class EventChannel {
 public:
  // The walk's side: the next event to fill in, and the last call.
  WalkEvent& add();
  void finish(WalkEnd end);

  // The comparison's side: the next event, or nothing once the walk has ended; then its end.
  const WalkEvent* next();
  const WalkEnd& end() const { return end_; }
  // Makes the walk stop at its next event.
  void abandon();

  // Thrown into an abandoned walk.
  struct Abandoned {};

 private:
  static constexpr std::size_t kBatchEvents = 4096;
  static constexpr std::size_t kBatchBytes = std::size_t{1} << 20;
  static constexpr std::size_t kWaitingBatches = 2;

  void handOver();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<WalkEvent>> ready_;
  bool finished_ = false;
  bool abandoned_ = false;
  WalkEnd end_;
  std::vector<std::vector<WalkEvent>> spare_;  // taken, for the walk to fill again
  std::vector<WalkEvent> filling_;             // the walk's
  std::size_t fillingBytes_ = 0;               // of names and of the bytes after the last field
  std::vector<WalkEvent> taking_;              // the comparison's
  std::size_t taken_ = 0;
};

// A dump printer that hands everything a walk reads to a channel.
template <typename Outcome>
class WalkRecorder final : public DumpPrinter<Outcome> {
 public:
  WalkRecorder(EventChannel& channel, std::span<const char* const> outcomeNames)
      : channel_(channel), outcomeNames_(outcomeNames) {}

  void open(const Scope& scope, std::int64_t number, std::uint64_t offset) override {
    WalkEvent& event = channel_.add();
    event.kind = WalkEvent::Kind::open;
    event.scope = &scope;
    event.integer = number;
    event.span = {offset, 0};
  }
  void close(const Scope& scope, std::uint64_t) override {
    WalkEvent& event = channel_.add();
    event.kind = WalkEvent::Kind::close;
    event.scope = &scope;
  }
  void integer(const Field& field, Span span, std::int64_t value) override {
    add(WalkEvent::Kind::integer, field, span).integer = value;
  }
  void real(const Field& field, Span span, float value) override {
    add(WalkEvent::Kind::real, field, span).real = value;
  }
  void sample(const Field& field, Span span, float value, int frames) override {
    WalkEvent& event = add(WalkEvent::Kind::sample, field, span);
    event.real = value;
    event.integer = frames;
  }
  void name(const Field& field, Span span, std::string_view bytes) override {
    add(WalkEvent::Kind::name, field, span).bytes = bytes;
  }

  void end(const Ending<Outcome>& ending) override {
    // The bytes after the last field, which two files may differ in too.
    if (ending.unread.count > 0 && ending.unread.rest != nullptr) {
      std::array<char, 4096> piece;
      for (std::size_t got;
           (got = ending.unread.rest->read(piece.data(), piece.size()).value_or(0)) > 0;) {
        WalkEvent& event = channel_.add();
        event.kind = WalkEvent::Kind::unread;
        event.bytes.assign(piece.data(), got);
      }
    }
    channel_.finish({.outcome = outcomeNames_[static_cast<std::size_t>(ending.outcome)],
                     .pointer = ending.pointer,
                     .offset = ending.offset,
                     .fieldBytes = ending.fieldBytes,
                     .unreadCount = ending.unread.count,
                     .unreadFirstBytes = ending.unread.firstBytes});
  }
  void cannotOpen(const std::string& reason) override { channel_.finish({.cannotOpen = reason}); }
  bool finish() override { return true; }

 private:
  WalkEvent& add(WalkEvent::Kind kind, const Field& field, Span span) {
    WalkEvent& event = channel_.add();
    event.kind = kind;
    event.field = &field;
    event.span = span;
    return event;
  }

  EventChannel& channel_;
  std::span<const char* const> outcomeNames_;
};

// A file of the comparison: its name, and where its bytes come from.
struct DiffInput {
  ByteSource& source;
  const char* path;
};

// Compares the walks of the two files whose events come through `a` and `b`, and prints the
// differences in `form` (the text or a JSON document of the format `format`). Returns the exit
// code: 0 when no field differs, 1 when some do, 2 when a file cannot be opened or the report
// cannot be written.
int compareWalks(EventChannel& a, EventChannel& b, std::string_view format, const DiffInput& inputA,
                 const DiffInput& inputB, Form form);

// Runs a walk on a thread of its own; abandons it, if it is still walking, and waits for it to
// end when it goes.
class WalkThread {
 public:
  WalkThread(EventChannel& channel, std::function<void()> walk)
      : channel_(channel), thread_([walk = std::move(walk)] {
          try {
            walk();
          } catch (const EventChannel::Abandoned&) {
          }
        }) {}
  ~WalkThread() {
    channel_.abandon();
    thread_.join();
  }
  WalkThread(const WalkThread&) = delete;
  WalkThread& operator=(const WalkThread&) = delete;

 private:
  EventChannel& channel_;
  std::thread thread_;
};

// --diff: compares the files `a` and `b` of the format that `walkFile` walks, whose document
// names its format `format` and its outcomes `outcomeNames`. Returns the exit code.
template <typename Outcome>
int diffFiles(const DiffInput& a, const DiffInput& b, std::string_view format,
              std::span<const char* const> outcomeNames, Ending<Outcome> (*walkFile)(Walk&),
              Form form) {
  EventChannel channelA;
  EventChannel channelB;
  const auto walkInto = [outcomeNames, walkFile](EventChannel& channel, ByteSource& input) {
    return [&channel, &input, outcomeNames, walkFile] {
      WalkRecorder<Outcome> recorder(channel, outcomeNames);
      dumpFile(input, recorder, walkFile);
    };
  };
  const WalkThread walkA(channelA, walkInto(channelA, a.source));
  const WalkThread walkB(channelB, walkInto(channelB, b.source));
  return compareWalks(channelA, channelB, format, a, b, form);
}

}  // namespace common
