#pragma once

#include <string_view>

#include "common/report_form.hpp"

namespace bafdump {

// The animation dumper's report, its -r and its --diff, as common::Dumper has them.
int run(common::ByteSource& input, const char* path, common::Form form);
int reverse(common::ByteSource& document, std::string_view name, common::ByteSink& file);
int diff(common::ByteSource& a, const char* pathA, common::ByteSource& b, const char* pathB,
         common::Form form);

inline constexpr common::Dumper kDumper{run, reverse, diff};

}  // namespace bafdump
