// End-to-end tests of skedump: fixture skeletons built here, the tool spawned on them, and its
// whole output and exit code compared.

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "bytes.hpp"
#include "dump_checks.hpp"
#include "run_tool.hpp"

namespace {

using testing_support::Bytes;
using testing_support::RunResult;

const std::string kUsage =
    "***ERROR***  Please supply a file name:\n\t Useage:  program.exe filename.ske\n\n";
const std::string kHeaderLines = "header1: 1\nNumberOfBones: ";
const std::string kRule = "----------------\n\n";

RunResult dump(const Bytes& file, std::vector<std::string> extraArgs = {}) {
  return testing_support::dumpBytes(TOOL_PATH, "in.ske", file.str(), std::move(extraArgs));
}

// A bone entry whose twelve floats are all `value`.
Bytes bone(std::string_view name, std::uint16_t shortValue, float value = 0) {
  Bytes entry;
  entry.name(name).u16(shortValue);
  for (int i = 0; i < 12; ++i) entry.f32(value);
  return entry;
}

std::string boneReport(int number, std::string_view lengthAndName, std::string_view shortValue,
                       std::string_view rows) {
  return "*Reading Bone #: " + std::to_string(number) + "\n___________________\n" +
         " NameTextLength: " + std::string(lengthAndName) +
         "\"\n Short: " + std::string(shortValue) + "\n\n" + std::string(rows);
}

const std::string kZeroRows = "0\t0\t0\t0\n0\t0\t0\t0\n0\t0\t0\t0\n";

// Two bones: labels, quotes, tabs, the empty line before the rows, floats in both forms.
Bytes twoBones() {
  Bytes file;
  file.i32(1).i32(2);
  file.name("root").u16(7);
  file.f32(1).f32(0).f32(0).f32(0);
  file.f32(0.5f).f32(-2.25f).f32(0.00001f).f32(2500000.0f);
  file.f32(10000000.0f).f32(123456.0f).f32(1234567.0f).f32(-0.0f);
  file.append(bone("l_arm", 65535, 0.25f));
  return file;
}

const std::string kTwoBonesReport =
    kHeaderLines + "2\n" + kRule +
    boneReport(1, "4\n BoneName: \"root", "7",
               "1\t0\t0\t0\n0.5\t-2.25\t1e-005\t2.5e+006\n1e+007\t123456\t1.23457e+006\t-0\n") +
    boneReport(2, "5\n BoneName: \"l_arm", "65535",
               "0.25\t0.25\t0.25\t0.25\n0.25\t0.25\t0.25\t0.25\n0.25\t0.25\t0.25\t0.25\n") +
    "\n\n";

TEST(SkedumpCommandLine, WithoutArgumentsPrintsUsage) {
  testing_support::expectUsageWithoutArguments(TOOL_PATH, kUsage);
}

TEST(SkedumpCommandLine, ExtraArgumentsAreIgnored) {
  const RunResult result = dump(twoBones(), {"other.ske", "-flag"});
  EXPECT_EQ(result.out, kTwoBonesReport);
  EXPECT_EQ(result.exitCode, 0);
}

TEST(SkedumpReport, TwoBonesByteForByte) {
  const RunResult result = dump(twoBones());
  EXPECT_EQ(result.out, kTwoBonesReport);
  EXPECT_EQ(result.exitCode, 0);
}

TEST(SkedumpReport, HeaderOtherThanOneStopsAfterTheHeaderLines) {
  const RunResult result = dump(Bytes().i32(2).i32(5).append(bone("x", 1)));
  EXPECT_EQ(result.out,
            "header1: 2\nNumberOfBones: 5\n" + kRule + "***ERROR***  Header != 1 __ 2\n");
  EXPECT_EQ(result.exitCode, 0);
}

TEST(SkedumpReport, NoBonesForZeroOrNegativeCount) {
  for (const std::int32_t count : {0, -1, INT32_MIN}) {
    SCOPED_TRACE(count);
    const RunResult result = dump(Bytes().i32(1).i32(count));
    EXPECT_EQ(result.out, kHeaderLines + std::to_string(count) + "\n" + kRule + "\n\n");
    EXPECT_EQ(result.exitCode, 0);
  }
}

TEST(SkedumpNames, LengthLimitIs128) {
  const std::string longest(128, 'n');
  RunResult result = dump(Bytes().i32(1).i32(1).append(bone(longest, 3)));
  EXPECT_EQ(result.out, kHeaderLines + "1\n" + kRule +
                            boneReport(1, "128\n BoneName: \"" + longest, "3", kZeroRows) + "\n\n");
  EXPECT_EQ(result.exitCode, 0);

  result = dump(Bytes().i32(1).i32(2).append(bone(longest + "n", 3)).append(bone("b", 4)));
  EXPECT_EQ(result.out, kHeaderLines + "2\n" + kRule +
                            "*Reading Bone #: 1\n___________________\n NameTextLength: 129\n"
                            "***ERROR***  name length > 128\n\n\n");
  EXPECT_EQ(result.exitCode, 0);
}

TEST(SkedumpNames, NulEndsThePrintedNameButNotTheField) {
  const std::string name("ab\0cd", 5);
  const RunResult result = dump(Bytes().i32(1).i32(2).append(bone(name, 9)).append(bone("", 10)));
  EXPECT_EQ(result.out, kHeaderLines + "2\n" + kRule +
                            boneReport(1, "5\n BoneName: \"ab", "9", kZeroRows) +
                            boneReport(2, "0\n BoneName: \"", "10", kZeroRows) + "\n\n");
}

TEST(SkedumpReport, ThreeHundredBonesAreAllDumped) {
  Bytes file;
  file.i32(1).i32(300);
  std::string expected = kHeaderLines + "300\n" + kRule;
  for (int number = 1; number <= 300; ++number) {
    const std::string name = "b" + std::to_string(number);
    file.append(bone(name, static_cast<std::uint16_t>(number)));
    expected += boneReport(number, std::to_string(name.size()) + "\n BoneName: \"" + name,
                           std::to_string(number), kZeroRows);
  }
  const RunResult result = dump(file);
  EXPECT_EQ(result.out, expected + "\n\n");
  EXPECT_EQ(result.exitCode, 0);
}

TEST(SkedumpFailures, FileThatCannotBeOpened) {
  testing_support::expectOpenFailuresReported(TOOL_PATH, ".ske");
}

TEST(SkedumpFailures, FileEndingEarlyNamesFieldAndOffset) {
  // Cut in bone 2's second row of floats: header 8, bone 1 56, bone 2 9 + 16 + 4 bytes.
  const std::string cut = twoBones().str().substr(0, 93);
  const RunResult result = dump(Bytes().raw(cut));
  const std::string firstRow = "0.25\t0.25\t0.25\t0.25\n";
  EXPECT_EQ(result.out,
            kTwoBonesReport.substr(0, kTwoBonesReport.find(firstRow) + firstRow.size()) +
                "***ERROR in.ske ends at byte 93 while reading Floats of bone 2\n");
  EXPECT_EQ(result.exitCode, 1);
}

TEST(SkedumpFailures, EveryCutOfAValidFile) {
  testing_support::expectEveryCutIsReportedAfterAPrefix(TOOL_PATH, "in.ske", twoBones().str(),
                                                        kTwoBonesReport);
}

}  // namespace

