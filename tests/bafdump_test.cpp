// End-to-end tests of bafdump: fixture animations built here, the tool spawned on them, and its
// whole output and exit code compared.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bytes.hpp"
#include "dump_checks.hpp"
#include "run_tool.hpp"

namespace {

using testing_support::Bytes;
using testing_support::RunResult;

const std::string kUsage =
    "***ERROR***  Please supply a file name:\n\t Useage:  program.exe filename.baf\n\n";

RunResult dump(const Bytes& file, std::vector<std::string> extraArgs = {}) {
  return testing_support::dumpBytes(TOOL_PATH, "in.baf", file.str(), std::move(extraArgs));
}

std::string opening(std::int32_t header, int boneCount) {
  return "File: in.baf\n(.baf)header: " + std::to_string(header) + "\n----------------\n" +
         std::to_string(boneCount) + "\t// number of bones\n";
}

std::string framesAndPrecision(std::int32_t frames, int precision) {
  return std::to_string(frames) + "\t// number of frames\n" + std::to_string(precision) +
         "\t// precision (number of bits in matissa)\n";
}

std::string componentLine(int component, int bone) {
  return "\t// component: " + std::to_string(component) + "  Bone: " + std::to_string(bone) + "\n";
}

// The seven component lines of bone 1, each followed by the same `values`.
std::string firstBoneComponents(const std::string& values) {
  std::string lines;
  for (int component = 1; component <= 7; ++component)
    lines += componentLine(component, 1) + values;
  return lines;
}

// One bone named "root", two frames, precision 15; every component the repeat run 82 00 00 40.
Bytes rootAnimation() {
  Bytes file;
  file.i32(3).u16(1).name("root").i32(2).u8(15).u16(0xBEEF);
  for (int component = 1; component <= 7; ++component) file.u16(0).u16(0x0082).u16(0x4000);
  return file;
}

std::string rootReport() {
  return opening(3, 1) + "root\n" + framesAndPrecision(2, 15) + firstBoneComponents("0.5\n0.5\n") +
         "\n\n";
}

// Bytes for one bone whose seven components hold `stream` each, after their prefix words.
Bytes boneBlock(const Bytes& stream) {
  Bytes block;
  block.u16(0);
  for (int component = 1; component <= 7; ++component) block.u16(0).append(stream);
  return block;
}

TEST(BafdumpCommandLine, WithoutArgumentsPrintsUsage) {
  testing_support::expectUsageWithoutArguments(TOOL_PATH, kUsage);
}

TEST(BafdumpReport, RootExampleByteForByte) {
  RunResult result = dump(rootAnimation());
  EXPECT_EQ(result.out, rootReport());
  EXPECT_EQ(result.exitCode, 0);
  result = dump(rootAnimation(), {"second.baf"});
  EXPECT_EQ(result.out, rootReport());
}

// The report names the file as the user gave it, in UTF-8 on every platform, and each of its
// lines ends as the platform's console programs end them.
TEST(BafdumpReport, PathOutsideAsciiAndLineEnds) {
  const std::string name = testing_support::utf8(u8"анимация_アニメ.baf");
  const RunResult result = testing_support::dumpBytes(TOOL_PATH, name, rootAnimation().str());
  const std::string report =
      "File: " + name + rootReport().substr(std::string("File: in.baf").size());
  EXPECT_EQ(result.out, report);
  EXPECT_EQ(result.rawOut, testing_support::withPlatformLineEnds(report));
  EXPECT_EQ(result.exitCode, 0);
}

TEST(BafdumpReport, HeaderOtherThanThree) {
  const RunResult result = dump(Bytes().i32(0).u16(2).name("a"));
  EXPECT_EQ(result.out, opening(0, 2) + "***ERROR***  Header != 0 __ 0\n");
  EXPECT_EQ(result.exitCode, 0);
}

TEST(BafdumpReport, NoBones) {
  const RunResult result = dump(Bytes().i32(3).u16(0).i32(10).u8(255));
  EXPECT_EQ(result.out, opening(3, 0) + framesAndPrecision(10, 255) + "\n\n");
  EXPECT_EQ(result.exitCode, 0);
}

TEST(BafdumpReport, ZeroOrNegativeFrameCountReadsNoRuns) {
  for (const std::int32_t frames : {0, -1}) {
    Bytes file;
    file.i32(3).u16(2).name("a").name("b").i32(frames).u8(12);
    file.append(boneBlock(Bytes())).append(boneBlock(Bytes()));
    std::string expected = opening(3, 2) + "a\nb\n" + framesAndPrecision(frames, 12);
    for (int bone = 1; bone <= 2; ++bone) {
      for (int component = 1; component <= 7; ++component) {
        expected += componentLine(component, bone);
      }
    }
    EXPECT_EQ(dump(file).out, expected + "\n\n");
  }
}

TEST(BafdumpRuns, OvershootingRunIsPrintedWholeAndTheNextComponentStillFound) {
  // F = 5: a literal run of 3 and a repeat run of 4 give 7 values.
  const Bytes stream =
      Bytes().u16(0x0003).u16(0x4000).u16(0x8000).u16(0x0000).u16(0x0084).u16(0xC000);
  Bytes file;
  file.i32(3).u16(1).name("a").i32(5).u8(15).append(boneBlock(stream));
  std::string expected = opening(3, 1) + "a\n" + framesAndPrecision(5, 15);
  expected += firstBoneComponents("0.5\n-1\n0\n-0.5\n-0.5\n-0.5\n-0.5\n");
  EXPECT_EQ(dump(file).out, expected + "\n\n");
}

TEST(BafdumpRuns, ZeroLengthRunsConsumeTheirWordsAndPrintNothing) {
  // 80 00 with its value word (4 bytes), 00 00 alone (2 bytes), then one real sample.
  const Bytes stream = Bytes().u16(0x0080).u16(0x7FFF).u16(0x0000).u16(0x0001).u16(0x1234);
  Bytes file;
  file.i32(3).u16(1).name("a").i32(1).u8(15).append(boneBlock(stream));
  std::string expected = opening(3, 1) + "a\n" + framesAndPrecision(1, 15);
  expected += firstBoneComponents("0.142212\n");
  EXPECT_EQ(dump(file).out, expected + "\n\n");
}

TEST(BafdumpRuns, PrintedTextOfSampleWords) {
  Bytes stream;
  stream.u16(0x0008);
  for (const int word : {0x4000, 0x8000, 0x0000, 0x7FFF, 0x1234, 0x0064, 0x0001, 0xFFFF}) {
    stream.u16(static_cast<std::uint16_t>(word));
  }
  Bytes file;
  file.i32(3).u16(1).name("a").i32(8).u8(15).append(boneBlock(stream));
  const std::string values =
      "0.5\n-1\n0\n0.999969\n0.142212\n0.00305176\n3.05176e-005\n-3.05176e-005\n";
  std::string expected = opening(3, 1) + "a\n" + framesAndPrecision(8, 15);
  expected += firstBoneComponents(values);
  EXPECT_EQ(dump(file).out, expected + "\n\n");
}

TEST(BafdumpNames, LengthLimitIs31) {
  const std::string longest(31, 'k');
  Bytes file;
  file.i32(3).u16(1).name(longest).i32(0).u8(15).append(boneBlock(Bytes()));
  std::string expected = opening(3, 1) + longest + "\n" + framesAndPrecision(0, 15);
  expected += firstBoneComponents("");
  EXPECT_EQ(dump(file).out, expected + "\n\n");

  // A name of 32 bytes: the error line, then nothing, since the rest cannot be placed.
  const RunResult result = dump(Bytes().i32(3).u16(2).name("ok").name(longest + "k").i32(0));
  EXPECT_EQ(result.out, opening(3, 2) + "ok\n***ERROR***  name lenght > 31\n");
  EXPECT_EQ(result.exitCode, 0);
}

TEST(BafdumpNames, NulEndsThePrintedName) {
  Bytes file;
  file.i32(3).u16(2).name(std::string("ab\0c", 4)).name("").i32(0).u8(1);
  file.append(boneBlock(Bytes())).append(boneBlock(Bytes()));
  const RunResult result = dump(file);
  EXPECT_EQ(result.out.substr(0, opening(3, 2).size() + 4), opening(3, 2) + "ab\n\n");
}

TEST(BafdumpFailures, FileThatCannotBeOpened) {
  testing_support::expectOpenFailuresReported(TOOL_PATH, ".baf");
}

TEST(BafdumpFailures, HugeFrameCountEndsAtTheEndOfTheFile) {
  // F = INT32_MAX with one repeat run of 127 zeros in the first component: the stream wants more
  // runs than the file holds, and the dump must end there rather than loop or wrap.
  Bytes file;
  file.i32(3).u16(1).name("a").i32(INT32_MAX).u8(15).u16(0).u16(0).u16(0x00FF).u16(0);
  const RunResult result = dump(file);
  std::string expected =
      opening(3, 1) + "a\n" + framesAndPrecision(INT32_MAX, 15) + componentLine(1, 1);
  for (int i = 0; i < 127; ++i) expected += "0\n";
  EXPECT_EQ(result.out, expected + "***ERROR in.baf ends at byte " + std::to_string(file.size()) +
                            " while reading control word of component 1 of bone 1\n");
  EXPECT_EQ(result.exitCode, 1);
}

TEST(BafdumpFailures, EveryCutOfAValidFile) {
  const Bytes stream = Bytes().u16(0x0002).u16(0x4000).u16(0x0001).u16(0x0081).u16(0x8000);
  Bytes file;
  file.i32(3).u16(2).name("hips").name("spine").i32(3).u8(15);
  file.append(boneBlock(stream)).append(boneBlock(stream));
  const RunResult full = dump(file);
  ASSERT_EQ(full.exitCode, 0);
  testing_support::expectEveryCutIsReportedAfterAPrefix(TOOL_PATH, "in.baf", file.str(), full.out);
}

TEST(BafdumpPicture, EveryCutIsDrawnAsFarAsItWasRead) {
  const Bytes stream = Bytes().u16(0x0002).u16(0x4000).u16(0x0001).u16(0x0081).u16(0x8000);
  Bytes file;
  file.i32(3).u16(2).name("hips").name("spine").i32(3).u8(15);
  file.append(boneBlock(stream)).append(boneBlock(stream));
  testing_support::expectEveryCutIsDrawn(TOOL_PATH, "in.baf", file.str());
}

}  // namespace

