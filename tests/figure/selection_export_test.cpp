// Register mode's figure file: the selected entities centred on their extents, one record each.
#include "figure/selection_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "exchange/exchange_reader.h"
#include "exchange/read_exchange.h"
#include "figure/figure_format.h"
#include "figure/measure.h"
#include "figure/selection_examples.h"
#include "geom/extents.h"
#include "support/fault_file_system.h"
#include "support/memory_file_system.h"
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

using testing::FigureCase;
using testing::Joined;
using testing::kScales;
using testing::kSizeThree;

class SelectionFigureTest : public ::testing::TestWithParam<FigureCase> {};

TEST_P(SelectionFigureTest, WritesTheFigure) {
  EXPECT_EQ(Export(GetParam().exchange), Joined(GetParam().figure));
}

INSTANTIATE_TEST_SUITE_P(Examples, SelectionFigureTest,
                         ::testing::ValuesIn(testing::SelectionExamples()),
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

// From the exchange file in batches: written from the kept records, or from a second reading
// when there are too many to keep (past the limit on the first batch or on a later one), the
// same figure as from the whole selection in memory.
TEST(SelectionExport, FromTheFileKeptOrReadAgainTheSameFigure) {
  std::string exchange = "hs 2 3\n";
  for (int i = 0; i < 9000; ++i) {
    exchange += "ci " + std::to_string(i) + " 0 " + std::to_string(1 + i % 7) + " 10 " +
                std::to_string(i % 360) + "\n" + std::to_string(i) + " -9 0 " + std::to_string(i) +
                "\n";
  }
  testing::MemoryFileSystem fs;
  fs.files["JWC_TEMP.TXT"] = exchange;
  const std::string whole = Export(exchange);
  for (size_t keepAtMost : {size_t{0}, size_t{5000}, kMaxKeptSelection}) {
    testing::MemoryFileSystem out;
    const auto file = out.Create("sel.txt");
    ASSERT_TRUE(WriteSelection(fs, "JWC_TEMP.TXT", *file, keepAtMost));
    EXPECT_EQ(out.files["sel.txt"], whole) << keepAtMost;
  }
  EXPECT_EQ(fs.reads, 5);  // twice for each limit below the 18 000 records, once for the last
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
