#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "figure/figure_reader.h"
#include "figure/figure_writer.h"
#include "geom/geometry.h"

namespace gara {
namespace {

// Layer group 1, layer 2, colour 5, field 5 as given, width 3, flags 32.
FigureAttributes With(int64_t code, int64_t number = 0) { return {number, 1, 2, 5, code, 3, 32}; }

struct WriteCase {
  const char* name;
  std::function<void(FigureFileWriter&)> write;
  const char* line;  // without its CR LF
};

class FigureFileWriterTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(FigureFileWriterTest, WritesTheRecordLine) {
  std::string out;
  FigureFileWriter writer(out);
  GetParam().write(writer);
  EXPECT_EQ(out, std::string(GetParam().line) + "\r\n");
  EXPECT_TRUE(writer.finite());
}

const double kCorners[8] = {0, 0, 2, 0, 2, 1.5, 0, 1.5};

// The rows are the lines a registered selection and a converted .jws both write.
INSTANTIATE_TEST_SUITE_P(
    Records, FigureFileWriterTest,
    ::testing::Values(
        WriteCase{"LineWithPolylineNumber",
                  [](FigureFileWriter& w) { w.Line(With(2, 7), -1.5, 0, 2.25, 1e-11); },
                  "L,7,1,2,5,2,3,32,-1.5,0,2.25,0"},
        WriteCase{"WholeCircle",
                  [](FigureFileWriter& w) {
                    w.Curve(With(1), {1, -1, 5, 1, 0, 2 * kPi, 0, 1});
                  },
                  "E,0,1,2,5,1,3,32,1,-1,5,1,0,6.28318530718,0,1"},
        WriteCase{"PlainPoint", [](FigureFileWriter& w) { w.Point(With(1), 3, 4, 0, 0, 1); },
                  "T,0,1,2,5,1,3,32,3,4,0,0,0,1"},
        WriteCase{"Marker", [](FigureFileWriter& w) { w.Point(With(100), 3, 4, 6, kPi / 2, 2.5); },
                  "T,0,1,2,5,100,3,32,3,4,0,6,1.570796326795,2.5"},
        WriteCase{"TextQuotedWithoutControlBytes",
                  [](FigureFileWriter& w) {
                    w.Text(With(1), {0, 0, 4, 0, 20003, 2, 2.5, 0.5, "Gothic", "a\"b\r"});
                  },
                  "M,0,1,2,5,1,3,32,0,0,4,0,20003,2,2.5,0.5,\"Gothic\",\"a\"\"b\""},
        WriteCase{"Dimension", [](FigureFileWriter& w) { w.Dimension(With(1), false); },
                  "D,0,1,2,5,1,3,32,"},
        WriteCase{"ExtendedDimension", [](FigureFileWriter& w) { w.Dimension(With(1), true); },
                  "X,0,1,2,5,1,3,32,"},
        WriteCase{"PolygonSolid", [](FigureFileWriter& w) { w.PolygonSolid(With(1), kCorners, 0); },
                  "S,0,1,2,5,1,3,32,0,0,2,0,2,1.5,0,1.5,0"},
        WriteCase{"ArcSolidKindCode",
                  [](FigureFileWriter& w) {
                    w.ArcSolid(With(101), {0, 0, 2, 1, 0, 0, kPi}, 2, 255);
                  },
                  "S,0,1,2,5,101,3,32,0,0,2,1,0,0,3.14159265359,2,255"},
        WriteCase{"RingSolidInnerRadius",
                  [](FigureFileWriter& w) {
                    w.RingSolid(With(105), {0, 0, 2, 1, 0, 0, kPi}, 0.75, 0);
                  },
                  "S,0,1,2,5,105,3,32,0,0,2,1,0,0,3.14159265359,0.75,0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FigureFileWriterTest, HeadAndTrailer) {
  std::string out;
  FigureFileWriter writer(out);
  const std::vector<double> scales = {1, 2.5};
  writer.Head(-1, -2.5, 1, 2.5, scales, 3);
  writer.Head(0, 0, 0, 0, {}, 0);
  writer.Trailer();
  EXPECT_EQ(out, "-1,-2.5,1,2.5\r\n1,2.5\r\nN,3\r\n0,0,0,0\r\n\r\nN,0\r\nBD,0\r\n");
}

TEST(FigureFileWriterTest, ARealThatIsNotANumberIsWrittenZeroAndRemembered) {
  std::string out;
  FigureFileWriter writer(out);
  writer.Line(With(1), std::numeric_limits<double>::quiet_NaN(), 0, 1, 1);
  EXPECT_EQ(out, "L,0,1,2,5,1,3,32,0,0,1,1\r\n");
  EXPECT_FALSE(writer.finite());
}

// What the writer writes, the walker hands back whole, part by part.
class Parts final : public FigureHandler {
 public:
  std::vector<FigurePart> parts;
  void Head(const FigureLine&) override { parts.push_back(FigurePart::kHead); }
  void Line(const FigureLine&) override { parts.push_back(FigurePart::kLine); }
  void Curve(const FigureLine&, const FigureCurve&) override {
    parts.push_back(FigurePart::kCurve);
  }
  void Point(const FigureLine&, int32_t) override { parts.push_back(FigurePart::kPoint); }
  void Text(const FigureLine&, const FigureText&) override { parts.push_back(FigurePart::kText); }
  void Solid(const FigureLine&, const FigureSolid&) override {
    parts.push_back(FigurePart::kSolid);
  }
  void DimensionLine(const FigureLine&) override { parts.push_back(FigurePart::kDimensionLine); }
  void DimensionText(const FigureLine&) override { parts.push_back(FigurePart::kDimensionText); }
  void ExtensionLine(const FigureLine&) override { parts.push_back(FigurePart::kExtensionLine); }
  void Cut(FigurePart, const FigureLine*, int32_t) override { ADD_FAILURE() << "cut"; }
};

TEST(FigureFileWriterTest, TheWalkerReadsEveryKindBackWhole) {
  std::string out;
  FigureFileWriter w(out);
  w.Head(-1, -1, 1, 1, std::vector<double>(16, 1.0), 5);
  w.Line(With(1), 0, 0, 1, 1);
  w.Point(With(100), 0, 0, 1, 0, 1);
  w.ArcSolid(With(101, 0), {0, 0, 1, 1, 0, 0, 1}, 0, 0);
  w.Dimension(With(1), false);
  w.Line(With(1), 0, 0, 1, 0);
  w.Text(With(1), {0, 0, 1, 0, 1, 2, 2, 0, "G", ""});
  w.Curve(With(1), {0, 0, 1, 1, 0, 1, 0, 0});
  w.Trailer();
  Parts parts;
  const FigureHeader header = ReadFigure(out, parts);
  EXPECT_EQ(header.scales.size(), 16u);
  using P = FigurePart;
  EXPECT_EQ(parts.parts,
            (std::vector<P>{P::kHead, P::kLine, P::kHead, P::kPoint, P::kHead, P::kSolid, P::kHead,
                            P::kDimensionLine, P::kDimensionText, P::kHead, P::kCurve}));
}

}  // namespace
}  // namespace gara
