// The input side of JWC_TEMP.TXT: splitting lines, header and attribute lines, designated points.
#include "exchange/exchange_reader.h"
#include "exchange/read_exchange.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "exchange/exchange_fields.h"
#include "platform/real_file_system.h"
#include "support/piece_file_system.h"
#include "support/temp_dir.h"
#include "util/text.h"

namespace gara {
namespace {

DrawingState Read(std::string_view bytes) { return testing::ReadExchangeText(bytes); }

// The reader's working state after `bytes`.
ReadingState Working(std::string_view bytes) {
  DrawingState drawing;
  ExchangeReader reader(drawing);
  reader.Bytes(bytes);
  return reader.reading();
}

std::vector<std::string> SplitLine(std::string_view line) {
  ExchangeFields fields;
  fields.Split(line);
  std::vector<std::string> out;
  for (std::string_view f : fields.all()) out.emplace_back(f);
  return out;
}

struct SplitCase {
  std::string name;
  std::string line;
  std::vector<std::string> fields;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class ExchangeSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ExchangeSplitTest, GivesTheFields) {
  EXPECT_EQ(SplitLine(GetParam().line), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ExchangeSplitTest,
    ::testing::Values(
        SplitCase{"Empty", "", {""}}, SplitCase{"BlanksOnly", "   \t ", {""}},
        SplitCase{"RunsOfBlanksSeparate", "a  \t b", {"a", "b"}},
        SplitCase{"LeadingBlanksMakeNoField", "  a b", {"a", "b"}},
        SplitCase{"TrailingBlankCountsOneEmptyField", "ci 0 0 5  ", {"ci", "0", "0", "5", ""}},
        SplitCase{
            "QuoteKeepsTheRestWhole", "ch 0 0 1 0 \"A B  C", {"ch", "0", "0", "1", "0", "A B  C"}},
        SplitCase{"QuoteInsideAField", "ab\"c d", {"abc d"}},
        SplitCase{"LaterQuotesAreKept", "ch \"say \"hi\"", {"ch", "say \"hi\""}},
        SplitCase{"EqualsIsKeptAndStopsSplitting",
                  "file=C:\\my dir\\a b.jww",
                  {"file=C:\\my dir\\a b.jww"}},
        SplitCase{"ControlBytesDropped",
                  std::string("a\x01"
                              "b\x1f"
                              "c \x7f"
                              "d",
                              8),
                  {"abc",
                   "\x7f"
                   "d"}},
        SplitCase{"NulBytesDropped",
                  std::string("1\0"
                              "2 3",
                              5),
                  {"12", "3"}},
        SplitCase{"TabAfterQuoteDropped", "x \"a\tb", {"x", "ab"}},
        SplitCase{"FeAndFfDropped",
                  "a\xfe\xff"
                  "b",
                  {"ab"}},
        SplitCase{"LeadByteTakesTheBlankAfterIt", "\x82 x", {"\x82 x"}},
        SplitCase{"LeadByteTakesTheQuoteAfterIt", "a\x82\"b c", {"a\x82\"b", "c"}},
        SplitCase{"LoneLeadByteAtTheEndDropped", "ab \x82", {"ab", ""}},
        SplitCase{"LoneLeadByteAfterTextDropped", "ab\x9f", {"ab"}},
        SplitCase{"TwoByteCharacterKept", "lgn\x95\\ x", {"lgn\x95\\", "x"}},
        SplitCase{"HalfWidthKanaIsOneByte", "\xb1\xb2 c", {"\xb1\xb2", "c"}}),
    [](const auto& info) { return info.param.name; });

TEST(ExchangeSplit, KeepsAtMost400FieldsAndDropsTheRest) {
  std::string line = "hrgb";
  for (int i = 1; i <= 450; ++i) {
    line += ' ';
    line += std::to_string(i);
  }
  ExchangeFields fields;
  fields.Split(line);
  ASSERT_EQ(fields.count(), kMaxExchangeFields);
  EXPECT_EQ(fields[400], "399");
}

TEST(ExchangeSplit, ExactlyFourHundredFieldsWithATrailingBlank) {
  std::string line = "k";
  for (int i = 2; i <= 400; ++i) line += " 1";
  line += " ";
  ExchangeFields fields;
  fields.Split(line);
  EXPECT_EQ(fields.count(), 400);
  EXPECT_EQ(fields[400], "1");
}

TEST(ExchangeSplit, LineOfMegabytesIsReadWhole) {
  const std::string text(3 << 20, 'x');
  ExchangeFields fields;
  std::string line = "ch 1 2 3 4 \"";
  line += text;
  fields.Split(line);
  ASSERT_EQ(fields.count(), 6);
  EXPECT_EQ(fields[6].size(), text.size());
  fields.Split("a b");  // the scratch buffer is reused for a shorter line
  EXPECT_EQ(fields[2], "b");
}

TEST(ExchangeReader, EmptyAndBlankLinesChangeNothing) {
  const DrawingState s = Read("\n   \r\n\t\n");
  EXPECT_EQ(s.entities.order.size(), 0u);
  EXPECT_FALSE(s.paperScaleFlag);
  EXPECT_EQ(s.writing.colour, 1);
}

TEST(ExchangeReader, HeaderTables) {
  const DrawingState s = Read(
      "hk 2.5\n"
      "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n"
      "hzs 420 297\n"
      "hcw 1 2 3 4 5 6 7 8 9 10\n"
      "hch 11 12 13 14 15 16 17 18 19 20\n"
      "hcd 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9 1\n"
      "hcc 1 2 3 4 5 6 7 8 9 $A\n"
      "hn 1 2 3 4\n"
      "hrgb 0 1 2 3 4 5 6 7 8 9\n");
  EXPECT_EQ(s.hkValue, 2.5);
  for (int g = 0; g < 16; ++g) EXPECT_EQ(s.layerGroupScales[g], g + 1);
  EXPECT_EQ(s.paperWidth, 420);
  EXPECT_EQ(s.paperHeight, 297);
  for (int k = 1; k <= 10; ++k) {
    EXPECT_EQ(s.textSizeTable[k].width, k);
    EXPECT_EQ(s.textSizeTable[k].height, k + 10);
    EXPECT_DOUBLE_EQ(s.textSizeTable[k].spacing, k / 10.0);
    EXPECT_EQ(s.textSizeTable[k].colour, k);
  }
  EXPECT_EQ(s.hnValues[3], 4);
  EXPECT_EQ(s.rgbTable, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(ExchangeReader, HeaderLinesWithTooFewFieldsGoOnDownTheTable) {
  // "hs" with three values is a four-field line: a line segment, "hs" reading as 0.
  const DrawingState s = Read("hs 1 2 3\nhcw 1 2\nhrgb 1 2 3\n");
  EXPECT_EQ(s.layerGroupScales[0], 1.0);
  EXPECT_EQ(s.textSizeTable[1].width, 3.0);
  ASSERT_EQ(s.entities.lines.size(), 2u);
  EXPECT_EQ(s.entities.lines[0].x1, 0.0);
  EXPECT_EQ(s.entities.lines[0].y2, 3.0);
  EXPECT_TRUE(s.rgbTable.empty());
}

TEST(ExchangeReader, NumbersThatAreNotLiteralsReadAsZero) {
  for (const char* value :
       {"1e999", "-1e999", "nan", "inf", "1,5", "0x10", "1e-999", "--1", "1e", "."}) {
    const DrawingState s = Read(std::string("hzs ") + value + " " + value + "\n");
    EXPECT_EQ(s.paperWidth, 0.0) << value;
  }
  const DrawingState negativeZero = Read("hk -0\n");
  EXPECT_EQ(negativeZero.hkValue, 0.0);
  EXPECT_FALSE(std::signbit(negativeZero.hkValue));
}

// The reader's numbers are the correctly rounded values of their literals, however they are
// converted: checked against from_chars on literals of every length and point position.
TEST(ExchangeReader, NumbersAreCorrectlyRounded) {
  std::mt19937_64 random(11);
  for (int n = 0; n < 200000; ++n) {
    const int length = 1 + static_cast<int>(random() % 18);
    std::string literal;
    if (random() % 2) literal += '-';
    const int point = static_cast<int>(random() % (length + 1));  // digits after the point
    for (int d = 0; d < length; ++d) {
      if (d == length - point && point > 0) literal += '.';
      literal += static_cast<char>('0' + random() % 10);
    }
    double expected = 0;
    std::from_chars(literal.data(), literal.data() + literal.size(), expected);
    if (expected == 0) expected = 0;  // every zero reads as +0
    const double got = TextToReal(literal);
    ASSERT_EQ(got, expected) << literal;
    ASSERT_EQ(std::signbit(got), std::signbit(expected)) << literal;
  }
}

TEST(ExchangeReader, PaperScaleFlagAnywhere) {
  EXPECT_TRUE(Read("ci 0 0 5\n0 0 1 1\nbz\n").paperScaleFlag);
  EXPECT_TRUE(Read("bz 1 2 3\n").paperScaleFlag);
}

TEST(ExchangeReader, FileTextKeepsBlanks) {
  EXPECT_EQ(Read("file=C:\\jww\\my drawing  1.jww\n").fileText, "C:\\jww\\my drawing  1.jww");
  // The text is taken from the keyword's sixth character.
  EXPECT_EQ(Read("file=\n").fileText, "");
}

struct PointCase {
  std::string line;
  int number;  // -1: nothing set
  double x, y;
  DesignatedPointKind kind;
};

using enum DesignatedPointKind;

void PrintTo(const PointCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.line); }

class DesignatedPointTest : public ::testing::TestWithParam<PointCase> {};

TEST_P(DesignatedPointTest, SetsThePoint) {
  const PointCase& c = GetParam();
  const DrawingState s = Read(c.line);
  for (int n = 0; n < 100; ++n) {
    const DesignatedPoint& p = s.designatedPoints[n];
    if (n == c.number) {
      EXPECT_TRUE(p.used);
      EXPECT_EQ(p.x, c.x);
      EXPECT_EQ(p.y, c.y);
      EXPECT_EQ(p.kind, c.kind);
    } else {
      EXPECT_FALSE(p.used) << n;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DesignatedPointTest,
    ::testing::Values(
        PointCase{"hp1 10 20", 1, 10, 20, kPlain}, PointCase{"hp2- 5 5", 2, 5, 5, kDash},
        PointCase{"hp3ln 1 2", 3, 1, 2, kLn}, PointCase{"hp4ci -1.5 2e2", 4, -1.5, 200, kCi},
        PointCase{"hp5ch 1 2", 5, 1, 2, kCh}, PointCase{"hp99 1 2 3 4", 99, 1, 2, kPlain},
        PointCase{"hp12ln 7 8", 12, 7, 8, kLn}, PointCase{"hp100 1 1", -1, 0, 0, kPlain},
        PointCase{"hp0 1 1", -1, 0, 0, kPlain}, PointCase{"hp1", -1, 0, 0, kPlain},
        PointCase{"hp1 5", -1, 0, 0, kPlain}, PointCase{"hpx 1 1", -1, 0, 0, kPlain},
        PointCase{"hp-1 1 1", -1, 0, 0, kPlain}));

TEST(ExchangeReader, RepeatedDesignatedPointOverwrites) {
  const DrawingState s = Read("hp1 1 1\nhp1ln 2 3\n");
  EXPECT_EQ(s.designatedPoints[1].x, 2);
  EXPECT_EQ(s.designatedPoints[1].kind, DesignatedPointKind::kLn);
}

struct HhpCase {
  std::string keyword;
  int32_t number;
};

void PrintTo(const HhpCase& c, std::ostream* os) { *os << c.keyword; }

class DesignationNumberTest : public ::testing::TestWithParam<HhpCase> {};

TEST_P(DesignationNumberTest, ReadsTheNumber) {
  EXPECT_EQ(Working(GetParam().keyword).hhpNumber, GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(Keywords, DesignationNumberTest,
                         ::testing::Values(HhpCase{"hhp12", 12}, HhpCase{"hhp12ln", 12},
                                           HhpCase{"hhp3ci", 3}, HhpCase{"hhp45ch", 45},
                                           HhpCase{"hhp", 0}, HhpCase{"hhpln", 0},
                                           HhpCase{"hhp7 1 2", 7}));

TEST(ExchangeReader, LayerGroupAndLayerWithFirstSeen) {
  const char* lines = "lgA 3\nlyF 9\nlg2\nly1 4\nlgZ\n";
  const DrawingState s = Read(lines);
  const ReadingState r = Working(lines);
  EXPECT_EQ(s.writing.layerGroup, 10);
  EXPECT_EQ(s.writing.layer, 15);
  EXPECT_EQ(r.current.layerGroup, 0);  // "Z" is no hex digit
  EXPECT_EQ(r.current.layer, 1);
  EXPECT_EQ(s.layerGroupValues[10], 3);
  EXPECT_EQ(s.layerValues[10 * 16 + 15], 9);
  EXPECT_EQ(s.layerValues[2 * 16 + 1], 4);
  EXPECT_FALSE(r.firstSeen.lg);
  EXPECT_FALSE(r.firstSeen.ly);
}

TEST(ExchangeReader, LowerCaseHexLayerGroup) { EXPECT_EQ(Read("lgb\n").writing.layerGroup, 11); }

TEST(ExchangeReader, LayerNamesJoinTheirFields) {
  const DrawingState s = Read("lg3\nlgnA  B\nly4\nlyn\x95\\\x8e\xa6 X\n");
  EXPECT_EQ(s.layerGroupNames[3], "A B");
  EXPECT_EQ(s.layerNames[3 * 16 + 4], "\x95\\\x8e\xa6 X");
}

TEST(ExchangeReader, LineColourTypeWidth) {
  const char* lines = "lc3\nlt2\nlw5\nlc10 255\nlt4\nlw\n";
  const DrawingState s = Read(lines);
  const ReadingState r = Working(lines);
  EXPECT_EQ(s.writing.colour, 3);
  EXPECT_EQ(s.writing.lineType, 2);
  EXPECT_EQ(s.writing.lineWidth, 5);
  EXPECT_EQ(r.current.colour, 10);
  EXPECT_EQ(r.currentRgb, 255);
  EXPECT_EQ(r.current.lineType, 4);
  EXPECT_EQ(r.current.lineWidth, 0);
  EXPECT_TRUE(s.lineWidthPresent);
}

TEST(ExchangeReader, RgbColourNeedsItsValue) {
  EXPECT_EQ(Working("lc10 255\nlc10\n").currentRgb, 255);
  EXPECT_EQ(Working("lc9 255\n").currentRgb, 0);
  EXPECT_FALSE(Read("lc1\n").lineWidthPresent);
}

struct AnchorCase {
  std::string keyword;
  int32_t anchor;
};

void PrintTo(const AnchorCase& c, std::ostream* os) { *os << c.keyword; }

class AnchorKeywordTest : public ::testing::TestWithParam<AnchorCase> {};

TEST_P(AnchorKeywordTest, OnlyTheThirdCharacterCounts) {
  EXPECT_EQ(Working(GetParam().keyword).currentTextAnchor, GetParam().anchor);
}

INSTANTIATE_TEST_SUITE_P(Keywords, AnchorKeywordTest,
                         ::testing::Values(AnchorCase{"cc0", 0}, AnchorCase{"cc8", 8},
                                           AnchorCase{"cc9", 0}, AnchorCase{"cc-", 0},
                                           AnchorCase{"cc45", 4}, AnchorCase{"cc", 0},
                                           AnchorCase{"cc\x82\xa0", 0}));

TEST(ExchangeReader, TextSizeFirstLineWithFreeSizes) {
  const char* lines = "cn0 2.5 2.5 0 1\ncn3\n";
  const DrawingState s = Read(lines);
  const ReadingState r = Working(lines);
  EXPECT_EQ(s.writingTextSizeKind, 0);
  EXPECT_EQ(s.writingTextWidth, 2.5);
  EXPECT_EQ(s.writingTextHeight, 2.5);
  EXPECT_EQ(s.writingTextSpacing, 0.0);
  EXPECT_EQ(s.writingTextColour, 1);
  EXPECT_EQ(r.currentTextSizeKind, 3);
  EXPECT_EQ(r.currentTextWidth, 2.5);
}

TEST(ExchangeReader, TextSizeKindZeroWithoutSizesKeepsThem) {
  const char* lines = "cn0 2.5\ncn0 4 5 6 7\n";
  const DrawingState s = Read(lines);
  const ReadingState r = Working(lines);
  EXPECT_EQ(s.writingTextSizeKind, 0);
  EXPECT_EQ(s.writingTextWidth, 2.0);
  EXPECT_EQ(r.currentTextWidth, 4.0);
  EXPECT_EQ(r.currentTextHeight, 5.0);
  EXPECT_EQ(r.currentTextSpacing, 6.0);
  EXPECT_EQ(r.currentTextColour, 7);
}

TEST(ExchangeReader, FontNameKeepsItsBlank) {
  const char* lines = "cn$<ＭＳ ゴシック>\ncn$<ＭＳ 明朝>\n";
  EXPECT_EQ(Read(lines).writingFontName, "<ＭＳ ゴシック>");
  EXPECT_EQ(Working(lines).currentFontName, "<ＭＳ 明朝>");
}

TEST(ExchangeReader, MarksAccumulateOnce) {
  EXPECT_EQ(Working("z2\nz2\n").zFlags, 2);
  EXPECT_EQ(Working("z1\nz3\nz5\n").zFlags, 1 | 4 | 16);
  EXPECT_EQ(Working("z6\nz0\nz12\n").zFlags, 0);
}

TEST(ExchangeReader, PointColour) { EXPECT_EQ(Working("pn7\n").currentPointColour, 7); }

TEST(ExchangeReader, UnknownKeywordsAreIgnoredUnlessFourFields) {
  const DrawingState s = Read("hq\nxyz 1 2\nch 1 2 3\nhq 1 2 3 4\n");
  ASSERT_EQ(s.entities.lines.size(), 1u);
  const LineEntity& l = s.entities.lines[0];
  EXPECT_EQ(l.x1, 0.0);
  EXPECT_EQ(l.y1, 1.0);
  EXPECT_EQ(l.x2, 2.0);
  EXPECT_EQ(l.y2, 3.0);
}

TEST(ExchangeReader, LineEndsAndLastLineWithoutEnd) {
  const DrawingState s = Read("hp1 1 2\r\nhp2 3 4\nhp3 5 6");
  EXPECT_TRUE(s.designatedPoints[1].used);
  EXPECT_EQ(s.designatedPoints[1].y, 2.0);  // the CR is not part of the last field
  EXPECT_TRUE(s.designatedPoints[2].used);
  EXPECT_TRUE(s.designatedPoints[3].used);
}

TEST(ExchangeReader, ParseOneLine) {
  DrawingState s;
  ExchangeReader(s).Line("hp7 1 2");
  EXPECT_TRUE(s.designatedPoints[7].used);
}

TEST(ExchangeFile, MissingFileOrDirectoryLeavesTheStateAlone) {
  testing::TempDir dir;
  RealFileSystem fs;
  DrawingState s;
  s.hkValue = 42;
  EXPECT_FALSE(ReadExchangeFile(fs, dir.File("JWC_TEMP.TXT"), s));
  EXPECT_FALSE(ReadExchangeFile(fs, dir.path().string(), s));
  EXPECT_EQ(s.hkValue, 42);
}

TEST(ExchangeFile, EmptyFileIsRead) {
  testing::TempDir dir;
  dir.Write("JWC_TEMP.TXT", "");
  RealFileSystem fs;
  DrawingState s;
  EXPECT_TRUE(ReadExchangeFile(fs, dir.File("JWC_TEMP.TXT"), s));
  EXPECT_TRUE(s.entities.order.empty());
}

TEST(ExchangeFile, ReadsEveryLine) {
  testing::TempDir dir;
  dir.Write("JWC_TEMP.TXT", "lg2\r\nhp1 1 2\r\nhp2 3 4\r\n0 0 10 0\r\n");
  RealFileSystem fs;
  DrawingState s;
  ASSERT_TRUE(ReadExchangeFile(fs, dir.File("JWC_TEMP.TXT"), s));
  EXPECT_EQ(s.writing.layerGroup, 2);
  EXPECT_TRUE(s.designatedPoints[2].used);
  EXPECT_EQ(s.entities.lines.size(), 1u);
}

// A drawing run keeps no entity, and reads everything else as the register run does: the
// entity lines still end polyline runs and consume the marks before them.
TEST(ExchangeFile, SkippedEntitiesLeaveTheRestOfTheStateAsItIs) {
  const std::string bytes =
      "lg2\r\nhp1 1 2\r\nz1\r\n0 0 10 0\r\npl\r\n0 0 1 1\r\nch 0 0 1 0 \"t\"\r\n"
      "hhp3\r\nlc4\r\nhp2 3 4\r\n";
  DrawingState kept;
  DrawingState skipped;
  ExchangeReader keeping(kept);
  ExchangeReader skipping(skipped, EntityRecords::kSkip);
  keeping.Bytes(bytes);
  skipping.Bytes(bytes);
  EXPECT_EQ(kept.entities.order.size(), 3u);
  EXPECT_TRUE(skipped.entities.order.empty());
  EXPECT_TRUE(skipped.entities.lines.empty());
  EXPECT_TRUE(skipped.entities.texts.empty());
  const ReadingState& k = keeping.reading();
  const ReadingState& r = skipping.reading();
  EXPECT_EQ(r.zFlags, k.zFlags);
  EXPECT_EQ(r.hhpNumber, k.hhpNumber);
  EXPECT_EQ(r.inPolyline, k.inPolyline);
  EXPECT_EQ(r.polylineCounter, k.polylineCounter);
  EXPECT_EQ(r.current.colour, 4);
  EXPECT_EQ(skipped.writing.layerGroup, 2);
  EXPECT_EQ(skipped.designatedPoints[2].y, 4);
}

using testing::PieceFileSystem;

TEST(ExchangeFile, LinesAcrossPiecesAreReadWhole) {
  std::string file = "hp1 1.5 2\r\nhp2 3 4\n\r\n  \nlgn";
  file += std::string(5000, 'x');
  file += "\r\nhp3 5 6\r\nhp4 7 8";  // the last line has no line end
  for (size_t piece : {1, 2, 3, 7, 64, 4096, 100000}) {
    PieceFileSystem fs(file, piece);
    DrawingState s;
    ASSERT_TRUE(ReadExchangeFile(fs, "JWC_TEMP.TXT", s)) << piece;
    EXPECT_EQ(s.designatedPoints[1].x, 1.5) << piece;
    EXPECT_EQ(s.designatedPoints[2].y, 4) << piece;
    EXPECT_EQ(s.designatedPoints[3].y, 6) << piece;
    EXPECT_EQ(s.designatedPoints[4].y, 8) << piece;
    EXPECT_EQ(s.layerGroupNames[0], std::string(5000, 'x')) << piece;
  }
}

TEST(ExchangeFile, ReadErrorKeepsTheLinesReadSoFar) {
  PieceFileSystem fs("hp1 1 2\nhp2 3 4\nhp3 5 6\n", 12);
  fs.failAfter = 1;  // "hp1 1 2\nhp2 " arrives, then the read fails
  DrawingState s;
  EXPECT_FALSE(ReadExchangeFile(fs, "JWC_TEMP.TXT", s));
  EXPECT_TRUE(s.designatedPoints[1].used);
  EXPECT_FALSE(s.designatedPoints[2].used);
  EXPECT_FALSE(s.designatedPoints[3].used);
}

}  // namespace
}  // namespace gara
