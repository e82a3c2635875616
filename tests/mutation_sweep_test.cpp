// Hostile files: seeded mutations of the sample assets, run through every tool. Every run must
// end in time with exit code 0 or 1 and nothing on stderr (where a sanitizer reports), and keep
// its tool's promise: a dumper prints only what it read, surfstamp stamps exactly the material
// id fields or changes nothing, tilecut writes tiles only from bytes it read.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "run_tool.hpp"
#include "stamp_checks.hpp"
#include "tga_tiles.hpp"
#include "tilecut/tile_grid.hpp"

namespace {

using testing_support::RunResult;
using testing_support::ScratchDir;

constexpr int kRounds = 300;
constexpr auto kTimeLimit = std::chrono::seconds(10);
// Each sweep is split into shards that CTest runs side by side: shard s runs the rounds r with
// r % kShards == s. Every shard draws every round's mutation, so a round is the same whichever
// shard runs it.
constexpr int kShards = 3;

bool inShard(int round, int shard) { return round % kShards == shard; }

class MutationSweep : public testing::TestWithParam<int> {
 protected:
  bool mine(int round) const { return inShard(round, GetParam()); }
};

// A count, length or header field of a sample, with the value the sample holds there.
struct Field {
  std::size_t offset;
  std::size_t width;
  std::uint32_t sampleValue;
};

struct Mutation {
  std::string bytes;
  bool truncated = false;
  std::string what;
};

std::uint32_t fieldValue(const std::string& bytes, const Field& field) {
  std::uint32_t value = 0;
  for (std::size_t i = field.width; i-- > 0;) {
    value = value << 8 | static_cast<unsigned char>(bytes[field.offset + i]);
  }
  return value;
}

void setField(std::string& bytes, std::size_t offset, std::size_t width, std::uint32_t value) {
  for (std::size_t i = 0; i < width && offset + i < bytes.size(); ++i) {
    bytes[offset + i] = static_cast<char>(value >> (8 * i));
  }
}

// Truncations, bit flips, byte values, and count and length fields set to the values that
// break careless readers: 0, 1, -1 (the largest unsigned), the largest and smallest signed,
// and common table limits.
class Mutator {
 public:
  Mutator(std::uint32_t seed, std::vector<Field> fields)
      : random_(seed), fields_(std::move(fields)) {}

  Mutation mutate(const std::string& original, int round) {
    Mutation m{original, false, "round " + std::to_string(round) + ": "};
    switch (round % 5) {
      case 0:
        m.bytes.resize(below(original.size()));
        m.truncated = true;
        m.what += "cut to " + std::to_string(m.bytes.size()) + " bytes";
        break;
      case 1: {
        const Field& field = fields_[below(fields_.size())];
        overwrite(m, field.offset, field.width);
        break;
      }
      case 2:
        for (std::size_t flips = 1 + below(4); flips > 0; --flips) {
          const std::size_t at = below(m.bytes.size());
          m.bytes[at] = static_cast<char>(m.bytes[at] ^ (1 << below(8)));
          m.what += "bit flipped at " + std::to_string(at) + "; ";
        }
        break;
      case 3:
        for (std::size_t bytes = 1 + below(3); bytes > 0; --bytes)
          overwrite(m, below(m.bytes.size()), 1);
        break;
      default:
        overwrite(m, below(m.bytes.size()), below(2) == 0 ? 2 : 4);
    }
    return m;
  }

 private:
  std::size_t below(std::size_t bound) {
    return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_);
  }

  void overwrite(Mutation& m, std::size_t offset, std::size_t width) {
    const std::uint32_t top = width == 4 ? 0x80000000u : 0x80u << (8 * (width - 1));
    // Besides the extremes, the limits that formats of this kind put on names and tables.
    const std::uint32_t choices[] = {0,   1,   0xFFFFFFFFu, top - 1,
                                     top, 32,  33,          128,
                                     129, 256, 2048,        static_cast<std::uint32_t>(random_())};
    const std::uint32_t value = choices[below(std::size(choices))];
    setField(m.bytes, offset, width, value);
    m.what += std::to_string(width) + " bytes at " + std::to_string(offset) + " set to " +
              std::to_string(value) + "; ";
  }

