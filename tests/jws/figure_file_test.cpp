// The figure file made from an archive: records of every kind, the units rule (coordinates at
// real size, sizes as stored), what is skipped, the extents and the failures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "figure/figure_format.h"
#include "jws/archive_writer.h"
#include "jws/figure_file.h"
#include "jws/reader.h"
#include "util/text.h"

namespace gara {
namespace {

using testing::ArchiveWriter;
using testing::MakeCommon;
using Fields = std::vector<std::string>;

std::array<double, 16> UnitScales() { return testing::Scales(); }

// The figure file of the archive, as lines without their CR LF.
struct Figure {
  bool ok = false;
  std::string error;
  std::vector<std::string> lines;
  Fields Line(size_t i) const { return SplitFields(lines.at(i)); }
  Fields Record(size_t i) const { return Line(3 + i); }  // after extents, scales, count
};

Figure Convert(const std::string& bytes) {
  Figure f;
  const jws::ReadResult r = jws::ReadArchive(bytes);
  EXPECT_TRUE(r.ok()) << r.error.message;
  if (!r.ok()) return f;
  const jws::FigureFileResult out = jws::MakeFigureFile(*r.document);
  f.ok = out.ok;
  f.error = out.error;
  size_t start = 0;
  for (size_t end; (end = out.text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    f.lines.push_back(out.text.substr(start, end - start));
  }
  EXPECT_EQ(start, out.text.size()) << "the file must end with CR LF";
  if (out.ok) {
    EXPECT_EQ(f.lines.at(2), "N," + std::to_string(out.records));
    EXPECT_EQ(f.lines.back(), "BD,0");
  }
  return f;
}

// A .jws of version `version` whose main list `body` writes, with `count` entities.
template <typename Body>
std::string Jws(uint32_t count, Body body, std::array<double, 16> scales = UnitScales(),
                uint32_t version = 700) {
  ArchiveWriter w(version);
  w.FigureHeader(scales);
  w.Count(count);
  body(w);
  w.Count(0);
  return w.bytes;
}

jws::Line MakeLine(double x1, double y1, double x2, double y2, uint16_t group = 0) {
  return {MakeCommon(group, 2, 3, 4, 0x2000, 7), x1, y1, x2, y2};
}

jws::Text MakeText(double x1, double y1, double x2, double y2, uint16_t group = 0) {
  return {MakeCommon(group, 1, 2, 5, 0x4010, 8259), x1, y1, x2, y2, 10003, 3, 4, 0.5, 0, {}, {}};
}

jws::PointEntity MakePoint(double x, double y, bool marker, uint16_t group = 0) {
  jws::PointEntity p;
  p.c = MakeCommon(group, 6, 7, marker ? jws::kMarkerPenStyle : 1, 0x10);
  p.x = x;
  p.y = y;
  if (marker) {
    p.marker = 3;
    p.angle = 0.25;
    p.scale = 2;
  }
  return p;
}

double Num(const std::string& s) { return TextToReal(s); }

// ----- the pinned units case -----

// Layer group 3 at 1:100: coordinates and radii (and a ring's inner radius) are multiplied by
// 100; text sizes, spacing, marker sizes and the flatness are not. Layer group 0 stays 1:1.
TEST(FigureFile, ScaleOfTheEntitysOwnLayerGroup) {
  std::array<double, 16> scales = UnitScales();
  scales[3] = 100;
  const Figure f = Convert(Jws(
      6,
      [](ArchiveWriter& w) {
        w.Add(MakeLine(1, 2, 3, 4, 3));
        w.Add(MakeLine(1, 2, 3, 4, 0));
        jws::Arc a;
        a.c = MakeCommon(3, 0, 1, 1);
        a.cx = 1;
        a.cy = 1;
        a.radius = 2;
        a.flatness = 0.5;
        a.sweep = 1;
        w.Add(a);
        w.Add(MakeText(1, 1, 3, 1, 3), u"ＭＳ ゴシック", u"AB");
        w.Add(MakePoint(7, 8, true, 3));
        jws::Solid s;
        s.c = MakeCommon(3, 0, 10, 105);
        s.v = {1, 2, 3, 0.5, 0.1, 0.2, 3, 1.5};
        s.rgb = 0x00FF00;
        w.Add(s);
      },
      scales));
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(f.Line(1)[3], "100");
  EXPECT_EQ(f.Record(0),
            (Fields{"L", "0", "3", "2", "3", "4", "7", "8192", "100", "200", "300", "400"}));
  EXPECT_EQ(f.Record(1), (Fields{"L", "0", "0", "2", "3", "4", "7", "8192", "1", "2", "3", "4"}));
  const Fields e = f.Record(2);
  EXPECT_EQ(Fields(e.begin() + 8, e.begin() + 12), (Fields{"100", "100", "200", "0.5"}));
  const Fields m = f.Record(3);
  EXPECT_EQ(Fields(m.begin() + 8, m.begin() + 16),
            (Fields{"100", "100", "300", "100", "10003", "3", "4", "0.5"}));
  const Fields t = f.Record(4);
  EXPECT_EQ(Fields(t.begin() + 8, t.end()), (Fields{"700", "800", "0", "3", "0.25", "2"}));
  const Fields s = f.Record(5);
  EXPECT_EQ(Fields(s.begin() + 8, s.end()),
            (Fields{"100", "200", "300", "0.5", "0.1", "0.2", "3", "150", "65280"}));
}

// ----- records of every kind -----

TEST(FigureFile, CurveFieldsAreReordered) {
  const Figure f = Convert(Jws(2, [](ArchiveWriter& w) {
    // centre, radius, start, sweep, tilt, flatness, whole-circle flag
    jws::Arc a{MakeCommon(1, 2, 3, 4, 0x40, 9), 5, 6, 7, -0.5, -1.25, 0.25, 0.75, 0};
    w.Add(a);
    a.fullCircle = 1;
    a.flatness = 1;
    a.sweep = 2 * std::numbers::pi;
    w.Add(a);
  }));
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(f.Record(0), (Fields{"E", "0", "1", "2", "3", "4", "9", "64", "5", "6", "7", "0.75",
                                 "-0.5", "-1.25", "0.25", "0"}));
  EXPECT_EQ(f.Record(1)[13], "6.28318530718");
  EXPECT_EQ(f.Record(1)[15], "1");
}

TEST(FigureFile, PointsPlainAndMarkedTemporarySkipped) {
  const Figure f = Convert(Jws(3, [](ArchiveWriter& w) {
    w.Add(MakePoint(1, 2, false));
    jws::PointEntity temp = MakePoint(50, 50, false);
    temp.temporary = 1;
    w.Add(temp);
    w.Add(MakePoint(3, 4, true));
  }));
  ASSERT_TRUE(f.ok) << f.error;
  ASSERT_EQ(f.lines.size(), 6u);
  EXPECT_EQ(f.Record(0),
            (Fields{"T", "0", "0", "6", "7", "1", "0", "16", "1", "2", "0", "0", "0", "1"}));
  EXPECT_EQ(f.Record(1),
            (Fields{"T", "0", "0", "6", "7", "100", "0", "16", "3", "4", "0", "3", "0.25", "2"}));
  EXPECT_EQ(f.lines[0], "1,2,3,4");  // the temporary point is not measured either
}

TEST(FigureFile, TextRecordAndWhatIsSkipped) {
  const Figure f = Convert(Jws(7, [](ArchiveWriter& w) {
    w.Add(MakeText(0, 0, 10, 0), u"ＭＳ ゴシック", u"柄\"A\",\tB");
    jws::Text odd = MakeText(0, 0, 0, 10);
    odd.c.penStyle = 12;  // not an anchor: written as 1
    odd.kind = 20000;
    w.Add(odd, u"a\"b", u"縦");
    w.Add(MakeText(0, 0, 10, 0), u"F", u"");                 // empty
    w.Add(MakeText(0, 0, 10, 0), u"F", u"\r\n");             // nothing printable
    w.Add(MakeText(5, 5, 5, 5), u"F", u"no direction");      // zero length
    w.Add(MakeText(0, -1000, 0, -1000), u"F", u"View = 1");  // settings text
    w.Add(MakeText(0, 0, 10, 0), u"F", u"^@BMphoto.bmp,100,100");
  }));
  ASSERT_TRUE(f.ok) << f.error;
  ASSERT_EQ(f.lines.size(), 6u);
  EXPECT_EQ(f.Record(0), (Fields{"M", "0", "0", "1", "2", "5", "0", "16400", "0", "0", "10", "0",
                                 "10003", "3", "4", "0.5", "ＭＳ ゴシック", "柄\"A\",B"}));
  EXPECT_NE(f.lines[3].find("\"柄\"\"A\"\",B\""), std::string::npos) << f.lines[3];
  const Fields m = f.Record(1);
  EXPECT_EQ(m[5], "1");
  EXPECT_EQ(m[12], "20000");
  EXPECT_EQ(m[16], "a\"b");
  EXPECT_GE(Num(f.Line(0)[1]), -1e-9);  // the settings text does not stretch the box
}

Fields Slice(const Fields& f, size_t from, size_t to) {
  return Fields(f.begin() + from, f.begin() + to);
}

jws::Dimension MakeDimension(uint16_t sxfMode) {
  jws::Dimension d;
  d.c = MakeCommon(2, 3, 4, 5, 0x2000, 6);
  d.line = MakeLine(0, 0, 90, 0, 2);
  d.text = MakeText(40, 1, 50, 1, 2);
  d.text.c.penStyle = 2;
  d.sxfMode = sxfMode;
  d.extensionLines = {MakeLine(0, -5, 0, 0, 2), MakeLine(90, -5, 90, 0, 2)};
  d.points = {MakePoint(0, 0, true, 2), MakePoint(90, 0, true, 2), MakePoint(0, -5, false, 2),
              MakePoint(90, -5, false, 2)};
  return d;
}

TEST(FigureFile, DimensionWithoutExtensionLines) {
  for (uint32_t version : {351u, 700u}) {
    std::array<double, 16> scales = UnitScales();
    scales[2] = 10;
    const Figure f = Convert(Jws(
        1, [](ArchiveWriter& w) { w.Add(MakeDimension(0), u"ＭＳ 明朝", u"900"); }, scales,
        version));
    ASSERT_TRUE(f.ok) << f.error;
    ASSERT_EQ(f.lines.size(), 7u) << version;
    EXPECT_EQ(f.lines[3], version >= 351 ? "D,0,2,3,4,5,6,8192," : "");
    EXPECT_EQ(f.Record(0).size(), 9u);
    EXPECT_EQ(f.Record(1),
              (Fields{"L", "0", "2", "2", "3", "4", "7", "8192", "0", "0", "900", "0"}));
    const Fields m = f.Record(2);
    EXPECT_EQ(m[5], "1");  // the value text is anchored at its lower-left corner
    EXPECT_EQ(Slice(m, 8, 12), (Fields{"400", "10", "500", "10"}));
    EXPECT_EQ(m[17], "900");
  }
}

TEST(FigureFile, DimensionWithExtensionLinesAndEndMarks) {
  const Figure f = Convert(Jws(1, [](ArchiveWriter& w) {
    w.Add(MakeDimension(1), u"ＭＳ 明朝", u"");  // a blank value is kept: it is measured
  }));
  ASSERT_TRUE(f.ok) << f.error;
  ASSERT_EQ(f.lines.size(), 11u);
  EXPECT_EQ(f.lines[3], "X,0,2,3,4,5,6,8192,");
  EXPECT_EQ(f.Record(1)[0], "L");
  EXPECT_EQ(f.Record(2)[0], "M");
  EXPECT_EQ(f.Record(2)[17], "");
  EXPECT_EQ(Slice(f.Record(3), 8, 12), (Fields{"0", "-5", "0", "0"}));
  EXPECT_EQ(Slice(f.Record(4), 8, 12), (Fields{"90", "-5", "90", "0"}));
  EXPECT_EQ(Slice(f.Record(5), 5, 14), (Fields{"100", "0", "16", "0", "0", "0", "3", "0.25", "2"}));
  EXPECT_EQ(Slice(f.Record(6), 8, 10), (Fields{"90", "0"}));
  // Extension lines reach down to -5.
  EXPECT_EQ(f.Line(0)[1], "-5");
}

TEST(FigureFile, SolidsPolygonAndCurved) {
  const Figure f = Convert(Jws(3, [](ArchiveWriter& w) {
    jws::Solid quad;
    quad.c = MakeCommon(0, 1, 10, 1, 0x800);
    quad.v = {0, 0, 4, 0, 4, 3, 0, 3};
    quad.rgb = 0xC0C0C0;
    w.Add(quad);
    jws::Solid sector;
    sector.c = MakeCommon(0, 1, 5, 101);
    sector.v = {10, 10, 2, 1, 0, 0, std::numbers::pi / 2, 0};
    w.Add(sector);
    jws::Solid edge = sector;
    edge.c.penStyle = 111;
    edge.v[7] = 100;
    w.Add(edge);
  }));
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(f.Record(0), (Fields{"S", "0", "0", "1", "10", "1", "0", "2048", "0", "0", "4", "0",
                                 "4", "3", "0", "3", "12632256"}));
  EXPECT_EQ(Slice(f.Record(1), 4, 17), (Fields{"5", "101", "0", "0", "10", "10", "2", "1", "0", "0",
                                               "1.570796326795", "0", "0"}));
  EXPECT_EQ(f.Record(2)[5], "111");
  EXPECT_EQ(f.Record(2)[15], "100");
  // The quarter sector's samples run from (12, 10) to (10, 12).
  EXPECT_EQ(f.lines[0], "0,0,12,12");
}

// A block's line lands on the insert's layer group and layer, takes that group's scale and keeps
// its own colour, line type, width and flags.
TEST(FigureFile, BlocksAreExpandedOnTheInsertsLayerGroup) {
  ArchiveWriter w(700);
  std::array<double, 16> scales = UnitScales();
  scales[1] = 2;
  w.FigureHeader(scales);
  w.Count(2);
  jws::BlockInsert b;
  b.c = MakeCommon(1, 3, 0, 0);
  b.x = 500;
  b.definition = 1;
  w.Add(b);
  w.Add(MakeLine(0, 0, 1, 1));
  w.Count(1);
  w.BeginDefinition(1, u"B");
  w.Count(1);
  w.Add(MakeLine(-100, -100, 100, 100));
  const Figure f = Convert(w.bytes);
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(f.lines[2], "N,2");
  EXPECT_EQ(f.lines[0], "0,-200,1200,200");
  EXPECT_EQ(Slice(f.Record(0), 0, 12),
            (Fields{"L", "0", "1", "3", "3", "4", "7", "8192", "800", "-200", "1200", "200"}));
  EXPECT_EQ(f.Record(1)[0], "L");
}

TEST(FigureFile, NoNegativeZero) {
  const Figure f = Convert(Jws(1, [](ArchiveWriter& w) { w.Add(MakeLine(-1e-13, -0.0, 5, 0)); }));
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(Slice(f.Record(0), 8, 12), (Fields{"0", "0", "5", "0"}));
  EXPECT_EQ(f.lines[0], "0,0,5,0");
}

// ----- the whole file -----

TEST(FigureFile, EmptyFigure) {
  std::array<double, 16> scales = UnitScales();
  scales[0] = 1.0 / 3;
  scales[15] = 250;
  const Figure f = Convert(Jws(
      0, [](ArchiveWriter&) {}, scales));
  ASSERT_TRUE(f.ok);
  EXPECT_EQ(f.lines, (std::vector<std::string>{
                         "0,0,0,0", "0.33333333,1,1,1,1,1,1,1,1,1,1,1,1,1,1,250", "N,0", "BD,0"}));
}

// The box is measured as a registered selection is: line ends, circle boxes, text boxes.
TEST(FigureFile, ExtentsAreTheDrawnBoxNotCentred) {
  const Figure f = Convert(Jws(3, [](ArchiveWriter& w) {
    w.Add(MakeLine(0, 0, 10, 0));
    jws::Arc circle;
    circle.cx = 20;
    circle.radius = 5;
    circle.fullCircle = 1;
    circle.sweep = 2 * std::numbers::pi;
    circle.start = 1;  // a whole circle's start does not matter
    w.Add(circle);
    jws::Text t = MakeText(30, 10, 34, 10);
    t.c.flags = 0;
    t.width = 4;
    t.height = 3;
    t.spacing = 0;
    w.Add(t, u"F", u"AB");  // two half-width letters: 4 long, 3 high
  }));
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(f.lines[0], "0,-5,34,13");
}

TEST(FigureFile, VerticalTextBoxRunsAlongItsHeight) {
  const Figure f = Convert(Jws(1, [](ArchiveWriter& w) {
    jws::Text t = MakeText(0, 0, 0, -1);  // runs downward
    t.c.flags = 0x20;
    t.width = 3;
    t.height = 4;
    t.spacing = 1;
    w.Add(t, u"F", u"縦書き");  // 3 characters: 3 * 4 + 2 * 1 = 14 long, 3 wide
  }));
  ASSERT_TRUE(f.ok) << f.error;
  const Fields box = f.Line(0);
  EXPECT_NEAR(Num(box[0]), 0, 1e-9);
  EXPECT_NEAR(Num(box[1]), -14, 1e-9);
  EXPECT_NEAR(Num(box[2]), 3, 1e-9);
  EXPECT_NEAR(Num(box[3]), 0, 1e-9);
}

TEST(FigureFile, VerticalFlagOnlyWithoutOtherKinds) {
  EXPECT_TRUE(jws::IsVerticalText(0x20));
  EXPECT_TRUE(jws::IsVerticalText(0x20 | 0x800));
  EXPECT_FALSE(jws::IsVerticalText(0x20 | 0x4010));
  EXPECT_FALSE(jws::IsVerticalText(0));
}

// ----- failures -----

TEST(FigureFile, FailsOnValuesItCannotWrite) {
  struct Bad {
    const char* name;
    std::string bytes;
  };
  std::array<double, 16> huge = UnitScales();
  huge[1] = 1e300;
  const Bad cases[] = {
      {"layer group 16", Jws(1, [](ArchiveWriter& w) { w.Add(MakeLine(0, 0, 1, 1, 16)); })},
      {"layer 16", Jws(1,
                       [](ArchiveWriter& w) {
                         jws::Line l = MakeLine(0, 0, 1, 1);
                         l.c.layer = 16;
                         w.Add(l);
                       })},
      {"not a number", Jws(1,
                           [](ArchiveWriter& w) {
                             w.Add(MakeLine(0, std::numeric_limits<double>::quiet_NaN(), 1, 1));
                           })},
      {"infinite at real size",
       Jws(
           1, [](ArchiveWriter& w) { w.Add(MakeLine(0, 0, 1e300, 1, 1)); }, huge)},
      {"infinite kind code", Jws(1,
                                 [](ArchiveWriter& w) {
                                   jws::Solid s;
                                   s.c = MakeCommon(0, 0, 1, 101);
                                   s.v[7] = std::numeric_limits<double>::infinity();
                                   w.Add(s);
                                 })},
  };
  for (const Bad& c : cases) {
    const jws::ReadResult r = jws::ReadArchive(c.bytes);
    ASSERT_TRUE(r.ok()) << c.name;
    const jws::FigureFileResult out = jws::MakeFigureFile(*r.document);
    EXPECT_FALSE(out.ok) << c.name;
    EXPECT_EQ(out.error.rfind("entity 1: ", 0), 0u) << out.error;
    EXPECT_TRUE(out.text.empty()) << c.name;
  }
}

}  // namespace
}  // namespace gara
