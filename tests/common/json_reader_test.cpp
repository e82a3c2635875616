// The pull JSON reader: every token of a document and where it stands, whatever the size of the
// buffer it is read through, and every kind of text that is not JSON, refused where it is.

#include "common/json_reader.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Token = common::JsonReader::Token;

// Every token as text: its kind, what it holds, and its line and column.
std::vector<std::string> tokensOf(const std::string& document, std::size_t bufferBytes) {
  common::BytesInMemory in(document);
  common::JsonReader reader(in, bufferBytes);
  std::vector<std::string> tokens;
  for (Token token = reader.next();; token = reader.next()) {
    const common::TextPosition at = reader.position();
    std::string text = std::to_string(at.line) + ":" + std::to_string(at.column) + " ";
    switch (token) {
      case Token::beginObject:
        text += "{";
        break;
      case Token::endObject:
        text += "}";
        break;
      case Token::beginArray:
        text += "[";
        break;
      case Token::endArray:
        text += "]";
        break;
      case Token::key:
        text += "key " + std::string(reader.key());
        break;
      case Token::string:
        text += "string " + reader.stringValue(1000);
        break;
      case Token::number:
        text += "number " + std::string(reader.numberText());
        break;
      case Token::boolean:
        text += reader.booleanValue() ? "true" : "false";
        break;
      case Token::null:
        text += "null";
        break;
      case Token::end:
        return tokens;
    }
    tokens.push_back(text);
  }
}

std::string errorOf(const std::string& document) {
  common::BytesInMemory in(document);
  try {
    common::JsonReader reader(in, 3);
    for (Token token = reader.next(); token != Token::end; token = reader.next()) {
      if (token == Token::string) reader.stringValue(1000);
    }
  } catch (const common::JsonError& error) {
    return std::to_string(error.at.line) + ":" + std::to_string(error.at.column) + " " +
           error.message;
  }
  return "no error";
}

TEST(JsonReader, EveryTokenAndWhereItStandsWhateverTheBuffer) {
  const std::string document =
      "\xEF\xBB\xBF{\"a\": [1, -0.5e+3, true, null],\n"
      "  \"\xC3\xA9t\\u00e9\": \"x\\n\\\"\\ud83d\\ude00\xE2\x82\xAC\", \"\": {}}";
  const std::vector<std::string> expected = {
      "1:1 {",
      "1:2 key a",
      "1:7 [",
      "1:8 number 1",
      "1:11 number -0.5e+3",
      "1:20 true",
      "1:26 null",
      "1:30 ]",
      "2:3 key \xC3\xA9t\xC3\xA9",
      "2:15 string x\n\"\xF0\x9F\x98\x80\xE2\x82\xAC",
      "2:37 key ",
      "2:41 {",
      "2:42 }",
      "2:43 }"};
  for (const std::size_t buffer : {1, 2, 3, 7, 65536}) {
    EXPECT_EQ(tokensOf(document, buffer), expected) << "a buffer of " << buffer;
  }
}

TEST(JsonReader, LongStringsComeInPieces) {
  const std::string text(10000, 'h');
  const std::string document = "[\"" + text + "\", \"\\u0041\"]";
  common::BytesInMemory in(document);
  common::JsonReader reader(in, 5);
  ASSERT_EQ(reader.next(), Token::beginArray);
  ASSERT_EQ(reader.next(), Token::string);
  std::string pieces;
  std::size_t count = 0;
  reader.stringPieces([&](std::string_view piece) {
    pieces += piece;
    ++count;
  });
  EXPECT_EQ(pieces, text);
  EXPECT_GT(count, 1u);
  ASSERT_EQ(reader.next(), Token::string);  // read past, unread
  EXPECT_EQ(reader.next(), Token::endArray);
  EXPECT_EQ(reader.next(), Token::end);
}

TEST(JsonReader, TextThatIsNotJsonIsRefusedWhereItIs) {
  EXPECT_EQ(errorOf("[1,]"), "1:4 expected a value");
  EXPECT_EQ(errorOf("{\"a\" 1}"), "1:6 expected ':' after the key");
  EXPECT_EQ(errorOf("{\"a\":1 \"b\":2}"), "1:8 expected ',' or '}' after the member");
  EXPECT_EQ(errorOf("[1}"), "1:3 expected ',' or ']' after the element");
  EXPECT_EQ(errorOf("{1:2}"), "1:2 expected a key in double quotes");
  EXPECT_EQ(errorOf("[012]"), "1:2 not a number as JSON writes one");
  EXPECT_EQ(errorOf("[1.]"), "1:2 not a number as JSON writes one");
  EXPECT_EQ(errorOf("[tru]"), "1:5 expected a value");
  EXPECT_EQ(errorOf("[\"a\nb\"]"), "1:4 a control character in a string must be escaped");
  EXPECT_EQ(errorOf("[\"\\x\"]"), "1:4 not an escape JSON knows");
  EXPECT_EQ(errorOf("[\"\\ud800\"]"), "1:9 a lone surrogate is no character");
  EXPECT_EQ(errorOf("[\"\\u12\"]"), "1:7 a \\u escape needs four hex digits");
  EXPECT_EQ(errorOf("[\"\xC0\x80\"]"), "1:3 not UTF-8");
  EXPECT_EQ(errorOf("[\"\xED\xA0\x80\"]"), "1:4 not UTF-8");
  EXPECT_EQ(errorOf("[\"abc"), "1:6 the document ends inside a string");
  EXPECT_EQ(errorOf("{\"a\":"), "1:6 the document ends where a value should be");
  EXPECT_EQ(errorOf("{} {}"), "1:4 more text after the end of the document");
  EXPECT_EQ(errorOf(std::string(65, '[') + std::string(65, ']')), "1:65 nested more than 64 deep");
  EXPECT_EQ(errorOf("\xFF\xFE{\0}"),
            "1:1 the document is UTF-16; save it as UTF-8 (in PowerShell: "
            "Out-File -Encoding utf8)");
  EXPECT_EQ(errorOf("{\"a\": 1}"), "no error");
}

}  // namespace
