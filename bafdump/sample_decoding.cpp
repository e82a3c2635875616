#include "sample_decoding.hpp"

namespace bafdump {

std::uint8_t testBit16(std::uint16_t word, std::uint8_t position) {
  if (position < 1 || position > 16) return 0;
  const auto mask = static_cast<std::uint16_t>(0x8000u >> (position - 1u));
  return (word & mask) != 0 ? 1 : 0;
}

std::uint8_t packBits8(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4,
                       std::uint8_t b5, std::uint8_t b6, std::uint8_t b7, std::uint8_t b8) {
  return static_cast<std::uint8_t>(b1 * 128 + b2 * 64 + b3 * 32 + b4 * 16 + b5 * 8 + b6 * 4 +
                                   b7 * 2 + b8);
}

float powerInt(std::int16_t base, std::int16_t exponent) {
  if (exponent == 0) return 1.0f;
  const int magnitude = exponent < 0 ? -exponent : exponent;
  const auto factor = static_cast<float>(base);
  float product = factor;
  for (int i = 1; i < magnitude; ++i) product *= factor;
  return exponent > 0 ? product : 1.0f / product;
}

float decodeSample(std::uint16_t word, std::int8_t startExponent) {
  float sum = 0.0f;
  std::int8_t exponent = startExponent;
  for (std::uint8_t position = 2; position <= 16; ++position) {
    sum += static_cast<float>(testBit16(word, position)) * powerInt(2, exponent);
    // 8-bit arithmetic, as the format's reference decoder does it.
    exponent = static_cast<std::int8_t>(exponent - 1);
  }
  if (testBit16(word, 1) == 1) sum -= 1.0f;
  return sum;
}

ControlWord splitControlWord(std::uint16_t word) {
  return {testBit16(word, 9) == 1,
          packBits8(0, testBit16(word, 10), testBit16(word, 11), testBit16(word, 12),
                    testBit16(word, 13), testBit16(word, 14), testBit16(word, 15),
                    testBit16(word, 16))};
}

}  // namespace bafdump
