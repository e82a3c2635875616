#pragma once

namespace surfstamp {

// Sets every collision material id of the static model file at `path` to the id that `idText`
// gives, in place, reporting on standard output. Returns the tool's exit code: 0 when the
// file was stamped, 1 after an "***ERROR" line, with the file untouched.
int run(const char* path, const char* idText);

}  // namespace surfstamp
