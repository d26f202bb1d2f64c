// The help memo: its size, its quoted lines, its sixteen topics in order, and lines that fit
// the memo and are whole Shift-JIS text.
#include "dialog/help_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog_items.h"
#include "util/text.h"
#include "util/version.h"

namespace gara {
namespace {

constexpr std::string_view kSeparator = "　";

std::vector<std::vector<std::string_view>> Paragraphs() {
  std::vector<std::vector<std::string_view>> paragraphs(1);
  for (std::string_view line : HelpLines()) {
    if (line == kSeparator) {
      paragraphs.emplace_back();
    } else {
      paragraphs.back().push_back(line);
    }
  }
  return paragraphs;
}

// The version of the build stands first, seen without scrolling.
TEST(HelpText, HasItsLinesAndFirstLines) {
  ASSERT_EQ(HelpLines().size(), 145u);
  EXPECT_EQ(HelpLines()[0], "バージョン　" + std::string(kVersion));
  EXPECT_EQ(HelpLines()[2], "指示した２点間に　指示した図形を");
}

TEST(HelpText, SeventeenParagraphsEachWithText) {
  const auto paragraphs = Paragraphs();
  ASSERT_EQ(paragraphs.size(), 17u);
  for (const auto& paragraph : paragraphs) EXPECT_FALSE(paragraph.empty());
}

// Each paragraph, in order, holds the words of its topic; quoted lines stand whole and in order.
TEST(HelpText, TopicsInOrder) {
  struct Topic {
    std::vector<std::string_view> words;
    std::vector<std::string_view> wholeLines;
  };
  const Topic topics[] = {
      {{"バージョン", kVersion}, {}},
      {{"２点間", "複数個", "均等", "飾り罫線"}, {}},
      {{"１２パターン", "ラジオスイッチ", "見本"}, {}},
      {{}, {"・選択図形", "・JWS図形"}},
      {{"範囲選択", "バッチファイル", "図形登録"}, {}},
      {{"[参照]", "曲線属性", "ブロック図形", "拡張寸法", "矢印", "引出線", "ソリッド"},
       {"「JWS図形ファイル選択」", "※JWS形式のみ選択可能　JWK不可"}},
      // Both states of the unit label above the grid.
      {{"幅と高さ", kUnitReal, kUnitPaper, "大きさは変わらず", "縮尺"}, {}},
      {{},
       {"　「間隔指定」", "　　両端に間隔が自動追加", "　「均等配置」", "　　各間隔値が自動追加",
        "　「伸縮配置」", "　　間隔は指定値のまま"}},
      // The 詳細 sub-dialog: its four figures, the order of the alternate, where the corner
      // piece and the caps stand, the three sources of each and the bend switch.
      {{"[詳細…]", "交互図形", "角図形", "始端図形", "終端図形", "それぞれの幅", "元の図形で終わり",
        "途中の指示点", "始点と終点", "曲げます", "キャンセル"},
       {"　なし：その図形を使いません。", "　選択図形を取り込む：", "　JWS ファイル：",
        "「曲線に沿って曲げる」では"}},
      {{"基準点", "上：", "中：", "下："}, {}},
      {{"上線・中線・下線", "なし：", "間隔：", "全長：", "幅の中には", "水平線"}, {}},
      {{"レイヤグループ", "レイヤ", "線色", "線種", "線幅"}, {}},
      {{"角度"}, {"　＋90°を上", "　反対側を下"}},
      {{"連結", "重複"}, {}},
      {{"複数点指示", "２度"}, {}},
      {{"複数点指示", "全長", "コーナー処理", "延びた長さ"},
       {"　上線と上線", "　中線と中線", "　下線と下線"}},
      {{"ブロック内", "ブロック編集", "インストール"}, {}},
  };
  const auto paragraphs = Paragraphs();
  ASSERT_EQ(paragraphs.size(), std::size(topics));
  for (size_t t = 0; t < std::size(topics); ++t) {
    SCOPED_TRACE(::testing::Message() << "paragraph " << t + 1);
    std::string joined;
    for (std::string_view line : paragraphs[t]) joined += line;
    for (std::string_view word : topics[t].words) {
      EXPECT_NE(joined.find(word), std::string::npos) << word;
    }
    size_t next = 0;
    for (std::string_view quoted : topics[t].wholeLines) {
      size_t i = next;
      while (i < paragraphs[t].size() && paragraphs[t][i] != quoted) ++i;
      EXPECT_LT(i, paragraphs[t].size()) << quoted << " missing or out of order";
      next = i + 1;
    }
  }
}

// The memo does not wrap: a line wider than the field would be cut off at its right edge.
TEST(HelpText, LinesFitTheMemoAndAreWholeShiftJis) {
  for (std::string_view line : HelpLines()) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(line.empty());
    EXPECT_LE(line.size(), 32u);
    for (size_t i = 0; i < line.size(); ++i) {
      const auto c = static_cast<unsigned char>(line[i]);
      EXPECT_GE(c, 0x20) << "control byte at " << i;
      if (IsLeadByte(c)) {
        ASSERT_LT(i + 1, line.size()) << "cut character";
        const auto trail = static_cast<unsigned char>(line[++i]);
        EXPECT_TRUE(trail >= 0x40 && trail <= 0xFC && trail != 0x7F) << "bad trail byte";
      }
    }
  }
}

TEST(HelpText, JoinedWithCrLfAndNoTrailingLineEnd) {
  const std::string text = HelpText();
  size_t pos = 0;
  size_t count = 0;
  while ((pos = text.find("\r\n", pos)) != std::string::npos) {
    ++count;
    pos += 2;
  }
  EXPECT_EQ(count, HelpLines().size() - 1);
  EXPECT_TRUE(text.starts_with(HelpLines().front()));
  EXPECT_TRUE(text.ends_with(HelpLines().back()));
}

}  // namespace
}  // namespace gara
