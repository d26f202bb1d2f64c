#include "util/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "util/wide_integer.h"

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

// m * 10^k / 2^shift rounded to nearest, ties to even (as printf rounds), for m < 2^53,
// k <= 18 and 3 <= shift <= 65: always within 64 bits.
uint64_t ScaledRounded(uint64_t m, int k, int shift) {
  uint64_t quotient = 0;
  RoundedShift(MultiplyFull(m, kPowersOf10[k]), shift, quotient);
  return quotient;
}

// RoundedDigits for the values outside the common range and the subnormal ones. Writes the
// digits at digits and pads them with zeros to 15; returns their count without trailing zeros.
int RoundedDigitsExact(double v, char* digits, int& exponent) {
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
      std::memset(digits + count, '0', kDigits - count);
      return count;
    }
  }
  if (count == 0 || (count == kDigits + 1 && shortest[kDigits] == '5')) {
    // On a midpoint: only the exact value decides (14 decimals round it to 15 digits).
    result = std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, kDigits - 1);
    count = SplitScientific(text, result.ptr, digits, exponent);
    std::memset(digits + count, '0', kDigits - count);
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

// Digit pairs "00" to "99": two digits at a time, with no division by ten per digit.
struct DigitPairs {
  char text[200];
};
constexpr DigitPairs MakeDigitPairs() {
  DigitPairs pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs.text[2 * i] = static_cast<char>('0' + i / 10);
    pairs.text[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}
constexpr DigitPairs kDigitPairs = MakeDigitPairs();

// The texts below are built as 16-byte strings held in two 64-bit words, first character in the
// lowest byte: digits are moved and the point put in by shifts and masks in registers, and each
// text reaches memory in two stores, never read back.
static_assert(std::endian::native == std::endian::little);

struct Text16 {
  uint64_t low;   // characters 0..7
  uint64_t high;  // characters 8..15
};

constexpr uint64_t kZeroDigits = 0x3030303030303030u;

uint64_t DigitPair(uint32_t n) {
  uint16_t pair = 0;
  std::memcpy(&pair, kDigitPairs.text + 2 * n, 2);
  return pair;
}

}  // namespace

void WriteLastDigits(char* out, uint64_t n, int count) {
  for (; count >= 2; count -= 2) {
    std::memcpy(out + count - 2, kDigitPairs.text + 2 * (n % 100), 2);
    n /= 100;
  }
  if (count == 1) out[0] = static_cast<char>('0' + n % 10);
}

int DecimalDigitCount(uint64_t n) {
  // From the bit length: log10(2) is about 1233 / 4096, which gives the count or one less.
  const int below = ((64 - std::countl_zero(n | 1)) * 1233) >> 12;
  constexpr uint64_t kTenToTheNineteenth = 10000000000000000000u;
  const uint64_t power = below < 19 ? kPowersOf10[below] : kTenToTheNineteenth;
  return below + (n >= power || n == 0 ? 1 : 0);
}

namespace {

// n < 10^8 as eight digits with leading zeros. n / 10^6 in fixed point with 48 fraction bits
// (close enough for every such n, as tried on each): the whole part is the first two digits, and
// each multiplication of the fraction by 100 brings up the next two.
uint64_t EightDigits(uint32_t n) {
  constexpr uint64_t kFraction = (uint64_t{1} << 48) - 1;
  uint64_t y = uint64_t{n} * 281474977u;  // 2^48 / 10^6, rounded up
  uint64_t text = DigitPair(static_cast<uint32_t>(y >> 48));
  for (int i = 1; i < 4; ++i) {
    y = (y & kFraction) * 100;
    text |= DigitPair(static_cast<uint32_t>(y >> 48)) << (16 * i);
  }
  return text;
}

// Bytes 0..n-1 of a 16-byte text, for n in 0..16.
struct ByteMasks {
  Text16 below[17];
};
constexpr ByteMasks MakeByteMasks() {
  ByteMasks masks{};
  for (int n = 0; n <= 16; ++n) {
    masks.below[n].low = n >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * n)) - 1;
    masks.below[n].high = n >= 16 ? ~uint64_t{0} : n <= 8 ? 0 : (uint64_t{1} << (8 * (n - 8))) - 1;
  }
  return masks;
}
constexpr ByteMasks kByteMasks = MakeByteMasks();

// The digits with a point after the first `whole` of them (1..14).
Text16 WithPoint(Text16 digits, int whole) {
  const Text16 before = kByteMasks.below[whole];
  const Text16 through = kByteMasks.below[whole + 1];
  const uint64_t movedLow = digits.low << 8;
  const uint64_t movedHigh = digits.high << 8 | digits.low >> 56;
  constexpr uint64_t kPoints = 0x2E2E2E2E2E2E2E2Eu;
  return {
      (digits.low & before.low) | (movedLow & ~through.low) | (kPoints & through.low & ~before.low),
      (digits.high & before.high) | (movedHigh & ~through.high) |
          (kPoints & through.high & ~before.high)};
}

