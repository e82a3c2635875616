// The sanitizers' settings of the fuzzing harnesses, which an ASAN_OPTIONS of the environment
// still overrides.

extern "C" const char* __asan_default_options() {
  // A freed block waits in quarantine until 32 MiB more are freed, not 256 MiB: a run allocates
  // well under a megabyte, so a use after free within a run, or the next few, is still caught,
  // and the memory is reused while its pages are still mapped, not faulted in anew.
  return "quarantine_size_mb=32";
}
