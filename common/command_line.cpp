#include "command_line.hpp"

#include <algorithm>
#include <cstdio>
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

// The help gives each option in a column of this width, then what it does.
constexpr std::size_t kOptionColumn = 17;
constexpr std::size_t kHelpColumns = 79;

// One option of the help: its spellings, then `what` wrapped to the help's columns, each line
// after the first indented to the column.
void appendOptionHelp(std::string& help, std::string_view spellings, std::string_view what) {
  std::string line = "  " + std::string(spellings);
  // Spellings too long for the column stand on a line of their own.
  if (line.size() >= kOptionColumn) {
    help += line + '\n';
    line.clear();
  }
  line.resize(kOptionColumn, ' ');
  bool lineHasWords = false;
  while (!what.empty()) {
    const std::size_t wordEnd = std::min(what.find(' '), what.size());
    const std::string_view word = what.substr(0, wordEnd);
    if (lineHasWords && line.size() + 1 + word.size() > kHelpColumns) {
      help += line + '\n';
      line.assign(kOptionColumn, ' ');
      lineHasWords = false;
    }
    if (lineHasWords) line += ' ';
    line += word;
    lineHasWords = true;
    what.remove_prefix(std::min(wordEnd + 1, what.size()));
  }
  help += line + '\n';
}

// Help and version texts are all a run prints: a write that fails must not pass for success,
// and since standard output is what failed, standard error says so.
int printInformation(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  printWriteFailure();
  return 1;
}

}  // namespace

bool CommandLine::has(std::string_view longForm) const {
  return std::find(given.begin(), given.end(), longForm) != given.end();
}

std::string_view CommandLine::value(std::string_view longForm) const {
  for (const auto& [option, text] : values) {
    if (option == longForm) return text;
  }
  return {};
}

namespace {

std::size_t wordsIn(std::string_view text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), ' ')) + 1;
}

// Takes the option at argv[at], and its value if it has one (moving `at` past it). False when
// the argument decides the request instead: help, version, an unknown option, a missing value.
bool takeOption(CommandLine& line, std::span<const Option> options, int argc, char* const* argv,
                int& at) {
  const std::string_view argument = argv[at];
  // An option's value may be given after "=", or as the next argument.
  const std::size_t equals = argument.starts_with("--") ? argument.find('=') : argument.npos;
  const Option* option = findOption(options, argument.substr(0, equals));
  if (option == nullptr || (equals != argument.npos && option->valueName.empty())) {
    line.request = requestOf(argument);
    if (line.request == Request::unknownOption) line.unknownOption = argument;
    return false;
  }
  line.given.push_back(option->longForm);
  if (option->valueName.empty()) return true;
  if (equals == argument.npos && at + 1 == argc) {
    line.request = Request::missingValue;
    line.valueless = option;
    return false;
  }
  line.values.emplace_back(option->longForm, equals == argument.npos ? std::string_view(argv[++at])
                                                                     : argument.substr(equals + 1));
  return true;
}

// The option that takes operands of its own (-r DOCUMENT OUTPUT), if one was given.
const Option* operandsOptionOf(std::span<const Option> options, const CommandLine& line) {
  for (const std::string_view given : line.given) {
    const Option* option = findOption(options, given);
    if (!option->operands.empty()) return option;
  }
  return nullptr;
}

// How many operands the run asks for: those of an option that takes operands of its own, else
// the tool's.
std::size_t operandsAsked(const CommandLine& line, std::span<const Option> options,
                          std::size_t toolOperands) {
  const Option* option = operandsOptionOf(options, line);
  return option != nullptr ? wordsIn(option->operands) : toolOperands;
}

// After the operands, an argument that is one of the tool's options takes effect, and one that
// begins with "--" and is none is refused; anything else there (a surplus argument, a single
// dash one such as "-x") is ignored, as scripts may pass them.
bool takesEffectAfterOperands(std::string_view argument, std::span<const Option> options) {
  return argument.starts_with("--") || requestOf(argument) != Request::unknownOption ||
         findOption(options, argument) != nullptr;
}

}  // namespace

