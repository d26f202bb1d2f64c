// UTF-16 strings of Unicode archives become code page 932 as Windows defines it (not the strict
// JIS table), with "?" for what CP932 lacks.
#include <gtest/gtest.h>

#include <string>

#include "util/cp932.h"

namespace gara {
namespace {

std::string Convert(std::u16string_view s) {
  std::string le;
  for (char16_t c : s) {
    le.push_back(static_cast<char>(c & 0xFF));
    le.push_back(static_cast<char>(c >> 8));
  }
  std::string out;
  jws::AppendUtf16AsCp932(le, out);
  return out;
}

struct Case {
  const char* name;
  std::u16string utf16;
  std::string cp932;
};

// Expected bytes come from the compiler's own CP932 conversion of the source literal where the
// character has one form, else from the code-page table.
const Case kCases[] = {
    {"ascii", u"ABC 123,\"x\"", "ABC 123,\"x\""},
    {"font name", u"ＭＳ ゴシック", "ＭＳ ゴシック"},
    {"kanji and kana", u"柄並べ９", "柄並べ９"},
    {"trail byte 0x5C", u"表", "表"},
    {"half-width katakana", u"ｱｲｳ", "\xB1\xB2\xB3"},
    {"fullwidth tilde (not wave dash)", u"\uFF5E", "\x81\x60"},
    {"minus sign", u"\u2212", "\x81\x7C"},
    {"NEC circled digit", u"\u2460", "\x87\x40"},
    {"IBM extension kanji", u"\u7E8A", "\xFA\x5C"},
    {"cent sign", u"\u00A2", "\x81\x91"},
    {"no CP932 form", u"\u00E9t\u00E9", "?t?"},
    {"beyond the BMP: one replacement for the pair", u"a\U0001F600b", "a?b"},
    {"lone high surrogate", u"a\xD800", "a?"},
    {"lone low surrogate", u"\xDC00z", "?z"},
    {"control bytes kept", u"a\r\nb\t", "a\r\nb\t"},
    {"empty", u"", ""},
};

TEST(Cp932, Conversion) {
  for (const Case& c : kCases) EXPECT_EQ(Convert(c.utf16), c.cp932) << c.name;
}

TEST(Cp932, OddLastByteIsIgnored) {
  std::string out;
  jws::AppendUtf16AsCp932(std::string_view("A\0B", 3), out);
  EXPECT_EQ(out, "A");
}

// Every mapped character is one byte (ASCII, half-width katakana) or a valid two-byte code,
// whose trail byte never falls below 0x40 (so comma, quote and control rules work byte-wise).
TEST(Cp932, EveryCodeIsWellFormed) {
  int mapped = 0;
  for (uint32_t u = 0; u < 0x10000; ++u) {
    const int32_t code = jws::Cp932Code(static_cast<char16_t>(u));
    if (u >= 0xD800 && u <= 0xDFFF) {
      EXPECT_EQ(code, -1) << u;
      continue;
    }
    if (code < 0) continue;
    ++mapped;
    if (code < 0x80) {
      EXPECT_TRUE(u < 0x80 || u == 0xA5 || u == 0x203E) << std::hex << u;
    } else if (code <= 0xFF) {
      EXPECT_TRUE(code >= 0xA1 && code <= 0xDF) << std::hex << u;
    } else {
      const int lead = code >> 8, trail = code & 0xFF;
      EXPECT_TRUE((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC))
          << std::hex << u;
      EXPECT_TRUE(trail >= 0x40 && trail <= 0xFC && trail != 0x7F) << std::hex << u;
    }
  }
  // CP932 has about 7 900 characters; best-fit mappings add more.
  EXPECT_GT(mapped, 7900);
}

// The Linux program's table on a UTF-8 terminal: Shift-JIS bytes in, UTF-8 out.
TEST(Cp932, ToUtf8) {
  struct Utf8Case {
    const char* name;
    std::string cp932;
    std::u8string utf8;
  } cases[] = {
      {"ascii and line ends", "a,1\r\n", u8"a,1\r\n"},
      {"kanji and kana", "柄並べ９　[実寸mm]", u8"柄並べ９　[実寸mm]"},
      {"trail byte 0x5C", "表ソ", u8"表ソ"},
      {"half-width katakana", "\xB1\xB2", u8"ｱｲ"},
      {"lead byte at the end", "a\x82", u8"a\uFFFD"},
      {"lead byte before a line end", "\x82\n", u8"\uFFFD\n"},
      {"no such single byte",
       "\xA0"
       "b",
       u8"\uFFFDb"},
      {"lead byte and a trail byte, no such pair", "\x85\x40", u8"\uFFFD"},
      {"empty", "", u8""},
  };
  for (const Utf8Case& c : cases) {
    EXPECT_EQ(jws::Cp932ToUtf8(c.cp932), std::string(c.utf8.begin(), c.utf8.end())) << c.name;
  }
}

}  // namespace
}  // namespace gara
