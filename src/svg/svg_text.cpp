#include "svg/svg_text.h"

#include "jws/cp932.h"
#include "util/text.h"

namespace gara::svg {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr int kDecimals = 4;

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

void AppendEscaped(std::string& out, char32_t c) {
  switch (c) {
    case '&':
      out += "&amp;";
      return;
    case '<':
      out += "&lt;";
      return;
    case '>':
      out += "&gt;";
      return;
    case '"':
      out += "&quot;";
      return;
    case '\'':
      out += "&apos;";
      return;
    default:
      if (c < 0x20 || c == 0x7F) return;
      AppendUtf8(out, c);
  }
}

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

}  // namespace

void AppendXmlText(std::string& out, std::string_view cp932) {
  const size_t n = cp932.size();
  for (size_t i = 0; i < n;) {
    const auto b = static_cast<unsigned char>(cp932[i]);
    if (b < 0x80) {
      AppendEscaped(out, b);
      ++i;
      continue;
    }
    int32_t code = b;
    size_t length = 1;
    if (IsLeadByte(b)) {
      // A lead byte whose partner is missing or no trail byte is one bad byte; the byte after
      // it starts afresh (it may be an ASCII character).
      if (i + 1 < n && IsTrailByte(static_cast<unsigned char>(cp932[i + 1]))) {
        code = (b << 8) | static_cast<unsigned char>(cp932[i + 1]);
        length = 2;
      } else {
        code = -1;
      }
    }
    const int32_t unit = code < 0 ? -1 : jws::UnicodeOfCp932(code);
    // Surrogates and non-characters never come out of the table; guard anyway, since one
    // would make the document ill-formed.
    const bool usable =
        unit >= 0x20 && !(unit >= 0xD800 && unit <= 0xDFFF) && unit != 0xFFFE && unit != 0xFFFF;
    AppendEscaped(out, usable ? static_cast<char32_t>(unit) : kReplacement);
    i += length;
  }
}

std::string XmlText(std::string_view cp932) {
  std::string out;
  AppendXmlText(out, cp932);
  return out;
}

void AppendXmlAscii(std::string& out, std::string_view ascii) {
  for (const char ch : ascii) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) AppendEscaped(out, b);
  }
}

void AppendNumber(std::string& out, double v) {
  const std::string text = FixedText(kDecimals, v);
  // -0.00001 rounds to "-0", which is zero.
  if (text == "-0") {
    out += '0';
  } else {
    out += text;
  }
}

std::string NumberString(double v) {
  std::string out;
  AppendNumber(out, v);
  return out;
}

void AppendColour(std::string& out, uint32_t rgb) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '#';
  for (int shift = 20; shift >= 0; shift -= 4) out += kHex[(rgb >> shift) & 0xF];
}

}  // namespace gara::svg
