// The build must turn UTF-8 source literals into Shift-JIS bytes: every text the program writes
// to a file or shows on screen is code page 932.
#include <gtest/gtest.h>

#include <string_view>

namespace {

TEST(Charset, SourceLiteralsBecomeShiftJis) {
  EXPECT_EQ(std::string_view("柄並べ９"), std::string_view("\x95\xbf\x95\xc0\x82\xd7\x82X"));
  EXPECT_EQ(std::string_view("ＭＳ ゴシック"),
            std::string_view("\x82l\x82r \x83S\x83V\x83" "b\x83N"));
}

TEST(Charset, TrailByte5CSurvivesEscapes) {
  // 表 is 0x95 0x5C: its second byte is a backslash and must not start an escape.
  EXPECT_EQ(std::string_view("表"), std::string_view("\x95\\"));
}

}  // namespace
