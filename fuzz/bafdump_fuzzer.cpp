// Fuzzing harness for bafdump: dumps each input as the tool dumps an animation file, the report
// discarded, then as --svg and --json do, then writes the document back with -r. The sanitizers
// catch what goes wrong; the exit code must be 0 or 1 and the same in every form, the picture
// and the document must parse, and the file written back from it must be the input, byte for
// byte.

#include <cstdint>

#include "bafdump/run.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return fuzz_support::dumpInput(data, size, "input.baf", bafdump::kDumper, true);
}