// --json: a name that is not UTF-8 and stops at a NUL, floats JSON cannot hold, -0, the
// extremes, and bytes after the last field; then the same file cut inside a float.
namespace json {

RunResult dumpJson(const Bytes& file) {
  return testing_support::dumpBytesAsJson(TOOL_PATH, "in.ske", file.str());
}

Bytes oddBone() {
  Bytes file;
  file.i32(1).i32(1).u16(4).raw(std::string("a\xff\0z", 4)).u16(7);
  for (const float value :
       {0.1f, -0.0f, std::numeric_limits<float>::quiet_NaN(),
        std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(), 1.0f,
        2.5e6f, 1e-5f, std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min(),
        -2.25f, 16777216.0f}) {
    file.f32(value);
  }
  return file;
}

const std::string kHead =
    R"({"format":"ske","file":"in.ske","header":{"offset":0,"size":4,"value":1},)"
    R"("boneCount":{"offset":4,"size":4,"value":1},"bones":[{"number":1,"offset":8,)"
    R"("nameLength":{"offset":8,"size":2,"value":4},)"
    R"("name":{"offset":10,"size":4,"text":"a)"
    "\xEF\xBF\xBD"
    R"(","hex":"61ff007a"},)"
    R"("short":{"offset":14,"size":2,"value":7},"floats":[{"offset":16,"size":4,"value":0.1},)"
    R"({"offset":20,"size":4,"value":-0.0},)"
    R"({"offset":24,"size":4,"value":null,"nonFinite":"nan","bits":"7fc00000"})";

