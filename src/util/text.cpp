#include "util/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace gara {

namespace {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Eight digits at p as a number, when all eight bytes are digits: the exchange file's
// coordinates run to fifteen digits, and eight at a time halves the work of reading them.
// The bytes are put together in order by hand, so the result does not depend on the byte order.
bool ReadEightDigits(const char* p, uint64_t& value) {
  uint64_t chunk = 0;
  for (int i = 7; i >= 0; --i) chunk = (chunk << 8) | static_cast<unsigned char>(p[i]);
  // Every byte 0x30..0x39: its high half is 3, and adding 6 keeps it so.
  constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0u;
  if (((chunk & kHigh) | (((chunk + 0x0606060606060606u) & kHigh) >> 4)) != 0x3333333333333333u) {
    return false;
  }
  chunk -= 0x3030303030303030u;                               // the first digit in the lowest byte
  chunk = (chunk * 10 + (chunk >> 8)) & 0x00FF00FF00FF00FFu;  // pairs
  chunk = (chunk * 100 + (chunk >> 16)) & 0x0000FFFF0000FFFFu;  // fours
  value = (chunk * 10000 + (chunk >> 32)) & 0xFFFFFFFFu;        // eight
  return true;
}

// The run of digits at text[i], appended to `mantissa` (exact while it holds at most 19 digits);
// moves i past the run and returns its length. Past 19 digits the mantissa wraps the same way
// whether the digits come by eight or by one.
size_t ReadDigitRun(std::string_view text, size_t& i, uint64_t& mantissa) {
  const size_t start = i;
  uint64_t eight = 0;
  while (i + 8 <= text.size() && ReadEightDigits(text.data() + i, eight)) {
    mantissa = mantissa * 100000000 + eight;
    i += 8;
  }
  while (i < text.size() && IsDigit(text[i])) mantissa = mantissa * 10 + (text[i++] - '0');
  return i - start;
}

constexpr bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Bytes a character occupies at `i`: 2 for a lead byte with its trail byte, else 1. A lead byte
// in the last position counts as a one-byte character.
size_t CharLength(std::string_view text, size_t i) {
  return IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

bool IsFullWidthSpace(std::string_view text, size_t i) {
  return static_cast<unsigned char>(text[i]) == 0x81 &&
         static_cast<unsigned char>(text[i + 1]) == 0x40;
}

// A one-byte character that RemoveSpaces drops.
constexpr bool IsSpaceOrControl(unsigned char c) { return c <= 0x20; }

std::string_view SkipLeadingSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return text;
}

bool AllOf(std::string_view text, bool (*pred)(char)) {
  for (char c : text) {
    if (!pred(c)) return false;
  }
  return true;
}

}  // namespace

bool TextToBool(std::string_view text) {
  std::string word = RemoveSpaces(text);
  // Upper-casing in code page 932: ASCII letters only; a two-byte character is stepped over
  // whole, so a trail byte in the a..z range stays as it is.
  for (size_t i = 0; i < word.size(); i += CharLength(word, i)) {
    if (word[i] >= 'a' && word[i] <= 'z') word[i] = static_cast<char>(word[i] - 'a' + 'A');
  }
  static constexpr std::string_view kTrueWords[] = {"T",  "TR", "TRU", "TRUE", "1",
                                                    "１", "○",  "ON",  "真",   "正"};
  for (std::string_view t : kTrueWords) {
    if (word == t) return true;
  }
  return false;
}

std::string_view BoolToText(bool flag) { return flag ? "1" : "0"; }

int32_t TextToInt(std::string_view text) {
  text = SkipLeadingSpaces(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.starts_with("$") || text.starts_with("x") || text.starts_with("X")) {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty() || !AllOf(text, base == 16 ? IsHexDigit : IsDigit)) return 0;
  // The magnitude is parsed unsigned so that -2147483648 (and -$80000000) still convert.
  uint64_t magnitude = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (ec != std::errc() || end != text.data() + text.size()) return 0;
  constexpr uint64_t kMaxPositive = std::numeric_limits<int32_t>::max();
  if (magnitude > kMaxPositive + (negative ? 1 : 0)) return 0;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                  : static_cast<int32_t>(magnitude);
}

