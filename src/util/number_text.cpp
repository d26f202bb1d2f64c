#include "util/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace gara {

namespace {

constexpr int kDigits = 15;

char* WriteZero(char* out) {
  *out++ = '0';
  return out;
}

char* WriteExponent(char* out, int exponent) {
  if (exponent < 0) {
    *out++ = '-';
    exponent = -exponent;
  }
  char digits[4];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + exponent % 10);
    exponent /= 10;
  } while (exponent != 0);
  while (n > 0) *out++ = digits[--n];
  return out;
}

// Reads "d[.ddd]e[+-]x..." into its significant digits and decimal exponent; returns the count
// of digits.
int SplitScientific(const char* p, const char* end, char* digits, int& exponent) {
  int count = 0;
  for (; p < end && *p != 'e'; ++p) {
    if (*p != '.') digits[count++] = *p;
  }
  ++p;  // 'e'
  const bool negative = *p == '-';
  exponent = 0;
  for (++p; p < end; ++p) exponent = exponent * 10 + (*p - '0');
  if (negative) exponent = -exponent;
  return count;
}

// a * b in full, as two 64-bit halves: 32-bit targets have no 128-bit integer type, and the
// same arithmetic on every target gives the same digits.
struct Product {
  uint64_t high;
  uint64_t low;
};

Product MultiplyFull(uint64_t a, uint64_t b) {
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

constexpr uint64_t kPowersOf10[19] = {1u,
                                      10u,
                                      100u,
                                      1000u,
                                      10000u,
                                      100000u,
                                      1000000u,
                                      10000000u,
                                      100000000u,
                                      1000000000u,
                                      10000000000u,
                                      100000000000u,
                                      1000000000000u,
                                      10000000000000u,
                                      100000000000000u,
                                      1000000000000000u,
                                      10000000000000000u,
                                      100000000000000000u,
                                      1000000000000000000u};
constexpr uint64_t kFifteenDigitsMin = kPowersOf10[kDigits - 1];
constexpr uint64_t kFifteenDigitsEnd = kPowersOf10[kDigits];

// floor(m * 10^k / 2^shift) for m < 2^53, k <= 18 and 3 <= shift <= 65, and whether the part
// cut off is above, at or below one half (1, 0, -1).
uint64_t ScaledFloor(uint64_t m, int k, int shift, int& half) {
  const Product p = MultiplyFull(m, kPowersOf10[k]);
  uint64_t quotient = 0;
  uint64_t restHigh = 0;  // the cut-off bits, compared with 2^(shift - 1) in two words
  uint64_t restLow = 0;
  uint64_t halfHigh = 0;
  uint64_t halfLow = 0;
  if (shift < 64) {
    quotient = (p.high << (64 - shift)) | (p.low >> shift);
    restLow = p.low & ((uint64_t{1} << shift) - 1);
    halfLow = uint64_t{1} << (shift - 1);
  } else {
    quotient = p.high >> (shift - 64);
    restHigh = shift == 64 ? 0 : p.high & ((uint64_t{1} << (shift - 64)) - 1);
    restLow = p.low;
    if (shift == 64) {
      halfLow = uint64_t{1} << 63;
    } else {
      halfHigh = uint64_t{1} << (shift - 65);
    }
  }
  if (restHigh != halfHigh) {
    half = restHigh > halfHigh ? 1 : -1;
  } else {
    half = restLow > halfLow ? 1 : (restLow == halfLow ? 0 : -1);
  }
  return quotient;
}

// The common case of a drawing's coordinates, 2^-13 <= v < 10^15, in exact integer arithmetic:
// v = m / 2^shift, and its 15 significant digits are m * 10^k / 2^shift rounded to nearest,
// ties to even (as printf rounds), for the k that puts that quotient in [10^14, 10^15).
bool RoundedDigitsFast(double v, char* digits, int& exponent, int& count) {
  if (!(v >= 0x1p-13 && v < 1e15)) return false;
  uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  const int binaryExponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
  const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int shift = 52 - binaryExponent;
  // floor(binaryExponent * log10(2)): the decimal exponent of v or one less.
  int decimalExponent = (binaryExponent * 78913) >> 18;
  int half = 0;
  uint64_t scaled = ScaledFloor(m, kDigits - 1 - decimalExponent, shift, half);
  if (scaled >= kFifteenDigitsEnd) {
    ++decimalExponent;
    scaled = ScaledFloor(m, kDigits - 1 - decimalExponent, shift, half);
  }
  if (half > 0 || (half == 0 && (scaled & 1) != 0)) ++scaled;
  if (scaled == kFifteenDigitsEnd) {  // 999...9.5 and above rounds up to 1000...0
    scaled = kFifteenDigitsMin;
    ++decimalExponent;
  }
  exponent = decimalExponent;
  // Seven digits, then eight, in 32-bit arithmetic.
  uint32_t upper = static_cast<uint32_t>(scaled / 100000000u);
  uint32_t lower = static_cast<uint32_t>(scaled % 100000000u);
  for (int i = 14; i >= 7; --i) {
    digits[i] = static_cast<char>('0' + lower % 10);
    lower /= 10;
  }
  for (int i = 6; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + upper % 10);
    upper /= 10;
  }
  count = kDigits;
  while (count > 1 && digits[count - 1] == '0') --count;
  return true;
}