// --json: runs with their control words and decoded values, a repeat run's one value, and a
// file cut inside a literal run: every open record closed incomplete, the path to the sample.
TEST(BafdumpJson, RunsWithTheirValuesAndACutInsideOne) {
  Bytes file;
  file.i32(3).u16(1).name("hip").i32(3).u8(15).u16(0x1234);
  file.u16(0).u16(0x82).u16(0x4000).u16(0x01).u16(0x8000);  // component 1: 0.5 twice, -1
  file.u16(0).u16(0x03).u16(0x0100);                        // component 2, cut in its run
  const RunResult result = testing_support::dumpBytesAsJson(TOOL_PATH, "in.baf", file.str());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(
      result.out,
      R"({"format":"baf","file":"in.baf","header":{"offset":0,"size":4,"value":3},)"
      R"("boneCount":{"offset":4,"size":2,"value":1},"names":[{"offset":6,"bone":1,)"
      R"("length":{"offset":6,"size":2,"value":3},)"
      R"("name":{"offset":8,"size":3,"text":"hip","hex":"686970"},"size":5,"complete":true}],)"
      R"("frameCount":{"offset":11,"size":4,"value":3},)"
      R"("precision":{"offset":15,"size":1,"value":15},"bones":[{"offset":16,"bone":1,)"
      R"("prefix":{"offset":16,"size":2,"value":4660},"components":[{"offset":18,)"
      R"("component":1,"prefix":{"offset":18,"size":2,"value":0},"runs":[{"offset":20,)"
      R"("control":{"offset":20,"size":2,"value":130},"repeat":true,"length":2,)"
      R"("values":[0.5],"size":4,"complete":true},{"offset":24,)"
      R"("control":{"offset":24,"size":2,"value":1},"repeat":false,"length":1,)"
      R"("values":[-1],"size":4,"complete":true}],"size":10,"complete":true},{"offset":28,)"
      R"("component":2,"prefix":{"offset":28,"size":2,"value":0},"runs":[{"offset":30,)"
      R"("control":{"offset":30,"size":2,"value":3},"repeat":false,"length":3,)"
      R"("values":[0.0078125],"size":4,"complete":false}],"size":6,"complete":false}],)"
      R"("size":18,"complete":false}],"end":{"outcome":"fileEndsEarly","offset":34,)"
      R"("field":"/bones/0/components/1/runs/0/values/1",)"
      R"("reason":"the file ends at byte 34, inside this field",)"
      R"("unread":{"offset":34,"count":0,"firstBytes":""}}})"
      "\n");
}

