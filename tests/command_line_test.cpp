// The command-line conventions all five tools keep: help and version texts, options before and
// after the operands, "--" to end them, and a refused unknown option on standard error. Each case
// runs every tool.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "run_tool.hpp"

namespace {

using testing_support::RunResult;
using testing_support::ScratchDir;

struct Tool {
  std::string name;
  std::string path;
  std::string extension;
  std::vector<std::string> operandsAfterFile;
};

void PrintTo(const Tool& tool, std::ostream* out) {
  *out << tool.name;
}

const std::vector<Tool> kTools = {
    {"skedump", SKEDUMP_PATH, ".ske", {}},    {"skndump", SKNDUMP_PATH, ".skn", {}},
    {"bafdump", BAFDUMP_PATH, ".baf", {}},    {"surfstamp", SURFSTAMP_PATH, ".sm", {"7"}},
    {"tilecut", TILECUT_PATH, ".tga", {"2"}},
};

#ifdef _WIN32
const std::vector<std::string> kHelpOptions = {"-h", "--help", "/?"};
#else
const std::vector<std::string> kHelpOptions = {"-h", "--help"};
#endif

class ToolCommandLine : public testing::TestWithParam<Tool> {
 protected:
  RunResult run(std::vector<std::string> args, const std::string& err = "") {
    RunResult result = testing_support::runTool(GetParam().path, args, dir_.path());
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.err, err);
    return result;
  }
  // The operands of a run on `file`, which does not exist.
  std::vector<std::string> operandsFor(const std::string& file) const {
    std::vector<std::string> operands{file};
    operands.insert(operands.end(), GetParam().operandsAfterFile.begin(),
                    GetParam().operandsAfterFile.end());
    return operands;
  }
  ScratchDir dir_;
};

TEST_P(ToolCommandLine, HelpIsOneAsciiTextUnder80Columns) {
  const std::string help = run({"--help"}).out;
  EXPECT_EQ(help.rfind("Usage: " + GetParam().name + " [OPTION]... ", 0), 0u) << help;
  EXPECT_NE(help.find("man " + GetParam().name), std::string::npos);
  for (const std::string& line : testing_support::splitLines(help)) {
    EXPECT_LT(line.size(), 80u) << line;
    for (const char c : line) EXPECT_TRUE(c == '\n' || (c >= ' ' && c <= '~')) << line;
  }
  for (const std::string& option : kHelpOptions) {
    const RunResult result = run({option, "ignored" + GetParam().extension});
    EXPECT_EQ(result.out, help) << option;
    EXPECT_EQ(result.exitCode, 0) << option;
  }
}

TEST_P(ToolCommandLine, VersionIsTheNumberTheBuildDeclares) {
  for (const std::string option : {"-V", "--version"}) {
    const RunResult result = run({option});
    EXPECT_EQ(result.out, GetParam().name + " (assettools) " ASSETTOOLS_VERSION "\n") << option;
    EXPECT_EQ(result.exitCode, 0) << option;
  }
}

// Before the operands or after them, on standard error, with nothing on standard output.
TEST_P(ToolCommandLine, UnknownOptionIsRefusedBeforeAnyFileIsTouched) {
  const std::vector<std::string> operands = operandsFor("model" + GetParam().extension);
  testing_support::writeFile(dir_ / operands[0], "untouched");
  const std::string refusal =
      "***ERROR unknown option \"--bogus\": see " + GetParam().name + " --help\n";
  std::vector<std::string> before = operands;
  before.insert(before.begin(), "--bogus");
  std::vector<std::string> after = operands;
  after.push_back("--bogus");
  for (const std::vector<std::string>& args : {before, after}) {
    const RunResult result = run(args, refusal);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitCode, 1);
  }
  EXPECT_EQ(testing_support::readFile(dir_ / operands[0]), "untouched");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
}

// After the operands the tool's own options take effect and single-dash words are ignored; after
// "--" nothing is an option, and "--" alone is no argument at all.
TEST_P(ToolCommandLine, OptionsAfterTheOperandsAndTheEndOfTheOptions) {
  const std::string oddName = "-odd" + GetParam().extension;
  std::vector<std::string> args = operandsFor(oddName);
  args.insert(args.begin(), "--");
  args.push_back("--json");
  RunResult result = run(args);
  EXPECT_NE(result.out.find("***ERROR cannot open " + oddName), std::string::npos) << result.out;
  EXPECT_EQ(result.exitCode, 1);

  args = operandsFor("missing" + GetParam().extension);
  args.push_back("-x");
  result = run(args);
  EXPECT_NE(result.out.find("***ERROR cannot open missing"), std::string::npos) << result.out;
  args.push_back("--version");
  EXPECT_EQ(run(args).out, GetParam().name + " (assettools) " ASSETTOOLS_VERSION "\n");

  const RunResult withoutArguments = run({});
  result = run({"--"});
  EXPECT_EQ(result.out, withoutArguments.out);
  EXPECT_EQ(result.exitCode, withoutArguments.exitCode);
}

// A help, a version or a document that cannot be written is a failure, said on standard error.
TEST_P(ToolCommandLine, FailedWriteOfHelpVersionOrDocumentIsAFailure) {
#ifdef _WIN32
  GTEST_SKIP() << "needs /dev/full";
#else
  const std::string err = (dir_ / "err").string();
  std::string document = "--json";
  for (const std::string& operand : operandsFor("missing" + GetParam().extension)) {
    document += " " + operand;
  }
  for (const std::string& option : {std::string("--help"), std::string("--version"), document}) {
    const std::string command = "cd " + dir_.path().string() + " && " + GetParam().path + " " +
                                option + " >/dev/full 2>" + err;
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << option;
    EXPECT_EQ(WEXITSTATUS(status), 1) << option;
    EXPECT_TRUE(testing_support::readFile(err).ends_with(
        "***ERROR cannot write to standard output: No space left on device\n"))
        << option;
  }
#endif
}

INSTANTIATE_TEST_SUITE_P(EveryTool, ToolCommandLine, testing::ValuesIn(kTools),
                         [](const testing::TestParamInfo<Tool>& tool) { return tool.param.name; });

}  // namespace
