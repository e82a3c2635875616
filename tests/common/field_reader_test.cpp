// The checked field reader: little-endian values, the place of every field, the field a short
// read names, and the bytes after the last field read.

#include "common/field_reader.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

constexpr common::FieldName kCount{"count", "count"};
constexpr common::FieldName kValue{"value", "values"};

TEST(FieldReader, ReadsLittleEndianFieldsAndKnowsWhereEachLies) {
  std::istringstream file(std::string("\xfe\xff\xff\xff\x34\x12\x80\x00\x00\xc0\x3f", 11));
  common::StreamFieldReader reader(file);
  EXPECT_EQ(reader.i32(kCount), -2);
  EXPECT_EQ(reader.u16(kValue), 0x1234);
  EXPECT_EQ(reader.last().offset, 4u);
  EXPECT_EQ(reader.last().size, 2u);
  EXPECT_EQ(reader.i8(kValue), -128);
  EXPECT_EQ(reader.f32(kValue), 1.5f);
  EXPECT_EQ(reader.offset(), 11u);
}

TEST(FieldReader, AShortReadNamesTheFieldAndKeepsTheBytesItGot) {
  std::istringstream file(std::string("\x01\x02\x03", 3));
  common::StreamFieldReader reader(file);
  reader.u16(kCount);
  try {
    reader.u16(kValue, 4);
    FAIL() << "a field the file ends in was read";
  } catch (const common::FileEndsEarly& early) {
    EXPECT_EQ(early.field.key, "values");
    EXPECT_EQ(early.index, 4);
    EXPECT_EQ(early.bytes, "\x03");
  }
  EXPECT_EQ(reader.offset(), 3u);  // the one byte of the field that was there
}

TEST(FieldReader, DescribesTheBytesNoFieldAccountsFor) {
  std::string bytes(40, '\x07');
  bytes[2] = '\x01';
  std::istringstream file(bytes);
  common::StreamFieldReader reader(file);
  reader.u16(kCount);
  const common::Unread unread = reader.describeUnread();
  EXPECT_EQ(unread.count, 38u);
  EXPECT_EQ(unread.firstBytes, bytes.substr(2, common::kUnreadShown));
}

}  // namespace
