#include "figure/figure_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/test_files.h"

namespace gara {
namespace {

using testing::CrLf;
using Lines = std::vector<std::string>;

const std::string kScales = "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,2.5";

// Each record as its kind letter and the field counts of its lines: "D 8,12" is a dimension
// whose file ended after two of its lines.
Lines Summary(FigureReader& reader) {
  Lines out;
  FigureRecord record;
  while (reader.Next(record)) {
    static constexpr char kLetters[] = "LETMDXS?";
    std::string s(1, kLetters[static_cast<int>(record.kind)]);
    for (size_t k = 0; k < record.lineCount; ++k) {
      s += (k ? ',' : ' ') + std::to_string(record.lines[k].count);
    }
    out.push_back(s);
  }
  return out;
}

struct ReaderCase {
  const char* name;
  std::string file;
  bool hasExtents, hasCount;
  Lines records;
};

class FigureReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(FigureReaderTest, ReadsRecordsAsFarAsTheFileGoes) {
  const ReaderCase& c = GetParam();
  FigureReader reader(c.file);
  EXPECT_EQ(reader.header().hasExtents, c.hasExtents);
  EXPECT_EQ(reader.header().hasCount, c.hasCount);
  EXPECT_EQ(Summary(reader), c.records);
}

const std::string kLine = "L,0,0,2,1,1,0,0,-10,-5,10,-5";
const std::string kDimension[] = {"D,0,4,5,1,1,0,8192,", "L,0,4,5,3,2,0,0,-10,-2,10,-2",
                                  "M,0,4,5,1,1,0,0,-1,-1,1,-1,3,3,3,0.5,\"G\",\"\""};

INSTANTIATE_TEST_SUITE_P(
    Files, FigureReaderTest,
    ::testing::Values(
        ReaderCase{"Whole",
                   CrLf({"-1,-1,1,1", kScales, "N,2", kLine, "T,0,0,2,1,1,0,0,3,4", "BD,0"}),
                   true,
                   true,
                   {"L 12", "T 10"}},
        ReaderCase{"DimensionsTakeTheirLines",
                   CrLf({"0,0,1,1", kScales, "N,2", kDimension[0], kDimension[1], kDimension[2],
                         "X,0,0,0", kLine, kLine, kLine, kLine, kLine, kLine}),
                   true,
                   true,
                   {"D 9,12,18", "X 4,12,12,12,12,12,12"}},
        ReaderCase{"FileEndsInsideADimension",
                   CrLf({"0,0,1,1", kScales, "N,3", kLine, kDimension[0], kDimension[1]}),
                   true,
                   true,
                   {"L 12", "D 9,12"}},
        ReaderCase{"CutLinesKeepTheirFieldCounts",
                   CrLf({"0,0,1,1", kScales, "N,3", "L,0,0,2", "", "Q,1"}),
                   true,
                   true,
                   {"L 4", "? 0", "? 2"}},
        ReaderCase{
            "CountBeyondTheLines", CrLf({"0,0,1,1", kScales, "N,5", kLine}), true, true, {"L 12"}},
        ReaderCase{"StopsAfterTheCount",
                   CrLf({"0,0,1,1", kScales, "N,1", kLine, kLine}),
                   true,
                   true,
                   {"L 12"}},
        ReaderCase{"NegativeCount", CrLf({"0,0,1,1", kScales, "N,-3", kLine}), true, true, {}},
        ReaderCase{
            "CountLineWithoutCount", CrLf({"0,0,1,1", kScales, "N", kLine}), true, false, {}},
        ReaderCase{"ExtentsLineCut", CrLf({"0,0,1", kScales, "N,1", kLine}), false, false, {}},
        ReaderCase{"Empty", "", false, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FigureReaderTest, FieldsAsNumbersAndTexts) {
  // The reader reads the bytes in place: they must outlive it.
  const std::string bytes =
      CrLf({"-3.5,-2,4,6", kScales, "N,1",
            "M,0,0,2,7,9,0,59520,1.5,x,1,9,30010,2,4,0.5,\"F\"\"x\",\"say \"\"hi\"\"\""});
  FigureReader reader(bytes);
  const FigureHeader& h = reader.header();
  EXPECT_EQ(h.CentreX(), 0.25);
  EXPECT_EQ(h.CentreY(), 2.0);
  ASSERT_EQ(h.scales.size(), 16u);
  EXPECT_EQ(h.scales[15], 2.5);
  EXPECT_EQ(h.count, 1);
  FigureRecord record;
  ASSERT_TRUE(reader.Next(record));
  const FigureLine& line = record.lines[0];
  EXPECT_EQ(line.kind, RecordKind::kText);
  EXPECT_EQ(line.Int(3), 2);
  EXPECT_EQ(line.Int(7), 59520);
  EXPECT_EQ(line.Real(8), 1.5);
  EXPECT_EQ(line.Real(9), 0.0);  // not a number
  EXPECT_EQ(line.Int(12), 30010);
  EXPECT_EQ(line.font, "F\"x");
  EXPECT_EQ(line.text, "say \"hi\"");
  EXPECT_EQ(FontOf(line), "<F\"x>/!");
  EXPECT_EQ(TextAnchorOf(line), 8);
  EXPECT_FALSE(reader.Next(record));
}

// A figure file is told by its head: four numbers, then the count line on the third line.
TEST(JudgeFigureFileTest, TellsAFigureFileByItsHead) {
  const std::pair<std::string, FigureFault> cases[] = {
      {CrLf({"-10,-5,10,5", kScales, "N,1", "L,0,0,2,1,1,0,0,-10,-5,10,-5"}), FigureFault::kNone},
      // Numbers as the readers take them, a count promising none, no trailer.
      {CrLf({"+1.,.5, -2e3 ,4E+1", kScales, "N,0"}), FigureFault::kNone},
      {CrLf({"1 2 3 4", "", "N,2", "?"}), FigureFault::kNone},
      {"", FigureFault::kEmpty},
      {" \r\n\t\n", FigureFault::kEmpty},
      {CrLf({"1,2,3"}), FigureFault::kNotFigureFile},
      {CrLf({"1,2,3,x"}), FigureFault::kNotFigureFile},
      {CrLf({"1,2,3,1e"}), FigureFault::kNotFigureFile},
      {CrLf({"1,2,3,."}), FigureFault::kNotFigureFile},
      {CrLf({"1,2,3,4", kScales, "X,1"}), FigureFault::kNotFigureFile},
      {CrLf({"1,2,3,4", kScales, ""}), FigureFault::kNotFigureFile},
      {CrLf({"1,2,3,4"}), FigureFault::kNoRecords},
      {CrLf({"1,2,3,4", kScales}), FigureFault::kNoRecords},
      {CrLf({"1,2,3,4", kScales, "N"}), FigureFault::kNoRecords},
      {CrLf({"1,2,3,4", kScales, "N,2"}), FigureFault::kNoRecords},
      {CrLf({"-1e300,-1e300,1e300,1e300", kScales, "N,1", "L,0,0,2,1,1,0,0,0,0,1,1"}),
       FigureFault::kBeyondReach},
      {CrLf({"1e12,0,1000000000001,1", kScales, "N,0"}), FigureFault::kBeyondReach},
  };
  for (const auto& [bytes, fault] : cases) {
    EXPECT_EQ(JudgeFigureFile(bytes), fault) << bytes;
  }
}

}  // namespace
}  // namespace gara
