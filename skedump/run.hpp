#pragma once

namespace skedump {

// Prints the report of the skeleton file at `path` on standard output. Returns the tool's exit
// code: 0 for a whole report, 1 after an "***ERROR" line.
int run(const char* path);

}  // namespace skedump
