#pragma once

#include <string_view>

namespace fuzz_support {

// True when `text` is one well-formed XML document in UTF-8 whose root is an SVG 1.1 <svg>
// element: every tag closed in order, every attribute quoted, only the five predefined entities
// and character references, and no byte that XML cannot hold. Compiled apart, like the JSON
// check.
bool isSvgDocument(std::string_view text);

}  // namespace fuzz_support
