#pragma once

#include <string>
#include <string_view>

namespace common {

// Appends a float as the report prints it: widened to double, general notation with 6
// significant digits, an exponent of at least three digits ("1e-005"), and "inf", "-inf" or
// "nan".
void appendFloatText(std::string& text, float value);

// The bits of a float as eight lowercase hex digits, the most significant first: "7fc00000".
std::string floatBitsText(float value);

// Appends two lowercase hex digits for each byte.
void appendHexDigits(std::string& text, std::string_view bytes);

// Appends the shortest text that reads back as exactly `value`: "0.1", "-3e-05", "inf", "nan".
void appendExactFloat(std::string& text, float value);

}  // namespace common
