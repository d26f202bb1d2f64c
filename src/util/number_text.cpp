#include "util/number_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

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

}  // namespace

char* WriteNumberText(char* out, double v) {
  if (!std::isfinite(v) || v == 0.0) return WriteZero(out);

  // Scientific with 14 decimals gives the value rounded to 15 significant digits, and its
  // exponent is the one after rounding (9.999999999999999e14 comes out as 1.00000000000000e+15).
  char sci[32];
  const auto result =
      std::to_chars(sci, sci + sizeof sci, v, std::chars_format::scientific, kDigits - 1);
  if (result.ec != std::errc()) return WriteZero(out);
  const char* p = sci;
  if (*p == '-') {
    *out++ = '-';
    ++p;
  }
  // p: d.dddddddddddddde[+-]xx
  char digits[kDigits];
  digits[0] = p[0];
  std::memcpy(digits + 1, p + 2, kDigits - 1);
  const char* e = p + 2 + (kDigits - 1);  // at 'e'
  int exponent = 0;
  const bool negativeExponent = e[1] == '-';
  for (const char* q = e + 2; q < result.ptr; ++q) exponent = exponent * 10 + (*q - '0');
  if (negativeExponent) exponent = -exponent;

  int count = kDigits;  // significant digits without trailing zeros
  while (count > 1 && digits[count - 1] == '0') --count;

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
