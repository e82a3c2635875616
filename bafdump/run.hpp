#pragma once

namespace bafdump {

// Prints the report of the animation file at `path` on standard output. Returns the tool's exit
// code: 0 for a whole report, 1 after an "***ERROR" line.
int run(const char* path);

}  // namespace bafdump