CommandLine parseCommandLine(int argc, char* const* argv, std::span<const Option> options,
                             std::size_t toolOperands) {
  CommandLine line;
  int at = argc > 0 ? 1 : 0;  // argv[0] is the program, when there is one
  bool optionsEnded = false;
  for (; at < argc && isOption(argv[at]); ++at) {
    if (std::string_view(argv[at]) == "--") {
      optionsEnded = true;
      ++at;
      break;
    }
    if (!takeOption(line, options, argc, argv, at)) return line;
  }
  // The operands keep their places: a material id or a count that begins with '-' is one.
  const std::size_t slots =
      std::min(operandsAsked(line, options, toolOperands), static_cast<std::size_t>(argc - at));
  line.operands.assign(argv + at, argv + at + slots);
  std::vector<char*> surplus;
  for (at += static_cast<int>(slots); at < argc; ++at) {
    const std::string_view argument = argv[at];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && isOption(argument) && takesEffectAfterOperands(argument, options)) {
      if (!takeOption(line, options, argc, argv, at)) return line;
    } else {
      surplus.push_back(argv[at]);
    }
  }
  // An option given after the operands that takes more of them (-r) takes them from the
  // arguments that follow the first, in order.
  const std::size_t asked = operandsAsked(line, options, toolOperands);
  while (line.operands.size() < asked && !surplus.empty()) {
    line.operands.push_back(surplus.front());
    surplus.erase(surplus.begin());
  }
  line.operands.insert(line.operands.end(), surplus.begin(), surplus.end());
  return line;
}

std::string helpText(const Tool& tool) {
  std::string help = "Usage: " + std::string(tool.name) + " [OPTION]... " +
                     std::string(tool.synopsis) + "\n\n" + std::string(tool.description) +
                     "\nOptions:\n";
  appendOptionHelp(help, "-h, --help", "print this help and exit (/? too, on Windows)");
  appendOptionHelp(help, "-V, --version", "print the version and exit");
  for (const Option& option : tool.options) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict, bug 105329) on " " + text.
    std::string spellings(option.shortForm.empty() ? "    " : option.shortForm);
    if (!option.shortForm.empty()) spellings += ", ";
    spellings += option.longForm;
    if (!option.valueName.empty()) spellings.append(" ").append(option.valueName);
    std::string what(option.help);
    // An option that takes operands of its own ends with how it is called.
    if (!option.operands.empty()) {
      what.append(": ").append(tool.name).append(" ");
      what.append(option.shortForm.empty() ? option.longForm : option.shortForm);
      what.append(" ").append(option.operands);
    }
    appendOptionHelp(help, spellings, what);
  }
  appendOptionHelp(help, "--",
                   "end the options: the next argument is the " + std::string(tool.firstOperand) +
                       ", even if it begins with '-'");
  help += "\nExit status:\n" + std::string(tool.exitStatus) + std::string(tool.exitStatusShared) +
          "\nFull description: the manual page (man " + std::string(tool.name) +
          ") and the README.\n";
  return help;
}

namespace {

const Option& optionOf(const Tool& tool, std::string_view longForm) {
  return *findOption(tool.options, longForm);
}

// Two options of one group given together; a line that says so, or nothing.
std::string clashOf(const Tool& tool, const CommandLine& line) {
  for (std::size_t i = 0; i < line.given.size(); ++i) {
    for (std::size_t j = i + 1; j < line.given.size(); ++j) {
      const int groups = optionOf(tool, line.given[i]).group;
      if ((groups & optionOf(tool, line.given[j]).group) != 0 && line.given[i] != line.given[j]) {
        return std::string(line.given[i]) + " and " + std::string(line.given[j]) +
               " do not go together";
      }
    }
  }
  return {};
}

// The exit code of a refused command line: 1, or what an option given asks for instead.
int refusalExitCode(const Tool& tool, const CommandLine& line) {
  int code = 1;
  for (const std::string_view given : line.given) {
    code = std::max(code, optionOf(tool, given).refusalExitCode);
  }
  return code;
}

}  // namespace

int handleCommandLine(int argc, char** argv, const Tool& tool, int (*run)(const CommandLine&)) {
  const CommandLine line = parseCommandLine(argc, argv, tool.options, tool.operands);
  const int refused = refusalExitCode(tool, line);
  switch (line.request) {
    case Request::help:
      return printInformation(helpText(tool));
    case Request::version:
      return printInformation(std::string(tool.name) + " (assettools) " ASSETTOOLS_VERSION "\n");
    case Request::unknownOption:
      printErrorLine("***ERROR unknown option \"", line.unknownOption, "\": see ", tool.name,
                     " --help");
      return refused;
    case Request::missingValue:
      printErrorLine("***ERROR ", line.valueless->longForm, " takes ", line.valueless->valueName,
                     ": see ", tool.name, " --help");
      return refused;
    case Request::run:
      break;
  }
  if (const std::string clash = clashOf(tool, line); !clash.empty()) {
    printErrorLine("***ERROR ", clash, ": see ", tool.name, " --help");
    return refused;
  }
  if (const Option* option = operandsOptionOf(tool.options, line)) {
    if (line.operands.size() < wordsIn(option->operands)) {
      printErrorLine("***ERROR ", option->longForm, " takes ", option->operands, ": see ",
                     tool.name, " --help");
      return refused;
    }
  } else if (line.operands.size() < tool.operands) {
    printText(tool.usage);
    return tool.usageExitCode;
  }
  return run(line);
}

}  // namespace common
