#include "figure/figure_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gara {
namespace {

using Fields = std::vector<std::string>;

struct SplitCase {
  const char* name;
  std::string line;
  Fields fields;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SplitFieldsTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitFieldsTest, SplitsByTheCommaTextRule) {
  EXPECT_EQ(SplitFields(GetParam().line), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitFieldsTest,
    ::testing::Values(
        SplitCase{"LineRecord",
                  "L,0,0,2,1,1,0,0,-10,-5,10,-5",
                  {"L", "0", "0", "2", "1", "1", "0", "0", "-10", "-5", "10", "-5"}},
        SplitCase{"EmptyLine", "", {}}, SplitCase{"BlanksOnly", " \t ", {}},
        SplitCase{"TrailingCommaAddsEmptyField",
                  "D,0,0,2,1,1,0,0,",
                  {"D", "0", "0", "2", "1", "1", "0", "0", ""}},
        SplitCase{"TwoCommasEncloseEmptyField", "a,,b", {"a", "", "b"}},
        SplitCase{"BlanksBetweenCommasEncloseEmptyField", "a, \t,b", {"a", "", "b"}},
        SplitCase{"LeadingBlanksSkipped", "  \x01 a,b", {"a", "b"}},
        SplitCase{"BlankAloneSeparates", "a b  c", {"a", "b", "c"}},
        SplitCase{"BlanksAroundComma", "a , b", {"a", "b"}},
        SplitCase{"QuotedKeepsCommasAndBlanks", "\"x, y z\",1", {"x, y z", "1"}},
        SplitCase{"DoubledQuoteStandsForOne", "\"a\"\"b\"", {"a\"b"}},
        SplitCase{"EmptyQuotedField", "\"\",x", {"", "x"}},
        SplitCase{"UnclosedQuoteRunsToEnd", "\"abc", {"abc"}},
        SplitCase{"TextAfterClosingQuoteStartsNextField", "\"ab\"cd", {"ab", "cd"}},
        // 0x82 0x22 is one two-byte character whose second byte is a double quote.
        SplitCase{"TwoByteCharacterSteppedOverWhole", "\"\x82\x22\",z", {"\x82\x22", "z"}},
        SplitCase{
            "JapaneseFontAndText", "3,\"ＭＳ ゴシック\",\"ABC\"", {"3", "ＭＳ ゴシック", "ABC"}},
        SplitCase{"LoneCommaGivesTwoEmptyFields", ",", {"", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitFieldsTest, StopsAfterTheFieldsAskedFor) {
  Fields fields;
  SplitFields("a,b,c,d", fields, 2);
  EXPECT_EQ(fields, (Fields{"a", "b"}));
  SplitFields("x,", fields, 1);
  EXPECT_EQ(fields, (Fields{"x"}));
  SplitFields("x,", fields, 2);
  EXPECT_EQ(fields, (Fields{"x", ""}));
  SplitFields("", fields, 5);
  EXPECT_TRUE(fields.empty());
}

TEST(SplitFieldsTest, ReusedVectorHoldsOnlyTheNewLine) {
  Fields fields;
  SplitFields("one,two,three,four", fields);
  SplitFields("\"q\",5", fields);
  EXPECT_EQ(fields, (Fields{"q", "5"}));
}

TEST(SplitFieldsTest, MegabyteLineOfCommasKeepsOnlyTheLeadingFields) {
  const std::string line(4'000'000, ',');
  Fields fields;
  SplitFields(line, fields, 18);
  ASSERT_EQ(fields.size(), 18u);
  for (const auto& f : fields) EXPECT_TRUE(f.empty());
}

TEST(DoubleQuotesTest, DoublesEveryQuoteAndNothingElse) {
  EXPECT_EQ(DoubleQuotes("a\"b"), "a\"\"b");
  EXPECT_EQ(DoubleQuotes("\"\""), "\"\"\"\"");
  EXPECT_EQ(DoubleQuotes("x, y"), "x, y");
  EXPECT_EQ(DoubleQuotes(""), "");
}

TEST(DoubleQuotesTest, QuotedTextSplitsBackToItself) {
  for (const std::string text : {"a\"b", "\"", "a,b c", "ＭＳ ゴシック", ""}) {
    std::string field = "\"";
    field.append(DoubleQuotes(text)).append("\"");
    EXPECT_EQ(SplitFields(field + ",1"), (Fields{text, "1"})) << field;
  }
}

struct FlagCase {
  FlagClass cls;
  int32_t zFlags;
  int32_t code;
};

void PrintTo(const FlagCase& c, std::ostream* os) {
  *os << "class " << static_cast<int>(c.cls) << ", flags " << c.zFlags;
}

class AttributeFlagTest : public ::testing::TestWithParam<FlagCase> {};

TEST_P(AttributeFlagTest, CodeOfMarksAndMarksOfCode) {
  const FlagCase& c = GetParam();
  EXPECT_EQ(AttributeFlagCode(c.cls, c.zFlags), c.code);
  // Reading the code back gives the marks the class carries.
  int32_t carried = 0;
  for (int mark = 0; mark < 5; ++mark) {
    if ((c.zFlags & (1 << mark)) && AttributeFlagCode(c.cls, 1 << mark) != 0) carried |= 1 << mark;
  }
  EXPECT_EQ(EntityMarksFromFlags(c.cls, c.code), carried);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AttributeFlagTest,
    ::testing::Values(
        FlagCase{FlagClass::kLine, 1, 32}, FlagCase{FlagClass::kLine, 2, 2048},
        FlagCase{FlagClass::kLine, 4, 8192}, FlagCase{FlagClass::kLine, 8, 32768},
        FlagCase{FlagClass::kLine, 16, 4096}, FlagCase{FlagClass::kLine, 31, 47136},
        FlagCase{FlagClass::kCurveOrPoint, 1, 32}, FlagCase{FlagClass::kCurveOrPoint, 2, 16},
        FlagCase{FlagClass::kCurveOrPoint, 4, 64}, FlagCase{FlagClass::kCurveOrPoint, 8, 128},
        FlagCase{FlagClass::kCurveOrPoint, 16, 0}, FlagCase{FlagClass::kText, 1, 0},
        FlagCase{FlagClass::kText, 2, 2048}, FlagCase{FlagClass::kText, 4, 16400},
        FlagCase{FlagClass::kText, 8, 8192}, FlagCase{FlagClass::kDimensionLine, 4, 8192},
        FlagCase{FlagClass::kDimensionLine, 27, 0}, FlagCase{FlagClass::kSolid, 1, 32},
        FlagCase{FlagClass::kSolid, 2, 2048}, FlagCase{FlagClass::kSolid, 4, 8192},
        FlagCase{FlagClass::kSolid, 8, 4096}, FlagCase{FlagClass::kSolid, 16, 0}));

TEST(AttributeFlagTest, TextMarkThreeFromEitherOfItsBits) {
  EXPECT_EQ(EntityMarksFromFlags(FlagClass::kText, 0x4000), 4);
  EXPECT_EQ(EntityMarksFromFlags(FlagClass::kText, 0x10), 4);
}

TEST(TextKindTest, EveryTextKindReadsBackAsItself) {
  const int32_t expected[] = {0, 32, 16400, 16656, 16912, 17424, 20496, 64, 128, 32768};
  for (int32_t kind = 0; kind <= 9; ++kind) {
    EXPECT_EQ(TextKindFlags(kind), expected[kind]);
    EXPECT_EQ(TextTypeFromFlags(TextKindFlags(kind)), kind) << kind;
  }
  EXPECT_EQ(TextKindFlags(10), 0);
  EXPECT_EQ(TextKindFlags(-1), 0);
}

TEST(TextKindTest, LaterKindBitsOverrideEarlierOnes) {
  EXPECT_EQ(TextTypeFromFlags(0x20 | 0x10), 2);
  EXPECT_EQ(TextTypeFromFlags(0x100 | 0x8000), 9);
  EXPECT_EQ(TextTypeFromFlags(0x40 | 0x200), 7);
  // Marks alone name no kind.
  EXPECT_EQ(TextTypeFromFlags(0x800 | 0x2000), 0);
}

TEST(RecordKindTest, KindLetters) {
  EXPECT_EQ(RecordKindOf("L"), RecordKind::kLine);
  EXPECT_EQ(RecordKindOf("E"), RecordKind::kCurve);
  EXPECT_EQ(RecordKindOf("T"), RecordKind::kPoint);
  EXPECT_EQ(RecordKindOf("M"), RecordKind::kText);
  EXPECT_EQ(RecordKindOf("D"), RecordKind::kDimension);
  EXPECT_EQ(RecordKindOf("X"), RecordKind::kDimensionX);
  EXPECT_EQ(RecordKindOf("S"), RecordKind::kSolid);
  for (const char* other : {"", "l", "LL", "BD", "N", "Q"}) {
    EXPECT_EQ(RecordKindOf(other), RecordKind::kUnknown) << other;
  }
}

TEST(SolidShapeTest, CodesMapToShapes) {
  EXPECT_EQ(SolidShapeOf(1), SolidShape::kPolygon);
  EXPECT_EQ(SolidShapeOf(100), SolidShape::kPolygon);
  EXPECT_EQ(SolidShapeOf(-5), SolidShape::kPolygon);
  EXPECT_EQ(SolidShapeOf(101), SolidShape::kSc);
  EXPECT_EQ(SolidShapeOf(111), SolidShape::kSe);
  EXPECT_EQ(SolidShapeOf(105), SolidShape::kSo);
  EXPECT_EQ(SolidShapeOf(106), SolidShape::kSg);
  EXPECT_EQ(SolidShapeOf(102), SolidShape::kSg);
}

TEST(FontStyleTest, SuffixAndSizeKindOfTextCode) {
  EXPECT_EQ(FontStyleSuffix(3), "");
  EXPECT_EQ(FontStyleSuffix(10003), "/");
  EXPECT_EQ(FontStyleSuffix(20003), "!");
  EXPECT_EQ(FontStyleSuffix(30003), "/!");
  EXPECT_EQ(FontStyleSuffix(19999), "/");
  EXPECT_EQ(TextSizeKindOf(30005), 5);
  EXPECT_EQ(TextSizeKindOf(-205), -5);
}

}  // namespace
}  // namespace gara
