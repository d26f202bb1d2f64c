#include "util/number_text.h"

#include <charconv>
#include <cmath>
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

// The value's decimal digits rounded to 15 significant ones (trailing zeros dropped) and the
// decimal exponent of the first, both after rounding. Returns the digit count, 1..15.
int RoundedDigits(double v, char* digits, int& exponent) {
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
