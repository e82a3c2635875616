// The command-line rules every tool shares, on a tool of options made up for the test: options
// only before the first operand, "--" to end them, the first help, version or unknown option
// deciding the run, and the help built from the tool's own parts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/command_line.hpp"

namespace {

constexpr common::Option kOptions[] = {
    {"--json", "", "print the report as one JSON document"},
    {"--dry-run", "-n",
     "check the whole file and report what would change, without opening it for writing, a "
     "sentence long enough to wrap twice over the help's width of seventy-nine columns"},
};

// The command line of a made-up tool named "tool".
common::CommandLine parse(std::vector<std::string> arguments) {
  static std::vector<std::string> kept;
  kept = std::move(arguments);
  kept.insert(kept.begin(), "tool");
  static std::vector<char*> argv;
  argv.clear();
  for (std::string& argument : kept) argv.push_back(argument.data());
  return common::parseCommandLine(static_cast<int>(argv.size()), argv.data(), kOptions);
}

std::vector<std::string> operandsOf(const common::CommandLine& line) {
  return {line.operands.begin(), line.operands.end()};
}

TEST(CommandLineRules, OptionsCountOnlyBeforeTheFirstOperand) {
  const common::CommandLine line = parse({"-n", "--json", "file", "--help", "-n"});
  EXPECT_EQ(line.request, common::Request::run);
  EXPECT_TRUE(line.has("--json"));
  EXPECT_TRUE(line.has("--dry-run"));
  EXPECT_EQ(operandsOf(line), (std::vector<std::string>{"file", "--help", "-n"}));
  EXPECT_FALSE(parse({"file", "--json"}).has("--json"));
}

TEST(CommandLineRules, DoubleDashEndsTheOptionsAndALoneDashIsAnOperand) {
  EXPECT_EQ(operandsOf(parse({"--", "-odd", "--json"})),
            (std::vector<std::string>{"-odd", "--json"}));
  EXPECT_FALSE(parse({"--", "--json"}).has("--json"));
  EXPECT_EQ(operandsOf(parse({"-", "x"})), (std::vector<std::string>{"-", "x"}));
  EXPECT_TRUE(parse({"--"}).operands.empty());
}

TEST(CommandLineRules, TheFirstHelpVersionOrUnknownOptionDecides) {
  EXPECT_EQ(parse({"--json", "-h", "--bogus"}).request, common::Request::help);
  EXPECT_EQ(parse({"-V", "--help"}).request, common::Request::version);
  const common::CommandLine unknown = parse({"--json", "-x", "--help"});
  EXPECT_EQ(unknown.request, common::Request::unknownOption);
  EXPECT_EQ(unknown.unknownOption, "-x");
  // Options are whole words: no abbreviations, no grouped short options.
  EXPECT_EQ(parse({"--js"}).request, common::Request::unknownOption);
  EXPECT_EQ(parse({"-nV"}).request, common::Request::unknownOption);
#ifdef _WIN32
  EXPECT_EQ(parse({"/?"}).request, common::Request::help);
#else
  EXPECT_EQ(operandsOf(parse({"/?"})), (std::vector<std::string>{"/?"}));
#endif
}

TEST(CommandLineRules, HelpIsMadeOfTheToolsPartsInLinesUnder80Columns) {
  const common::Tool tool{.name = "tool",
                          .synopsis = "FILE",
                          .description = "Does a thing.\n",
                          .options = kOptions,
                          .firstOperand = "file",
                          .exitStatus = "  0  always\n",
                          .usage = "usage"};
  EXPECT_EQ(common::helpText(tool),
            "Usage: tool [OPTION]... FILE\n"
            "\n"
            "Does a thing.\n"
            "\n"
            "Options:\n"
            "  -h, --help     print this help and exit (/? too, on Windows)\n"
            "  -V, --version  print the version and exit\n"
            "      --json     print the report as one JSON document\n"
            "  -n, --dry-run  check the whole file and report what would change, without\n"
            "                 opening it for writing, a sentence long enough to wrap twice\n"
            "                 over the help's width of seventy-nine columns\n"
            "  --             end the options: the next argument is the file, even if it\n"
            "                 begins with '-'\n"
            "\n"
            "Exit status:\n"
            "  0  always\n"
            "\n"
            "Full description: the manual page (man tool) and the README.\n");
}

}  // namespace
