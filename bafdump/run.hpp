#pragma once

#include "common/report_form.hpp"

namespace bafdump {

// The animation dumper: its report, its -r and its --diff.
extern const common::Dumper kDumper;

}  // namespace bafdump
