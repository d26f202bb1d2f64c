#include "figure/figure_writer.h"

#include <bit>
#include <charconv>
#include <cmath>

#include "figure/figure_format.h"
#include "util/text.h"

namespace gara {

namespace {

#ifdef __SIZEOF_INT128__
constexpr int kFastDecimals = 12;
constexpr uint64_t kPowersOf5[kFastDecimals + 1] = {
    1, 5, 25, 125, 625, 3125, 15625, 78125, 390625, 1953125, 9765625, 48828125, 244140625};
constexpr uint64_t kPowersOf10[kFastDecimals + 1] = {
    1,        10,        100,        1000,        10000,        100000,       1000000,
    10000000, 100000000, 1000000000, 10000000000, 100000000000, 1000000000000};

// Two decimal digits of every number below 100, for writing digits in pairs.
constexpr char kDigitPairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// `count` digits of v (below 10^count), leading zeros included, at `at`.
[[gnu::always_inline]] inline void WriteDigits(char* at, int count, uint32_t v) {
  int i = count;
  for (; i >= 2; i -= 2) {
    const uint32_t pair = v % 100;
    v /= 100;
    at[i - 2] = kDigitPairs[2 * pair];
    at[i - 1] = kDigitPairs[2 * pair + 1];
  }
  if (i == 1) at[0] = static_cast<char>('0' + v);
}

// The figure files' common case, |value| < 2^60 at up to 12 decimals, without the general
// formatting machinery: value = m * 2^e exactly, so value * 10^d = m * 5^d * 2^(e + d) is an
// exact 128-bit product, shifted with rounding to nearest, ties to even, as printf rounds.
// Inlined into callers with a constant count of decimals, whose divisions become products.
[[gnu::always_inline]] inline bool AppendFixedFast(std::string& out, int decimals, double value) {
  if (decimals > kFastDecimals || !(std::fabs(value) < 0x1p60)) return false;
  const auto bits = std::bit_cast<uint64_t>(value);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t m = bits & ((uint64_t{1} << 52) - 1);
  int e = -1074;  // subnormal
  if (biased != 0) {
    m |= uint64_t{1} << 52;
    e = biased - 1075;
  }
  const int shift = -(e + decimals);  // n = m * 5^d / 2^shift
  const unsigned __int128 product = static_cast<unsigned __int128>(m) * kPowersOf5[decimals];
  unsigned __int128 n;
  if (shift <= 0) {
    n = product << -shift;
  } else if (shift >= 128) {
    n = 0;
  } else {
    n = product >> shift;
    const unsigned __int128 rest = product - (n << shift);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    if (rest > half || (rest == half && (n & 1))) ++n;
  }
  if (n >> 64) return false;  // beyond 64 bits: the general formatting
  const auto whole = static_cast<uint64_t>(n);
  if (whole == 0) {
    out.push_back('0');  // a value that rounds to zero is written 0, whatever its sign
    return true;
  }
  char buffer[48];
  char* p = buffer;
  if (bits >> 63) *p++ = '-';
  const uint64_t scale = kPowersOf10[decimals];
  p = std::to_chars(p, buffer + sizeof buffer, whole / scale).ptr;
  uint64_t fraction = whole % scale;
  if (fraction != 0) {
    // All the decimals in two halves written side by side (each two digits at a time from its
    // last), then the trailing zeros dropped; the fraction is not zero, so the point stays.
    *p = '.';
    const int lowCount = decimals / 2;
    const uint64_t lowScale = kPowersOf10[lowCount];
    WriteDigits(p + 1, decimals - lowCount, static_cast<uint32_t>(fraction / lowScale));
    WriteDigits(p + 1 + decimals - lowCount, lowCount, static_cast<uint32_t>(fraction % lowScale));
    p += decimals + 1;
    while (p[-1] == '0') --p;
  }
  out.append(buffer, static_cast<size_t>(p - buffer));
  return true;
}

// The counts of decimals the figure files use, each with its own constant.
bool AppendFixedCommon(std::string& out, int decimals, double value) {
  switch (decimals) {
    case figure::kLengthDecimals:
      return AppendFixedFast(out, figure::kLengthDecimals, value);
    case figure::kAngleDecimals:
      return AppendFixedFast(out, figure::kAngleDecimals, value);
    case figure::kScaleDecimals:
      return AppendFixedFast(out, figure::kScaleDecimals, value);
    default:
      return AppendFixedFast(out, decimals, value);
  }
}
#else
// Without 128-bit integers (32-bit targets) every value takes the general formatting.
bool AppendFixedCommon(std::string&, int, double) { return false; }
#endif

}  // namespace

void AppendFixedText(std::string& out, int decimals, double value) {
  if (decimals < 0) decimals = 0;
  if (decimals > 40) decimals = 40;
  if (!std::isfinite(value)) value = 0.0;
  if (AppendFixedCommon(out, decimals, value)) return;
  // 309 integer digits of the largest double, a sign, a point and the fraction.
  char buffer[320 + 40];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) {
    out.push_back('0');
    return;
  }
  const char* end = result.ptr;
  if (decimals > 0) {
    while (end[-1] == '0') --end;
    if (end[-1] == '.') --end;
  }
  // A value that rounds to zero is written 0, whatever its sign.
  const char* begin = buffer;
  if (end - begin == 2 && begin[0] == '-' && begin[1] == '0') ++begin;
  out.append(begin, static_cast<size_t>(end - begin));
}

void AppendInteger(std::string& out, int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, static_cast<size_t>(result.ptr - buffer));
}

void AppendQuotedText(std::string& out, std::string_view text) {
  out.push_back('"');
  out.append(DoubleQuotes(RemoveControlChars(text)));
  out.push_back('"');
}

}  // namespace gara
