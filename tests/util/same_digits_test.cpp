// The digits every build must agree on: a fixed set of a million arguments through the portable
// trigonometry, the number text and the fixed-point text, hashed. The Linux and the Windows test
// programs check the same constant, so a different result in any last bit on either shows here.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>

#include "figure/figure_writer.h"
#include "util/number_text.h"
#include "util/portable_math.h"

namespace gara {
namespace {

// SplitMix64: a fixed sequence on every platform, unlike the standard distributions.
struct Sequence {
  uint64_t state = 0x6A09E667F3BCC909;
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
    return z ^ (z >> 31);
  }
  // A double with random sign and mantissa, its binary exponent in [low, high]; now and then
  // a value the formatting treats apart (zeros, a subnormal, an infinity, NaN).
  double Number(int low, int high) {
    const uint64_t r = Next();
    const uint64_t choice = Next();
    switch (choice % 64) {
      case 0:
        return (r & 1) ? -0.0 : 0.0;
      case 1:
        return std::bit_cast<double>(r & 0x800FFFFFFFFFFFFF);  // subnormal
      case 2:
        return (r & 1) ? -std::numeric_limits<double>::infinity()
                       : std::numeric_limits<double>::quiet_NaN();
      default:
        break;
    }
    const auto exponent =
        static_cast<uint64_t>(1023 + low + static_cast<int>((choice >> 8) % (high - low + 1)));
    return std::bit_cast<double>((r & 0x800FFFFFFFFFFFFF) | (exponent << 52));
  }
};

// FNV-1a, 64 bits, fed byte by byte in an order that does not depend on the platform.
struct Hash {
  uint64_t value = 0xCBF29CE484222325;
  void Byte(unsigned char b) { value = (value ^ b) * 0x100000001B3; }
  void Bits(double d) {
    const auto bits = std::bit_cast<uint64_t>(d);
    for (int shift = 0; shift < 64; shift += 8) Byte(static_cast<unsigned char>(bits >> shift));
  }
  void Text(const std::string& text) {
    for (const char c : text) Byte(static_cast<unsigned char>(c));
    Byte(0);
  }
};

TEST(SameDigits, MillionArgumentsHashToTheCommittedConstant) {
  constexpr int kArguments = 1'000'000;
  // The decimals the figure files use, and some around them.
  constexpr int kDecimals[] = {8, 10, 12, 0, 3, 15};
  Sequence sequence;
  Hash hash;
  std::string text;
  for (int i = 0; i < kArguments; ++i) {
    // Angles from far below a unit to well past the range a drawing uses.
    const double angle = sequence.Number(-30, 30);
    hash.Bits(PortableSin(angle));
    hash.Bits(PortableCos(angle));
    // Coordinates of any size, many binades apart from each other.
    const double x = sequence.Number(-60, 60);
    const double y = sequence.Number(-60, 60);
    hash.Bits(PortableAtan2(y, x));
    hash.Bits(PortableHypot(x, y));
    text.clear();
    AppendNumberText(text, sequence.Number(-1022, 1023));
    hash.Text(text);
    text.clear();
    AppendFixedText(text, kDecimals[i % std::size(kDecimals)], sequence.Number(-45, 70));
    hash.Text(text);
  }
  EXPECT_EQ(hash.value, 0xD337F03FC8F29C87u) << std::hex << hash.value;
}

}  // namespace
}  // namespace gara
