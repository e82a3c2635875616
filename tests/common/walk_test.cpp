// The checked field reader (little-endian values, the place of every field, the bytes of a short
// read, and the bytes after the last field read), and the walk's scopes as a printer sees them.

#include "common/walk.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using common::FieldType;

TEST(FieldReader, ReadsLittleEndianFieldsAndKnowsWhereEachLies) {
  common::BytesInMemory file(std::string_view("\xfe\xff\xff\xff\x34\x12\x80\x00\x00\xc0\x3f", 11));
  common::StreamFieldReader reader(file);
  EXPECT_EQ(reader.integer(FieldType::i32, {}), -2);
  EXPECT_EQ(reader.integer(FieldType::u16, {}), 0x1234);
  EXPECT_EQ(reader.last().offset, 4u);
  EXPECT_EQ(reader.last().size, 2u);
  EXPECT_EQ(reader.integer(FieldType::i8, {}), -128);
  EXPECT_EQ(reader.real({}), 1.5f);
  EXPECT_EQ(reader.offset(), 11u);
}

TEST(FieldReader, AShortReadKeepsTheBytesItGot) {
  common::BytesInMemory file(std::string_view("\x01\x02\x03", 3));
  common::StreamFieldReader reader(file);
  reader.integer(FieldType::u16, {});
  try {
    reader.integer(FieldType::u16, {});
    FAIL() << "a field the file ends in was read";
  } catch (const common::FileEndsEarly& early) {
    EXPECT_EQ(early.bytes, "\x03");
  }
  EXPECT_EQ(reader.offset(), 3u);  // the one byte of the field that was there
}

TEST(FieldReader, DescribesTheBytesNoFieldAccountsFor) {
  std::string bytes(40, '\x07');
  bytes[2] = '\x01';
  common::BytesInMemory file(bytes);
  common::StreamFieldReader reader(file);
  reader.integer(FieldType::u16, {});
  const common::Unread unread = reader.describeUnread();
  EXPECT_EQ(unread.count, 38u);
  EXPECT_EQ(unread.firstBytes, bytes.substr(2, common::kUnreadShown));
}

using common::Field;
using common::Scope;

// What a walk hands its printer, a word a call.
class Trace final : public common::FieldPrinter {
 public:
  void open(const Scope& scope, std::int64_t, std::uint64_t offset) override {
    calls += "open " + std::string(scope.key) + "@" + std::to_string(offset) + " ";
  }
  void close(const Scope&, std::uint64_t end) override {
    calls += "close@" + std::to_string(end) + " ";
  }
  void integer(const Field& field, common::Span, std::int64_t value) override {
    calls += std::string(field.label) + "=" + std::to_string(value) + " ";
  }
  std::string calls;
};

TEST(Walk, ShowsAScopeWithItsFirstFieldAndPlacesAStopInTheDocument) {
  constexpr Scope kRuns{Scope::Kind::array, "runs"};
  constexpr Scope kRun{Scope::Kind::record, {}, {}, false, true};
  constexpr Field kWord{"word", "word", FieldType::u16};
  common::BytesInMemory file(std::string_view("\x01\x00\x02\x00\x03", 5));
  common::StreamFieldReader reader(file);
  Trace trace;
  common::Walk walk(reader, trace);
  walk.open(kRuns);
  for (int run = 0; run < 2; ++run) {
    walk.open(kRun);
    walk.integer(kWord);
    walk.close();
  }
  walk.open(kRun);
  EXPECT_THROW(walk.integer(kWord), common::FileEndsEarly);
  EXPECT_EQ(trace.calls, "open runs@0 open @0 word=1 close@2 open @2 word=2 close@4 ");
  // The run the file ends in was never shown: the stop names it whole.
  EXPECT_EQ(walk.pointerOf(*walk.reading()), "/runs/2");
}

}  // namespace
