#include "svg/svg_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "support/shortest_text.h"
#include "util/cp932.h"

namespace gara::svg {
namespace {

// Expected texts are written as UTF-8 literals: plain literals become Shift-JIS bytes here.
std::string Utf8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

struct TextCase {
  const char* name;
  std::string cp932;
  std::string utf8;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class XmlTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(XmlTextTest, ConvertsAndEscapes) { EXPECT_EQ(XmlText(GetParam().cp932), GetParam().utf8); }

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlTextTest,
    ::testing::Values(
        TextCase{"Ascii", "Line 1", "Line 1"},
        TextCase{"MarkupCharacters", "a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d&quot;e&apos;f"},
        TextCase{"FullWidthFont", "ＭＳ ゴシック", Utf8(u8"ＭＳ ゴシック")},
        TextCase{"Kanji", "柄並べ", Utf8(u8"柄並べ")},
        TextCase{"HalfWidthKatakana", std::string("\xB1\xB2"), Utf8(u8"ｱｲ")},
        TextCase{"ControlBytesDropped", std::string("A\x01\tB\x1F\x7F"), "AB"},
        TextCase{"LoneLeadByteAtEnd", std::string("A\x82"), Utf8(u8"A\uFFFD")},
        // The byte after a lead byte that is no trail byte starts afresh.
        TextCase{"LeadByteBeforeBlank", std::string("\x82 A"), Utf8(u8"\uFFFD A")},
        TextCase{"ByteThatIsNoCharacter", std::string("\xFF\xA0"), Utf8(u8"\uFFFD\uFFFD")},
        TextCase{"UnassignedTwoByteCode", std::string("\x85\x40"), Utf8(u8"\uFFFD")},
        TextCase{"BackslashStays", "a\\b", "a\\b"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cp932Reverse, EveryCodeLeadsBackToACharacterWithThatCode) {
  int checked = 0;
  for (char32_t unit = 0x80; unit < 0x10000; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    const int32_t code = jws::Cp932Code(char16_t(unit));
    if (code < 0) continue;
    const int32_t back = jws::UnicodeOfCp932(code);
    ASSERT_GE(back, 0) << std::hex << uint32_t(unit);
    EXPECT_EQ(jws::Cp932Code(char16_t(back)), code) << std::hex << uint32_t(unit);
    ++checked;
  }
  EXPECT_GT(checked, 7000);
  EXPECT_EQ(jws::UnicodeOfCp932('A'), 'A');
  EXPECT_EQ(jws::UnicodeOfCp932(0x8540), -1);
  EXPECT_EQ(jws::UnicodeOfCp932(0x12345), -1);
  EXPECT_EQ(jws::UnicodeOfCp932(-5), -1);
}

struct NumberCase {
  double value;
  const char* text;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << gara::testing::ShortestText(c.value); }

class NumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberTest, FourDecimalsAtMost) {
  EXPECT_EQ(NumberString(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, NumberTest,
                         ::testing::Values(NumberCase{0, "0"}, NumberCase{2, "2"},
                                           NumberCase{1.5, "1.5"}, NumberCase{-3.25, "-3.25"},
                                           NumberCase{1.23456789, "1.2346"},
                                           NumberCase{-0.00001, "0"}, NumberCase{-0.0, "0"},
                                           NumberCase{1e9, "1000000000"},
                                           NumberCase{0.00005, "0.0001"}));

TEST(Colour, HexDigits) {
  std::string out;
  AppendColour(out, 0x0096C8);
  EXPECT_EQ(out, "#0096c8");
}

}  // namespace
}  // namespace gara::svg
