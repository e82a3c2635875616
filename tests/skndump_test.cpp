// End-to-end tests of skndump: fixture skins built here, the tool spawned on them, and its whole
// output and exit code compared.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "bytes.hpp"
#include "dump_checks.hpp"
#include "run_tool.hpp"

namespace {

using testing_support::Bytes;
using testing_support::RunResult;

const std::string kUsage =
    "***ERROR***  Please supply a file name:\n\t Useage:  program.exe filename.skn\n\n";
const std::string kNoNames = "\n================\n Number of Names: 0\n================\n\n\n";

RunResult dump(const Bytes& file, std::vector<std::string> extraArgs = {}) {
  return testing_support::dumpBytes(TOOL_PATH, "in.skn", file.str(), std::move(extraArgs));
}

std::string headerLines(std::int32_t header, std::int32_t vertexCount) {
  return "(.skn)header1: " + std::to_string(header) +
         "\nNumberOf Verticies: " + std::to_string(vertexCount) + "\n----------------\n\n";
}

// A vertex stored as position 1, 2, 3 (X, Z, Y), flags 0xFF, 'A', 0x7F, the given weight and
// envelope 4, 5, 6; a weight of 0.5 adds flags 0x80 and 5, second weight 0.25, C_Floats 7, 8, 9.
Bytes vertex(float weight) {
  Bytes record;
  record.f32(1).f32(2).f32(3).u8(0xFF).u8('A').u8(0x7F).f32(weight).f32(4).f32(5).f32(6);
  if (weight == 0.5f) record.u8(0x80).u8(5).f32(0.25f).f32(7).f32(8).f32(9);
  return record;
}

// The lines of vertex() through its envelope.
std::string vertexLines(int number, const std::string& weight) {
  return "*Reading Vertex #: " + std::to_string(number) +
         "\n___________________\n"
         " Vertex Pos_X: 1\n Vertex Pos_Y: 3\n Vertex Pos_Z: 2\n"
         "\tflagA:           -1\n\tBelongs to bone: 65\n\tflagC:           127\n"
         "   Weight: " +
         weight + "\n  Envelope_X: 4\n  Envelope_Y: 6\n  Envelope_Z: 5\n";
}

const std::string kExtensionLines =
    "\t1_EX flag(0.5): -128\n\t2_EX flag(0.5): 5\n"
    "   Weight: 0.25\t// Scale, weight or something\n C_Float: 7\n C_Float: 8\n C_Float: 9\n";

Bytes twoVerticesThreeNames() {
  Bytes file;
  file.i32(1).i32(2).append(vertex(1.0f)).append(vertex(0.5f));
  file.u16(3).name("torso").name(std::string("le\0g", 4)).name("");
  return file;
}

const std::string kTwoVerticesReport =
    headerLines(1, 2) + vertexLines(1, "1") + "\n" + vertexLines(2, "0.5") + kExtensionLines +
    "\n\n================\n Number of Names: 3\n================\n"
    "Text_1 :\ttorso\nText_2 :\tle\nText_3 :\t\n\n\n";

TEST(SkndumpCommandLine, WithoutArgumentsPrintsUsage) {
  testing_support::expectUsageWithoutArguments(TOOL_PATH, kUsage);
}

TEST(SkndumpCommandLine, ExtraArgumentsAreIgnored) {
  EXPECT_EQ(dump(twoVerticesThreeNames(), {"x.skn"}).out, kTwoVerticesReport);
}

TEST(SkndumpReport, FullAndHalfWeightVerticesByteForByte) {
  // Also covers flag bytes 0xFF, 0x80 and 0x7F, a printable bone byte, and the names: one cut at
  // its NUL and one of length 0.
  const RunResult result = dump(twoVerticesThreeNames());
  EXPECT_EQ(result.out, kTwoVerticesReport);
  EXPECT_EQ(result.exitCode, 0);
}

TEST(SkndumpReport, HeaderOtherThanOneStopsAfterTheHeaderLines) {
  const RunResult result = dump(Bytes().i32(2).i32(1).append(vertex(1.0f)).u16(0));
  EXPECT_EQ(result.out, headerLines(2, 1) + "***ERROR***  Header != 1 __ 2\n");
  EXPECT_EQ(result.exitCode, 0);
}

TEST(SkndumpReport, ZeroOrNegativeVertexCountGoesStraightToTheNames) {
  for (const std::int32_t count : {0, -5}) {
    const RunResult result = dump(Bytes().i32(1).i32(count).u16(0));
    EXPECT_EQ(result.out, headerLines(1, count) + kNoNames);
    EXPECT_EQ(result.exitCode, 0);
  }
}

TEST(SkndumpReport, BadWeightOnVertexThreeStopsAfterItsEnvelope) {
  const std::vector<std::pair<float, std::string>> weights = {
      {0.75f, "0.75"}, {0.0f, "0"}, {2.0f, "2"}, {std::nanf(""), "nan"}};
  for (const auto& [weight, text] : weights) {
    SCOPED_TRACE(text);
    Bytes file;
    file.i32(1).i32(4).append(vertex(1.0f)).append(vertex(0.5f)).append(vertex(weight));
    file.append(vertex(1.0f)).u16(0);
    const RunResult result = dump(file);
    EXPECT_EQ(result.out, headerLines(1, 4) + vertexLines(1, "1") + "\n" + vertexLines(2, "0.5") +
                              kExtensionLines + "\n" + vertexLines(3, text) +
                              "***ERROR*** ?_float (unknown1) = " + text + "\n");
    EXPECT_EQ(result.exitCode, 0);
  }
}

TEST(SkndumpReport, ManyVerticesAndNamesAndALongName) {
  // Past the 2047 records and 128-byte names that older builds held in a table.
  Bytes file;
  file.i32(1).i32(2100);
  std::string expected = headerLines(1, 2100);
  for (int number = 1; number <= 2100; ++number) {
    file.append(vertex(1.0f));
    expected += vertexLines(number, "1") + "\n";
  }
  const std::string longName(300, 'q');
  file.u16(2100);
  expected += "\n================\n Number of Names: 2100\n================\n";
  for (int number = 1; number <= 2100; ++number) {
    const std::string name = number == 12 ? longName : "n" + std::to_string(number);
    file.name(name);
    expected += "Text_" + std::to_string(number) + " :\t" + name + "\n";
  }
  const RunResult result = dump(file);
  EXPECT_EQ(result.out, expected + "\n\n");
  EXPECT_EQ(result.exitCode, 0);
}

TEST(SkndumpFailures, FileThatCannotBeOpened) {
  testing_support::expectOpenFailuresReported(TOOL_PATH, ".skn");
}

TEST(SkndumpFailures, FileEndingInANameNamesIt) {
  const std::string whole = twoVerticesThreeNames().str();
  const RunResult result = dump(Bytes().raw(whole.substr(0, whole.size() - 3)));
  EXPECT_EQ(result.out, kTwoVerticesReport.substr(0, kTwoVerticesReport.find("Text_2")) +
                            "***ERROR in.skn ends at byte " + std::to_string(whole.size() - 3) +
                            " while reading Text of name 2\n");
  EXPECT_EQ(result.exitCode, 1);
}

TEST(SkndumpFailures, EveryCutOfAValidFile) {
  testing_support::expectEveryCutIsReportedAfterAPrefix(
      TOOL_PATH, "in.skn", twoVerticesThreeNames().str(), kTwoVerticesReport);
}

TEST(SkndumpPicture, EveryCutIsDrawnAsFarAsItWasRead) {
  testing_support::expectEveryCutIsDrawn(TOOL_PATH, "in.skn", twoVerticesThreeNames().str());
}

}  // namespace

