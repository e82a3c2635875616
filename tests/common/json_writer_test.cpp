// The streaming JSON writer and the documents' shape above it: what every tool's document rests
// on, checked once.

#include "common/json_writer.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

#include "common/json_report.hpp"
#include "run_tool.hpp"

namespace {

// A stream that keeps what it is given, read back whole. The file is in a folder of its own:
// std::tmpfile on Windows may hand two test processes running side by side the same file.
class CapturedStream {
 public:
  CapturedStream() : file_(std::fopen((dir_ / "captured").string().c_str(), "w+b")) {}
  ~CapturedStream() { std::fclose(file_); }
  CapturedStream(const CapturedStream&) = delete;
  CapturedStream& operator=(const CapturedStream&) = delete;

  std::FILE* get() const { return file_; }
  std::string text() const {
    std::fflush(file_);
    std::string bytes;
    std::rewind(file_);
    for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) bytes += static_cast<char>(c);
    return bytes;
  }

 private:
  testing_support::ScratchDir dir_;
  std::FILE* file_;
};

std::string stringAsJson(std::string_view bytes) {
  CapturedStream out;
  common::JsonWriter json(out.get());
  json.beginArray();
  json.string(bytes);
  json.closeAll();
  EXPECT_TRUE(json.finish());
  const std::string text = out.text();
  return text.substr(2, text.size() - 5);  // between [" and "]\n
}

TEST(JsonWriterStrings, EscapesWhatJsonMustAndKeepsTheRest) {
  EXPECT_EQ(stringAsJson("plain text"), "plain text");
  EXPECT_EQ(stringAsJson("a\"b\\c"), "a\\\"b\\\\c");
  EXPECT_EQ(stringAsJson("\n\r\t"), "\\n\\r\\t");
  EXPECT_EQ(stringAsJson(std::string("\x00\x01\x1f", 3)), "\\u0000\\u0001\\u001f");
  EXPECT_EQ(stringAsJson("\x7f"), "\x7f");
  EXPECT_EQ(stringAsJson("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"),
            "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
}

TEST(JsonWriterStrings, ReplacesEveryByteOfInvalidUtf8) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(stringAsJson("a\xff"
                         "b"),
            "a" + replacement + "b");
  EXPECT_EQ(stringAsJson("\xc0\x80"), replacement + replacement);                    // overlong
  EXPECT_EQ(stringAsJson("\xed\xa0\x80"), replacement + replacement + replacement);  // surrogate
  EXPECT_EQ(stringAsJson("\xf4\x90\x80\x80"),
            replacement + replacement + replacement + replacement);  // above U+10FFFF
  EXPECT_EQ(stringAsJson("\xe2\x82"), replacement + replacement);    // cut short
  EXPECT_EQ(stringAsJson("\x80z"), replacement + "z");               // a lone continuation byte
}

std::string floatAsJson(float value) {
  CapturedStream out;
  common::JsonWriter json(out.get());
  json.beginArray();
  json.number(value);
  json.closeAll();
  EXPECT_TRUE(json.finish());
  const std::string text = out.text();
  return text.substr(1, text.size() - 3);
}

TEST(JsonWriterNumbers, FloatsInTheShortestTextThatReadsBack) {
  EXPECT_EQ(floatAsJson(0.1f), "0.1");
  EXPECT_EQ(floatAsJson(1.0f), "1");
  EXPECT_EQ(floatAsJson(-2.25f), "-2.25");
  EXPECT_EQ(floatAsJson(1e-5f), "1e-05");
  EXPECT_EQ(floatAsJson(std::numeric_limits<float>::max()), "3.4028235e+38");
  EXPECT_EQ(floatAsJson(std::numeric_limits<float>::denorm_min()), "1e-45");
  // "-0" would read back as the integer 0 in most parsers.
  EXPECT_EQ(floatAsJson(-0.0f), "-0.0");
  EXPECT_EQ(floatAsJson(std::numeric_limits<float>::quiet_NaN()), "null");
  EXPECT_EQ(floatAsJson(-std::numeric_limits<float>::infinity()), "null");
}

TEST(JsonWriterStructure, CommasKeysAndEveryContainerClosed) {
  CapturedStream out;
  common::JsonWriter json(out.get());
  json.beginObject();
  json.key("n");
  json.number(std::int64_t{-9223372036854775807 - 1});
  json.key("list");
  json.beginArray();
  json.boolean(true);
  json.hex(std::string("\x00\xab", 2));
  json.beginObject();
  json.endObject();
  json.closeAll();  // a stop leaves containers open: closeAll closes them all
  EXPECT_TRUE(json.finish());
  EXPECT_EQ(out.text(), "{\"n\":-9223372036854775808,\"list\":[true,\"00ab\",{}]}\n");
}

TEST(JsonWriterStructure, HandsTheDocumentOnBeforeItEnds) {
  CapturedStream out;
  std::setvbuf(out.get(), nullptr, _IONBF, 0);
  common::JsonWriter json(out.get());
  json.beginArray();
  for (int i = 0; i < 1000; ++i) json.string("0123456789");
  EXPECT_GT(std::ftell(out.get()), 4000);  // 4 KiB at a time, not all at the end
  json.closeAll();
  EXPECT_TRUE(json.finish());
  EXPECT_EQ(out.text().size(), 1 + 1000 * 13 - 1 + 2);
}

std::string reportOf(void (*write)(common::JsonReport&)) {
  CapturedStream out;
  common::JsonReport report(out.get(), "fmt", "in.bin");
  write(report);
  EXPECT_TRUE(report.finish());
  return out.text();
}

TEST(JsonReport, FieldsWithTheirPlaceAndFloatsJsonCannotHold) {
  EXPECT_EQ(reportOf([](common::JsonReport& report) {
              report.integerField("count", {4, 4}, -1);
              report.floatField("inf", {8, 4}, std::numeric_limits<float>::infinity());
              report.nameField("name", {12, 3}, std::string("ab\0", 3));
            }),
            R"({"format":"fmt","file":"in.bin","count":{"offset":4,"size":4,"value":-1},)"
            R"("inf":{"offset":8,"size":4,"value":null,"nonFinite":"inf","bits":"7f800000"},)"
            R"("name":{"offset":12,"size":3,"text":"ab","hex":"616200"}})"
            "\n");
}

// A stop closes what is open, records as incomplete; the end member leaves out what a run does
// not have.
TEST(JsonReport, StopClosesRecordsIncomplete) {
  EXPECT_EQ(reportOf([](common::JsonReport& report) {
              report.beginArray("items");
              report.beginRecord({}, 10);
              report.endRecord(20);
              report.beginRecord({}, 20);
              report.beginObject("position");
              report.beginArray("floats");
              const std::string field = "/items/1/position/y/2";
              report.closeOpen(27);
              const common::Unread unread{5, "\x01"};
              report.endMember({"stopped", 27, field, "why", &unread});
            }),
            R"({"format":"fmt","file":"in.bin","items":[{"size":10,"complete":true},)"
            R"({"position":{"floats":[]},"size":7,"complete":false}],)"
            R"("end":{"outcome":"stopped","offset":27,"field":"/items/1/position/y/2",)"
            R"("reason":"why","unread":{"offset":27,"count":5,"firstBytes":"01"}}})"
            "\n");
  EXPECT_EQ(reportOf([](common::JsonReport& report) { report.cannotOpen("No such file"); }),
            R"({"format":"fmt","file":"in.bin","end":{"outcome":"cannotOpen",)"
            R"("reason":"No such file"}})"
            "\n");
}

}  // namespace
