#pragma once

#include <string>

namespace fuzz_support {

// True when `text` is one JSON document, valid UTF-8, an object whose last member is "end".
// Compiled apart, without sanitizers and coverage: the parser is not the code under test, and
// the fuzzer's time and corpus belong to the tools.
bool isReportDocument(const std::string& text);

}  // namespace fuzz_support
