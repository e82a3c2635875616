// The command-line rules every tool shares, on a tool of options made up for the test: options
// before the operands and after them, operands kept in their places, "--" to end the options,
// the first help, version or unknown option deciding the run, and the help built from the tool's
// own parts.

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

// A tool of two operands, with an option that takes two of its own and one that takes a value.
constexpr common::Option kOperandOptions[] = {
    {"--reverse", "-r", "write DOCUMENT to OUTPUT", "DOCUMENT OUTPUT", 1},
    {"--directory", "-C", "the folder", {}, 0, "DIR"},
};

// The command line of a made-up tool named "tool", of `operands` operands.
common::CommandLine parse(std::vector<std::string> arguments,
                          std::span<const common::Option> options = kOptions,
                          std::size_t operands = 2) {
  static std::vector<std::string> kept;
  kept = std::move(arguments);
  kept.insert(kept.begin(), "tool");
  static std::vector<char*> argv;
  argv.clear();
  for (std::string& argument : kept) argv.push_back(argument.data());
  return common::parseCommandLine(static_cast<int>(argv.size()), argv.data(), options, operands);
}

std::vector<std::string> operandsOf(const common::CommandLine& line) {
  return {line.operands.begin(), line.operands.end()};
}

// After the operands, the tool's own options take effect, a "--" word that is none is refused,
// and anything else is a surplus argument; the operands keep their places whatever they look
// like.
TEST(CommandLineRules, OptionsAfterTheOperandsTakeEffectAndOperandsKeepTheirPlaces) {
  common::CommandLine line = parse({"model.sm", "-n", "--json", "-x", "extra", "-n"});
  EXPECT_EQ(line.request, common::Request::run);
  EXPECT_TRUE(line.has("--json"));
  EXPECT_TRUE(line.has("--dry-run"));  // the second operand is "-n"; the last one is the option
  EXPECT_EQ(operandsOf(line), (std::vector<std::string>{"model.sm", "-n", "-x", "extra"}));
  line = parse({"file", "2", "--bogus", "--help"});
  EXPECT_EQ(line.request, common::Request::unknownOption);
  EXPECT_EQ(line.unknownOption, "--bogus");
  EXPECT_EQ(parse({"file", "2", "--help"}).request, common::Request::help);
  EXPECT_EQ(parse({"file", "2", "--json=1"}).request, common::Request::unknownOption);

  line = parse({"file", "2", "-C", "out"}, kOperandOptions);
  EXPECT_EQ(line.value("--directory"), "out");
  EXPECT_EQ(parse({"file", "2", "-C"}, kOperandOptions).request, common::Request::missingValue);
  // An option that takes operands of its own takes them from the arguments after the first.
  line = parse({"doc.json", "out.ske", "-r"}, kOperandOptions, 1);
  EXPECT_TRUE(line.has("--reverse"));
  EXPECT_EQ(operandsOf(line), (std::vector<std::string>{"doc.json", "out.ske"}));
}

TEST(CommandLineRules, DoubleDashEndsTheOptionsAndALoneDashIsAnOperand) {
  EXPECT_EQ(operandsOf(parse({"--", "-odd", "--json", "--help"})),
            (std::vector<std::string>{"-odd", "--json", "--help"}));
  EXPECT_FALSE(parse({"--", "--json"}).has("--json"));
  const common::CommandLine line = parse({"file", "2", "--", "--json", "--bogus"});
  EXPECT_EQ(line.request, common::Request::run);
  EXPECT_FALSE(line.has("--json"));
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
