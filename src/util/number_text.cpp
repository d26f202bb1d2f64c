#include "util/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "util/wide_integer.h"

#if defined(__SSE2__) && !defined(GARA_NUMBER_TEXT_SCALAR)
#include <emmintrin.h>
#endif

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

// The 15 significant digits are handled as one 16-byte text, first character in the lowest
// byte and '0' after the digits: digits are moved and the point put in by shifts and masks in
// registers, and each text reaches memory in one store (two without SSE2), never read back.
static_assert(std::endian::native == std::endian::little);

// Bytes 0..n-1 of a 16-byte text, for n in 0..16.
struct ByteMasks {
  alignas(16) uint8_t below[17][16];
};
constexpr ByteMasks MakeByteMasks() {
  ByteMasks masks{};
  for (int n = 0; n <= 16; ++n) {
    for (int i = 0; i < 16; ++i) masks.below[n][i] = i < n ? 0xFF : 0;
  }
  return masks;
}
constexpr ByteMasks kByteMasks = MakeByteMasks();

#if defined(__SSE2__) && !defined(GARA_NUMBER_TEXT_SCALAR)

// Sixteen bytes in one register: every step on all digits at once.
using DigitText = __m128i;

__m128i Mask(int n) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(kByteMasks.below[n]));
}

// The digits of four numbers below 10^4 in the 16-bit lanes of `times4` (each number times 4,
// four lanes each): x / 10^3, x / 10^2, x / 10 and x by multiplications that keep the high
// half (2^23 / 10^3, 2^19 / 10^2 and 2^17 / 10 rounded up, then the shifts left of those), then
// less ten times the lane before.
__m128i FourDigitLanes(__m128i times4) {
  const __m128i divide = _mm_setr_epi16(8389, 5243, 13108, -32768, 8389, 5243, 13108, -32768);
  const __m128i shift =
      _mm_setr_epi16(1 << 7, 1 << 11, 1 << 13, -32768, 1 << 7, 1 << 11, 1 << 13, -32768);
  const __m128i quotients = _mm_mulhi_epu16(_mm_mulhi_epu16(times4, divide), shift);
  const __m128i tens = _mm_slli_epi64(_mm_mullo_epi16(quotients, _mm_set1_epi16(10)), 16);
  return _mm_sub_epi16(quotients, tens);
}

// scaled < 10^15 as fifteen digits and a '0'.
DigitText FifteenDigits(uint64_t scaled) {
  // Four groups of four digits, the first with a leading zero.
  uint32_t groups[4];
  if constexpr (sizeof(size_t) >= 8) {
    // Each from its own quotient (a multiplication each), so that none waits for another.
    const uint64_t by12 = scaled / 1000000000000u;
    const uint64_t by8 = scaled / 100000000u;
    const uint64_t by4 = scaled / 10000u;
    const auto low = [](uint64_t n) { return static_cast<uint32_t>(n); };
    groups[0] = low(by12);
    groups[1] = low(by8) - low(by12) * 10000;
    groups[2] = low(by4) - low(by8) * 10000;
    groups[3] = low(scaled) - low(by4) * 10000;
  } else {
    // A 64-bit quotient is a library call here: one, then 32-bit ones.
    const uint64_t by8 = scaled / 100000000u;
    const uint32_t upper = static_cast<uint32_t>(by8);
    const uint32_t lower = static_cast<uint32_t>(scaled - by8 * 100000000u);
    groups[0] = upper / 10000;
    groups[1] = upper % 10000;
    groups[2] = lower / 10000;
    groups[3] = lower % 10000;
  }
  const __m128i packed =
      _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(groups[0] | groups[1] << 16)),
                         _mm_cvtsi32_si128(static_cast<int>(groups[2] | groups[3] << 16)));
  const __m128i times4 = _mm_slli_epi16(packed, 2);
  const __m128i pairs = _mm_unpacklo_epi16(times4, times4);
  const __m128i digits = _mm_packus_epi16(FourDigitLanes(_mm_unpacklo_epi32(pairs, pairs)),
                                          FourDigitLanes(_mm_unpackhi_epi32(pairs, pairs)));
  // Sixteen digits with the first group's leading zero: that one leaves, and a zero byte comes
  // in last.
  return _mm_add_epi8(_mm_srli_si128(digits, 1), _mm_set1_epi8('0'));
}

