// Tests of surfstamp: the material id argument, and the tool spawned on fixture model files,
// with the whole file compared before and after every run.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "model_file.hpp"
#include "run_tool.hpp"
#include "stamp_checks.hpp"
#include "surfstamp/material_id.hpp"

namespace {

using testing_support::buildModel;
using testing_support::ChunkSpec;
using testing_support::ModelFixture;
using testing_support::RunResult;
using testing_support::ScratchDir;
using testing_support::withIds;

const std::string kUsage =
    "***ERROR***  Please supply a file name and an integer:\n\t Useage:  surfstamp.exe "
    "filename.sm [matid to overwrite with]\n\n";
const std::string kInvalid = "invalid .sm file\n<<done>>\n";
const std::string kModelCountRefused =
    "I found not one or too many collision models in this file\n<<done>>\n";

struct Stamped {
  RunResult result;
  std::string file;  // the file after the run
};

Stamped stamp(const std::string& file, const std::vector<std::string>& args) {
  ScratchDir dir;
  testing_support::writeFile(dir / "model.sm", file);
  Stamped run{testing_support::runTool(TOOL_PATH, args, dir.path()), {}};
  EXPECT_FALSE(run.result.timedOut);
  // Only a document's failure has its line on standard error too.
  if (run.result.exitCode == 0 || std::find(args.begin(), args.end(), "--json") == args.end()) {
    EXPECT_EQ(run.result.err, "");
  }
  run.file = testing_support::readFile(dir / "model.sm");
  return run;
}

Stamped stamp(const std::string& file, const std::string& id) {
  return stamp(file, {"model.sm", id});
}

std::string stampedReport(int models, const std::string& id) {
  return " numModels: " + std::to_string(models) + "\n matidReplace: " + id + "\n<<done>>\n";
}

const std::vector<ChunkSpec> kThreeChunks = {{2, 3, 0}, {0, 1, 5}, {1, 0, 0}};

TEST(MaterialIdArgument, Parsing) {
  struct Case {
    const char* text;
    std::uint16_t value;
    bool tooLarge;
  };
  const Case accepted[] = {
      {"0", 0, false},
      {"7", 7, false},
      {"00012", 12, false},
      {"65535", 65535, false},
      {"0000000065535", 65535, false},
      {"65536", 0, true},
      {"99999", 34463, true},
      {"123456", 57920, true},
      {"18446744073709551617", 1, true},
  };
  for (const Case& c : accepted) {
    const auto id = surfstamp::parseMaterialId(c.text);
    ASSERT_TRUE(id.has_value()) << c.text;
    EXPECT_EQ(id->value, c.value) << c.text;
    EXPECT_EQ(id->tooLarge, c.tooLarge) << c.text;
  }
  for (const char* text : {"", "-5", "+5", " 5", "5 ", "a12", "abc", "12a", "0x10", "1.0"}) {
    EXPECT_FALSE(surfstamp::parseMaterialId(text).has_value()) << '"' << text << '"';
  }
}

TEST(SurfstampCommandLine, FewerThanTwoArgumentsPrintUsage) {
  const ModelFixture model = buildModel(9, kThreeChunks);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"model.sm"}}) {
    const Stamped run = stamp(model.bytes, args);
    EXPECT_EQ(run.result.out, kUsage);
    EXPECT_EQ(run.result.exitCode, 0);
    EXPECT_EQ(run.file, model.bytes);
  }
}

TEST(SurfstampStamping, BothFormatsStampEveryIdField) {
  for (const int format : {9, 10}) {
    SCOPED_TRACE(format);
    const ModelFixture model = buildModel(static_cast<std::uint8_t>(format), kThreeChunks);
    const Stamped run = stamp(model.bytes, {"model.sm", "258", "ignored"});
    EXPECT_EQ(run.result.out, stampedReport(3, "258"));
    EXPECT_EQ(run.result.exitCode, 0);
    EXPECT_EQ(run.file, withIds(model.bytes, model.idFields, 258));
  }
}

