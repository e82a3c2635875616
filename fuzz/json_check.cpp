#include "json_check.hpp"

#include <iterator>
#include <nlohmann/json.hpp>

namespace fuzz_support {

bool isReportDocument(const std::string& text) {
  const auto document = nlohmann::ordered_json::parse(text, nullptr, false);
  return !document.is_discarded() && document.is_object() && !document.empty() &&
         std::prev(document.end()).key() == "end";
}

}  // namespace fuzz_support
