#pragma once

namespace surfstamp {

struct Options {
  bool dryRun = false;  // check the whole file and report every id field, but write nothing
  bool json = false;    // the report as one JSON document
};

// Sets every collision material id of the static model file at `path` to the id that `idText`
// gives, in place, reporting on standard output. Returns the tool's exit code: 0 when the
// file was stamped (or checked, in a dry run), 1 after an "***ERROR" line, with the file
// untouched.
int run(const char* path, const char* idText, Options options = {});

}  // namespace surfstamp