  std::mt19937 random_;
  std::vector<Field> fields_;
};

const std::filesystem::path& samples() {
  static const ScratchDir dir;
  static const bool made = [] {
    return testing_support::runTool(MAKE_SAMPLES_PATH, {"--small", dir.path().string()}, dir.path())
               .exitCode == 0;
  }();
  EXPECT_TRUE(made);
  return dir.path();
}

std::string sample(const std::string& name, const std::vector<Field>& fields) {
  const std::string bytes = testing_support::readFile(samples() / name);
  for (const Field& field : fields) {
    EXPECT_EQ(fieldValue(bytes, field), field.sampleValue)
        << name << " at " << field.offset << ": the sample changed, update its field table";
  }
  return bytes;
}

// Nothing on stderr, where a sanitizer reports, but tilecut's pointer to the option that cuts an
// image of another form.
void expectWellEnded(const RunResult& result) {
  EXPECT_FALSE(result.timedOut);
  const std::string anyTgaHint =
      "tilecut: --any-tga (-a) cuts this image, each tile in the image's own pixel format\n";
  EXPECT_TRUE(result.err.empty() || result.err == anyTgaHint) << result.err;
  EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 1) << result.exitCode;
}

// The report without its closing "***ERROR" line, which only a run ending in 1 has.
std::string reportBeforeError(const RunResult& result) {
  if (result.exitCode != 1) return result.out;
  const std::size_t lastLine = result.out.rfind('\n', result.out.size() - 2) + 1;
  EXPECT_EQ(result.out.compare(lastLine, 9, "***ERROR "), 0) << result.out.substr(lastLine);
  return result.out.substr(0, lastLine);
}

void expectPrefix(const std::string& prefix, const std::string& whole) {
  EXPECT_EQ(whole.substr(0, prefix.size()), prefix);
}

RunResult dumpBytes(const char* tool, const ScratchDir& dir, const std::string& bytes) {
  testing_support::writeFile(dir / "in.bin", bytes);
  RunResult result = testing_support::runTool(tool, {"in.bin"}, dir.path(), kTimeLimit);
  expectWellEnded(result);
  return result;
}

// A dumper prints only what it read: a cut file's report is a prefix of the report of the file
// it was cut from, whatever that file holds.
void sweepDumper(const char* tool, const std::string& sampleName, const std::vector<Field>& fields,
                 std::uint32_t seed, int shard) {
  const std::string original = sample(sampleName, fields);
  ScratchDir dir;
  const RunResult full = dumpBytes(tool, dir, original);
  ASSERT_EQ(full.exitCode, 0);
  Mutator mutator(seed, fields);
  std::mt19937 cuts(seed);
  for (int round = 0; round < kRounds; ++round) {
    const Mutation m = mutator.mutate(original, round);
    const std::size_t cut =
        m.bytes.empty() ? 0
                        : std::uniform_int_distribution<std::size_t>(0, m.bytes.size() - 1)(cuts);
    if (!inShard(round, shard)) continue;
    SCOPED_TRACE(m.what);
    const RunResult mutated = dumpBytes(tool, dir, m.bytes);
    const std::string report = reportBeforeError(mutated);
    if (m.truncated) expectPrefix(report, full.out);
    if (m.bytes.empty()) continue;
    SCOPED_TRACE("and cut to " + std::to_string(cut) + " bytes");
    expectPrefix(reportBeforeError(dumpBytes(tool, dir, m.bytes.substr(0, cut))), report);
  }
}

TEST_P(MutationSweep, Skedump) {
  sweepDumper(SKEDUMP_PATH, "skeleton.ske",
              {{0, 4, 1}, {4, 4, 6}, {8, 2, 4}, {64, 2, 6}, {122, 2, 5}, {294, 2, 7}, {303, 2, 1}},
              1, GetParam());
}

TEST_P(MutationSweep, Skndump) {
  sweepDumper(SKNDUMP_PATH, "skin.skn",
              {{0, 4, 1},
               {4, 4, 4},
               {23, 4, 0x3F800000},
               {85, 4, 0x3F000000},
               {168, 2, 3},
               {170, 2, 4},
               {182, 2, 12}},
              2, GetParam());
}

