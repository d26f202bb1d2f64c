// Register mode's figure file: the selected entities centred on their extents, one record each.
#include "figure/selection_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "exchange/exchange_reader.h"
#include "exchange/read_exchange.h"
#include "figure/extents.h"
#include "figure/figure_format.h"
#include "figure/measure.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"
#include "util/lines.h"
#include "util/text.h"

namespace gara {
namespace {

std::string Export(std::string_view exchange) {
  return SelectionFigureText(testing::ReadExchangeText(exchange));
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  LineReader reader(text);
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

const std::string kScales = "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1";
// Text size kind 3: width 3, height 3, spacing 0.5, colour 1.
const std::string kSizeThree =
    "hcw 3 3 3 3 3 3 3 3 3 3\nhch 3 3 3 3 3 3 3 3 3 3\nhcd .5 .5 .5 .5 .5 .5 .5 .5 .5 .5\n"
    "hcc 1 1 1 1 1 1 1 1 1 1\ncn3\n";

// Whole figure files of small selections: the worked examples of the format.
struct FigureCase {
  std::string name;
  std::string exchange;
  std::vector<std::string> figure;
};

class SelectionFigureTest : public ::testing::TestWithParam<FigureCase> {};

TEST_P(SelectionFigureTest, WritesTheFigure) {
  EXPECT_EQ(Export(GetParam().exchange), Joined(GetParam().figure));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, SelectionFigureTest,
    ::testing::Values(
        FigureCase{"LineAndCircle",
                   "ly2\nlc1\n10 20 30 20\nlc2\nci 20 25 5\n",
                   {"-10,-5,10,5", kScales, "N,2", "L,0,0,2,1,1,0,0,-10,-5,10,-5",
                    "E,0,0,2,2,1,0,0,0,0,5,1,0,6.28318530718,0,1", "BD,0"}},
        FigureCase{"Empty", "", {"0,0,0,0", kScales, "N,0", "BD,0"}},
        FigureCase{"BlocksOnly", "BL 5 5 a\nBL 9 9 b\n", {"0,0,0,0", kScales, "N,0", "BD,0"}},
        FigureCase{"SinglePoint",
                   "ly2\npt 3 4\n",
                   {"0,0,0,0", kScales, "N,1", "T,0,0,2,1,1,0,0,0,0,0,0,0,1", "BD,0"}},
        FigureCase{"PlainAndRotatedPoint",
                   "ly2\npt -3 -4\npt 3 4 2 45 3\n",
                   {"-3,-4,3,4", kScales, "N,2", "T,0,0,2,1,1,0,0,-3,-4,0,0,0,1",
                    "T,0,0,2,1,100,0,0,3,4,0,3,0.785398163397,2", "BD,0"}},
        FigureCase{"QuarterArc",
                   "ly2\nci 0 0 10 0 90 1 0\n",
                   {"-5,-5,5,5", kScales, "N,1", "E,0,0,2,1,1,0,0,-5,-5,10,1,0,1.570796326795,0,0",
                    "BD,0"}},
        FigureCase{
            "WholeArcFromZeroTo360",
            "ci 0 0 5 0 360 1 0\n",
            {"-5,-5,5,5", kScales, "N,1", "E,0,0,0,1,1,0,0,0,0,5,1,0,6.28318530718,0,1", "BD,0"}},
        FigureCase{"ArcOfSweepZeroIsClosed",
                   "ci 0 0 5 30 30 1 0\n",
                   {"-5,-5,5,5", kScales, "N,1",
                    "E,0,0,0,1,1,0,0,0,0,5,1,0.523598775598,6.28318530718,0,1", "BD,0"}},
        FigureCase{
            "Text",
            "ly2\n" + kSizeThree + "ch 10 10 1 0 \"ABC\n",
            {"-2.5,-1.5,2.5,1.5", kScales, "N,1",
             "M,0,0,2,1,1,0,0,-2.5,-1.5,2.5,-1.5,3,3,3,0.5,\"ＭＳ ゴシック\",\"ABC\"", "BD,0"}},
        FigureCase{
            "Dimension",
            "ly2\n" + kSizeThree + "msg\n0 0 20 0\ncs 8.375 1 1 0 \"20\n",
            {"-10,-2,10,2", kScales, "N,1", "D,0,0,2,1,1,0,0,", "L,0,0,2,1,1,0,0,-10,-2,10,-2",
             "M,0,0,2,1,1,0,16400,-1.625,-1,1.625,-1,3,3,3,0.5,\"ＭＳ ゴシック\",\"20\"", "BD,0"}},
        FigureCase{
            "DimensionTextStandsOnItsLowerLeftCorner",
            kSizeThree + "cc4\nmsg\n0 0 20 0\ncs 8.375 1 1 0 \"20\n",
            {"-10,-2,10,2", kScales, "N,1", "D,0,0,0,1,1,0,0,", "L,0,0,0,1,1,0,0,-10,-2,10,-2",
             "M,0,0,0,1,1,0,16400,-1.625,-1,1.625,-1,3,3,3,0.5,\"ＭＳ ゴシック\",\"20\"", "BD,0"}},
        FigureCase{"SquareSolid",
                   "ly2\nlc3\nsl 0 0 10 0 10 10 0 10\n",
                   {"-5,-5,5,5", kScales, "N,1", "S,0,0,2,3,1,0,0,-5,-5,5,-5,5,5,-5,5,0", "BD,0"}},
        FigureCase{"SmallerSolidsRepeatTheirLastCorner",
                   "lc10 99\nsl 0 0 4 0\nsl 0 0 4 0 4 4\n",
                   {"-2,-2,2,2", kScales, "N,2", "S,0,0,0,10,1,0,0,-2,-2,2,-2,2,-2,2,-2,99",
                    "S,0,0,0,10,1,0,0,-2,-2,2,-2,2,2,2,2,99", "BD,0"}},
        FigureCase{"CurvedSolids",
                   "sc 0 0 5 1 0 0 6.283185307179586 2\nse 0 0 5 1 0 0 1 2\n"
                   "so 0 0 5 0.5 0.25 0 3.14159 4\nsg 0 0 5 1 0 0 -1 4\n",
                   {"-5,-5,5,5", kScales, "N,4", "S,0,0,0,1,101,0,0,0,0,5,1,0,0,6.28318530718,2,0",
                    "S,0,0,0,1,111,0,0,0,0,5,1,0,0,1,2,0",
                    "S,0,0,0,1,105,0,0,0,0,5,0.5,0.25,0,3.14159,4,0",
                    "S,0,0,0,1,106,0,0,0,0,5,1,0,0,-1,4,0", "BD,0"}},
        FigureCase{
            "MarksInEveryColumn",
            "z1\nz2\nz3\nz4\nz5\n0 0 1 1\nz1\nz2\nz3\nz4\nz5\nci 0 0 1\n"
            "z1\nz2\nz3\nz4\nz5\nch 0 0 1 0 \"a\nz3\nsl 0 0 1 1\n"
            "z3\nmsg\nz1\n0 0 1 0\nz2\ncs 0 0 1 0 \"b\n",
            {"-1.25,-2,1.25,2", kScales, "N,5",
             // z1 to z5 in the line column, z1 to z4 in the curve column.
             "L,0,0,0,1,1,0,47136,-0.25,-1,0.75,0",
             "E,0,0,0,1,1,0,240,-0.25,-1,1,1,0,6.28318530718,0,1",
             // The text column carries z2 to z4; size kind 1 brings colour 2 and size 3.
             "M,0,0,0,2,1,0,26640,-0.25,-1,1.25,-1,1,3,3,0,\"ＭＳ ゴシック\",\"a\"",
             "S,0,0,0,1,1,0,8192,-0.25,-1,0.75,0,0.75,0,0.75,0,0",
             // z2 is not carried by a D line; z3 before "msg" stays for the dimension line.
             "D,0,0,0,1,1,0,0,", "L,0,0,0,1,1,0,8224,-0.25,-1,0.75,-1",
             "M,0,0,0,2,1,0,18448,-0.25,-1,1.25,-1,1,3,3,0,\"ＭＳ ゴシック\",\"b\"", "BD,0"}}),
    [](const auto& info) { return info.param.name; });

TEST(SelectionExport, ArcAcrossZeroHasItsShortSweep) {
  const std::vector<std::string> lines = Lines(Export("ci 0 0 5 350 10 1 0\n"));
  const std::vector<std::string> fields = SplitFields(lines[3]);
  ASSERT_EQ(fields.size(), 16u);
  EXPECT_EQ(fields[12], "6.10865238198");
  EXPECT_EQ(fields[13], "0.349065850399");
  EXPECT_EQ(fields[15], "0");
}

TEST(SelectionExport, VerticalTextBox) {
  // Three full-width characters, height 4, width 3, spacing 1: 14 along, 3 across.
  const std::string figure = Export("cn0 3 4 1 1\ncn0\ncv 0 0 1 0 \"あいう\n");
  EXPECT_EQ(Lines(figure)[0], "-7,-1.5,7,1.5");
  const TextBox box = MeasureTextBox(1, "あいう", 3, 4, 1, 1, 0);
  EXPECT_EQ(box.length, 14);
  EXPECT_EQ(box.height, 3);
}

TEST(SelectionExport, FontStyles) {
  struct Case {
    std::string font;
    std::string field12;
    std::string name;
  };
  for (const Case& c : std::vector<Case>{{"<ＭＳ ゴシック>/!", "3", "ＭＳ ゴシック"},
                                         {"<ＭＳ ゴシック>!/", "3", "ＭＳ ゴシック"},
                                         {"<ＭＳ 明朝>/", "3", "ＭＳ 明朝"},
                                         {"<ＭＳ 明朝>!", "3", "ＭＳ 明朝"},
                                         {"Arial", "3", "Arial"},
                                         {"<Arial", "3", "Arial"}}) {
    const std::vector<std::string> fields =
        SplitFields(Lines(Export(kSizeThree + "cn$" + c.font + "\nch 0 0 1 0 \"x\n"))[3]);
    ASSERT_EQ(fields.size(), 18u) << c.font;
    EXPECT_EQ(fields[16], c.name) << c.font;
  }
  const auto styleOf = [](const std::string& font) {
    return SplitFields(Lines(Export(kSizeThree + "cn$" + font + "\nch 0 0 1 0 \"x\n"))[3])[12];
  };
  EXPECT_EQ(styleOf("<ＭＳ ゴシック>/!"), "30003");
  EXPECT_EQ(styleOf("<ＭＳ ゴシック>!/"), "30003");
  EXPECT_EQ(styleOf("<ＭＳ 明朝>/"), "10003");
  EXPECT_EQ(styleOf("<ＭＳ 明朝>!"), "20003");
  EXPECT_EQ(styleOf("Arial"), "3");
}

TEST(SelectionExport, QuotesDoubledAndControlBytesDroppedButMeasured) {
  DrawingState state;
  ReadExchangeBytes("cn0 2 2 0 1\ncn0\nch 0 0 1 0 \"a\"b,c d\n", state);
  // A control byte cannot come through the exchange file; put one into the record directly.
  std::string& text = state.entities.texts[0].text;
  text.insert(text.begin() + 1, '\t');
  const std::vector<std::string> lines = Lines(SelectionFigureText(state));
  EXPECT_NE(lines[3].find(",\"a\"\"b,c d\""), std::string::npos) << lines[3];
  const std::vector<std::string> fields = SplitFields(lines[3]);
  ASSERT_EQ(fields.size(), 18u);
  EXPECT_EQ(fields[17], "a\"b,c d");
  // Measured from the stored text: the tab adds no width, the 7 other characters 1 each.
  EXPECT_EQ(lines[0], "-3.5,-1,3.5,1");
}

TEST(SelectionExport, LayerGroupsAndScales) {
  const std::vector<std::string> lines = Lines(
      Export("hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 0.123456789\nlg3\n0 0 1 1\nlgF\n1 1 2 2\n"));
  EXPECT_EQ(lines[1], "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,0.12345679");
  EXPECT_EQ(SplitFields(lines[3])[2], "3");
  EXPECT_EQ(SplitFields(lines[4])[2], "15");
}

TEST(SelectionExport, PolylineNumbersAreKept) {
  const std::vector<std::string> lines = Lines(Export("pl\n0 0 1 1\n1 1 2 2\npl\n2 2 3 3\n"));
  EXPECT_EQ(SplitFields(lines[3])[1], "1");
  EXPECT_EQ(SplitFields(lines[4])[1], "1");
  EXPECT_EQ(SplitFields(lines[5])[1], "2");
}

TEST(SelectionExport, AbsurdInputWritesNoNanOrInfinity) {
  DrawingState state;
  ReadExchangeBytes(
      "1e300 1e300 -1e300 -1e300\n1.7e308 0 -1.7e308 0\nci 1e308 1e308 1e308\n"
      "ci 0 0 1e300 0 90 1e300 45\nch 0 0 1e300 1e300 \"" +
          std::string(300, 'x') +
          "\ncn0 1e300 1e300 1e300 1\ncn0\ncv 0 0 1 1 \"x\n"
          "sc 0 0 1e308 1e308 1 0 1e308 1\nso 1e308 0 1 1 0 0 1 1e308\n",
      state);
  state.entities.circles[0].r = std::nan("");
  state.entities.arcs[0].endAngle = std::numeric_limits<double>::infinity();
  const std::string figure = SelectionFigureText(state);
  for (const std::string& line : Lines(figure)) {
    for (const std::string& field : SplitFields(line)) {
      if (field.empty() || (field[0] != '-' && (field[0] < '0' || field[0] > '9'))) continue;
      EXPECT_TRUE(std::isfinite(TextToReal(field))) << field;
      EXPECT_EQ(field.find_first_not_of("-.0123456789"), std::string::npos) << field;
    }
  }
  EXPECT_EQ(Lines(figure).back(), "BD,0");
}

TEST(SelectionExport, TensOfThousandsOfEntities) {
  std::string exchange;
  for (int i = 0; i < 20000; ++i) {
    exchange += "ci " + std::to_string(i) + " 0 1\n" + std::to_string(i) + " 0 " +
                std::to_string(i + 1) + " 1\n";
  }
  const std::vector<std::string> lines = Lines(Export(exchange));
  ASSERT_EQ(lines.size(), 40004u);
  EXPECT_EQ(lines[0], "-10000.5,-1,10000.5,1");
  EXPECT_EQ(lines[2], "N,40000");
  EXPECT_EQ(lines[40002], "L,0,0,0,1,1,0,0,9999.5,0,10000.5,1");
}

TEST(SelectionExport, WritesTheFileAndItMeasures) {
  testing::TempDir dir;
  RealFileSystem fs;
  DrawingState state;
  ReadExchangeBytes("0 0 30 0\nci 0 0 5\n", state);
  ASSERT_TRUE(ExportSelection(fs, dir.File("sel.txt"), state));
  EXPECT_EQ(dir.Read("sel.txt"), SelectionFigureText(state));
  const FigureSize size = MeasureFigureFile(fs, dir.File("sel.txt"));
  EXPECT_EQ(size.width, 35);
  EXPECT_EQ(size.height, 10);
}

class ExportFailureTest : public ::testing::TestWithParam<testing::FaultFileSystem::Fault> {};

TEST_P(ExportFailureTest, LeavesNoFigureFile) {
  testing::TempDir dir;
  dir.Write("sel.txt", "-1,-1,1,1\r\n");
  testing::FaultFileSystem fs;
  fs.fault = GetParam();
  fs.writesBeforeFailure = 1;  // the second piece of a large figure fails half-written
  DrawingState state;
  std::string exchange;
  for (int i = 0; i < 5000; ++i) exchange += "ci " + std::to_string(i) + " 0 1\n";
  ReadExchangeBytes(exchange, state);
  EXPECT_FALSE(ExportSelection(fs, dir.File("sel.txt"), state));
  EXPECT_FALSE(dir.Exists("sel.txt"));
  EXPECT_FALSE(dir.Exists("sel.txt.tmp"));
  const FigureSize size = MeasureFigureFile(fs, dir.File("sel.txt"));
  EXPECT_EQ(size.width, 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, ExportFailureTest,
                         ::testing::Values(testing::FaultFileSystem::Fault::kCreate,
                                           testing::FaultFileSystem::Fault::kWrite,
                                           testing::FaultFileSystem::Fault::kClose,
                                           testing::FaultFileSystem::Fault::kRename));

}  // namespace
}  // namespace gara