TEST(SurfstampStamping, IdValuesLowByteFirst) {
  const ModelFixture model = buildModel(10, kThreeChunks);
  const std::vector<std::pair<std::string, std::uint16_t>> ids = {
      {"7", 7}, {"258", 258}, {"65535", 65535}, {"00012", 12}, {"0", 0}};
  for (const auto& [text, value] : ids) {
    const Stamped run = stamp(model.bytes, text);
    EXPECT_EQ(run.result.out, stampedReport(3, std::to_string(value)));
    EXPECT_EQ(run.file, withIds(model.bytes, model.idFields, value)) << text;
  }
  EXPECT_EQ(withIds(std::string(2, '\0'), {0}, 258), "\x02\x01");
}

TEST(SurfstampStamping, ModelCountLimits) {
  const ModelFixture most = buildModel(9, std::vector<ChunkSpec>(239, ChunkSpec{1, 2, 3}));
  const Stamped run = stamp(most.bytes, "9");
  EXPECT_EQ(run.result.out, stampedReport(239, "9"));
  EXPECT_EQ(run.file, withIds(most.bytes, most.idFields, 9));

  for (const std::int32_t count : {240, 0, -1}) {
    const ModelFixture model = buildModel(9, kThreeChunks, count);
    const Stamped refused = stamp(model.bytes, "9");
    EXPECT_EQ(refused.result.out, kModelCountRefused) << count;
    EXPECT_EQ(refused.result.exitCode, 0);
    EXPECT_EQ(refused.file, model.bytes);
  }
}

TEST(SurfstampStamping, ChunksWithoutRecordsAndWithExtraBytes) {
  // No records, negative records, then a chunk with trailing bytes that must be stepped over
  // by its length: the ids of the last chunk are found only through the length fields.
  const ModelFixture model = buildModel(9, {{0, 0, 0}, {3, -4, 7}, {0, 2, 13}, {2, 1, 0}});
  const Stamped run = stamp(model.bytes, "4660");
  EXPECT_EQ(run.result.out, stampedReport(4, "4660"));
  EXPECT_EQ(run.file, withIds(model.bytes, model.idFields, 4660));
  EXPECT_EQ(model.idFields.size(), 6u);
}

TEST(SurfstampRefusals, WrongFormatByteOrEmptyFile) {
  for (const int format : {8, 11, 0, 255}) {
    const ModelFixture model = buildModel(static_cast<std::uint8_t>(format), kThreeChunks);
    const Stamped run = stamp(model.bytes, "5");
    EXPECT_EQ(run.result.out, kInvalid);
    EXPECT_EQ(run.result.exitCode, 0);
    EXPECT_EQ(run.file, model.bytes);
  }
  const Stamped empty = stamp("", "5");
  EXPECT_EQ(empty.result.out, kInvalid);
  EXPECT_EQ(empty.file, "");
}

TEST(SurfstampRefusals, IdAboveTheLimit) {
  const ModelFixture model = buildModel(10, kThreeChunks);
  const std::vector<std::pair<std::string, std::string>> ids = {
      {"65536", "0"}, {"99999", "34463"}, {"123456", "57920"}};
  for (const auto& [text, shown] : ids) {
    const Stamped run = stamp(model.bytes, text);
    EXPECT_EQ(run.result.out, " numModels: 3\n matidReplace: " + shown +
                                  "\nSupply a matID less than 65536 please\nYou supplied: " + text +
                                  "\n");
    EXPECT_EQ(run.result.exitCode, 0);
    EXPECT_EQ(run.file, model.bytes);
  }
}

TEST(SurfstampRefusals, IdThatIsNotANumber) {
  const ModelFixture model = buildModel(10, kThreeChunks);
  for (const std::string text : {"", "-5", "a12", "abc", " 7", "7x"}) {
    const Stamped run = stamp(model.bytes, text);
    EXPECT_EQ(run.result.out, "***ERROR the material id \"" + text +
                                  "\" is not a number: give decimal digits only\n");
    EXPECT_EQ(run.result.exitCode, 1);
    EXPECT_EQ(run.file, model.bytes);
  }
}

TEST(SurfstampRefusals, PathsThatCannotBeOpened) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "folder.sm");
  RunResult result = testing_support::runTool(TOOL_PATH, {"missing.sm", "3"}, dir.path());
  EXPECT_EQ(result.out,
            "***ERROR cannot open missing.sm for reading and writing: No such file or directory\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.sm"));

  result = testing_support::runTool(TOOL_PATH, {"folder.sm", "3"}, dir.path());
  EXPECT_EQ(result.out, "***ERROR cannot open folder.sm for reading and writing: Is a directory\n");
  EXPECT_EQ(result.exitCode, 1);
}