TEST(SkedumpJson, EveryFieldWithItsOffsetSizeAndExactValue) {
  const RunResult result = dumpJson(oddBone().raw("\x01\x02"));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out,
            kHead + R"(,{"offset":28,"size":4,"value":null,"nonFinite":"inf","bits":"7f800000"},)"
                    R"({"offset":32,"size":4,"value":null,"nonFinite":"-inf","bits":"ff800000"},)"
                    R"({"offset":36,"size":4,"value":1},{"offset":40,"size":4,"value":2500000},)"
                    R"({"offset":44,"size":4,"value":1e-05},)"
                    R"({"offset":48,"size":4,"value":3.4028235e+38},)"
                    R"({"offset":52,"size":4,"value":1e-45},{"offset":56,"size":4,"value":-2.25},)"
                    R"({"offset":60,"size":4,"value":16777216}],"size":56,"complete":true}],)"
                    R"("end":{"outcome":"complete","offset":64,)"
                    R"("unread":{"offset":64,"count":2,"firstBytes":"0102"}}})"
                    "\n");
}

TEST(SkedumpJson, CutInsideAFloatClosesTheBoneIncomplete) {
  const RunResult result = dumpJson(Bytes().raw(oddBone().str().substr(0, 30)));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out,
            kHead + R"(],"size":22,"complete":false}],"end":{"outcome":"fileEndsEarly",)"
                    R"("offset":30,"field":"/bones/0/floats/3",)"
                    R"("reason":"the file ends at byte 30, inside this field",)"
                    R"("fieldBytes":"0000","unread":{"offset":30,"count":0,"firstBytes":""}}})"
                    "\n");
}

}  // namespace json

