#include "svg/svg_text.h"

#include "util/cp932.h"
#include "util/text.h"

namespace gara::svg {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr int kDecimals = 4;

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
      jws::AppendUtf8(out, c);
  }
}

}  // namespace

void AppendXmlText(std::string& out, std::string_view cp932) {
  for (size_t i = 0; i < cp932.size();) {
    const jws::Cp932Char c = jws::DecodeCp932At(cp932, i);
    i += c.length;
    if (c.unit >= 0 && c.unit < 0x80) {
      AppendEscaped(out, static_cast<char32_t>(c.unit));  // control characters are left out
      continue;
    }
    // Surrogates and non-characters never come out of the table; guard anyway, since one
    // would make the document ill-formed.
    const bool usable = c.unit >= 0x20 && !(c.unit >= 0xD800 && c.unit <= 0xDFFF) &&
                        c.unit != 0xFFFE && c.unit != 0xFFFF;
    AppendEscaped(out, usable ? static_cast<char32_t>(c.unit) : kReplacement);
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
