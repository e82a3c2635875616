#include "material_id.hpp"

#include <algorithm>

namespace surfstamp {

namespace {
constexpr std::uint32_t kIdRange = 65536;
}

std::optional<MaterialIdArgument> parseMaterialId(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::uint32_t modulo = 0;
  std::uint32_t capped = 0;  // the value, held at kIdRange once it gets there
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint32_t>(c - '0');
    modulo = (modulo * 10 + digit) % kIdRange;
    capped = std::min(capped * 10 + digit, kIdRange);
  }
  return MaterialIdArgument{static_cast<std::uint16_t>(modulo), capped >= kIdRange};
}

}  // namespace surfstamp
