// The width and height of a figure from the extents line of its file.
#include "figure/measure.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/real_file_system.h"
#include "support/temp_dir.h"

namespace gara {
namespace {

struct MeasureCase {
  std::string name;
  std::string file;
  double width, height;
  bool beyondReach = false;
};

void PrintTo(const MeasureCase& c, std::ostream* os) { *os << c.name; }

class FigureMeasureTest : public ::testing::TestWithParam<MeasureCase> {};

TEST_P(FigureMeasureTest, Measures) {
  testing::TempDir dir;
  dir.Write("sel.txt", GetParam().file);
  RealFileSystem fs;
  const FigureSize size = MeasureFigureFile(fs, dir.File("sel.txt"));
  EXPECT_EQ(size.width, GetParam().width);
  EXPECT_EQ(size.height, GetParam().height);
  EXPECT_EQ(size.beyondReach, GetParam().beyondReach);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FigureMeasureTest,
    ::testing::Values(
        MeasureCase{"Centred", "-10,-5,10,5\r\n1,1\r\nN,0\r\n", 20, 10},
        MeasureCase{"CornersInEitherOrder", "10,5,-10,-5\r\n", 20, 10},
        MeasureCase{"NotCentred", "1,2,4,8", 3, 6},
        MeasureCase{"BlanksSeparateToo", " 0 0  3,4 \n", 3, 4},
        MeasureCase{"MoreFields", "0,0,3,4,99,99\n", 3, 4},
        MeasureCase{"NonNumbersCountAsZero", "a,0,3,b\n", 3, 0},
        MeasureCase{"ThreeFields", "0,0,3\n", 0, 0}, MeasureCase{"Empty", "", 0, 0},
        MeasureCase{"EmptyFirstLine", "\r\n0,0,3,4\r\n", 0, 0},
        MeasureCase{"HugeDifferenceIsNotInfinite", "-1.7e308,0,1.7e308,1\n", 0, 0, true},
        // No drawing holds a figure wider, higher or farther out than 1e12 mm.
        MeasureCase{"BeyondAnyDrawing", "-1e300,-1e300,1e300,1e300\n", 0, 0, true},
        MeasureCase{"WiderThanTheReach", "-5e11,0,500000000000.001,1\n", 0, 0, true},
        MeasureCase{"FartherThanTheReach", "1000000000001,0,1000000000002,1\n", 0, 0, true},
        MeasureCase{"AsWideAsTheReach", "-5e11,-2,5e11,3\n", 1e12, 5},
        MeasureCase{"LiteralsOutOfRange", "1e999,nan,inf,-0\n", 0, 0},
        MeasureCase{"NulByteEndsNoField", std::string("0,0\0,3,4\n", 9), 3, 4}),
    [](const auto& info) { return info.param.name; });

TEST(FigureMeasure, FirstLineLongerThanAReadPiece) {
  testing::TempDir dir;
  std::string file = "0,0,";
  file.append(3 << 20, ' ');
  file += "3,4\r\n";
  file.append(2 << 20, 'L');
  dir.Write("sel.txt", file);
  RealFileSystem fs;
  const FigureSize size = MeasureFigureFile(fs, dir.File("sel.txt"));
  EXPECT_EQ(size.width, 3);
  EXPECT_EQ(size.height, 4);
}

TEST(FigureMeasure, MissingFileOrDirectoryIsZero) {
  testing::TempDir dir;
  RealFileSystem fs;
  const FigureSize missing = MeasureFigureFile(fs, dir.File("sel.txt"));
  EXPECT_EQ(missing.width, 0);
  EXPECT_EQ(missing.height, 0);
  const FigureSize directory = MeasureFigureFile(fs, dir.path().string());
  EXPECT_EQ(directory.width, 0);
}

}  // namespace
}  // namespace gara
