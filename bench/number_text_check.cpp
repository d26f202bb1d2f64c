// The number text against printf's "%.15G" on as many values as asked for (a billion takes a few
// minutes on one core): random bit patterns, every binade, values on and next to the midpoints
// between two 15-digit numbers, and coordinates as drawings hold them. printf rounds the exact
// value to 15 significant digits and picks fixed notation by the same rule, so once its exponent
// is laid out the exchange-file way ("E-5", "E20") it is an independent reference.
//
//   number_text_check [values] [seed]
//
// Prints the mismatches (at most 20), their count and a checksum of every text written. The
// values come from integer arithmetic and single correctly rounded operations only, so the
// checksum must be the same on every build of the program, the 32-bit Windows one included.
// The Windows build has no benchmarks; for a sample under Wine, build this file by hand with the
// cross compiler and the flags of the windows preset (and -D__USE_MINGW_ANSI_STDIO=1, for a
// printf that rounds exactly), e.g.
//   i686-w64-mingw32-g++-posix -std=c++20 -O2 -msse2 -mfpmath=sse -D__USE_MINGW_ANSI_STDIO=1
//       -Isrc bench/number_text_check.cpp src/util/number_text.cpp -static -o check.exe
//   cmake/wine-run.sh check.exe 10000000
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "util/number_text.h"

namespace {

double FromBits(uint64_t bits) {
  double v = 0;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// "%.15G" with its exponent written without plus sign or leading zeros; no sign on zero, and
// "0" for what is not finite.
std::string Reference(double v) {
  if (!std::isfinite(v) || v == 0) return "0";
  char printed[64];
  std::snprintf(printed, sizeof printed, "%.15G", v);
  std::string text(printed);
  const size_t e = text.find('E');
  if (e == std::string::npos) return text;
  const bool negative = text[e + 1] == '-';
  size_t first = e + 2;
  while (first + 1 < text.size() && text[first] == '0') ++first;
  return text.substr(0, e) + (negative ? "E-" : "E") + text.substr(first);
}

// 10^e for |e| <= 22, exact in a double.
double ExactPowerOf10(int e) {
  double p = 1;
  for (int i = 0; i < e; ++i) p *= 10;
  return p;
}

class Values {
 public:
  explicit Values(uint64_t seed) : random_(seed) {}

  double Next(uint64_t i) {
    const uint64_t bits = random_();
    switch (i % 8) {
      case 0:  // any bit pattern: subnormals, NaNs and infinities among them
        return FromBits(bits);
      case 1:  // every binade in turn, with a random mantissa and sign
        return FromBits((bits & 0x800FFFFFFFFFFFFFu) | (((i / 8) % 2047) << 52));
      case 2:
      case 3: {  // the nearest double to a midpoint D.5 * 10^e, e in [-36, 8], and its neighbours
        const uint64_t d = 100000000000000u + bits % 900000000000000u;
        const int e = static_cast<int>((bits >> 50) % 45) - 36;
        const double midpoint = static_cast<double>(d) + 0.5;  // exact below 2^53
        double v = midpoint;                                   // one rounding, or two past 10^-22
        if (e >= 0) {
          v *= ExactPowerOf10(e);
        } else if (e >= -22) {
          v /= ExactPowerOf10(-e);
        } else {
          v = v / ExactPowerOf10(22) / ExactPowerOf10(-e - 22);
        }
        const int step = static_cast<int>((bits >> 56) % 3);
        if (step == 1) v = std::nextafter(v, 0.0);
        if (step == 2) v = std::nextafter(v, 1e300);
        return (bits >> 63) != 0 ? -v : v;
      }
      case 4:  // a coordinate with few decimals, as a figure file gives them
        return static_cast<double>(static_cast<int64_t>(bits % 20000001u) - 10000000) / 100;
      default: {  // a computed coordinate, full precision, within a drawing's size
        const double unit = static_cast<double>(bits >> 11) * 0x1p-53;
        return (unit - 0.5) * ExactPowerOf10(static_cast<int>(i % 7));
      }
    }
  }

 private:
  std::mt19937_64 random_;
};

}  // namespace

int main(int argc, char** argv) {
  const uint64_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10000000u;
  const uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20261207u;
  Values values(seed);
  uint64_t mismatches = 0;
  uint64_t checksum = 1469598103934665603u;  // FNV-1a over the texts, each ended by a newline
  for (uint64_t i = 0; i < count; ++i) {
    const double v = values.Next(i);
    char text[gara::kNumberTextMax + 1];
    char* end = gara::WriteNumberText(text, v);
    *end = '\n';
    for (const char* p = text; p <= end; ++p) {
      checksum = (checksum ^ static_cast<unsigned char>(*p)) * 1099511628211u;
    }
    if (i % 100000000u == 0 && i != 0) {
      std::printf("%" PRIu64 " values, %" PRIu64 " mismatches so far\n", i, mismatches);
      std::fflush(stdout);
    }
    const std::string expected = Reference(v);
    if (expected.compare(0, std::string::npos, text, static_cast<size_t>(end - text)) != 0) {
      if (++mismatches <= 20) {
        std::printf("%a: %.*s, printf %s\n", v, static_cast<int>(end - text), text,
                    expected.c_str());
      }
    }
  }
  std::printf("%" PRIu64 " values, %" PRIu64 " mismatches, checksum %016" PRIx64 "\n", count,
              mismatches, checksum);
  return mismatches == 0 ? 0 : 1;
}