// -r: documents written back into skeletons, edited ones among them, and the refusals.
namespace reverse {

using testing_support::edited;
using testing_support::expectDocumentRefused;
using testing_support::reverseDocument;
using testing_support::ScratchDir;

std::string documentOf(const Bytes& file) {
  return testing_support::dumpBytesAsJson(TOOL_PATH, "in.ske", file.str()).out;
}

TEST(SkedumpReverse, EveryCutAndTheBytesAfterTheLastFieldComeBack) {
  Bytes file = twoBones();
  file.raw(std::string(40, '\x5a'));  // more than the 16 shown as firstBytes
  for (std::size_t length = 0; length <= file.size(); ++length) {
    SCOPED_TRACE(length);
    testing_support::expectDocumentWritesTheFileBack(TOOL_PATH, "in.ske",
                                                     file.str().substr(0, length));
  }
  testing_support::expectDocumentWritesTheFileBack(
      TOOL_PATH, "in.ske", Bytes().i32(2).i32(3).raw("not read").str());  // a refused header
}

TEST(SkedumpReverse, ALongerNameAndABoneMoreAreWrittenAsTheValuesSay) {
  std::string document = edited(documentOf(twoBones()),
                                R"("nameLength":{"offset":8,"size":2,"value":4},)"
                                R"("name":{"offset":10,"size":4,"text":"root","hex":"726f6f74"})",
                                R"("nameLength":{"value":6},"name":{"text":"pelvis"})");
  document = edited(document, R"("boneCount":{"offset":4,"size":4,"value":2})", R"("boneCount":3)");
  document =
      edited(document, R"(],"end")",
             R"(,{"nameLength":1,"name":"x","short":9,"floats":[0,0,0,0,0,0,0,0,0,0,0,-0]}],)"
             R"("end")");
  Bytes expected;
  expected.i32(1).i32(3).name("pelvis").raw(twoBones().str().substr(14)).name("x").u16(9);
  for (int i = 0; i < 11; ++i) expected.f32(0);
  expected.f32(-0.0f);
  const testing_support::Reversed reversed = reverseDocument(TOOL_PATH, document, "out.ske");
  EXPECT_EQ(reversed.run.out, "");
  EXPECT_EQ(reversed.file, expected.str());
}

TEST(SkedumpReverse, AMinimalDocumentOfAFewMembers) {
  const testing_support::Reversed reversed = reverseDocument(
      TOOL_PATH, "{\"format\": \"ske\",\n \"header\": 1, \"boneCount\": 0}\n", "out.ske");
  EXPECT_EQ(reversed.run.exitCode, 0);
  EXPECT_EQ(reversed.file, Bytes().i32(1).i32(0).str());
}

TEST(SkedumpReverse, NonsenseIsRefusedWithItsPlaceAndNoFileIsWritten) {
  const std::string document = documentOf(twoBones());
  expectDocumentRefused(
      TOOL_PATH, edited(document, R"("format":"ske")", R"("format":"skn")"),
      R"(***ERROR doc.json:1:11 /format: a document of "skn" files, not of "ske" files)");
  expectDocumentRefused(
      TOOL_PATH, edited(document, R"("text":"root")", R"("text":"toor")"),
      "***ERROR doc.json:1:202 /bones/0/name: its text and its hex are two different names: drop "
      "one of them");
  expectDocumentRefused(
      TOOL_PATH, edited(document, R"("size":2,"value":4})", R"("size":2,"value":5})"),
      "***ERROR doc.json:1:202 /bones/0/name: the name has 4 bytes, but the length before it is 5");
  expectDocumentRefused(TOOL_PATH, edited(document, R"("value":65535})", R"("value":65536})"),
                        "***ERROR doc.json:1:937 /bones/1/short: 65536 is not an unsigned 16-bit "
                        "number (0 to 65535)");
  expectDocumentRefused(
      TOOL_PATH, edited(document, R"("value":0.5})", R"("value":"half"})"),
      "***ERROR doc.json:1:469 /bones/0/floats/4/value: a 32-bit float should be here, not a "
      "string");
  expectDocumentRefused(
      TOOL_PATH, edited(document, R"("short":{"offset":14,)", R"("short":{"colour":1,)"),
      "***ERROR doc.json:1:274 /bones/0/short/colour: unknown member \"colour\": a field has its "
      "\"value\" (or, for a float JSON cannot hold, null and its \"bits\")");
  expectDocumentRefused(
      TOOL_PATH, edited(document, R"("short":)", R"("colour":1,"short":)"),
      "***ERROR doc.json:1:265 /bones/0/colour: unknown member \"colour\": no field of the file "
      "is here (the fields before it, their counts, lengths and checks, do not ask for one)");
  expectDocumentRefused(
      TOOL_PATH, edited(document, R"("size":4,"value":1})", R"("size":4,"value":2})"),
      "***ERROR doc.json:1:126 /bones: the header is 2, not 1, and the file ends there: no field "
      "of it is here");
  expectDocumentRefused(TOOL_PATH,
                        edited(document, R"("boneCount":{"offset":4,"size":4,"value":2})",
                               R"("boneCount":{"offset":4,"size":4,"value":3})"),
                        "***ERROR doc.json:1:1418 /bones/2/nameLength: missing, though the fields "
                        "before it ask for it (a document of a file that ends here says "
                        "\"outcome\": \"fileEndsEarly\")");
  expectDocumentRefused(
      TOOL_PATH,
      edited(document, R"("boneCount":{"offset":4,"size":4,"value":2})",
             R"("boneCount":{"offset":4,"size":4,"value":1})"),
      "***ERROR doc.json:1:765 /bones/1: no field of the file is here: the fields "
      "before it (its counts, lengths and checks) do not reach it");
  expectDocumentRefused(TOOL_PATH, document.substr(0, 300),
                        "***ERROR doc.json:1:301 /bones/0: the document ends inside a string");
}

TEST(SkedumpReverse, ItsOpeningAndTheBytesAfterTheLastFieldAreRefusedWithTheirPlace) {
  const std::string opening = R"(a document of this tool begins {"format": "ske")";
  expectDocumentRefused(TOOL_PATH, "[1]", "***ERROR doc.json:1:1: " + opening);
  expectDocumentRefused(TOOL_PATH, R"({"header": 1})", "***ERROR doc.json:1:2: " + opening);
  expectDocumentRefused(TOOL_PATH, R"({"format": 5})",
                        "***ERROR doc.json:1:12 /format: " + opening);

  const std::string document = documentOf(twoBones().raw("\x01\x02"));
  const std::string unread = R"("count":2,"firstBytes":"0102")";
  expectDocumentRefused(
      TOOL_PATH, edited(document, unread, R"("count":3,"bytes":"0102")"),
      R"(***ERROR doc.json:1:1492 /end/unread/count: says 3 bytes, but "bytes" has 2: drop the count)");
  expectDocumentRefused(TOOL_PATH, edited(document, unread, R"("count":20,"firstBytes":"0102")"),
                        "***ERROR doc.json:1:1514 /end/unread: only the first 2 of the 20 bytes "
                        R"(after the last field are here: give them all as "bytes")");
  expectDocumentRefused(
      TOOL_PATH, edited(document, unread, R"("bytes":"010")"),
      "***ERROR doc.json:1:1492 /end/unread/bytes: an odd number of hex digits: two a byte");
}

TEST(SkedumpReverse, ARefusedDocumentLeavesTheFileThereAsItWas) {
  ScratchDir dir;
  testing_support::writeFile(dir / "doc.json", "{\"format\": \"ske\", \"header\": 1}");
  testing_support::writeFile(dir / "out.ske", "before");
  RunResult result = testing_support::runTool(TOOL_PATH, {"-r", "doc.json", "out.ske"}, dir.path());
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "***ERROR doc.json:1:30 /boneCount: missing, though the fields before it ask for it "
            "(a document of a file that ends here says \"outcome\": \"fileEndsEarly\")\n");
  EXPECT_EQ(testing_support::readFile(dir / "out.ske"), "before");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

