#pragma once

// The bit functions and the fixed-point decoding of animation samples.
//
// A sample is a 16-bit two's-complement word with 15 fraction bits: its value is s / 32768,
// s being the word read as a signed 16-bit integer. A run's control word carries the repeat
// flag in bit 0x0080 and the run length in bits 0x007F; its high byte means nothing to the
// reader.

#include <cstdint>

namespace bafdump {

// 1 when the bit at `position` is set, counting from 1 at the most significant end (0x8000)
// to 16 at the least significant (0x0001).
std::uint8_t testBit16(std::uint16_t word, std::uint8_t position);

// The byte b1 b2 ... b8, b1 the most significant bit; each argument is 0 or 1.
std::uint8_t packBits8(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4,
                       std::uint8_t b5, std::uint8_t b6, std::uint8_t b7, std::uint8_t b8);

// base to the power exponent in single precision: repeated multiplication, rounded after each
// step; a negative exponent gives 1 divided by the product for its magnitude.
float powerInt(std::int16_t base, std::int16_t exponent);

// The value of a sample word, summed bit by bit: the second-highest bit weighs 2 to the power
// `startExponent`, each lower bit half the one before, and the highest bit subtracts 1.
// Sample streams are decoded with a start exponent of -1, which gives exactly s / 32768.
float decodeSample(std::uint16_t word, std::int8_t startExponent);

constexpr std::int8_t kSampleStartExponent = -1;

struct ControlWord {
  bool repeat;          // one value word follows, standing for `length` samples
  std::uint8_t length;  // 0 to 127 samples
};

ControlWord splitControlWord(std::uint16_t word);

}  // namespace bafdump