double TextToReal(std::string_view text) {
  text = SkipLeadingSpaces(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Shape check first: from_chars alone would also take "inf", "nan" and hex floats.
  size_t i = 0;
  uint64_t mantissa = 0;  // exact while digits <= 19
  size_t digits = ReadDigitRun(text, i, mantissa);
  size_t fraction = 0;
  if (i < text.size() && text[i] == '.') {
    ++i;
    fraction = ReadDigitRun(text, i, mantissa);
    digits += fraction;
  }
  if (digits == 0) return 0.0;
  // The common case of the exchange file, such as 1234.5678901234: up to 15 digits and no
  // exponent. Both the digits and the power of ten are exact doubles, so one division gives the
  // correctly rounded value, the same as from_chars.
  if (i == text.size() && digits <= 15 && fraction <= 22) {
    static constexpr double kPowers[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                           1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (mantissa == 0) return 0.0;
    const double value = static_cast<double>(mantissa) / kPowers[fraction];
    return negative ? -value : value;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const size_t expStart = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == expStart) return 0.0;
  }
  if (i != text.size()) return 0.0;

  double value = 0.0;
  const char* first = text.data();
  const char* last = first + text.size();
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc() || end != last || !std::isfinite(value) || value == 0.0) return 0.0;
  return negative ? -value : value;
}

std::string FormatFixed(int decimals, double value) {
  // Past 1074 decimals every digit of a double is 0; the bound keeps a wild precision from
  // asking for gigabytes.
  decimals = std::clamp(decimals, 0, kMaxFixedDecimals);
  if (!std::isfinite(value)) value = 0.0;
  // 309 integer digits of the largest double, a sign, a point and the fraction.
  std::string out(static_cast<size_t>(decimals) + 320, '\0');
  const auto result =
      std::to_chars(out.data(), out.data() + out.size(), value, std::chars_format::fixed, decimals);
  out.resize(result.ec == std::errc() ? static_cast<size_t>(result.ptr - out.data()) : 0);
  return out;
}

std::string TrimZeros(std::string_view text) {
  const size_t e = text.find('E');
  std::string_view mantissa = text.substr(0, e);
  const std::string_view exponent = e == std::string_view::npos ? "" : text.substr(e);
  if (mantissa.find('.') != std::string_view::npos) {
    while (mantissa.back() == '0') mantissa.remove_suffix(1);
    if (mantissa.back() == '.') mantissa.remove_suffix(1);
  }
  std::string out;
  out.reserve(mantissa.size() + exponent.size());
  out.append(mantissa).append(exponent);
  return out;
}

std::string FixedText(int decimals, double value) {
  return TrimZeros(FormatFixed(decimals, value));
}

bool IsBlankText(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const size_t n = CharLength(text, i);
    if (n == 2 ? !IsFullWidthSpace(text, i)
               : !IsSpaceOrControl(static_cast<unsigned char>(text[i]))) {
      return false;
    }
    i += n;
  }
  return true;
}

std::string RemoveSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t n = CharLength(text, i);
    if (n == 2) {
      if (!IsFullWidthSpace(text, i)) out.append(text.substr(i, 2));
    } else if (!IsSpaceOrControl(static_cast<unsigned char>(text[i]))) {
      out.push_back(text[i]);
    }
    i += n;
  }
  return out;
}

std::string RemoveControlChars(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t n = CharLength(text, i);
    if (n == 2 || static_cast<unsigned char>(text[i]) >= 0x20) out.append(text.substr(i, n));
    i += n;
  }
  return out;
}

std::string MessageExcerpt(std::string_view text, int maxChars) {
  constexpr auto kIsTrailByte = [](unsigned char b) { return b >= 0x40 && b != 0x7F && b <= 0xFC; };
  std::string out;
  int count = 0;
  for (size_t i = 0; i < text.size(); ++count) {
    if (count == maxChars) return out + "…";
    const size_t n = CharLength(text, i);
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (n == 2 && kIsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
      out.append(text.substr(i, 2));
      i += 2;
      continue;
    }
    out += c < 0x20 || c == 0x7F || IsLeadByte(c) ? '?' : static_cast<char>(c);
    ++i;
  }
  return out;
}

int CharCount(std::string_view text) {
  int count = 0;
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) ++count;
  return count;
}

}  // namespace gara
