// The number text of the exchange and settings files: 15 significant digits, shortest form,
// fixed notation for 0.0001 <= |v| < 1e15, otherwise "E" with no plus sign or leading zeros.
#pragma once

#include <cstdint>
#include <string>

namespace gara {

// Longest possible number text, e.g. "-1.23456789012345E-308".
inline constexpr int kNumberTextMax = 24;

// Writes the number text of v at out and returns the end. out must have room for kNumberTextMax
// bytes, all of which may be written: the digits go out in blocks of sixteen. NaN and infinities
// are written as "0" so that nothing unreadable ever reaches Jw_cad.
char* WriteNumberText(char* out, double v);
void AppendNumberText(std::string& out, double v);
// The last `count` decimal digits of n, leading zeros included, as count bytes at out.
void WriteLastDigits(char* out, uint64_t n, int count);
// The number of decimal digits of n, 1..20.
int DecimalDigitCount(uint64_t n);
std::string NumberText(double v);

}  // namespace gara