void Store(char* out, Text16 text) {
  std::memcpy(out, &text.low, 8);
  std::memcpy(out + 8, &text.high, 8);
}

// The doubles nearest to 10^-3 .. 10^15, for telling the decimal exponent of v by one
// comparison: from 1 up they are exact, and below 1 each lies just above the power it stands
// for, so that v (never equal to such a power) is at or above it exactly when v is above the
// power.
constexpr double kPowersOf10Above[19] = {1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,  1e3,  1e4,  1e5, 1e6,
                                         1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The common case of a drawing's coordinates, 2^-13 <= v < 10^15, in exact integer arithmetic:
// v = m / 2^shift, and its 15 significant digits are m * 10^k / 2^shift rounded to nearest,
// ties to even (as printf rounds), for the k that puts that quotient in [10^14, 10^15).
// Sets the 15 digits, trailing zeros included; returns their count without the trailing zeros,
// or 0 when v lies outside that range.
int RoundedDigitsFast(double v, Text16& digits, int& exponent) {
  if (!(v >= 0x1p-13 && v < 1e15)) return 0;
  uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  const int binaryExponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
  const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int shift = 52 - binaryExponent;
  // floor(binaryExponent * log10(2)) is the decimal exponent of v or one less (-4 and up).
  int decimalExponent = (binaryExponent * 78913) >> 18;
  if (v >= kPowersOf10Above[decimalExponent + 4]) ++decimalExponent;
  uint64_t scaled = ScaledRounded(m, kDigits - 1 - decimalExponent, shift);
  if (scaled == kFifteenDigitsEnd) {  // 999...9.5 up to 1000...0.5 is 1000...0
    scaled = kFifteenDigitsMin;
    ++decimalExponent;
  }
  exponent = decimalExponent;
  // Seven digits (made as eight with a leading zero), then eight: the quotient by 10^8 is the
  // one 64-bit division.
  const uint64_t upper = scaled / 100000000u;
  const uint32_t lower = static_cast<uint32_t>(scaled - upper * 100000000u);
  const uint64_t first = EightDigits(static_cast<uint32_t>(upper));
  const uint64_t last = EightDigits(lower);
  digits = {first >> 8 | last << 56, last >> 8 | kZeroDigits << 56};
  // Trailing zeros counted eight digits at a time: the last digit is the word's top byte, and
  // its zero digits are the zero bytes of the word less '0' in every byte.
  if (lower != 0) return kDigits - std::countl_zero(last ^ kZeroDigits) / 8;
  return 7 - std::countl_zero(first ^ kZeroDigits) / 8;  // the first digit is never 0
}

// The value's decimal digits rounded to 15 significant ones and the decimal exponent of the
// first, both after rounding. Sets the 15 digits, trailing zeros included (and a zero after
// them), and returns the count without them, 1..15.
int RoundedDigits(double v, Text16& digits, int& exponent) {
  const int count = RoundedDigitsFast(v, digits, exponent);
  if (count != 0) return count;
  char text[16];
  const int exactCount = RoundedDigitsExact(v, text, exponent);
  text[kDigits] = '0';
  std::memcpy(&digits.low, text, 8);
  std::memcpy(&digits.high, text + 8, 8);
  return exactCount;
}

}  // namespace

char* WriteNumberText(char* out, double v) {
  if (!std::isfinite(v) || v == 0.0) return WriteZero(out);
  *out = '-';  // kept by a negative value; no branch on the sign, which is random in drawings
  out += std::signbit(v) ? 1 : 0;
  v = std::fabs(v);
  Text16 digits{};
  int exponent = 0;
  const int count = RoundedDigits(v, digits, exponent);

  if (exponent >= 15 || exponent < -4) {
    char text[16];
    Store(text, digits);
    *out++ = text[0];
    if (count > 1) {
      *out++ = '.';
      std::memcpy(out, text + 1, count - 1);
      out += count - 1;
    }
    *out++ = 'E';
    return WriteExponent(out, exponent);
  }
  // The fixed texts are stored 16 bytes at a time; the bytes past the text's end stay within
  // the kNumberTextMax bytes at out.
  if (exponent < 0) {  // "0.", up to three zeros, the digits: at most 21 bytes
    std::memcpy(out, "0.000", 5);
    out += 1 - exponent;
    Store(out, digits);
    return out + count;
  }
  const int whole = exponent + 1;  // digits before the point, 1..15
  if (count <= whole) {            // the digits' trailing zeros fill the places up to the point
    Store(out, digits);
    return out + whole;
  }
  Store(out, WithPoint(digits, whole));
  return out + count + 1;
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
