#pragma once

#include "common/report_form.hpp"

namespace skedump {

// Prints the report of the skeleton file at `path` on standard output, read from `opened` instead
// when given. Returns the tool's exit code: 0 for a whole report (or one a check stopped), 1 when
// the file cannot be opened or ends early, or the report could not be written.
int run(const char* path, common::Form form, std::istream* opened);

// Writes the file that the document at `document` describes (a document of this tool's
// --json, "-" for standard input) to `output`, which is replaced only once the whole document
// is taken; to `written` instead when given. Returns the exit code: 0 when the file is written,
// 1 after an "***ERROR" line.
int reverse(const char* document, const char* output, std::string* written);

}  // namespace skedump
