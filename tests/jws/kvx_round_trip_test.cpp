// A figure made by the tests as a .jws, converted by kvx into jws.txt and placed by the program
// in mode "1" as Jw_cad would run it: every drawn entity is the source entity at real size,
// moved so that the figure's box is centred between the two designated points.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "figure/figure_format.h"
#include "jws/archive_writer.h"
#include "settings/settings.h"
#include "support/program_run.h"
#include "support/temp_dir.h"
#include "util/text.h"

namespace gara {
namespace {

using testing::ArchiveWriter;
using testing::MakeCommon;
using testing::RunProgramIn;
using testing::TempDir;

constexpr double kPi = 3.14159265358979323846;

// The source figure: layer group 0 at 1:1, layer group 1 at 1:2.
struct Source {
  jws::Line line{MakeCommon(0, 2, 3, 1), 0, 0, 20, 0};
  jws::Line scaledLine{MakeCommon(1, 2, 3, 1), 0, 0, 0, 5};  // 10 long at real size
  jws::Arc circle;
  jws::Arc arc;
  jws::PointEntity point;
  jws::PointEntity marker;
  jws::Text text;
  jws::Solid solid;
  jws::Dimension dimension;  // without extension lines: D
  jws::Dimension extended;   // with extension lines and end marks: X

  Source() {
    circle.c = MakeCommon(0, 0, 2, 1);
    circle.cx = 10;
    circle.cy = 5;
    circle.radius = 3;
    circle.sweep = 2 * kPi;
    circle.fullCircle = 1;
    arc = circle;
    arc.cx = 5;
    arc.radius = 2;
    arc.start = 0;
    arc.sweep = kPi / 2;
    arc.fullCircle = 0;
    point.c = MakeCommon(0, 0, 4, 1);
    point.x = 15;
    point.y = 8;
    marker.c = MakeCommon(0, 0, 4, jws::kMarkerPenStyle);
    marker.x = 16;
    marker.y = 8;
    marker.marker = 2;
    marker.angle = 0.5;
    marker.scale = 1.5;
    text.c = MakeCommon(0, 0, 5, 1);
    text.x1 = 2;
    text.y1 = 2;
    text.x2 = 8;
    text.y2 = 2;
    text.width = text.height = 3;
    solid.c = MakeCommon(0, 0, 10, 1);
    solid.v = {0, 0, 4, 0, 4, 3, 0, 3};
    solid.rgb = 0x123456;
    dimension.c = MakeCommon(0, 0, 1, 1);
    dimension.line = {MakeCommon(0, 0, 1, 1), 0, -3, 20, -3};
    dimension.text = text;
    dimension.text.x1 = 9;
    dimension.text.y1 = dimension.text.y2 = -2.5;
    dimension.text.x2 = 11;
    extended = dimension;
    extended.sxfMode = 1;
    extended.line.y1 = extended.line.y2 = -6;
    extended.text.y1 = extended.text.y2 = -5.5;
    extended.extensionLines = {jws::Line{dimension.line.c, 0, 0, 0, -7},
                               jws::Line{dimension.line.c, 20, 0, 20, -7}};
    extended.points[0] = marker;
    extended.points[0].x = 0;
    extended.points[0].y = -6;
    extended.points[1] = extended.points[0];
    extended.points[1].x = 20;
    extended.points[1].angle = kPi;
  }

