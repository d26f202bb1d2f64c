// The preview of a pattern row: the scene the dialog paints and garanarabe-svg writes.
#include "scene/preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/test_files.h"
#include "support/memory_file_system.h"

namespace gara::scene {
namespace {

using testing::CrLf;
using testing::MemoryFileSystem;

// A line and a circle, 20 wide and 10 high, centred on the origin.
const std::string kFigure =
    CrLf({"-10,-5,10,5", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,2", "L,0,0,2,1,1,0,0,-10,-5,10,-5",
          "E,0,0,2,2,1,0,0,0,0,5,1,0,6.28318530718,0,1", "BD,0"});

// The program folder with the figure registered.
MemoryFileSystem WithFigure() {
  MemoryFileSystem fs;
  fs.files["dir/sel.txt"] = kFigure;
  return fs;
}

// A row of that figure's size.
PatternRow FigureRow() {
  PatternRow row;
  row.width = 20;
  row.height = 10;
  return row;
}

Settings RowOne(const PatternRow& row) {
  Settings settings;
  settings.rows[0] = row;
  return settings;
}

Preview Build(const Settings& settings, MemoryFileSystem& fs, int32_t row = 1,
              RunContext run = {}) {
  return BuildPreview({settings, row, run, fs, "dir/", {}});
}

std::vector<const Shape*> OfKind(Preview&&, ShapeKind) = delete;  // pointers into a temporary
std::vector<const Shape*> OfKind(const Preview& p, ShapeKind kind) {
  std::vector<const Shape*> found;
  for (const Shape& s : p.drawing.shapes) {
    if (s.kind() == kind) found.push_back(&s);
  }
  return found;
}

TEST(Preview, FiguresOnBothSegmentsWithTheDesignatedPointsMarked) {
  MemoryFileSystem fs = WithFigure();
  PatternRow row = FigureRow();
  row.interval = 5;
  const Preview p = Build(RowOne(row), fs);
  EXPECT_EQ(p.note, PreviewNote::kNone);
  // 4.5 and 2.5 steps of 25: four copies, then two.
  const auto circles = OfKind(p, ShapeKind::kCurve);
  ASSERT_EQ(circles.size(), 6u);
  const scene::Ellipse& last = circles.back()->as<scene::CurveShape>().ellipse;
  EXPECT_DOUBLE_EQ(last.cx, p.points[1].x);
  EXPECT_GT(last.cy, p.points[1].y);
  EXPECT_EQ(p.drawing.overlay.size(), 3u);
}

// The reference moves the copies across the path: up, onto it, or down (to the left of the
// first segment's direction is up).
TEST(Preview, ReferenceMovesTheCopiesAcrossThePath) {
  MemoryFileSystem fs = WithFigure();
  const struct {
    int32_t reference;
    double centreY;
  } cases[] = {{0, -5}, {1, 0}, {2, 5}};
  for (const auto& c : cases) {
    PatternRow row = FigureRow();
    row.referencePoint = c.reference;
    const Preview p = Build(RowOne(row), fs);
    const auto circles = OfKind(p, ShapeKind::kCurve);
    ASSERT_FALSE(circles.empty());
    EXPECT_NEAR(circles.front()->as<scene::CurveShape>().ellipse.cy, c.centreY, 1e-9)
        << c.reference;
  }
}

// Full-length lines meet at the corner in a mitre; gap lines stop short of each copy.
TEST(Preview, FullLengthLinesMeetInAMitreAtTheCorner) {
  MemoryFileSystem fs = WithFigure();
  PatternRow row = FigureRow();
  row.bottomLine = 2;
  const Preview p = Build(RowOne(row), fs);
  // The bottom line runs outside the left turn: its mitre point lies beyond the corner.
  const Point mitre{p.points[1].x + 5, p.points[1].y - 5};
  bool found = false;
  for (const Shape* line : OfKind(p, ShapeKind::kLine)) {
    const scene::LineShape& l = line->as<scene::LineShape>();
    for (const Point end : {l.from, l.to})
      found |= std::abs(end.x - mitre.x) < 1e-9 && std::abs(end.y - mitre.y) < 1e-9;
  }
  EXPECT_TRUE(found);
}

TEST(Preview, TheWritingColourSwitchColoursTheCopies) {
  MemoryFileSystem fs = WithFigure();
  RunContext run;
  run.writing.colour = 5;
  run.useWritingColour = true;
  const Preview p = Build(RowOne(PatternRow{}), fs, 1, run);
  ASSERT_FALSE(p.drawing.shapes.empty());
  for (const Shape& s : p.drawing.shapes) EXPECT_EQ(s.style.rgb, ColourOf(5, 0));
}

// Where nothing can be drawn, a short text says why, in the middle of the sample path.
// Corner pieces and caps wider than the sample's sides would be left out of it, as from a
// drawing: the sample grows until they fit, and shows them.
TEST(Preview, TheSampleHoldsWideCornerPiecesAndCaps) {
  // A circle as wide as given, centred on the origin.
  const auto ring = [](int width) {
    const std::string r = std::to_string(width / 2);
    return CrLf({"-" + r + ",-" + r + "," + r + "," + r, "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,1",
                 "E,0,0,2,2,1,0,0,0,0," + r + ",1,0,6.28318530718,0,1", "BD,0"});
  };
  MemoryFileSystem fs = WithFigure();
  fs.files["dir/corner.txt"] = ring(60);
  fs.files["dir/start.txt"] = ring(120);
  fs.files["dir/end.txt"] = ring(100);
  const Preview p = BuildPreview(
      {RowOne(FigureRow()), 1, {}, fs, "dir/", {"", "corner.txt", "start.txt", "end.txt"}});
  for (const double radius : {30, 60, 50}) {
    const auto curves = OfKind(p, ShapeKind::kCurve);
    EXPECT_EQ(std::count_if(
                  curves.begin(), curves.end(),
                  [&](const Shape* s) { return s->as<scene::CurveShape>().ellipse.rx == radius; }),
              1)
        << radius;
  }
}

TEST(Preview, ANoteStandsInForFiguresThatCannotBeShown) {
  std::string huge = "-10,-5,10,5\r\n1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\r\nN,200000\r\n";
  for (int i = 0; i < 200000; ++i) huge += "L,0,0,2,1,1,0,0,-10,-5,10,5\r\n";
  PatternRow zero;
  zero.width = 0;
  const struct {
    const char* name;
    const char* figure;  // nullptr: no sel.txt
    PatternRow row;
    int32_t number;
    PreviewNote note;
  } cases[] = {
      {"missing", nullptr, PatternRow{}, 1, PreviewNote::kFigureMissing},
      {"size zero", kFigure.c_str(), zero, 1, PreviewNote::kSizeZero},
      {"no row", kFigure.c_str(), PatternRow{}, 13, PreviewNote::kNoRow},
      {"too large", huge.c_str(), PatternRow{}, 1, PreviewNote::kTooLarge},
  };
  for (const auto& c : cases) {
    MemoryFileSystem fs;
    if (c.figure) fs.files["dir/sel.txt"] = c.figure;
    const Preview p = Build(RowOne(c.row), fs, c.number);
    EXPECT_EQ(p.note, c.note) << c.name;
    ASSERT_EQ(p.drawing.shapes.size(), 1u) << c.name;
    EXPECT_EQ(p.drawing.shapes[0].kind(), ShapeKind::kText) << c.name;
    EXPECT_EQ(p.drawing.shapes[0].text, PreviewNoteText(c.note)) << c.name;
  }
}

}  // namespace
}  // namespace gara::scene