// -r: animations written back from their documents, a run turned from literal into repeat, and
// the values a sample cannot have.
namespace reverse {

using testing_support::edited;
using testing_support::expectDocumentRefused;

// One bone "root", three frames; every component a literal run of three samples.
Bytes literalRuns() {
  Bytes file;
  file.i32(3).u16(1).name("root").i32(3).u8(15).u16(0);
  for (int component = 1; component <= 7; ++component) {
    file.u16(0).u16(0x0003).u16(0x4000).u16(0x4000).u16(0xC000);
  }
  return file;
}

std::string documentOf(const Bytes& file) {
  return testing_support::dumpBytesAsJson(TOOL_PATH, "in.baf", file.str()).out;
}

TEST(BafdumpReverse, EveryCutComesBack) {
  const std::string file = literalRuns().str();
  for (std::size_t length = 0; length <= file.size(); ++length) {
    SCOPED_TRACE(length);
    testing_support::expectDocumentWritesTheFileBack(TOOL_PATH, "in.baf", file.substr(0, length));
  }
  testing_support::expectDocumentWritesTheFileBack(TOOL_PATH, "in.baf", rootAnimation().str());
}

TEST(BafdumpReverse, ALiteralRunBecomesARepeatRun) {
  const std::string literal =
      R"("control":{"offset":21,"size":2,"value":3},"repeat":false,"length":3,)"
      R"("values":[0.5,0.5,-0.5])";
  const std::string document =
      edited(documentOf(literalRuns()), literal, R"("control":{"value":131},"values":[0.25])");
  Bytes expected;
  expected.i32(3).u16(1).name("root").i32(3).u8(15).u16(0).u16(0).u16(0x0083).u16(0x2000);
  for (int component = 2; component <= 7; ++component) {
    expected.u16(0).u16(0x0003).u16(0x4000).u16(0x4000).u16(0xC000);
  }
  const testing_support::Reversed reversed =
      testing_support::reverseDocument(TOOL_PATH, document, "out.baf");
  EXPECT_EQ(reversed.run.out, "");
  EXPECT_EQ(reversed.file, expected.str());
}

TEST(BafdumpReverse, ValuesASampleCannotHaveAndARunThatDisagrees) {
  const std::string document = documentOf(literalRuns());
  expectDocumentRefused(TOOL_PATH, edited(document, "[0.5,0.5,-0.5]", "[0.5,0.3,-0.5]"),
                        "***ERROR doc.json:1:628 /bones/0/components/0/runs/0/values/1: 0.3 is "
                        "not a multiple of 1/32768");
  expectDocumentRefused(TOOL_PATH, edited(document, "[0.5,0.5,-0.5]", "[0.5,1,-0.5]"),
                        "***ERROR doc.json:1:628 /bones/0/components/0/runs/0/values/1: 1 is not "
                        "in [-1, 1)");
  expectDocumentRefused(TOOL_PATH, edited(document, R"("repeat":false)", R"("repeat":true)"),
                        "***ERROR doc.json:1:597 /bones/0/components/0/runs/0/repeat: is true, but "
                        "the fields before it make it false");
}

}  // namespace reverse

namespace {

// Samples are compared frame by frame: the same samples in other runs are one difference, a
// changed sample one a frame, named by its bone's and component's pointer.
TEST(BafdumpDiff, SameSamplesOtherCodingAndAChangedSample) {
  Bytes recoded;
  recoded.i32(3).u16(1).name("root").i32(2).u8(15).u16(0xBEEF);
  recoded.u16(0).u16(0x0002).u16(0x4000).u16(0x4000);  // two literal samples, not a repeat run
  recoded.u16(0).u16(0x0082).u16(0x2000);              // 0.25 instead of 0.5
  for (int component = 3; component <= 7; ++component) recoded.u16(0).u16(0x0082).u16(0x4000);
  const RunResult result =
      testing_support::diffBytes(TOOL_PATH, ".baf", rootAnimation().str(), recoded.str());
  EXPECT_EQ(result.out,
            "/bones/0/components/0/runs: same samples, other coding, at 21 in A and at 21 in B\n"
            "/bones/0/components/1, frame 1: 0.5 at 29 in A, 0.25 at 31 in B\n"
            "/bones/0/components/1, frame 2: 0.5 at 29 in A, 0.25 at 31 in B\n"
            "28 fields compared, 3 differ\n");
  EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
