// Unit tests of the animation sample decoding: the bit functions, the power function, the
// decoding of every sample word and the split of control words.

#include "bafdump/sample_decoding.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

using namespace bafdump;

TEST(BitFunctions, TestBit16CountsFromTheTop) {
  EXPECT_EQ(testBit16(0x0080, 9), 1);
  EXPECT_EQ(testBit16(0x0080, 8), 0);
  EXPECT_EQ(testBit16(0x8000, 1), 1);
  EXPECT_EQ(testBit16(0x0001, 16), 1);
  EXPECT_EQ(testBit16(0xFFFE, 16), 0);
  for (std::uint8_t position = 1; position <= 16; ++position) {
    EXPECT_EQ(testBit16(static_cast<std::uint16_t>(0x8000u >> (position - 1)), position), 1);
  }
}

TEST(BitFunctions, PackBits8PutsTheFirstArgumentOnTop) {
  EXPECT_EQ(packBits8(0, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(packBits8(1, 0, 0, 0, 0, 0, 0, 0), 128);
  EXPECT_EQ(packBits8(0, 0, 0, 0, 0, 0, 0, 1), 1);
  EXPECT_EQ(packBits8(1, 1, 1, 1, 1, 1, 1, 1), 255);
  EXPECT_EQ(packBits8(0, 1, 0, 1, 1, 0, 1, 0), 0x5A);
}

TEST(PowerInt, PowersOfTwoAndOthers) {
  EXPECT_EQ(powerInt(2, -1), 0.5f);
  EXPECT_EQ(powerInt(2, -15), 1.0f / 32768.0f);
  EXPECT_EQ(powerInt(2, 1), 2.0f);
  EXPECT_EQ(powerInt(2, 3), 8.0f);
  EXPECT_EQ(powerInt(2, 0), 1.0f);
  EXPECT_EQ(powerInt(-3, 3), -27.0f);
  EXPECT_EQ(powerInt(10, -2), 1.0f / 100.0f);
}

TEST(DecodeSample, EveryWordIsItsSignedValueOver32768) {
  for (std::uint32_t word = 0; word <= 0xFFFF; ++word) {
    const auto signedValue = static_cast<std::int16_t>(word);
    const float expected = static_cast<float>(signedValue) / 32768.0f;
    const float decoded = decodeSample(static_cast<std::uint16_t>(word), kSampleStartExponent);
    ASSERT_EQ(decoded, expected) << "word " << word;
    ASSERT_FALSE(std::signbit(decoded) && decoded == 0.0f) << "negative zero for " << word;
  }
}

TEST(DecodeSample, ListedWords) {
  EXPECT_EQ(decodeSample(0x0001, -1), 3.0517578125e-5f);
  EXPECT_EQ(decodeSample(0x4000, -1), 0.5f);
  EXPECT_EQ(decodeSample(0x7FFF, -1), 0.999969482421875f);
  EXPECT_EQ(decodeSample(0x8000, -1), -1.0f);
  EXPECT_EQ(decodeSample(0xC000, -1), -0.5f);
  EXPECT_EQ(decodeSample(0x1234, -1), 0.1422119140625f);
  // Another start exponent scales the fraction bits.
  EXPECT_EQ(decodeSample(0x4000, 0), 1.0f);
}

TEST(ControlWord, SplitOfFileBytes) {
  struct Case {
    std::uint8_t low, high;  // in file order
    bool repeat;
    std::uint8_t length;
  };
  const Case cases[] = {
      {0x83, 0x00, true, 3},    {0x03, 0x00, false, 3}, {0x83, 0x5A, true, 3},
      {0x80, 0x00, true, 0},    {0x00, 0x00, false, 0}, {0xFF, 0x00, true, 127},
      {0x7F, 0x00, false, 127},
  };
  for (const Case& c : cases) {
    const ControlWord run = splitControlWord(static_cast<std::uint16_t>(c.low | c.high << 8));
    EXPECT_EQ(run.repeat, c.repeat) << int{c.low} << " " << int{c.high};
    EXPECT_EQ(run.length, c.length) << int{c.low} << " " << int{c.high};
  }
}

}  // namespace