TEST(SurfstampRefusals, ReadOnlyFile) {
  ScratchDir dir;
  const ModelFixture model = buildModel(9, kThreeChunks);
  testing_support::writeFile(dir / "locked.sm", model.bytes);
  std::filesystem::permissions(dir / "locked.sm", std::filesystem::perms::owner_read);
  if (std::ofstream(dir / "locked.sm", std::ios::app)) {
    GTEST_SKIP() << "this user may write to a read-only file (root on POSIX)";
  }
  const RunResult result = testing_support::runTool(TOOL_PATH, {"locked.sm", "3"}, dir.path());
  EXPECT_EQ(result.out,
            "***ERROR cannot open locked.sm for reading and writing: Permission denied\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(testing_support::readFile(dir / "locked.sm"), model.bytes);
}

// A damaged file is refused whole with a message naming the chunk, and left as it was.
TEST(SurfstampRefusals, DamagedChunksLeaveTheFileUntouched) {
  const ModelFixture model = buildModel(9, kThreeChunks);
  // Chunks at 36 (length 208, entry count at 48, record count at 84), 248 (length 101) and
  // 353 (length 72); the file ends at 429.
  const auto setI32 = [&](std::size_t offset, std::int32_t value) {
    std::string bytes = model.bytes;
    for (std::size_t i = 0; i < 4; ++i) {
      bytes[offset + i] = static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * i));
    }
    return bytes;
  };
  const std::string prefix = " numModels: 3\n matidReplace: 1\n***ERROR model.sm: chunk ";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {setI32(36, -1), "1 at byte 36: its length -1 is negative"},
      {setI32(248, 178), "2 at byte 248: its length 178 runs past the end of the file at byte 429"},
      {setI32(248, 8), "2 at byte 248: its length 8 does not cover the entry count"},
      {setI32(48, -2), "1 at byte 36: its entry count -2 is negative"},
      {setI32(48, 13),
       "1 at byte 36: its length 208 does not cover the material record count "
       "after 13 entries"},
      {setI32(48, 0x10000000),
       "1 at byte 36: its length 208 does not cover the material record "
       "count after 268435456 entries"},
      {setI32(84, 4), "1 at byte 36: its length 208 does not cover its 4 material records"},
      {setI32(84, INT32_MAX),
       "1 at byte 36: its length 208 does not cover its 2147483647 "
       "material records"},
      {model.bytes.substr(0, 355), "3 at byte 353: the file ends before its length field"},
      {model.bytes.substr(0, 400),
       "3 at byte 353: its length 72 runs past the end of the file "
       "at byte 400"},
  };
  for (const auto& [bytes, message] : cases) {
    const Stamped run = stamp(bytes, "1");
    EXPECT_EQ(run.result.out, prefix + message + "\n");
    EXPECT_EQ(run.result.exitCode, 1);
    EXPECT_EQ(run.file, bytes);
  }
  const Stamped shortHeader = stamp(model.bytes.substr(0, 34), "1");
  EXPECT_EQ(shortHeader.result.out, "***ERROR model.sm ends at byte 34 while reading numModels\n");
  EXPECT_EQ(shortHeader.result.exitCode, 1);
  EXPECT_EQ(shortHeader.file, model.bytes.substr(0, 34));
}

// Randomly damaged files: every run either stamps exactly the id fields the file defines, or
// changes nothing at all.
TEST(SurfstampRefusals, RandomDamageNeverCorruptsAFile) {
  const ModelFixture model = buildModel(10, {{1, 2, 4}, {0, 3, 0}, {2, 1, 9}, {0, 0, 0}});
  std::mt19937 random(20261207);
  const auto pick = [&](std::size_t bound) {
    return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
  };
  const std::vector<std::int32_t> interesting = {0, 1, -1, 2, 3, 40, 100, INT32_MAX, INT32_MIN};
  for (int round = 0; round < 300; ++round) {
    std::string bytes = model.bytes;
    switch (round % 3) {
      case 0:  // truncation
        bytes.resize(pick(bytes.size()));
        break;
      case 1: {  // a count or length field set to a telling or random value
        const std::size_t at = 33 + pick(bytes.size() - 36);
        const std::int32_t value =
            pick(2) ? interesting[pick(interesting.size())] : static_cast<std::int32_t>(random());
        for (std::size_t i = 0; i < 4; ++i) {
          bytes[at + i] = static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * i));
        }
        break;
      }
      default:  // a few random bytes
        for (int flips = 0; flips < 3; ++flips)
          bytes[pick(bytes.size())] = static_cast<char>(random());
    }
    SCOPED_TRACE("round " + std::to_string(round));
    const Stamped run = stamp(bytes, "4242");
    testing_support::expectStampedExactlyOrUntouched(bytes, run.file, run.result.exitCode, 4242);
  }
}

}  // namespace

