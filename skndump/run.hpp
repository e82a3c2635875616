#pragma once

namespace skndump {

// Prints the report of the skin file at `path` on standard output. Returns the tool's exit code:
// 0 for a whole report, 1 after an "***ERROR" line.
int run(const char* path);

}  // namespace skndump
