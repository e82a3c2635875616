// The numbers of the SVG pictures: at most two decimals, no trailing zeros, never "-0".

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "common/svg_writer.hpp"

namespace {

struct NumberCase {
  double value;
  const char* text;
};

const NumberCase kNumberCases[] = {
    // Whole numbers, the most of any picture, up to where a double holds no fraction.
    {0.0, "0"},
    {-0.0, "0"},
    {120.0, "120"},
    {-5.0, "-5"},
    {999999999999999.0, "999999999999999"},
    {1e15, "1000000000000000"},
    {-1e20, "-100000000000000000000"},
    // Fractions, rounded to two decimals.
    {0.1, "0.1"},
    {0.25, "0.25"},
    {3.14159, "3.14"},
    {2.999, "3"},
    {-0.001, "0"},
    {-1234.5, "-1234.5"},
    // What cannot be drawn is drawn at 0.
    {std::numeric_limits<double>::quiet_NaN(), "0"},
    {std::numeric_limits<double>::infinity(), "0"},
    {-std::numeric_limits<double>::infinity(), "0"},
};

TEST(SvgNumber, AtMostTwoDecimalsAppended) {
  for (const NumberCase& c : kNumberCases) {
    std::string text = "x=";
    common::appendSvgNumber(text, c.value);
    EXPECT_EQ(text, std::string("x=") + c.text) << c.value;
  }
}

// Every digit of the longest number there is, not a cut-off buffer.
TEST(SvgNumber, TheLongestWhole) {
  std::string text;
  common::appendSvgNumber(text, -std::numeric_limits<double>::max());
  EXPECT_EQ(text.size(), 310u);
  EXPECT_EQ(text.substr(0, 18), "-17976931348623157");
  EXPECT_EQ(text.find_first_not_of("0123456789", 1), std::string::npos);
}

}  // namespace
