#pragma once

#include <string_view>

#include "common/report_form.hpp"

namespace skndump {

// The skin dumper's report (a common::DumpRun) and its -r (a common::ReverseRun).
int run(common::ByteSource& input, const char* path, common::Form form);
int reverse(common::ByteSource& document, std::string_view name, common::ByteSink& file);

}  // namespace skndump
