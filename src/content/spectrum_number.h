// The 5-byte numbers of BASIC: in program lines (hidden after 0x0E), in the variables area and
// in number arrays. Two forms share the five bytes:
//
//   small integer:  0, sign (0x00 or 0xFF), value low, value high, 0
//                   a whole number from -65535 to 65535, the sign byte extending the 16 bits;
//   floating:       exponent + 128, then a 32-bit big-endian mantissa whose top bit, always 1
//                   in the value, holds the sign instead: value = 0.1mmm... (binary) x 2^(e-128).
#pragma once

#include <string>

namespace content {

inline constexpr int kNumberSize = 5;

// The value of the five bytes at p.
[[nodiscard]] double DecodeNumber(const unsigned char* p);
// A value as the machine prints it: up to 10 significant digits, no trailing zeros, and E
// notation ("1.5E+10", "1E-5") for the very large and the very small.
[[nodiscard]] std::string FormatNumber(double value);

}  // namespace content