// --json: a refused weight closes the vertex incomplete, points at the weight and shows the
// bytes after it; signed flag bytes, and X, Z, Y in file order.
TEST(SkndumpJson, RefusedWeightEndsTheDocumentAtTheVertex) {
  Bytes file;
  file.i32(1).i32(1).f32(1).f32(2).f32(3).i8(-1).i8(2).i8(3).f32(0.75f).f32(4).f32(5).f32(6);
  const RunResult result = testing_support::dumpBytesAsJson(TOOL_PATH, "in.skn", file.u8(9).str());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(
      result.out,
      R"({"format":"skn","file":"in.skn","header":{"offset":0,"size":4,"value":1},)"
      R"("vertexCount":{"offset":4,"size":4,"value":1},"vertices":[{"number":1,"offset":8,)"
      R"("position":{"x":{"offset":8,"size":4,"value":1},"z":{"offset":12,"size":4,"value":2},)"
      R"("y":{"offset":16,"size":4,"value":3}},"flagA":{"offset":20,"size":1,"value":-1},)"
      R"("bone":{"offset":21,"size":1,"value":2},"flagC":{"offset":22,"size":1,"value":3},)"
      R"("weight":{"offset":23,"size":4,"value":0.75},"envelope":{"x":{"offset":27,"size":4,)"
      R"("value":4},"z":{"offset":31,"size":4,"value":5},"y":{"offset":35,"size":4,"value":6}},)"
      R"("size":31,"complete":false}],"end":{"outcome":"weightRefused","offset":39,)"
      R"("field":"/vertices/0/weight","reason":"the weight is neither 1 nor 0.5",)"
      R"("unread":{"offset":39,"count":1,"firstBytes":"09"}}})"
      "\n");
}