  result = testing_support::runTool(TOOL_PATH, {"-r", "doc.json", "doc.json"}, dir.path());
  EXPECT_EQ(result.err,
            "***ERROR doc.json is the document itself: write the file under another "
            "name\n");
  EXPECT_EQ(result.exitCode, 1);
}

TEST(SkedumpReverse, ItsOperandsAndTheOptionsItDoesNotGoWith) {
  ScratchDir dir;
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-r", "doc.json"}, "***ERROR --reverse takes DOCUMENT OUTPUT: see skedump --help\n"},
      {{"--json", "-r", "doc.json", "out.ske"},
       "***ERROR --json and --reverse do not go together: see skedump --help\n"},
      {{"-r", "doc.json", "-"}, "***ERROR -r writes a file: give OUTPUT a file name, not -\n"},
      {{"-r", "missing.json", "out.ske"},
       "***ERROR cannot open missing.json: No such file or directory\n"},
  };
  for (const auto& [args, line] : cases) {
    const RunResult result = testing_support::runTool(TOOL_PATH, args, dir.path());
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, line);
    EXPECT_EQ(result.exitCode, 1);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
}

TEST(SkedumpReverse, TheDocumentFromStandardInput) {
  ScratchDir dir;
  testing_support::writeFile(dir / "doc.json", documentOf(twoBones()));
  const RunResult result = testing_support::runTool(TOOL_PATH, {"-r", "-", "out.ske"}, dir.path(),
                                                    std::chrono::seconds(30), dir / "doc.json");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(testing_support::readFile(dir / "out.ske"), twoBones().str());
}

}  // namespace reverse

namespace {

// Each difference once by its pointer, wherever it lies: a float, a longer name (not every field
// after it), an added bone; the counts; the exit codes of cmp: 0 same, 1 different, 2 trouble.
TEST(SkedumpDiff, EachDifferenceOnceByItsPointer) {
  Bytes a;
  a.i32(1).i32(2).append(bone("root", 7)).append(bone("arm", 9));
  Bytes b;
  b.i32(1).i32(3).name("root").u16(7).f32(0).f32(0).f32(0).f32(0.25f).fill(32, 0);
  b.append(bone("arm_l", 9)).append(bone("hand", 1));
  const RunResult differ = testing_support::diffBytes(TOOL_PATH, ".ske", a.str(), b.str());
  EXPECT_EQ(differ.out,
            "/boneCount: 2 at 4 in A, 3 at 4 in B\n"
            "/bones/0/floats/3: 0 at 28 in A, 0.25 at 28 in B\n"
            "/bones/1/nameLength: 3 at 64 in A, 5 at 64 in B\n"
            "/bones/1/name: \"arm\" at 66 in A, \"arm_l\" at 66 in B\n"
            "/bones/2: added, at 121 in B\n"
            "32 fields compared, 5 differ\n");
  EXPECT_EQ(differ.err, "");
  EXPECT_EQ(differ.exitCode, 1);
  const RunResult same = testing_support::diffBytes(TOOL_PATH, ".ske", a.str(), a.str());
  EXPECT_EQ(same.out, "32 fields compared, 0 differ\n");
  EXPECT_EQ(same.exitCode, 0);
  testing_support::ScratchDir dir;
  const RunResult missing = testing_support::runTool(TOOL_PATH, {"--diff", "a", "b"}, dir.path());
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "***ERROR cannot open a: No such file or directory\n");
  EXPECT_EQ(missing.exitCode, 2);
  // A refused command line is trouble too, not an answer.
  const RunResult clash =
      testing_support::runTool(TOOL_PATH, {"--diff", "a", "b", "-r"}, dir.path());
  EXPECT_EQ(clash.err, "***ERROR --diff and --reverse do not go together: see skedump --help\n");
  EXPECT_EQ(clash.exitCode, 2);
}

}  // namespace
