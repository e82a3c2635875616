#pragma once

#include <optional>
#include <string>

#include "common/report_form.hpp"

namespace tilecut {

struct Options {
  common::Form form = common::Form::text;  // the historic text, or the cut's JSON manifest
  bool anyTga = false;         // every TGA form, each tile in the image's own pixel format
  bool dryRun = false;         // check and report the cut, and create no file
  std::string directory = {};  // where the tiles go; empty for the current folder
  std::optional<std::string> border = {};  // pixels around every tile's square, as given
};

// Cuts the TGA image `name` into `countText` tiles across, reporting on standard output.
// Returns the tool's exit code: 0 when every tile was written (or, in a dry run, could be), 1
// after an error message.
int run(const char* name, const char* countText, const Options& options = {});

}  // namespace tilecut