// The value's decimal digits rounded to 15 significant ones (trailing zeros dropped) and the
// decimal exponent of the first, both after rounding. Returns the digit count, 1..15.
int RoundedDigits(double v, char* digits, int& exponent) {
  int fastCount = 0;
  if (RoundedDigitsFast(v, digits, exponent, fastCount)) return fastCount;
  // The shortest digits that read back as v come first: they are fast, and they round to the
  // same 15 digits as v itself unless they lie exactly on a rounding midpoint. No midpoint can
  // lie between v and them: it would be a representation at least as short and nearer to v.
  // Subnormal values carry fewer than 15 digits of precision, so their shortest digits are not
  // their 15-digit rounding.
  char text[32];
  char shortest[20];
  int count = 0;
  std::to_chars_result result{};
  if (v >= std::numeric_limits<double>::min()) {
    result = std::to_chars(text, text + sizeof text, v, std::chars_format::scientific);
    count = SplitScientific(text, result.ptr, shortest, exponent);
    if (count <= kDigits) {
      std::memcpy(digits, shortest, count);
      return count;
    }
  }
  if (count == 0 || (count == kDigits + 1 && shortest[kDigits] == '5')) {
    // On a midpoint: only the exact value decides (14 decimals round it to 15 digits).
    result = std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, kDigits - 1);
    count = SplitScientific(text, result.ptr, digits, exponent);
  } else {
    std::memcpy(digits, shortest, kDigits);
    count = kDigits;
    if (shortest[kDigits] >= '5') {
      int i = kDigits - 1;
      while (i >= 0 && digits[i] == '9') digits[i--] = '0';
      if (i >= 0) {
        ++digits[i];
      } else {
        digits[0] = '1';  // 999...9 rounds up to 1000...0
        ++exponent;
      }
    }
  }
  while (count > 1 && digits[count - 1] == '0') --count;
  return count;
}

}  // namespace

char* WriteNumberText(char* out, double v) {
  if (!std::isfinite(v) || v == 0.0) return WriteZero(out);
  if (v < 0) {
    *out++ = '-';
    v = -v;
  }
  char digits[kDigits];
  int exponent = 0;
  const int count = RoundedDigits(v, digits, exponent);

  if (exponent >= 15 || exponent < -4) {
    *out++ = digits[0];
    if (count > 1) {
      *out++ = '.';
      std::memcpy(out, digits + 1, count - 1);
      out += count - 1;
    }
    *out++ = 'E';
    return WriteExponent(out, exponent);
  }
  if (exponent < 0) {
    *out++ = '0';
    *out++ = '.';
    for (int i = -1; i > exponent; --i) *out++ = '0';
    std::memcpy(out, digits, count);
    return out + count;
  }
  const int whole = exponent + 1;  // digits before the point, 1..15
  if (count <= whole) {
    std::memcpy(out, digits, count);
    out += count;
    for (int i = count; i < whole; ++i) *out++ = '0';
    return out;
  }
  std::memcpy(out, digits, whole);
  out += whole;
  *out++ = '.';
  std::memcpy(out, digits + whole, count - whole);
  return out + (count - whole);
}

void AppendNumberText(std::string& out, double v) {
  char buffer[kNumberTextMax];
  out.append(buffer, WriteNumberText(buffer, v));
}

std::string NumberText(double v) {
  char buffer[kNumberTextMax];
  return std::string(buffer, WriteNumberText(buffer, v));
}

}  // namespace gara
