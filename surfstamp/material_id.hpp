#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace surfstamp {

// The material id argument: one or more decimal digits, leading zeros allowed, any length.
struct MaterialIdArgument {
  std::uint16_t value;  // the number modulo 65536
  bool tooLarge;        // the number is above 65535
};

// Nothing for an argument that is not all decimal digits (empty, a sign, a space, letters).
std::optional<MaterialIdArgument> parseMaterialId(std::string_view text);

}  // namespace surfstamp
