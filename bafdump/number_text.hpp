#pragma once

#include <string>

namespace bafdump {

// A float as the report prints it: widened to double, general notation with 6 significant
// digits, an exponent of at least three digits ("1e-005"), and "inf", "-inf" or "nan".
std::string floatText(float value);

}  // namespace bafdump
