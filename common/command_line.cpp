#include "command_line.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "report.hpp"

namespace common {

namespace {

// Windows users ask a console program for help with "/?".
#ifdef _WIN32
constexpr bool kSlashQuestionAsksForHelp = true;
#else
constexpr bool kSlashQuestionAsksForHelp = false;
#endif

bool isOption(std::string_view argument) {
  return (argument.size() > 1 && argument[0] == '-') ||
         (kSlashQuestionAsksForHelp && argument == "/?");
}

Request requestOf(std::string_view option) {
  if (option == "-h" || option == "--help" || option == "/?") return Request::help;
  if (option == "-V" || option == "--version") return Request::version;
  return Request::unknownOption;
}

const Option* findOption(std::span<const Option> options, std::string_view argument) {
  const auto spelled = [argument](const Option& option) {
    return argument == option.longForm ||
           (!option.shortForm.empty() && argument == option.shortForm);
  };
  const auto found = std::find_if(options.begin(), options.end(), spelled);
  return found == options.end() ? nullptr : &*found;
}

// Help and version texts are all a run prints: a write that fails must not pass for success,
// and since standard output is what failed, standard error says so.
int printInformation(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  std::fprintf(stderr, "***ERROR cannot write to standard output: %s\n", std::strerror(errno));
  return 1;
}

}  // namespace

bool CommandLine::has(std::string_view longForm) const {
  return std::find(given.begin(), given.end(), longForm) != given.end();
}

CommandLine parseCommandLine(int argc, char* const* argv, std::span<const Option> options) {
  CommandLine line;
  int first = argc > 0 ? 1 : 0;  // argv[0] is the program, when there is one
  for (; first < argc && isOption(argv[first]); ++first) {
    const std::string_view argument = argv[first];
    if (argument == "--") {
      ++first;
      break;
    }
    if (const Option* option = findOption(options, argument)) {
      line.given.push_back(option->longForm);
      continue;
    }
    line.request = requestOf(argument);
    if (line.request == Request::unknownOption) line.unknownOption = argument;
    if (line.request != Request::run) return line;
  }
  line.operands = {argv + first, static_cast<std::size_t>(argc - first)};
  return line;
}

int handleCommandLine(int argc, char** argv, const Tool& tool, int (*run)(const CommandLine&)) {
  const CommandLine line = parseCommandLine(argc, argv, tool.options);
  switch (line.request) {
    case Request::help:
      return printInformation(tool.help);
    case Request::version:
      return printInformation(std::string(tool.name) + " (assettools) " ASSETTOOLS_VERSION "\n");
    case Request::unknownOption:
      printLine("***ERROR unknown option \"", line.unknownOption, "\": see ", tool.name, " --help");
      return 1;
    case Request::run:
      break;
  }
  if (line.operands.size() < tool.operands) {
    printText(tool.usage);
    return tool.usageExitCode;
  }
  return run(line);
}

}  // namespace common
