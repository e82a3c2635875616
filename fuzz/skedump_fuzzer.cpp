// Fuzzing harness for skedump: dumps each input as the tool dumps a skeleton file, the report
// discarded, then as --json does, then writes the document back with -r. The sanitizers catch
// what goes wrong; the exit code must be 0 or 1 and the same in both forms, the document must
// parse, and the file written back from it must be the input, byte for byte.

#include <cstdint>

#include "fuzz_support.hpp"
#include "skedump/run.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return fuzz_support::dumpInput(data, size, "input.ske", skedump::kDumper, false);
}
