#pragma once

#include <string>

namespace common {

// Appends a float as the report prints it: widened to double, general notation with 6
// significant digits, an exponent of at least three digits ("1e-005"), and "inf", "-inf" or
// "nan".
void appendFloatText(std::string& text, float value);

// Appends the shortest text that reads back as exactly `value`: "0.1", "-3e-05", "inf", "nan".
void appendExactFloat(std::string& text, float value);

}  // namespace common
