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

// w >> shift, for shift in 1..127.
constexpr Wide ShiftRight(Wide w, int shift) {
  if (shift >= 64) return {0, w.high >> (shift - 64)};
  return {w.high >> shift, (w.low >> shift) | (w.high << (64 - shift))};
}

// The low `bits` bits of w, for bits in 1..127.
constexpr Wide LowBits(Wide w, int bits) {
  if (bits >= 64) return {w.high & ((uint64_t{1} << (bits - 64)) - 1), w.low};
  return {0, w.low & ((uint64_t{1} << bits) - 1)};
}

// 2^bit, for bit in 0..127.
constexpr Wide PowerOfTwo(int bit) {
  return bit >= 64 ? Wide{uint64_t{1} << (bit - 64), 0} : Wide{0, uint64_t{1} << bit};
}

constexpr bool operator==(Wide a, Wide b) { return a.high == b.high && a.low == b.low; }
constexpr bool operator<(Wide a, Wide b) {
  return a.high != b.high ? a.high < b.high : a.low < b.low;
}

}  // namespace gara
