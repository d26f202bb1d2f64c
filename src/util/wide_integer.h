// Unsigned 128-bit arithmetic as two 64-bit halves: 32-bit targets have no 128-bit integer
// type, and the same arithmetic on every target gives the same digits.
#pragma once

#include <cstdint>

namespace gara {

struct Wide {
  uint64_t high = 0;
  uint64_t low = 0;
};

// a * b in full.
constexpr Wide MultiplyFull(uint64_t a, uint64_t b) {
  const uint64_t aLow = a & 0xFFFFFFFFu;
  const uint64_t aHigh = a >> 32;
  const uint64_t bLow = b & 0xFFFFFFFFu;
  const uint64_t bHigh = b >> 32;
  const uint64_t lowLow = aLow * bLow;
  const uint64_t lowHigh = aLow * bHigh;
  const uint64_t highLow = aHigh * bLow;
  const uint64_t middle = (lowLow >> 32) + (lowHigh & 0xFFFFFFFFu) + (highLow & 0xFFFFFFFFu);
  return {aHigh * bHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
          (middle << 32) | (lowLow & 0xFFFFFFFFu)};
}

// w / 2^shift rounded to nearest, ties to even (as printf rounds), for shift in 1..127; false
// when the quotient does not fit 64 bits. Branch-free for the shifts below 64, which are those
// of the number text.
constexpr bool RoundedShift(Wide w, int shift, uint64_t& quotient) {
  if (shift < 64) {
    const uint64_t q = (w.high << (64 - shift)) | (w.low >> shift);
    const uint64_t rest = w.low & ((uint64_t{1} << shift) - 1);
    // Up when the rest is above one half, or at it with an odd quotient.
    quotient = q + ((rest + (q & 1)) > (uint64_t{1} << (shift - 1)));
    // Fits unless bits stand above the shifted ones or the rounding carried past 64 bits.
    return ((w.high >> shift) == 0) & (quotient >= q);
  }
  const uint64_t q = w.high >> (shift - 64);
  const bool odd = (q & 1) != 0;
  bool up = false;
  if (shift == 64) {
    constexpr uint64_t kHalf = uint64_t{1} << 63;
    up = w.low > kHalf || (w.low == kHalf && odd);
  } else {
    // One half is 2^(shift - 1), in the high word.
    const uint64_t rest = w.high & ((uint64_t{1} << (shift - 64)) - 1);
    const uint64_t half = uint64_t{1} << (shift - 65);
    up = rest > half || (rest == half && (w.low != 0 || odd));
  }
  quotient = q + (up ? 1 : 0);
  return true;
}

}  // namespace gara
