#pragma once

// The command line as POSIX utilities read it: options first, then the operands.

#include <span>
#include <string_view>

namespace surfstamp {

enum class Request { run, help, version, unknownOption };

struct CommandLine {
  Request request = Request::run;
  std::string_view unknownOption;   // with Request::unknownOption: the argument as given
  std::span<char* const> operands;  // everything after the options
  bool json = false;                // --json: the report as one JSON document
  bool dryRun = false;              // -n, --dry-run: check and report, write nothing
};

// Options count only before the first operand, and "--" ends them, so that a file named like an
// option can still be given. The first help, version or unknown option decides the request.
CommandLine parseCommandLine(int argc, char* const* argv);

}  // namespace surfstamp