TEST_P(MutationSweep, Bafdump) {
  sweepDumper(BAFDUMP_PATH, "animation.baf",
              {{0, 4, 3}, {4, 2, 2}, {6, 2, 4}, {12, 2, 5}, {19, 4, 4}, {23, 1, 15}, {28, 2, 0x82}},
              3, GetParam());
}

TEST_P(MutationSweep, Surfstamp) {
  const std::vector<Field> fields = {{0, 1, 10},   {33, 4, 3},    {37, 4, 172}, {49, 4, 2},
                                     {85, 4, 2},   {213, 4, 164}, {225, 4, 4},  {293, 4, 1},
                                     {381, 4, 76}, {393, 4, 1},   {413, 4, 0}};
  const std::string original = sample("model.sm", fields);
  Mutator mutator(4, fields);
  ScratchDir dir;
  for (int round = 0; round < kRounds; ++round) {
    const Mutation m = mutator.mutate(original, round);
    if (!mine(round)) continue;
    SCOPED_TRACE(m.what);
    testing_support::writeFile(dir / "model.sm", m.bytes);
    const RunResult result =
        testing_support::runTool(SURFSTAMP_PATH, {"model.sm", "4242"}, dir.path(), kTimeLimit);
    expectWellEnded(result);
    testing_support::expectStampedExactlyOrUntouched(
        m.bytes, testing_support::readFile(dir / "model.sm"), result.exitCode, 4242);
  }
}

// The tiles tilecut must write for `file` cut `count` across: nothing when it must refuse.
struct ExpectedCut {
  bool refused = true;
  std::vector<std::pair<std::string, std::string>> tiles;  // name, bytes
};

ExpectedCut expectedCut(const std::string& file, std::uint32_t count) {
  ExpectedCut cut;
  if (file.size() < 18) return cut;
  const auto u16At = [&](std::size_t at) { return fieldValue(file, Field{at, 2, 0}); };
  const std::uint32_t width = u16At(12);
  const std::uint32_t side = width / count;
  if (u16At(16) != 24 || file[2] != 2 || side == 0) return cut;
  const std::uint32_t rows = u16At(14) / side;
  const std::size_t mapBytes =
      file[1] == 1 ? u16At(5) * ((static_cast<unsigned char>(file[7]) + 7u) / 8) : 0;
  const std::size_t pixelStart = 18 + static_cast<unsigned char>(file[0]) + mapBytes;
  if (rows > 0 && file.size() < pixelStart + std::size_t{rows} * side * width * 3) return cut;
  cut.refused = false;
  for (std::uint32_t row = rows; row-- > 0;) {
    for (std::uint32_t column = 0; column < count; ++column) {
      cut.tiles.emplace_back(
          tilecut::tileName(column, row),
          testing_support::expectedTile(file, pixelStart, width, side, rows, column, row));
    }
  }
  return cut;
}

TEST_P(MutationSweep, Tilecut) {
  const std::vector<Field> fields = {{0, 1, 0}, {1, 1, 0},    {2, 1, 2},    {5, 2, 0},
                                     {7, 1, 0}, {12, 2, 256}, {14, 2, 128}, {16, 2, 24}};
  const std::string original = sample("image.tga", fields);
  Mutator mutator(5, fields);
  const std::uint32_t counts[] = {4, 2, 1, 3};
  for (int round = 0; round < kRounds; ++round) {
    const Mutation m = mutator.mutate(original, round);
    if (!mine(round)) continue;
    const std::uint32_t count = counts[round % 4];
    SCOPED_TRACE(m.what + " cut " + std::to_string(count) + " across");
    ScratchDir dir;
    testing_support::writeFile(dir / "in.tga", m.bytes);
    const RunResult result = testing_support::runTool(
        TILECUT_PATH, {"in.tga", std::to_string(count)}, dir.path(), kTimeLimit);
    expectWellEnded(result);
    const ExpectedCut expected = expectedCut(m.bytes, count);
    EXPECT_EQ(result.exitCode, expected.refused ? 1 : 0) << result.out;
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      written.insert(entry.path().filename().string());
    }
    written.erase("in.tga");
    EXPECT_EQ(written.size(), expected.tiles.size());
    for (const auto& [name, bytes] : expected.tiles) {
      ASSERT_TRUE(written.count(name)) << name;
      EXPECT_EQ(testing_support::readFile(dir / name), bytes) << name;
    }
  }
}

