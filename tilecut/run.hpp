#pragma once

#include <string>

namespace tilecut {

// The report's form: the historic text, or one JSON document, the manifest of the cut.
enum class Form { text, json };

struct Options {
  Form form = Form::text;
  bool anyTga = false;    // every TGA form, each tile in the image's own pixel format
  bool dryRun = false;    // check and report the cut, and create no file
  std::string directory = {};  // where the tiles go; empty for the current folder
};

// Cuts the TGA image `name` into `countText` tiles across, reporting on standard output.
// Returns the tool's exit code: 0 when every tile was written (or, in a dry run, could be), 1
// after an error message.
int run(const char* name, const char* countText, const Options& options = {});

}  // namespace tilecut