// -r: skins written back from their documents, an edited weight, and what a skin refuses.
namespace reverse {

using testing_support::edited;
using testing_support::expectDocumentRefused;

std::string documentOf(const Bytes& file) {
  return testing_support::dumpBytesAsJson(TOOL_PATH, "in.skn", file.str()).out;
}

TEST(SkndumpReverse, EveryCutComesBack) {
  const std::string file = twoVerticesThreeNames().str();
  for (std::size_t length = 0; length <= file.size(); ++length) {
    SCOPED_TRACE(length);
    testing_support::expectDocumentWritesTheFileBack(TOOL_PATH, "in.skn", file.substr(0, length));
  }
  testing_support::expectDocumentWritesTheFileBack(
      TOOL_PATH, "in.skn", Bytes().i32(1).i32(1).append(vertex(2.0f)).raw("rest").str());
}

// The first vertex's weight becomes 0.5: its extension block follows its envelope.
TEST(SkndumpReverse, AWeightOfAHalfWithTheExtensionItNeeds) {
  const std::string extension =
      R"(,"extension":{"flags":[-128,5],"weight":0.25,"cFloats":[7,8,9]})";
  std::string document = edited(documentOf(twoVerticesThreeNames()), R"("value":1},"envelope")",
                                R"("value":0.5},"envelope")");
  document =
      edited(document, R"("value":6}},"size":31)", R"("value":6}})" + extension + R"(,"size":31)");
  Bytes expected;
  expected.i32(1).i32(2).append(vertex(0.5f)).append(vertex(0.5f));
  expected.u16(3).name("torso").name(std::string("le\0g", 4)).name("");
  const testing_support::Reversed reversed =
      testing_support::reverseDocument(TOOL_PATH, document, "out.skn");
  EXPECT_EQ(reversed.run.out, "");
  EXPECT_EQ(reversed.file, expected.str());

  expectDocumentRefused(
      TOOL_PATH,
      edited(documentOf(twoVerticesThreeNames()), R"("value":1},"envelope")",
             R"("value":0.5},"envelope")"),
      "***ERROR doc.json:1:597 /vertices/0/extension/flags/0: missing, though the fields before "
      "it ask for it (a document of a file that ends here says \"outcome\": \"fileEndsEarly\")");
}

TEST(SkndumpReverse, AFlagByteOutOfItsRangeAndNamesOfNoLength) {
  const std::string document = documentOf(twoVerticesThreeNames());
  expectDocumentRefused(
      TOOL_PATH, edited(document, R"("value":65})", R"("value":200})"),
      "***ERROR doc.json:1:357 /vertices/0/bone: 200 is not a signed byte (-128 to 127)");
  expectDocumentRefused(
      TOOL_PATH, edited(document, R"("text":"torso","hex":"746f72736f")", R"("text":"hips")"),
      "***ERROR doc.json:1:1481 /names/0/name: the name has 4 bytes of UTF-8, but the length "
      "before it is 5");
}

}  // namespace reverse

namespace {

// A vertex only one file has is one difference; a file cut short is compared as far as it was
// read, and where it stopped is a difference of its own.
TEST(SkndumpDiff, AnAddedVertexAndACutFile) {
  Bytes a;
  a.i32(1).i32(1).append(vertex(1.0f)).u16(0);
  Bytes b;
  b.i32(1).i32(2).append(vertex(1.0f)).append(vertex(0.5f)).u16(0);
  const RunResult added = testing_support::diffBytes(TOOL_PATH, ".skn", a.str(), b.str());
  EXPECT_EQ(added.out,
            "/vertexCount: 1 at 4 in A, 2 at 4 in B\n"
            "/vertices/1: added, at 39 in B\n"
            "13 fields compared, 2 differ\n");
  EXPECT_EQ(added.exitCode, 1);
  const RunResult cut =
      testing_support::diffBytes(TOOL_PATH, ".skn", a.str(), a.str().substr(0, 20));
  EXPECT_EQ(cut.out,
            "/end: complete at 41 in A, fileEndsEarly in /vertices/0/flagA at 20 in B\n"
            "5 fields compared, 1 differ\n");
  EXPECT_EQ(cut.err, "");
  EXPECT_EQ(cut.exitCode, 1);
}

}  // namespace
