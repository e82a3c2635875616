#pragma once

#include <string_view>

#include "common/file_system.hpp"
#include "common/report_form.hpp"

namespace skndump {

// Prints the report of the skin file `input`, named `path`, on standard output. Returns the
// tool's exit code: 0 for a whole report (or one a check stopped), 1 when the file cannot be
// opened or ends early, or the report could not be written.
int run(common::ByteSource& input, const char* path, common::Form form);

// Writes the file that the document `document` (a document of this tool's --json, named `name`
// in a refusal's line) describes to `file`. Returns the exit code: 0 when the file is written, 1
// after an "***ERROR" line.
int reverse(common::ByteSource& document, std::string_view name, common::ByteSink& file);

}  // namespace skndump
