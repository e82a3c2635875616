#pragma once

namespace tilecut {

// The report's form: the historic text, or one JSON document, the manifest of the cut.
enum class Form { text, json };

// Cuts the TGA image `name` into `countText` tiles across, written to the current directory,
// reporting on standard output. Returns the tool's exit code: 0 when every tile was written, 1
// after an error message.
int run(const char* name, const char* countText, Form form = Form::text);

}  // namespace tilecut
