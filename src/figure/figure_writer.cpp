#include "figure/figure_writer.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "figure/figure_format.h"
#include "util/number_text.h"
#include "util/text.h"
#include "util/wide_integer.h"

namespace gara {

namespace {

constexpr int kFastDecimals = 12;
constexpr uint64_t kPowersOf5[kFastDecimals + 1] = {
    1, 5, 25, 125, 625, 3125, 15625, 78125, 390625, 1953125, 9765625, 48828125, 244140625};

// `whole` / 10^decimals as text, without trailing zeros in its fraction.
template <int kDecimals = -1>
bool AppendScaled(std::string& out, bool negative, uint64_t whole, int runtimeDecimals = 0) {
  const int decimals = kDecimals >= 0 ? kDecimals : runtimeDecimals;
  char buffer[48];
  char* p = buffer;
  if (negative) *p++ = '-';
  // All digits at once, with zeros before them up to the one before the point.
  const int count = std::max(DecimalDigitCount(whole), decimals + 1);
  WriteLastDigits(p, whole, count);
  p += count - decimals;
  int width = decimals;
  while (width > 0 && p[width - 1] == '0') --width;
  if (width > 0) {
    std::memmove(p + 1, p, static_cast<size_t>(width));
    *p = '.';
    p += width + 1;
  }
  out.append(buffer, static_cast<size_t>(p - buffer));
  return true;
}

// The figure files' common case, up to 12 decimals and a result of up to 64 bits, without the
// general formatting: value = m * 2^e exactly, so value * 10^d = m * 5^d * 2^(e + d) is an exact
// product of at most 81 bits, shifted with rounding to nearest, ties to even, as the general
// formatting rounds. False when the value needs the general formatting.
bool AppendFixedFast(std::string& out, int decimals, double value) {
  if (decimals > kFastDecimals) return false;
  const auto bits = std::bit_cast<uint64_t>(value);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t m = bits & ((uint64_t{1} << 52) - 1);
  int e = -1074;  // subnormal
  if (biased != 0) {
    m |= uint64_t{1} << 52;
    e = biased - 1075;
  }
  const int shift = -(e + decimals);  // n = m * 5^d / 2^shift
  const Wide product = MultiplyFull(m, kPowersOf5[decimals]);
  uint64_t whole = 0;
  if (shift <= 0) {
    if (product.high != 0 || -shift >= 64 || (product.low >> (63 + shift)) > 1) return false;
    whole = product.low << -shift;
  } else if (shift < 82 && !RoundedShift(product, shift, whole)) {
    // Beyond 81, the product of at most 81 bits is below half a unit: it rounds to 0.
    return false;
  }
  if (whole == 0) {
    out.push_back('0');  // a value that rounds to zero is written 0, whatever its sign
    return true;
  }
  // The file's decimals as constants: the divisions below become multiplications.
  switch (decimals) {
    case 8:
      return AppendScaled<8>(out, bits >> 63, whole);
    case 10:
      return AppendScaled<10>(out, bits >> 63, whole);
    case 12:
      return AppendScaled<12>(out, bits >> 63, whole);
    default:
      return AppendScaled(out, bits >> 63, whole, decimals);
  }
}

}  // namespace

void AppendFixedText(std::string& out, int decimals, double value) {
  if (decimals < 0) decimals = 0;
  if (decimals > 40) decimals = 40;
  if (!std::isfinite(value)) value = 0.0;
  if (AppendFixedFast(out, decimals, value)) return;
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