// --dry-run reads the model only: the report says how many id fields a stamping would set. It
// holds wherever the option stands, after the operands too.
TEST(SurfstampDryRun, ReportsWhatWouldChangeAndWritesNothing) {
  const ModelFixture model = buildModel(9, kThreeChunks);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-n", "model.sm", "77"}, {"model.sm", "77", "--dry-run"}}) {
    const Stamped run = stamp(model.bytes, args);
    EXPECT_EQ(run.result.out, " numModels: 3\n matidReplace: 77\n<<dry run: " +
                                  std::to_string(model.idFields.size()) +
                                  " id fields to stamp, nothing written>>\n");
    EXPECT_EQ(run.result.exitCode, 0);
    EXPECT_EQ(run.file, model.bytes);
  }
}

// --json lists every material id field where an independent reading of the file finds it, with
// the id it held; --dry-run leaves the file as it was, and a stamping writes what it lists.
namespace json {

nlohmann::ordered_json document(const RunResult& result) {
  return nlohmann::ordered_json::parse(result.out);
}

TEST(SurfstampJson, IdFieldsWhereTheFileHasThemDryRunAndStamped) {
  const ModelFixture model = buildModel(9, kThreeChunks);
  const Stamped dryRun = stamp(model.bytes, {"--json", "-n", "model.sm", "77"});
  EXPECT_EQ(dryRun.result.exitCode, 0);
  EXPECT_EQ(dryRun.file, model.bytes);
  const Stamped stamped = stamp(model.bytes, {"--json", "model.sm", "77"});
  EXPECT_EQ(stamped.result.exitCode, 0);
  EXPECT_EQ(stamped.file, withIds(model.bytes, model.idFields, 77));

  for (const Stamped* run : {&dryRun, &stamped}) {
    const auto report = document(run->result);
    EXPECT_EQ(report["dryRun"], run == &dryRun);
    EXPECT_EQ(report["modelCount"]["value"], 3);
    EXPECT_EQ(report["chunks"].size(), 3u);
    ASSERT_EQ(report["idFields"].size(), model.idFields.size());
    for (std::size_t i = 0; i < model.idFields.size(); ++i) {
      const auto& field = report["idFields"][i];
      const std::size_t offset = model.idFields[i];
      EXPECT_EQ(field["offset"], offset);
      EXPECT_EQ(field["read"], static_cast<unsigned char>(model.bytes[offset]) |
                                   static_cast<unsigned char>(model.bytes[offset + 1]) << 8);
      EXPECT_EQ(field.contains("written"), run == &stamped);
    }
    EXPECT_EQ(report["end"]["outcome"], run == &dryRun ? "checked" : "stamped");
  }
  EXPECT_EQ(dryRun.result.out.find("\"written\""), std::string::npos);
}

TEST(SurfstampJson, RefusalIsADocumentToo) {
  ModelFixture model = buildModel(10, {{1, 2, 0}});
  model.bytes.resize(model.bytes.size() - 1);
  const Stamped run = stamp(model.bytes, {"--json", "model.sm", "5"});
  EXPECT_EQ(run.result.exitCode, 1);
  EXPECT_EQ(run.file, model.bytes);
  const auto report = document(run.result);
  EXPECT_EQ(report["end"]["outcome"], "refused");
  EXPECT_EQ(report["end"]["reason"].get<std::string>().rfind("model.sm: chunk 1 at byte 37", 0),
            0u);
  EXPECT_EQ(run.result.err, "***ERROR " + report["end"]["reason"].get<std::string>() + "\n");
  EXPECT_FALSE(report.contains("idFields"));
}

}  // namespace json