// The digits without the trailing zeros (the first digit is never 0).
int SignificantCount(DigitText digits) {
  const unsigned zeros =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(digits, _mm_set1_epi8('0'))));
  return std::bit_width(zeros ^ 0xFFFFu);
}

// The digits with a point after the first `whole` of them (1..14).
DigitText WithPoint(DigitText digits, int whole) {
  const __m128i before = Mask(whole);
  const __m128i through = Mask(whole + 1);
  const __m128i moved = _mm_andnot_si128(through, _mm_slli_si128(digits, 1));
  const __m128i point = _mm_and_si128(_mm_andnot_si128(before, through), _mm_set1_epi8('.'));
  return _mm_or_si128(_mm_or_si128(_mm_and_si128(digits, before), moved), point);
}

void Store(char* out, DigitText text) { _mm_storeu_si128(reinterpret_cast<__m128i*>(out), text); }
DigitText Load(const char* text) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text)); }

#else

// Two 64-bit words, characters 0..7 and 8..15.
struct DigitText {
  uint64_t low;
  uint64_t high;
};

constexpr uint64_t kZeroDigits = 0x3030303030303030u;

DigitText Mask(int n) {
  DigitText mask{};
  std::memcpy(&mask, kByteMasks.below[n], sizeof mask);
  return mask;
}

uint64_t DigitPair(uint32_t n) {
  uint16_t pair = 0;
  std::memcpy(&pair, kDigitPairs.text + 2 * n, 2);
  return pair;
}

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

// scaled < 10^15 as fifteen digits and a '0'.
DigitText FifteenDigits(uint64_t scaled) {
  // Seven digits (made as eight with a leading zero), then eight: the quotient by 10^8 is the
  // one 64-bit division.
  const uint64_t upper = scaled / 100000000u;
  const uint64_t first = EightDigits(static_cast<uint32_t>(upper));
  const uint64_t last = EightDigits(static_cast<uint32_t>(scaled - upper * 100000000u));
  return {first >> 8 | last << 56, last >> 8 | kZeroDigits << 56};
}

// The digits without the trailing zeros (the first digit is never 0): the zero digits are the
// zero bytes of the words less '0' in every byte.
int SignificantCount(DigitText digits) {
  const uint64_t high = digits.high ^ kZeroDigits;
  if (high != 0) return 16 - std::countl_zero(high) / 8;
  return 8 - std::countl_zero(digits.low ^ kZeroDigits) / 8;
}

// The digits with a point after the first `whole` of them (1..14).
DigitText WithPoint(DigitText digits, int whole) {
  const DigitText before = Mask(whole);
  const DigitText through = Mask(whole + 1);
  const uint64_t movedLow = digits.low << 8;
  const uint64_t movedHigh = digits.high << 8 | digits.low >> 56;
  constexpr uint64_t kPoints = 0x2E2E2E2E2E2E2E2Eu;
  return {
      (digits.low & before.low) | (movedLow & ~through.low) | (kPoints & through.low & ~before.low),
      (digits.high & before.high) | (movedHigh & ~through.high) |
          (kPoints & through.high & ~before.high)};
}

void Store(char* out, DigitText text) {
  std::memcpy(out, &text.low, 8);
  std::memcpy(out + 8, &text.high, 8);
}

DigitText Load(const char* text) {
  DigitText loaded{};
  std::memcpy(&loaded, text, sizeof loaded);
  return loaded;
}

#endif

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
int RoundedDigitsFast(double v, DigitText& digits, int& exponent) {
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
  digits = FifteenDigits(scaled);
  return SignificantCount(digits);
}

// The value's decimal digits rounded to 15 significant ones and the decimal exponent of the
// first, both after rounding. Sets the 15 digits, trailing zeros included (and a zero after
// them), and returns the count without them, 1..15.
int RoundedDigits(double v, DigitText& digits, int& exponent) {
  const int count = RoundedDigitsFast(v, digits, exponent);
  if (count != 0) return count;
  char text[16];
  const int exactCount = RoundedDigitsExact(v, text, exponent);
  text[kDigits] = '0';
  digits = Load(text);
  return exactCount;
}

}  // namespace

char* WriteNumberText(char* out, double v) {
  if (!std::isfinite(v) || v == 0.0) return WriteZero(out);
  *out = '-';  // kept by a negative value; no branch on the sign, which is random in drawings
  out += std::signbit(v) ? 1 : 0;
  v = std::fabs(v);
  DigitText digits{};
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