  std::string Jws() const {
    ArchiveWriter w(700);
    std::array<double, 16> scales;
    scales.fill(1);
    scales[1] = 2;
    w.FigureHeader(scales);
    w.Count(11);
    w.Add(line);
    w.Add(scaledLine);
    w.Add(circle);
    w.Add(arc);
    w.Add(point);
    w.Add(marker);
    w.Add(text, u"ＭＳ ゴシック", u"AB");
    w.Add(solid);
    w.Add(dimension, u"ＭＳ ゴシック", u"20");
    w.Add(extended, u"ＭＳ ゴシック", u"");  // a blank value: the program writes the length
    jws::BlockInsert block;
    block.x = 1000;  // draws nothing: its definition is empty
    w.Add(block);
    w.Count(1);
    w.BeginDefinition(0, u"B");
    w.Count(0);
    return w.bytes;
  }
};

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  return lines;
}

std::vector<double> Numbers(const std::string& line, size_t from) {
  std::vector<double> v;
  std::istringstream in(line.substr(from));
  for (std::string word; in >> word;) v.push_back(TextToReal(word));
  return v;
}

void ExpectNear(const std::vector<double>& got, const std::vector<double>& want,
                const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << what << " #" << i;
}

TEST(KvxRoundTrip, DrawnEntitiesAreTheSourceEntitiesAtRealSize) {
#ifdef _WIN32
  GTEST_SKIP() << "the Windows program is checked against the Linux one by the cross test";
#endif
  TempDir dir;
  const Source src;
  dir.Write("figure.jws", src.Jws());
  const auto converted = RunProgramIn(dir, {"/1", "jws.txt", "figure.jws"}, GARA_KVX_PATH);
  ASSERT_EQ(converted.exitCode, 0) << converted.errorOutput;
  const std::vector<std::string> figure = Lines(dir.Read("jws.txt").value_or(""));
  ASSERT_GE(figure.size(), 4u);
  EXPECT_EQ(figure[2], "N,10");
  const std::vector<std::string> box = SplitFields(figure[0]);
  ASSERT_EQ(box.size(), 4u);
  const double minX = TextToReal(box[0]), minY = TextToReal(box[1]);
  const double maxX = TextToReal(box[2]), maxY = TextToReal(box[3]);
  const double w = maxX - minX, h = maxY - minY;
  ASSERT_GT(w, 0);
  ASSERT_GT(h, 0);

  // One figure fits between the points (n = 1); it is centred on the segment's midpoint.
  Settings settings;
  settings.selectedRow = 1;
  settings.rows[0].figureKind = 1;
  settings.rows[0].width = w;
  settings.rows[0].height = h;
  dir.Write("garanarabe.dat", SerializeSettings(settings));
  const double px = 100, py = 50, length = 1.5 * w;
  dir.Write("JWC_TEMP.TXT", "hq\r\nhp1 " + FixedText(10, px) + " " + FixedText(10, py) +
                                "\r\nhp2 " + FixedText(10, px + length) + " " + FixedText(10, py) +
                                "\r\n");
  const auto drawn = RunProgramIn(dir, {"1"});
  ASSERT_EQ(drawn.exitCode, 0);

  const double dx = px + length / 2 - (minX + maxX) / 2, dy = py - (minY + maxY) / 2;
  auto X = [&](double x) { return x + dx; };
  auto Y = [&](double y) { return y + dy; };
  std::vector<std::string> entities;
  for (const std::string& line : Lines(dir.Read("JWC_TEMP.TXT").value_or(""))) {
    const bool attribute =
        line.rfind("lg", 0) == 0 || line.rfind("ly", 0) == 0 || line.rfind("lc", 0) == 0 ||
        line.rfind("lt", 0) == 0 || line.rfind("lw", 0) == 0 || line.rfind("pn", 0) == 0 ||
        line.rfind("cn", 0) == 0 || line.rfind("cc", 0) == 0 || line.rfind("z", 0) == 0;
    if (!attribute) entities.push_back(line);
    if (line.rfind("lc10 ", 0) == 0) {
      EXPECT_EQ(line, "lc10 " + std::to_string(src.solid.rgb));
    }
  }
  ASSERT_EQ(entities.size(), 18u) << dir.Read("JWC_TEMP.TXT").value_or("");
  ExpectNear(Numbers(entities[0], 0), {X(0), Y(0), X(20), Y(0)}, "line");
  ExpectNear(Numbers(entities[1], 0), {X(0), Y(0), X(0), Y(10)}, "line at 1:2");
  ASSERT_EQ(entities[2].substr(0, 3), "ci ");
  ExpectNear(Numbers(entities[2], 3), {X(10), Y(5), 3}, "circle");
  ExpectNear(Numbers(entities[3], 3), {X(5), Y(5), 2, 0, 90, 1, 0}, "arc");
  ASSERT_EQ(entities[4].substr(0, 3), "pt ");
  ExpectNear(Numbers(entities[4], 3), {X(15), Y(8)}, "point");
  ExpectNear(Numbers(entities[5], 3), {X(16), Y(8), 1.5, 0.5 * 180 / kPi, 2}, "marker");
  ASSERT_EQ(entities[6].substr(0, 3), "ch ");
  const size_t quote = entities[6].find('"');
  ASSERT_NE(quote, std::string::npos);
  EXPECT_EQ(entities[6].substr(quote), "\"AB");
  ExpectNear(Numbers(entities[6].substr(0, quote), 3), {X(2), Y(2), 10, 0}, "text");
  ASSERT_EQ(entities[7].substr(0, 3), "sl ");
  ExpectNear(Numbers(entities[7], 3), {X(0), Y(0), X(4), Y(0), X(4), Y(3), X(0), Y(3)}, "solid");

  // D: the measured line, then its value text placed on the stored base line.
  EXPECT_EQ(entities[8], "msg");
  ExpectNear(Numbers(entities[9], 0), {X(0), Y(-3), X(20), Y(-3)}, "dimension line");
  ASSERT_EQ(entities[10].substr(0, 3), "cs ");
  EXPECT_EQ(entities[10].substr(entities[10].find('"')), "\"20");
  ExpectNear(Numbers(entities[10].substr(0, entities[10].find('"')), 3), {X(9), Y(-2.5), 10, 0},
             "dimension text");
  // X: the same, then the extension lines and the two end marks.
  EXPECT_EQ(entities[11], "msg");
  ExpectNear(Numbers(entities[12], 0), {X(0), Y(-6), X(20), Y(-6)}, "dimension line");
  EXPECT_EQ(entities[13].substr(entities[13].find('"')), "\"20");  // the measured length
  ExpectNear(Numbers(entities[14], 0), {X(0), Y(0), X(0), Y(-7)}, "extension line");
  ExpectNear(Numbers(entities[15], 0), {X(20), Y(0), X(20), Y(-7)}, "extension line");
  ExpectNear(Numbers(entities[16], 3), {X(0), Y(-6), 1.5, 0.5 * 180 / kPi, 2}, "end mark");
  ExpectNear(Numbers(entities[17], 3), {X(20), Y(-6), 1.5, 180, 2}, "end mark");
}

}  // namespace
}  // namespace gara
