#pragma once

#include "common/report_form.hpp"

namespace skndump {

// The skin dumper: its report, its -r and its --diff.
extern const common::Dumper kDumper;

}  // namespace skndump
