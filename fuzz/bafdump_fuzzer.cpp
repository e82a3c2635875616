// Fuzzing harness for bafdump: dumps each input as the tool dumps an animation file, the report
// discarded, then as --json does, then writes the document back with -r. The sanitizers catch
// what goes wrong; the exit code must be 0 or 1 and the same in both forms, the document must
// parse, and the file written back from it must be the input, byte for byte.

#include <cstdint>

#include "bafdump/run.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return fuzz_support::dumpInput(
      data, size, "input.baf",
      [](const char* path, bool json) {
        return bafdump::run(path, json ? bafdump::Form::json : bafdump::Form::text);
      },
      bafdump::reverse);
}
