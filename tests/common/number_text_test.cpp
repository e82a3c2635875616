// The float text of the reports.

#include "common/number_text.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

struct FloatCase {
  float value;
  const char* text;
};

const FloatCase kFloatCases[] = {
    {0.0f, "0"},
    {-0.0f, "-0"},
    {1.0f, "1"},
    {0.5f, "0.5"},
    {0.0001f, "0.0001"},
    {0.00001f, "1e-005"},
    {123456.0f, "123456"},
    {1234567.0f, "1.23457e+006"},
    {10000000.0f, "1e+007"},
    {2500000.0f, "2.5e+006"},
    {-3.0517578125e-05f, "-3.05176e-005"},
    {std::numeric_limits<float>::max(), "3.40282e+038"},
    {std::numeric_limits<float>::min(), "1.17549e-038"},
    {std::numeric_limits<float>::denorm_min(), "1.4013e-045"},
    {std::numeric_limits<float>::infinity(), "inf"},
    {-std::numeric_limits<float>::infinity(), "-inf"},
    {std::numeric_limits<float>::quiet_NaN(), "nan"},
    {-std::numeric_limits<float>::quiet_NaN(), "nan"},
};

// General notation with six digits and a three-digit exponent, appended after what is there.
TEST(FloatText, AsTheReportsPrintIt) {
  for (const FloatCase& c : kFloatCases) {
    std::string text = "before ";
    common::appendFloatText(text, c.value);
    EXPECT_EQ(text, std::string("before ") + c.text);
  }
}

}  // namespace
