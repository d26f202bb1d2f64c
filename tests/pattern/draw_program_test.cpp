// The built program drawing patterns in modes "1" and "2", its output compared byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "geom/geometry.h"
#include "settings/settings.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace gara {
namespace {

using testing::RunProgramIn;
using testing::TempDir;
using Lines = std::vector<std::string>;

std::string Crlf(const Lines& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// The settings file with row 1 selected and holding `row` (nine values as the file writes
// them); the other rows keep their defaults.
std::string SettingsFile(const Lines& row) {
  Lines lines = {"0", "0", "", "0", "0", "0", "0", "1"};
  lines.insert(lines.end(), row.begin(), row.end());
  for (int n = 2; n <= kPatternRows; ++n) {
    lines.insert(lines.end(), {"0", "10", "10", "0", "0", "1", "0", "0", "0"});
  }
  return Crlf(lines);
}

// A 10 x 6 figure: one line across its box, on layer 2.
const Lines kFigure = {"-5,-3,5,3", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,1",
                       "L,0,0,2,1,1,0,0,-4,-2,4,2", "BD,0"};

std::string RunDrawing(const std::string& mode, const Lines& points, const Lines& row) {
  TempDir dir;
  Lines exchange = {"lg0", "ly0", "lc1", "lt1"};
  exchange.insert(exchange.end(), points.begin(), points.end());
  dir.Write("JWC_TEMP.TXT", Crlf(exchange));
  dir.Write("garanarabe.dat", SettingsFile(row));
  dir.Write("sel.txt", Crlf(kFigure));
  RunProgramIn(dir, {mode});
  return dir.Read("JWC_TEMP.TXT").value_or("(no file)");
}

std::string N(double v) {
  std::string s = std::to_string(v);
  s.erase(s.find_last_not_of('0') + 1);
  if (s.back() == '.') s.pop_back();
  return s;
}

std::string LineText(double x1, double y1, double x2, double y2) {
  return N(x1) + " " + N(y1) + " " + N(x2) + " " + N(y2);
}

class DrawProgramTest : public ::testing::Test {};

const Lines kAttributes = {"lg0", "ly0", "lc1", "lt1"};
const Lines kTwoPoints = {"hp1 0 0", "hp2 100 0"};

// The worked layout between (0, 0) and (100, 0): W = 10, H = 6.
TEST_F(DrawProgramTest, IntervalFourFromBelowWithTopGapLines) {
  const std::vector<double> lowerLeft = {3, 17, 31, 45, 59, 73, 87};
  Lines expected = kAttributes;
  expected.push_back("0 6 3 6");
  for (size_t i = 0; i < lowerLeft.size(); ++i) {
    const double x = lowerLeft[i];
    expected.insert(expected.end(), {"ly2", LineText(x + 1, 1, x + 9, 5), "ly0"});
    if (i + 1 < lowerLeft.size()) expected.push_back(LineText(x + 10, 6, lowerLeft[i + 1], 6));
  }
  expected.push_back("97 6 100 6");
  EXPECT_EQ(RunDrawing("1", kTwoPoints, {"0", "10", "6", "0", "4", "2", "1", "0", "0"}),
            Crlf(expected));
}

TEST_F(DrawProgramTest, IntervalFiveOnTheMiddleWithFullTopLine) {
  Lines expected = kAttributes;
  for (double x : {0, 15, 30, 45, 60, 75, 90}) {
    expected.insert(expected.end(), {"ly2", LineText(x + 1, -2, x + 9, 2), "ly0"});
  }
  expected.push_back("0 3 100 3");
  EXPECT_EQ(RunDrawing("1", kTwoPoints, {"0", "10", "6", "0", "5", "1", "2", "0", "0"}),
            Crlf(expected));
}

TEST_F(DrawProgramTest, EvenSpacingFromAboveWithMiddleGapLines) {
  const std::vector<double> lowerLeft = {0, 15, 30, 45, 60, 75, 90};
  Lines expected = kAttributes;
  for (size_t i = 0; i < lowerLeft.size(); ++i) {
    const double x = lowerLeft[i];
    expected.insert(expected.end(), {"ly2", LineText(x + 1, -5, x + 9, -1), "ly0"});
    if (i + 1 < lowerLeft.size()) expected.push_back(LineText(x + 10, -3, x + 15, -3));
  }
  EXPECT_EQ(RunDrawing("1", kTwoPoints, {"0", "10", "6", "1", "4", "0", "0", "1", "0"}),
            Crlf(expected));
}

// The worked corner: a closed square from below, top lines meeting at (6, 6) ... (94, 94).
TEST_F(DrawProgramTest, ClosedSquareWithFullLengthTopLines) {
  Lines expected = kAttributes;
  const Lines corners = {"6 6 94 6", "94 6 94 94", "94 94 6 94", "6 94 6 6"};
  for (int side = 0; side < 4; ++side) {
    for (int i = 0; i < 7; ++i) {
      const double s = 15.0 * i;
      // The figure line turned with each side: 0, 90, 180, 270 degrees.
      const std::string line[] = {LineText(1 + s, 1, 9 + s, 5), LineText(99, 1 + s, 95, 9 + s),
                                  LineText(99 - s, 99, 91 - s, 95), LineText(1, 99 - s, 5, 91 - s)};
      expected.insert(expected.end(), {"ly2", line[side], "ly0"});
    }
    expected.push_back(corners[side]);
  }
  const Lines square = {"hp1 0 0", "hp2 100 0", "hp3 100 100", "hp4 0 100", "hp5 0 0"};
  EXPECT_EQ(RunDrawing("2", square, {"0", "10", "6", "0", "5", "2", "2", "0", "0"}),
            Crlf(expected));
}

TEST_F(DrawProgramTest, TwoPointModeIgnoresFurtherPoints) {
  const Lines threePoints = {"hp1 0 0", "hp2 100 0", "hp3 100 100"};
  const Lines row = {"0", "10", "6", "0", "5", "1", "0", "2", "0"};
  const std::string two = RunDrawing("1", threePoints, row);
  EXPECT_EQ(two, RunDrawing("1", kTwoPoints, row));
  EXPECT_NE(two, RunDrawing("2", threePoints, row));
}

TEST_F(DrawProgramTest, RunOverTheFigureLimitWritesOnlyHq) {
  const Lines far = {"hp1 0 0", "hp2 1000000 0"};
  EXPECT_EQ(RunDrawing("1", far, {"0", "0.000001", "6", "0", "0", "1", "2", "2", "2"}), "hq\r\n");
}

// Mode "4" along one selected line draws exactly what mode "1" draws between its ends, for
// every arrangement, reference and line mode.
TEST_F(DrawProgramTest, PathAlongOneLineIsTheTwoPointDrawing) {
  const Lines rows[] = {{"0", "10", "6", "0", "4", "2", "1", "0", "2"},
                        {"0", "10", "6", "1", "4", "0", "2", "1", "0"},
                        {"0", "7.5", "3", "1", "0", "1", "1", "2", "1"},
                        {"0", "200", "6", "0", "1", "0", "1", "1", "2"}};
  for (const Lines& row : rows) {
    const std::string two = RunDrawing("1", {"hp1 12.5 -3", "hp2 110 40.25"}, row);
    EXPECT_EQ(RunDrawing("4", {"12.5 -3 110 40.25"}, row), two);
    EXPECT_NE(two, Crlf(kAttributes));
  }
}

// Every joint of a square turns by 90 degrees: each side is laid out as a segment of mode
// "2" (without full-length lines, which mode "4" draws as offsets of the whole path).
TEST_F(DrawProgramTest, PathAlongASquareIsTheMultiPointDrawingSideBySide) {
  const Lines square = {"hp1 0 0", "hp2 100 0", "hp3 100 100", "hp4 0 100", "hp5 0 0"};
  // Given from the first side on, the third reversed and the fourth before the second.
  const Lines sides = {"0 0 100 0", "0 100 0 0", "0 100 100 100", "100 0 100 100"};
  for (const Lines& row : {Lines{"0", "10", "6", "0", "4", "2", "1", "0", "1"},
                           Lines{"0", "10", "6", "1", "3", "0", "0", "1", "0"}}) {
    EXPECT_EQ(RunDrawing("4", sides, row), RunDrawing("2", square, row));
  }
}

TEST_F(DrawProgramTest, PathModeWithoutAPathLeavesTheFile) {
  const Lines nothing = {"hp1 0 0", "hp2 100 0", "pt 5 5"};
  EXPECT_EQ(RunDrawing("4", nothing, {"0", "10", "6", "0", "4", "2", "1", "0", "2"}),
            Crlf({"lg0", "ly0", "lc1", "lt1", "hp1 0 0", "hp2 100 0", "pt 5 5"}));
}

// A circle of radius 100: 34 figures evenly round it, the top and bottom rails the circles
// 97 and 103.
TEST_F(DrawProgramTest, PathAlongACircle) {
  const std::string out =
      RunDrawing("4", {"ci 0 0 100"}, {"0", "12", "6", "1", "6", "1", "2", "0", "2"});
  size_t figures = 0;
  for (size_t at = out.find("ly2"); at != std::string::npos; at = out.find("ly2", at + 1)) {
    ++figures;
  }
  EXPECT_EQ(figures, 34u);
  EXPECT_NE(out.find("\r\nci 0 0 97\r\nci 0 0 103\r\n"), std::string::npos);
}

// An arc entity of radius r about (0, y0 - r) whose chord of length `chord` lies across the top,
// from x = chord / 2 to x = -chord / 2, and the line of that chord.
struct TopArc {
  std::string arc, chord;
};
TopArc ArcAndChord(double r, double chord, double y0) {
  const double half = std::asin(chord / 2 / r);
  char arc[160];
  std::snprintf(arc, sizeof arc, "ci 0 %.17g %.17g %.17g %.17g 1 0", y0 - r, r,
                90 - half * 180 / kPi, 90 + half * 180 / kPi);
  // The sagitta, worked out without the cancellation of y0 - r + r cos(half).
  const double y = y0 - 2 * r * std::sin(half / 2) * std::sin(half / 2);
  char line[160];
  std::snprintf(line, sizeof line, "%.17g %.17g %.17g %.17g", chord / 2, y, -chord / 2, y);
  return {arc, line};
}

// The same commands, their numbers within `tolerance` of each other.
void ExpectNearDrawing(const std::string& a, const std::string& b, double tolerance) {
  std::istringstream as(a);
  std::istringstream bs(b);
  std::string la;
  std::string lb;
  while (std::getline(as, la)) {
    ASSERT_TRUE(std::getline(bs, lb)) << la;
    std::istringstream wa(la);
    std::istringstream wb(lb);
    std::string x;
    std::string y;
    while (wa >> x) {
      ASSERT_TRUE(wb >> y) << la << " | " << lb;
      char* end = nullptr;
      const double vx = std::strtod(x.c_str(), &end);
      if (*end != '\0') {
        EXPECT_EQ(x, y);
      } else {
        EXPECT_NEAR(vx, std::strtod(y.c_str(), nullptr), tolerance) << la << " | " << lb;
      }
    }
    EXPECT_FALSE(wb >> y) << lb;
  }
  EXPECT_FALSE(std::getline(bs, lb)) << lb;
}

// An arc of radius 1e12 sweeping 100 mm is drawn along its 100 mm, as its chord is; one of radius
// 1e8 sweeping less than 1e-4 degrees is drawn, its figures within its sagitta of its chord's.
TEST_F(DrawProgramTest, PathAlongHugeArcsOfTinySweep) {
  const Lines row = {"0", "10", "6", "0", "5", "1", "0", "0", "0"};
  struct Case {
    double radius, chord, tolerance;
  };
  for (const Case c : {Case{1e12, 100, 1e-3}, Case{1e8, 157, 1e-4}}) {
    const TopArc arc = ArcAndChord(c.radius, c.chord, 0);
    const std::string along = RunDrawing("4", {arc.arc}, row);
    const std::string chord = RunDrawing("4", {arc.chord}, row);
    EXPECT_NE(chord.find("ly2"), std::string::npos);
    ExpectNearDrawing(along, chord, c.tolerance);
  }
}

// A 100 mm square beside an arc of radius 1e8 is drawn as it is alone, all four sides.
TEST_F(DrawProgramTest, SquareBesideAnArcOfHugeRadius) {
  const Lines row = {"0", "10", "6", "0", "4", "2", "1", "0", "1"};
  const Lines square = {"0 0 100 0", "100 0 100 100", "100 100 0 100", "0 100 0 0"};
  Lines selection = square;
  selection.push_back(ArcAndChord(1e8, 349, 300).arc);
  const std::string alone = RunDrawing("4", square, row);
  EXPECT_EQ(alone,
            RunDrawing("2", {"hp1 0 0", "hp2 100 0", "hp3 100 100", "hp4 0 100", "hp5 0 0"}, row));
  const std::string beside = RunDrawing("4", selection, row);
  EXPECT_EQ(beside.substr(0, alone.size()), alone);
  EXPECT_GT(beside.size(), alone.size());
}

// Stretched by 19/18 between (0, 0) and (50, 0) (W 12, D 6: three copies), a text of size kind 3
// is written with the table's width and spacing stretched and its height kept, as free sizes.
TEST_F(DrawProgramTest, StretchedTextOfTheSizeTable) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", Crlf({"hq", "hcw 2 2.5 3 4 5 6 7 8 9 10", "hch 2 2.5 3 4 5 6 7 8 9 10",
                                  "hcd 0 0 0 0 0 0 0 0 0 0", "hcc 1 1 1 1 1 1 1 1 1 1", "hp1 0 0",
                                  "hp2 50 0", "lg0", "ly0", "lc2", "lt1", "lw0", "cn1"}));
  dir.Write("garanarabe.dat", SettingsFile({"0", "12", "6", "2", "6", "1", "0", "0", "0"}));
  dir.Write("sel.txt", Crlf({"-6,-3,6,3", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,1",
                             "M,0,0,0,2,1,0,0,-5,0,-1,0,3,3,3,0,\"Arial\",\"AB\"", "BD,0"}));
  RunProgramIn(dir, {"1"});
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT").value_or("(no file)"),
            Crlf({"lg0", "ly0", "lc2", "lt1", "lw0", "cn0 3.16666666666667 3 0 1", "cc0",
                  "cn\"$<Arial>", "ch 1.05555555555556 0 10 0 \"AB",
                  "ch 19.7222222222222 0 10 0 \"AB", "ch 38.3888888888889 0 10 0 \"AB"}));
}

}  // namespace
}  // namespace gara