// The forms --any-tga reads beside the sample's, made from its pixels: run-length 32 bits of
// top-left origin, colour-mapped run-length, grey with alpha running right to left.
std::vector<std::string> anyTgaForms(const std::string& image) {
  const std::string pixels = image.substr(18, 48 * 32 * 3);  // the sample's lines, 48 wide
  std::string pixels32, indices, grey;
  for (std::size_t i = 0; i < pixels.size(); i += 3) {
    pixels32 += pixels.substr(i, 3) + static_cast<char>(i / 3 % 7 == 0 ? 0 : 255);
    indices += static_cast<char>(static_cast<unsigned char>(pixels[i]) % 8);
    grey += pixels.substr(i, 1) + static_cast<char>(i % 5 == 0 ? 128 : 255);
  }
  const auto header = [](std::uint8_t type, std::uint8_t mapType, std::uint16_t entries,
                         std::uint8_t entryBits, std::uint8_t depth, std::uint8_t descriptor) {
    testing_support::Bytes bytes;
    bytes.u8(0).u8(mapType).u8(type).u16(0).u16(entries).u8(entryBits).u16(0).u16(0);
    return bytes.u16(48).u16(32).u8(depth).u8(descriptor).str();
  };
  return {header(10, 0, 0, 0, 32, 0x28) + testing_support::runLengthPackets(pixels32, 4),
          header(9, 1, 8, 24, 8, 0) + std::string(24, '\x40') +
              testing_support::runLengthPackets(indices, 1),
          header(3, 0, 0, 0, 16, 0x18) + grey};
}

TEST_P(MutationSweep, TilecutAnyTga) {
  const std::vector<Field> fields = {{1, 1, 0},  {2, 1, 2},   {3, 2, 0},   {5, 2, 0},
                                     {7, 1, 0},  {12, 2, 48}, {14, 2, 32}, {16, 1, 24},
                                     {17, 1, 0}, {18, 1, 0},  {19, 1, 0},  {20, 4, 0}};
  const std::vector<std::string> forms = anyTgaForms(sample("image.tga", {}));
  Mutator mutator(6, fields);
  const std::uint32_t counts[] = {4, 2, 3};
  for (int round = 0; round < kRounds; ++round) {
    const std::string& original = forms[static_cast<std::size_t>(round) % forms.size()];
    const Mutation m = mutator.mutate(original, round / static_cast<int>(forms.size()));
    if (!mine(round)) continue;
    const std::uint32_t count = counts[round % 3];
    SCOPED_TRACE("form " + std::to_string(round % forms.size()) + ", " + m.what + " cut " +
                 std::to_string(count) + " across");
    ScratchDir dir;
    testing_support::writeFile(dir / "in.tga", m.bytes);
    const RunResult result = testing_support::runTool(
        TILECUT_PATH, {"-a", "in.tga", std::to_string(count)}, dir.path(), kTimeLimit);
    expectWellEnded(result);
    const testing_support::AnyTgaCut expected(m.bytes, count);
    EXPECT_EQ(result.exitCode, expected.tiles() ? 0 : 1) << result.out;
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      written.insert(entry.path().filename().string());
    }
    written.erase("in.tga");
    EXPECT_EQ(written.size(), expected.tiles() ? expected.tiles()->size() : 0);
    for (const auto& [name, bytes] :
         expected.tiles().value_or(std::vector<std::pair<std::string, std::string>>{})) {
      ASSERT_TRUE(written.count(name)) << name;
      EXPECT_EQ(testing_support::readFile(dir / name), bytes) << name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Shard, MutationSweep, testing::Range(0, kShards));

}  // namespace
