// The built program in register mode: the selection of JWC_TEMP.TXT becomes sel.txt, and a
// later drawing run places that figure.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "exchange/read_exchange.h"
#include "figure/selection_examples.h"
#include "geom/geometry.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace gara {
namespace {

using testing::FigureCase;
using testing::ReadExchangeText;
using testing::RunProgramIn;
using testing::TempDir;

class RegisterProgramTest : public ::testing::TestWithParam<FigureCase> {};

TEST_P(RegisterProgramTest, WritesTheFigureFile) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", GetParam().exchange);
  EXPECT_EQ(RunProgramIn(dir, {"3"}).exitCode, 0);
  EXPECT_EQ(dir.Read("sel.txt"), testing::Joined(GetParam().figure));
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), GetParam().exchange);  // register mode writes no commands
  EXPECT_FALSE(dir.Exists("sel.txt.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Examples, RegisterProgramTest,
                         ::testing::ValuesIn(testing::SelectionExamples()),
                         [](const auto& info) { return info.param.name; });

TEST(RegisterProgram, MissingExchangeFileRegistersAnEmptyFigure) {
  TempDir dir;
  EXPECT_EQ(RunProgramIn(dir, {"3"}).exitCode, 0);
  EXPECT_EQ(dir.Read("sel.txt"), testing::Joined({"0,0,0,0", testing::kScales, "N,0", "BD,0"}));
}

TEST(RegisterProgram, AbsurdSelectionWritesOnlyFiniteNumbers) {
  TempDir dir;
  std::string exchange = "1e300 1e300 -1e300 -1e300\r\nci 1e308 0 1e308\r\nmsg\r\nmsg\r\n";
  exchange += "sl 0 0 0 0 0 0 0 0\r\nsl 1 1 1 1 1 1\r\nch 0 0 1e300 0 \"";
  exchange.append(100 << 10, 'x');
  exchange += "\r\n";
  dir.Write("JWC_TEMP.TXT", exchange);
  EXPECT_EQ(RunProgramIn(dir, {"3"}).exitCode, 0);
  const std::string figure = dir.Read("sel.txt").value_or("");
  ASSERT_FALSE(figure.empty());
  for (const char* bad : {"nan", "inf", "NAN", "INF", "e+", "E+"}) {
    EXPECT_EQ(figure.find(bad), std::string::npos) << bad;
  }
}

// Every selected entity, exported in mode "3" and drawn in mode "2" between (0, 0) and (W, 0)
// with the default row (one figure, centred on the segment): the same entities, moved.
TEST(RegisterProgram, RoundTripThroughADrawingRun) {
  const std::string selection =
      "lg3\r\nly2\r\nlc3\r\nlt2\r\npl\r\n10 20 30 20\r\n30 20 30 30\r\nlc2\r\nci 20 25 5\r\n"
      "ci 12 22 2 30 120 0.5 15\r\npn4\r\npt 11 21\r\npt 12 29 1.5 30 2\r\ncn0 2 3 0.5 5\r\n"
      "cc1\r\nch 15 28 1 0 \"AB\r\nlc10 255\r\nsl 25 21 28 21 28 24\r\n"
      "sl 22 22 24 22 24 24 22 24\r\nsc 20 25 3 1 0 0 1.5 0\r\nlc1\r\nmsg\r\n10 21 30 21\r\n"
      "cs 18 21.5 1 0 \"20\r\n";
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", selection);
  ASSERT_EQ(RunProgramIn(dir, {"3"}).exitCode, 0);
  // The box is 10 .. 30 by 20 .. 31 (the text's top): centred on (20, 25.5), 20 wide.
  dir.Write("JWC_TEMP.TXT", "hp1 0 0\r\nhp2 20 0\r\n");
  ASSERT_EQ(RunProgramIn(dir, {"2"}).exitCode, 0);
  const DrawingState in = ReadExchangeText(selection);
  const DrawingState out = ReadExchangeText(dir.Read("JWC_TEMP.TXT").value_or(""));
  const double dx = 10 - 20;
  const double dy = 0 - 25.5;

  const SelectedEntities& a = in.entities;
  const SelectedEntities& b = out.entities;
  ASSERT_EQ(b.order.size(), a.order.size());
  for (size_t i = 0; i < a.order.size(); ++i) {
    EXPECT_EQ(b.order[i].type, a.order[i].type) << i;
    EXPECT_EQ(b.order[i].index, a.order[i].index) << i;
  }
  const auto same = [](const EntityHeader& x, const EntityHeader& y) {
    EXPECT_EQ(y.layerGroup, x.layerGroup);
    EXPECT_EQ(y.layer, x.layer);
    EXPECT_EQ(y.colour, x.colour);
    EXPECT_EQ(y.lineType, x.lineType);
  };
  constexpr double kTol = 1e-9;
  const auto moved = [&](double x, double y, double mx, double my) {
    EXPECT_NEAR(mx, x + dx, kTol);
    EXPECT_NEAR(my, y + dy, kTol);
  };
  const auto sameAngle = [](double x, double y) {
    EXPECT_NEAR(NormalizeDeg(x - y + 1e-12), 0, 1e-8) << x << " " << y;
  };
  for (size_t i = 0; i < a.lines.size(); ++i) {
    same(a.lines[i].header, b.lines[i].header);
    moved(a.lines[i].x1, a.lines[i].y1, b.lines[i].x1, b.lines[i].y1);
    moved(a.lines[i].x2, a.lines[i].y2, b.lines[i].x2, b.lines[i].y2);
  }
  same(a.circles[0].header, b.circles[0].header);
  moved(a.circles[0].x, a.circles[0].y, b.circles[0].x, b.circles[0].y);
  EXPECT_NEAR(b.circles[0].r, a.circles[0].r, kTol);
  const ArcEntity& arcIn = a.arcs[0];
  const ArcEntity& arcOut = b.arcs[0];
  same(arcIn.header, arcOut.header);
  moved(arcIn.x, arcIn.y, arcOut.x, arcOut.y);
  EXPECT_NEAR(arcOut.r, arcIn.r, kTol);
  EXPECT_NEAR(arcOut.flatness, arcIn.flatness, kTol);
  sameAngle(arcOut.startAngle, arcIn.startAngle);
  sameAngle(arcOut.endAngle, arcIn.endAngle);
  sameAngle(arcOut.tilt, arcIn.tilt);
  same(a.points[0].header, b.points[0].header);
  moved(a.points[0].x, a.points[0].y, b.points[0].x, b.points[0].y);
  const RotatedPointEntity& rpIn = a.rotatedPoints[0];
  const RotatedPointEntity& rpOut = b.rotatedPoints[0];
  same(rpIn.header, rpOut.header);
  moved(rpIn.x, rpIn.y, rpOut.x, rpOut.y);
  EXPECT_NEAR(rpOut.size, rpIn.size, kTol);
  sameAngle(rpOut.angle, rpIn.angle);
  EXPECT_EQ(rpOut.kind, rpIn.kind);
  const auto sameText = [&](const TextEntity& x, const TextEntity& y) {
    same(x.header, y.header);
    moved(x.x, x.y, y.x, y.y);
    EXPECT_EQ(y.text, x.text);
    EXPECT_EQ(y.fontName, x.fontName);
    EXPECT_EQ(y.textKind, x.textKind);
    EXPECT_EQ(y.sizeKind, x.sizeKind);
    EXPECT_NEAR(y.width, x.width, kTol);
    EXPECT_NEAR(y.height, x.height, kTol);
    EXPECT_NEAR(y.spacing, x.spacing, kTol);
    sameAngle(LineAngleDeg(y.dx, y.dy), LineAngleDeg(x.dx, x.dy));
  };
  EXPECT_EQ(b.texts[0].anchor, a.texts[0].anchor);
  sameText(a.texts[0], b.texts[0]);
  const SolidTriangleEntity& triIn = a.solidTriangles[0];
  const SolidTriangleEntity& triOut = b.solidTriangles[0];
  same(triIn.header, triOut.header);
  EXPECT_EQ(triOut.rgb, triIn.rgb);
  moved(triIn.x1, triIn.y1, triOut.x1, triOut.y1);
  moved(triIn.x3, triIn.y3, triOut.x3, triOut.y3);
  const SolidQuadEntity& quadIn = a.solidQuads[0];
  const SolidQuadEntity& quadOut = b.solidQuads[0];
  moved(quadIn.x2, quadIn.y2, quadOut.x2, quadOut.y2);
  moved(quadIn.x4, quadIn.y4, quadOut.x4, quadOut.y4);
  const SolidArcEntity& scIn = a.solidSc[0];
  const SolidArcEntity& scOut = b.solidSc[0];
  EXPECT_EQ(scOut.rgb, scIn.rgb);
  moved(scIn.x, scIn.y, scOut.x, scOut.y);
  EXPECT_NEAR(scOut.r, scIn.r, kTol);
  EXPECT_NEAR(scOut.sweep, scIn.sweep, kTol);
  const DimensionEntity& dimIn = a.dimensions[0];
  const DimensionEntity& dimOut = b.dimensions[0];
  moved(dimIn.line.x1, dimIn.line.y1, dimOut.line.x1, dimOut.line.y1);
  moved(dimIn.line.x2, dimIn.line.y2, dimOut.line.x2, dimOut.line.y2);
  sameText(dimIn.text, dimOut.text);
}

}  // namespace
}  // namespace gara
