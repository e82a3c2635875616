// Fuzzing harness for surfstamp: checks each input as a model file of its own in a dry run with
// the text report, then stamps it with --json, and aborts, which the fuzzer records as a
// finding, when the dry run changed the file or ended otherwise than the stamping, when the
// stamped file changed anywhere but in the material id fields an independent reading of the
// input finds, changed at all on a refusal, or was refused although it holds together, or when
// the document does not parse.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.hpp"
#include "model_file.hpp"
#include "surfstamp/run.hpp"

namespace {

constexpr std::uint16_t kStampedId = 4242;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(fuzz_support::asText(data, size));
  const std::filesystem::path model = fuzz_support::ownFolder() / "stamped.sm";
  fuzz_support::writeFile(model, input);

  const std::string id = std::to_string(kStampedId);
  const int dryRunExitCode = surfstamp::run(model.c_str(), id.c_str(), {.dryRun = true});
  if (fuzz_support::readFile(model) != input) std::abort();
  std::fflush(stdout);
  fuzz_support::capturedOutput().clear();

  const int exitCode = surfstamp::run(model.c_str(), id.c_str(), {.json = true});
  fuzz_support::requireExitCode(exitCode);
  if (exitCode != dryRunExitCode) std::abort();
  fuzz_support::requireJsonDocument();

  const std::string after = fuzz_support::readFile(model);
  const auto fields = testing_support::materialIdFields(input);
  const bool unchanged = after == input;
  const bool stampedExactly =
      fields && after == testing_support::withIds(input, *fields, kStampedId);
  if (!unchanged && !stampedExactly) std::abort();
  if (exitCode == 1 && (!unchanged || fields)) std::abort();
  return 0;
}
