#include "util/cp932.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "util/text.h"

namespace gara::jws {

namespace {

struct Cp932Run {
  uint16_t first;  // first UTF-16 unit of the run
  uint16_t count;  // units in the run
  uint16_t index;  // index of the run's first code in kCp932Codes (four hex digits each)
};

#include "util/cp932_table.inc"

constexpr int HexValue(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

constexpr int32_t CodeAt(size_t index) {
  const char* p = kCp932Codes + index * 4;
  return (HexValue(p[0]) << 12) | (HexValue(p[1]) << 8) | (HexValue(p[2]) << 4) | HexValue(p[3]);
}

void AppendCode(int32_t code, std::string& out) {
  if (code < 0) {
    out.push_back(kReplacementChar);
  } else if (code > 0xFF) {
    out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
  } else {
    out.push_back(static_cast<char>(code));
  }
}

}  // namespace

int32_t Cp932Code(char16_t unit) {
  if (unit < 0x80) return unit;
  const auto* end = std::end(kCp932Runs);
  // The last run that starts at or before `unit`.
  const auto* run = std::upper_bound(std::begin(kCp932Runs), end, unit,
                                     [](char16_t u, const Cp932Run& r) { return u < r.first; });
  if (run == std::begin(kCp932Runs)) return -1;
  --run;
  const unsigned offset = unit - run->first;
  if (offset >= run->count) return -1;
  const int32_t code = CodeAt(run->index + offset);
  return code == 0 ? -1 : code;
}

void AppendUtf16AsCp932(std::string_view utf16le, std::string& out) {
  const size_t units = utf16le.size() / 2;
  for (size_t i = 0; i < units; ++i) {
    const char16_t unit =
        static_cast<char16_t>(static_cast<unsigned char>(utf16le[2 * i]) |
                              (static_cast<unsigned char>(utf16le[2 * i + 1]) << 8));
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
      continue;
    }
    // A surrogate pair is one character beyond the BMP: one replacement for both units.
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
      const unsigned next = static_cast<unsigned char>(utf16le[2 * i + 2]) |
                            (static_cast<unsigned char>(utf16le[2 * i + 3]) << 8);
      if (next >= 0xDC00 && next <= 0xDFFF) ++i;
    }
    AppendCode(Cp932Code(unit), out);
  }
}

int32_t UnicodeOfCp932(int32_t code) {
  if (code >= 0 && code < 0x80) return code;
  // (code, unit) pairs sorted by code, built once from the same table; read-only afterwards.
  static const std::vector<std::pair<uint16_t, char16_t>> byCode = [] {
    std::vector<std::pair<uint16_t, char16_t>> pairs;
    for (const Cp932Run& run : kCp932Runs) {
      for (unsigned k = 0; k < run.count; ++k) {
        const int32_t c = CodeAt(run.index + k);
        if (c != 0) pairs.emplace_back(static_cast<uint16_t>(c), char16_t(run.first + k));
      }
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
  }();
  if (code < 0 || code > 0xFFFF) return -1;
  const auto it = std::lower_bound(byCode.begin(), byCode.end(),
                                   std::pair<uint16_t, char16_t>(uint16_t(code), char16_t(0)));
  if (it == byCode.end() || it->first != code) return -1;
  return it->second;
}

Cp932Char DecodeCp932At(std::string_view cp932, size_t at) {
  const auto b = static_cast<unsigned char>(cp932[at]);
  if (b < 0x80) return {b, 1};
  if (!IsLeadByte(b)) return {UnicodeOfCp932(b), 1};
  if (at + 1 < cp932.size()) {
    const auto trail = static_cast<unsigned char>(cp932[at + 1]);
    if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) {
      return {UnicodeOfCp932((b << 8) | trail), 2};
    }
  }
  return {-1, 1};
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string Cp932ToUtf8(std::string_view cp932) {
  constexpr char32_t kUnknown = 0xFFFD;
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 2);
  for (size_t i = 0; i < cp932.size();) {
    const Cp932Char c = DecodeCp932At(cp932, i);
    AppendUtf8(out, c.unit < 0 ? kUnknown : static_cast<char32_t>(c.unit));
    i += c.length;
  }
  return out;
}

std::optional<std::string> Cp932ToUtf8Exact(std::string_view cp932) {
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 2);
  for (size_t i = 0; i < cp932.size();) {
    const Cp932Char c = DecodeCp932At(cp932, i);
    // UnicodeOfCp932 knows a character by the code Cp932Code gives it: any other is -1 here.
    if (c.unit < 0) return std::nullopt;
    AppendUtf8(out, static_cast<char32_t>(c.unit));
    i += c.length;
  }
  return out;
}

namespace {

// The character of well-formed UTF-8 at `at` and its length; -1 (and a length of 1) for a byte
// that starts none: a stray continuation byte, an overlong form, a surrogate, a truncated one.
Cp932Char DecodeUtf8At(std::string_view utf8, size_t at) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(utf8[at + k]); };
  const unsigned char b = byte(0);
  if (b < 0x80) return {b, 1};
  const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
  if (length == 0 || b > 0xF4 || at + length > utf8.size()) return {-1, 1};
  int32_t c = b & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return {-1, 1};
    c = (c << 6) | (byte(k) & 0x3F);
  }
  constexpr int32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {-1, 1};
  return {c, length};
}

}  // namespace

std::string Utf8ToCp932(std::string_view utf8, bool* exact) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const Cp932Char c = DecodeUtf8At(utf8, i);
    // No CP932 character lies beyond the Basic Multilingual Plane.
    const int32_t code = c.unit < 0 || c.unit > 0xFFFF ? -1 : Cp932Code(char16_t(c.unit));
    if (code < 0 && exact) *exact = false;
    AppendCode(code, out);
    i += c.length;
  }
  return out;
}

}  // namespace gara::jws
