#pragma once

#include "common/report_form.hpp"

namespace skedump {

// The skeleton dumper: its report, its -r and its --diff.
extern const common::Dumper kDumper;

}  // namespace skedump
