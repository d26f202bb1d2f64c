#include "pattern/figure_model.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/test_files.h"
#include "figure/figure_format.h"
#include "pattern/pattern_test_support.h"
#include "pattern/place_figure.h"
#include "util/lines.h"
#include "util/portable_math.h"
#include "util/text.h"

namespace gara {
namespace {

using testing::CrLf;
using testing::MemoryFileSystem;
using testing::OutputLines;
using Lines = std::vector<std::string>;

const std::string kDir = "/prog/";
const std::string kScales = "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1";

struct At {
  double x = 0, y = 0, angle = 0;
};

// Places copies of sel.txt through the parsed model, in one output.
Lines PlaceCopies(const std::string& file, const RunContext& run, const std::vector<At>& copies,
                  bool lineWidthPresent = false) {
  MemoryFileSystem fs;
  fs.files[kDir + "sel.txt"] = file;
  DrawingState state;
  state.lineWidthPresent = lineWidthPresent;
  OutputBuffer buffer;
  CommandWriter out(buffer, state);
  out.ResetCommandCache();
  FigurePlacer placer(fs, kDir, run);
  for (const At& at : copies) placer.PlaceFigure(FigureKind::kSelected, at.x, at.y, at.angle, out);
  return buffer.empty() ? Lines{} : OutputLines(buffer);
}

std::string Figure(const std::string& extents, const Lines& records, int count = -1) {
  Lines lines = {extents, kScales, "N," + std::to_string(count < 0 ? records.size() : count)};
  lines.insert(lines.end(), records.begin(), records.end());
  lines.push_back("BD,0");
  return CrLf(lines);
}

// ---------------------------------------------------------------------------------------------
// One record at a time: what each kind writes.

struct RecordCase {
  const char* name;
  std::string extents;
  Lines records;
  At at;
  RunContext run;
  Lines expected;
};

void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.name; }

RunContext Switches(bool group, bool layer, bool colour, bool lineType) {
  RunContext run;
  run.writing.layerGroup = 3;
  run.writing.layer = 4;
  run.writing.colour = 5;
  run.writing.lineType = 6;
  run.useWritingLayerGroup = group;
  run.useWritingLayer = layer;
  run.useWritingColour = colour;
  run.useWritingLineType = lineType;
  return run;
}

const RunContext kFigureAttributes = Switches(false, false, false, false);

class RecordTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecordTest, WritesTheRecord) {
  const RecordCase& c = GetParam();
  EXPECT_EQ(PlaceCopies(Figure(c.extents, c.records), c.run, {c.at}), c.expected);
}

const char* kFont = "cn\"$<ＭＳ ゴシック>";

INSTANTIATE_TEST_SUITE_P(
    Kinds, RecordTest,
    ::testing::Values(
        RecordCase{"LineMovedOntoTarget",
                   "-5,-5,5,5",
                   {"L,0,0,2,1,1,0,0,-5,0,5,0"},
                   {100, 50, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "lc1", "lt1", "95 50 105 50"}},
        RecordCase{"LineQuarterTurn",
                   "-5,-5,5,5",
                   {"L,0,0,2,1,1,0,0,-5,0,5,0"},
                   {100, 50, kPi / 2},
                   kFigureAttributes,
                   {"lg0", "ly2", "lc1", "lt1", "100 45 100 55"}},
        RecordCase{"UncentredExtentsSubtractTheCentre",
                   "10,20,30,40",
                   {"L,0,0,2,1,1,0,0,15,30,25,30"},
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "lc1", "lt1", "-5 0 5 0"}},
        RecordCase{"LineMarks",
                   "-5,-5,5,5",
                   {"L,0,0,2,1,1,0,36896,-5,0,5,0"},  // 32 | 4096 | 32768
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "lc1", "lt1", "z1", "z5", "-5 0 5 0"}},
        RecordCase{"CircleWhateverTheAngle",
                   "-5,-5,5,5",
                   {"E,0,0,2,2,1,0,0,0,0,5,1,0,6.28318530718,0,1"},
                   {100, 50, 0.7},
                   kFigureAttributes,
                   {"lg0", "ly2", "lc2", "lt1", "ci 100 50 5"}},
        RecordCase{"ArcWithNegativeSweepTurnsItsTilt",
                   "-5,-5,5,5",
                   {"E,0,0,2,2,1,0,16,0,0,5,1,1.5707963267948966,-0.7853981633974483,0,0"},
                   {100, 50, kPi / 2},
                   kFigureAttributes,
                   {"lg0", "ly2", "lc2", "lt1", "z2", "ci 100 50 5 45 90 1 90"}},
        RecordCase{"FullEllipseIsAnArc",
                   "-5,-5,5,5",
                   {"E,0,0,2,2,1,0,0,0,0,5,0.5,0,6.28318530718,0,1"},
                   {100, 50, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "lc2", "lt1", "ci 100 50 5 0 0 0.5 0"}},
        RecordCase{"PlainPoint",
                   "-5,-5,5,5",
                   {"T,0,0,2,3,1,0,64,3,4,0,0,0,1"},
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "pn3", "z3", "pt 3 4"}},
        RecordCase{"RotatedPoint",
                   "-5,-5,5,5",
                   {"T,0,0,2,1,100,0,0,3,4,0,3,0.7853981633974483,2"},
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "pn1", "pt 3 4 2 45 3"}},
        RecordCase{"TextAtItsCentreAnchor",
                   "-10,-10,10,10",
                   {"M,0,0,2,1,5,0,0,0,0,20,0,3,5,5,0,\"ＭＳ ゴシック\",\"ABC\""},
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "cn3", "cc4", kFont, "ch 10 2.5 10 0 \"ABC"}},
        RecordCase{"TextInTheWritingColour",
                   "-10,-10,10,10",
                   {"M,0,0,2,1,5,0,0,0,0,20,0,3,5,5,0,\"ＭＳ ゴシック\",\"ABC\""},
                   {0, 0, 0},
                   Switches(false, false, true, false),
                   {"lg0", "ly2", "cn0 5 5 0 5", "cc4", kFont, "ch 10 2.5 10 0 \"ABC"}},
        RecordCase{"VerticalTextIsAsHighAsItsCharactersAreWide",
                   "-10,-10,10,10",
                   {"M,0,0,2,1,7,0,32,0,0,20,0,30003,4,5,0,\"F\",\"V\""},
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "cn3", "cc6", "cn\"$<F>/!", "cv 0 4 10 0 \"V"}},
        RecordCase{"TextStylesAndMarks",
                   "-10,-10,10,10",
                   {"M,0,0,2,1,1,0,26624,0,0,20,0,10001,4,5,0,\"F\",\"a\"\"b\"",
                    "M,0,0,2,1,1,0,16,0,0,20,0,20101,4,5,0,\"F\",\"c\""},
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "cn1", "cc0", "cn\"$<F>/", "z2", "z3", "z4", "cs 0 0 10 0 \"a\"b",
                    "cn\"$<F>!", "z3", "cs 0 0 10 0 \"c"}},
        RecordCase{"WritingLayerTakesTheWritingGroupToo",
                   "-5,-5,5,5",
                   {"L,0,7,8,1,1,0,0,-5,0,5,0"},
                   {0, 0, 0},
                   Switches(false, true, false, false),
                   {"lg3", "ly4", "lc1", "lt1", "-5 0 5 0"}},
        RecordCase{"WritingLayerGroupAlone",
                   "-5,-5,5,5",
                   {"L,0,7,8,1,1,0,0,-5,0,5,0"},
                   {0, 0, 0},
                   Switches(true, false, false, false),
                   {"lg3", "ly8", "lc1", "lt1", "-5 0 5 0"}},
        RecordCase{"WritingColourAndLineType",
                   "-5,-5,5,5",
                   {"L,0,7,8,1,1,0,0,-5,0,5,0"},
                   {0, 0, 0},
                   Switches(false, false, true, true),
                   {"lg7", "ly8", "lc5", "lt6", "-5 0 5 0"}},
        RecordCase{"SolidWithTwoCorners",
                   "-5,-5,5,5",
                   {"S,0,0,2,3,1,0,0,-5,-5,5,5,5,5,5,5,0"},
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "lc3", "sl -5 -5 5 5"}},
        RecordCase{"SolidWithThreeCorners",
                   "-5,-5,5,5",
                   {"S,0,0,2,3,1,0,2048,-5,-5,5,-5,5,5,5,5,0"},
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "lc3", "z2", "sl -5 -5 5 -5 5 5"}},
        RecordCase{"SolidWithFourCornersInRgb",
                   "-5,-5,5,5",
                   {"S,0,0,2,10,1,0,4096,-5,-5,5,-5,5,5,-5,5,255"},
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "lc10 255", "z4", "sl -5 -5 5 -5 5 5 -5 5"}},
        RecordCase{
            "CurvedSolids",
            "-5,-5,5,5",
            {"S,0,0,2,1,101,0,0,0,0,5,1,0,0,3.14,0,0", "S,0,0,2,1,111,0,0,0,0,5,1,0,0,3.14,100,0",
             "S,0,0,2,1,105,0,0,0,0,5,1,0,0,3.14,2,0", "S,0,0,2,1,106,0,0,0,0,5,1,0,0,3.14,2,0",
             "S,0,0,2,1,150,0,0,0,0,5,1,0,0,3.14,2,0"},
            {10, 0, kPi / 2},
            kFigureAttributes,
            {"lg0", "ly2", "lc1", "sc 10 0 5 1 1.5707963267949 0 3.14 0",
             "se 10 0 5 1 1.5707963267949 0 3.14 100", "so 10 0 5 1 1.5707963267949 0 3.14 2",
             "sg 10 0 5 1 1.5707963267949 0 3.14 2", "sg 10 0 5 1 1.5707963267949 0 3.14 2"}},
        RecordCase{"UnknownKindWritesOnlyItsLayers",
                   "-5,-5,5,5",
                   {"Q,0,3,4,1,1,0,0", "L,0,3,4,1,1,0,0,-5,0,5,0"},
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg3", "ly4", "lc1", "lt1", "-5 0 5 0"}},
        RecordCase{
            "DimensionWithBlankTextWritesTheLength",
            "-50,-5,50,5",
            {"D,0,0,2,1,1,0,0,", "L,0,0,2,1,1,0,0,-50,0,50,0",
             "M,0,0,2,1,1,0,16400,-1,1,1,1,3,3,3,0.5,\"ＭＳ ゴシック\",\" \""},
            {0, 0, 0},
            kFigureAttributes,
            {"lg0", "ly2", "lc1", "lt1", "cn3", kFont, "msg", "-50 0 50 0", "cs -1 1 10 0 \"100"}},
        RecordCase{"DimensionWithText",
                   "-50,-5,50,5",
                   {"D,0,0,2,1,1,0,0,", "L,0,0,2,4,2,0,0,-50,0,50,0",
                    "M,0,0,2,1,1,0,16400,-1,1,1,1,0,3,3,0.5,\"G\",\"20\""},
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "lc4", "lt2", "cn0 3 3 0.5 1", "cn\"$<G>", "msg", "-50 0 50 0",
                    "cs -1 1 10 0 \"20"}},
        RecordCase{"DimensionWithExtensionLinesAndEndPoints",
                   "-50,-5,50,5",
                   {"X,0,0,2,1,1,0,32", "L,0,0,2,4,2,0,0,-50,0,50,0",
                    "M,0,0,2,1,9,0,16400,-1,1,1,1,3,3,3,0.5,\"G\",\"\"",
                    "L,0,0,2,5,1,0,0,-50,-5,-50,0", "L,0,0,2,5,1,0,0,50,-5,50,0",
                    "T,0,0,2,6,100,0,0,-50,0,0,4,0,1", "T,0,0,2,6,1,0,0,50,0,0,0,0,1"},
                   {0, 0, 0},
                   kFigureAttributes,
                   {"lg0", "ly2", "lc4", "lt2", "cn3", "cn\"$<G>", "msg", "-50 0 50 0",
                    "cs -1 1 10 0 \"100", "lc5", "lt1", "-50 -5 -50 0", "50 -5 50 0", "pn6", "z1",
                    "pt -50 0 1 0 4", "z1", "pt 50 0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordTest, LineWidthComesFromTheFigure) {
  const std::string file = Figure("-5,-5,5,5", {"L,0,0,2,1,1,5,0,-5,0,5,0"});
  EXPECT_EQ(PlaceCopies(file, Switches(true, true, true, true), {{0, 0, 0}}, true),
            (Lines{"lg3", "ly4", "lc5", "lt6", "lw5", "-5 0 5 0"}));
}

TEST(RecordTest, RepeatedCopiesWriteOnlyChangedAttributes) {
  const std::string file =
      Figure("-5,-5,5,5", {"L,0,0,2,1,1,0,0,-5,0,5,0", "L,0,0,3,2,1,0,0,-5,1,5,1"});
  EXPECT_EQ(PlaceCopies(file, kFigureAttributes, {{0, 0, 0}, {10, 0, 0}}),
            (Lines{"lg0", "ly2", "lc1", "lt1", "-5 0 5 0", "ly3", "lc2", "-5 1 5 1", "ly2", "lc1",
                   "5 0 15 0", "ly3", "lc2", "5 1 15 1"}));
}

TEST(RecordTest, CountBeyondTheRecordsStopsQuietly) {
  const std::string file =
      CrLf({"-5,-5,5,5", kScales, "N,3", "L,0,0,2,1,1,0,0,-5,0,5,0", "L,0,0,2,1,1,0,0,-5,1,5,1"});
  EXPECT_EQ(PlaceCopies(file, kFigureAttributes, {{0, 0, 0}}),
            (Lines{"lg0", "ly2", "lc1", "lt1", "-5 0 5 0", "-5 1 5 1"}));
}

TEST(RecordTest, ZeroOrNegativeCountPlacesNothing) {
  for (const char* count : {"N,0", "N,-4", "N,x", "N", "N,2.5"}) {
    const std::string file = CrLf({"-5,-5,5,5", kScales, count, "L,0,0,2,1,1,0,0,-5,0,5,0"});
    EXPECT_TRUE(PlaceCopies(file, kFigureAttributes, {{0, 0, 0}}).empty()) << count;
  }
}

TEST(RecordTest, MissingOrShortFirstLinePlacesNothing) {
  for (const std::string& first : {std::string("-5,-5,5"), std::string(""), std::string("a")}) {
    const std::string file = CrLf({first, kScales, "N,1", "L,0,0,2,1,1,0,0,-5,0,5,0"});
    EXPECT_TRUE(PlaceCopies(file, kFigureAttributes, {{0, 0, 0}}).empty()) << first;
  }
  EXPECT_TRUE(PlaceCopies("", kFigureAttributes, {{0, 0, 0}}).empty());
  EXPECT_TRUE(PlaceCopies("-5,-5,5,5\r\n", kFigureAttributes, {{0, 0, 0}}).empty());
}

TEST(RecordTest, NonNumbersReadAsZero) {
  const std::string file = Figure("a,b,c,d", {"L,0,x,y,z,w,v,u,-5,0,five,0"});
  EXPECT_EQ(PlaceCopies(file, kFigureAttributes, {{0, 0, 0}}),
            (Lines{"lg0", "ly0", "lc0", "lt0", "-5 0 0 0"}));
}

TEST(RecordTest, MissingFileOrOtherKindPlacesNothing) {
  MemoryFileSystem fs;
  DrawingState state;
  OutputBuffer buffer;
  CommandWriter out(buffer, state);
  out.ResetCommandCache();
  FigurePlacer placer(fs, kDir, kFigureAttributes);
  placer.PlaceFigure(FigureKind::kSelected, 0, 0, 0, out);
  placer.PlaceFigure(FigureKind::kJws, 0, 0, 0, out);
  fs.files[kDir + "sel.txt"] = Figure("-5,-5,5,5", {"L,0,0,2,1,1,0,0,-5,0,5,0"});
  placer.PlaceFigure(static_cast<FigureKind>(2), 0, 0, 0, out);
  placer.PlaceFigure(static_cast<FigureKind>(-1), 0, 0, 0, out);
  EXPECT_TRUE(buffer.empty());
}

TEST(RecordTest, EachFileIsReadOncePerRun) {
  MemoryFileSystem fs;
  fs.files[kDir + "jws.txt"] = Figure("-5,-5,5,5", {"L,0,0,2,1,1,0,0,-5,0,5,0"});
  DrawingState state;
  OutputBuffer buffer;
  CommandWriter out(buffer, state);
  out.ResetCommandCache();
  FigurePlacer placer(fs, kDir, kFigureAttributes);
  for (int i = 0; i < 50; ++i) placer.PlaceFigure(FigureKind::kJws, i * 20.0, 0, 0, out);
  EXPECT_EQ(fs.reads, 1);
  EXPECT_EQ(buffer.size(), 4u + 50u);
}

// ---------------------------------------------------------------------------------------------
// Bad input: nothing non-finite reaches the emitters, and nothing hangs.

TEST(BadInputTest, OverflowingCoordinatesDropTheEntity) {
  // Moved by the extents centre, the first two entities leave the range of a double.
  const std::string file =
      Figure("-1.6e308,-5,-1.6e308,5",
             {"L,0,0,2,1,1,0,0,1e308,0,-1e308,0", "E,0,0,2,1,1,0,0,1e308,0,5,1,0,6.3,0,1",
              "L,0,0,2,1,1,0,0,-1.6e308,0,-1.6e308,10"});
  EXPECT_EQ(PlaceCopies(file, kFigureAttributes, {{0, 0, 0}}),
            (Lines{"lg0", "ly2", "lc1", "lt1", "0 0 0 10"}));
}

TEST(BadInputTest, OverflowingAnglesDropTheEntity) {
  const std::string file = Figure(
      "-5,-5,5,5", {"E,0,0,2,1,1,0,0,0,0,5,0.5,1e307,1,0,0", "T,0,0,2,1,100,0,0,0,0,0,1,1e307,1",
                    "S,0,0,2,1,101,0,0,0,0,5,1,1e308,0,1,0,0"});
  const Lines lines = PlaceCopies(file, kFigureAttributes, {{0, 0, 1}});
  EXPECT_EQ(lines, (Lines{"lg0", "ly2", "lc1", "lt1", "pn1"}));
}

TEST(BadInputTest, HugeCountWithFewRecordsEnds) {
  const std::string file = CrLf({"-5,-5,5,5", kScales, "N,2147483647", "L,0,0,2,1,1,0,0,-5,0,5,0"});
  EXPECT_EQ(PlaceCopies(file, kFigureAttributes, {{0, 0, 0}}).size(), 5u);
  // Beyond 32 bits the count is no number at all.
  const std::string beyond =
      CrLf({"-5,-5,5,5", kScales, "N,99999999999", "L,0,0,2,1,1,0,0,-5,0,5,0"});
  EXPECT_TRUE(PlaceCopies(beyond, kFigureAttributes, {{0, 0, 0}}).empty());
}

TEST(BadInputTest, MegabyteTextIsCutLikeAnyLongText) {
  const std::string longText(3'000'000, 'A');
  const std::string file = Figure("-10,-10,10,10", {"M,0,0,2,1,1,0,0,0,0,20,0,3,5,5,0,\"" +
                                                    longText + "\",\"" + longText + "\""});
  const Lines lines = PlaceCopies(file, kFigureAttributes, {{0, 0, 0}, {1, 0, 0}});
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[4], "cn\"$<" + std::string(251 - 1, 'A'));
  EXPECT_EQ(lines[5], "ch 0 0 10 0 \"" + std::string(255, 'A'));
  EXPECT_EQ(lines[6], "ch 1 0 10 0 \"" + std::string(255, 'A'));
}

// A text of blanks is dropped by the emitters however long it is; one visible character far
// behind them keeps it.
TEST(BadInputTest, LongBlankTextStaysBlankAndLateCharacterCounts) {
  const std::string blanks(100'000, ' ');
  const std::string file = Figure(
      "-10,-10,10,10", {"M,0,0,2,1,1,0,0,0,0,20,0,3,5,5,0,\"F\",\"" + blanks + "\"",
                        "M,0,0,2,1,1,0,0,0,0,20,0,3,5,5,0,\"F\",\"" + blanks + "\x81\x40" + "B\""});
  const Lines lines = PlaceCopies(file, kFigureAttributes, {{0, 0, 0}});
  EXPECT_EQ(lines, (Lines{"lg0", "ly2", "cn3", "cc0", "cn\"$<F>",
                          "ch 0 0 10 0 \"" + std::string(255, ' ')}));
}

// ---------------------------------------------------------------------------------------------
// The model against a reader that reads the file anew for every copy and emits as it goes.

struct Stop {};

class RefFields {
 public:
  void Load(std::string_view line) { SplitFields(line, fields_); }
  const std::string& operator[](size_t i) const {
    if (i >= fields_.size()) throw Stop{};
    return fields_[i];
  }
  double R(size_t i) const { return TextToReal((*this)[i]); }
  int32_t I(size_t i) const { return TextToInt((*this)[i]); }

 private:
  std::vector<std::string> fields_;
};

void ReferencePlace(FileSystem& fs, const RunContext& run, double x, double y, double theta,
                    CommandWriter& out) {
  const auto bytes = fs.ReadFile(kDir + "sel.txt");
  if (!bytes) return;
  LineReader lines(*bytes);
  RefFields f;
  auto next = [&] {
    std::string_view line;
    if (!lines.Next(line)) throw Stop{};
    f.Load(line);
  };
  try {
    next();
    const double cx = (f.R(0) + f.R(2)) / 2;
    const double cy = (f.R(1) + f.R(3)) / 2;
    next();
    next();
    const int32_t t = f.I(1);
    auto T = [&](double px, double py) {
      return RotatePoint(x + px - cx, y + py - cy, x, y, theta);
    };
    const double thetaDeg = theta * 180 / kPi;
    auto lineAttributes = [&] {
      out.EmitLineColour(run.useWritingColour ? run.writing.colour : f.I(4));
      out.EmitLineType(run.useWritingLineType ? run.writing.lineType : f.I(5));
      out.EmitLineWidth(f.I(6));
    };
    auto pointMarks = [](int32_t flags) {
      return ((flags & 0x20) ? 1 : 0) | ((flags & 0x10) ? 2 : 0) | ((flags & 0x40) ? 4 : 0) |
             ((flags & 0x80) ? 8 : 0);
    };
    auto point = [&](int32_t flags) {
      out.EmitPointColour(run.useWritingColour ? run.writing.colour : f.I(4));
      const int32_t code = f.I(5);
      out.EmitLineWidth(f.I(6));
      out.EmitEntityMarks(pointMarks(flags));
      const Point p = T(f.R(8), f.R(9));
      if (code == 100) {
        out.EmitRotatedPoint(f.I(11), p.x, p.y, f.R(13),
                             NormalizeDeg(thetaDeg + f.R(12) * 180 / kPi));
      } else {
        out.EmitPoint(p.x, p.y);
      }
    };
    auto textSize = [&] {
      if (run.useWritingColour) {
        out.EmitTextSize(0, run.writing.colour, f.R(13), f.R(14), f.R(15));
      } else {
        out.EmitTextSize(f.I(12) % 100, f.I(4), f.R(13), f.R(14), f.R(15));
      }
    };
    auto font = [&] {
      std::string text = "<" + f[16] + ">";
      const int32_t code = f.I(12);
      if (code >= 30000) {
        text += "/!";
      } else if (code >= 20000) {
        text += "!";
      } else if (code >= 10000) {
        text += "/";
      }
      out.EmitFont(text);
    };
    auto dimension = [&] {
      next();
      lineAttributes();
      const Point a = T(f.R(8), f.R(9));
      const Point b = T(f.R(10), f.R(11));
      next();
      textSize();
      font();
      const double phi = theta + LineAngle(f.R(10) - f.R(8), f.R(11) - f.R(9));
      const Point p = T(f.R(8), f.R(9));
      out.EmitDimension(f[17], a.x, a.y, b.x, b.y, p.x, p.y, 10 * PortableCos(phi),
                        10 * PortableSin(phi));
    };
    for (int32_t k = 0; k < t; ++k) {
      next();
      out.EmitLayerGroup(run.useWritingLayerGroup || run.useWritingLayer ? run.writing.layerGroup
                                                                         : f.I(2));
      out.EmitLayer(run.useWritingLayer ? run.writing.layer : f.I(3));
      const int32_t flags = f.I(7);
      const std::string kind = f[0];
      if (kind == "L") {
        lineAttributes();
        out.EmitEntityMarks(((flags & 0x20) ? 1 : 0) | ((flags & 0x800) ? 2 : 0) |
                            ((flags & 0x2000) ? 4 : 0) | ((flags & 0x8000) ? 8 : 0) |
                            ((flags & 0x1000) ? 16 : 0));
        const Point a = T(f.R(8), f.R(9));
        const Point b = T(f.R(10), f.R(11));
        out.EmitLine(a.x, a.y, b.x, b.y);
      } else if (kind == "E") {
        lineAttributes();
        out.EmitEntityMarks(pointMarks(flags));
        const Point c = T(f.R(8), f.R(9));
        const double r = f.R(10), flatness = f.R(11);
        const double start = f.R(12) * 180 / kPi, sweep = f.R(13) * 180 / kPi;
        const double tilt = f.R(14) * 180 / kPi;
        const int32_t closed = f.I(15);
        if (!NearlyEqual(flatness, 1) || (closed < 1 && !NearlyEqual(std::fabs(sweep), 0) &&
                                          !NearlyEqual(std::fabs(sweep), 360))) {
          double a = NormalizeDeg(start), b = NormalizeDeg(start + sweep);
          if (sweep < 0) std::swap(a, b);
          out.EmitArc(c.x, c.y, r, a, b, flatness, NormalizeDeg(thetaDeg + tilt));
        } else {
          out.EmitCircle(c.x, c.y, r);
        }
      } else if (kind == "T") {
        point(flags);
      } else if (kind == "M") {
        textSize();
        const int32_t anchor = f.I(5) - 1;
        out.EmitTextAnchor(anchor);
        font();
        int32_t type = 0, marks = 0;
        if (flags & 0x20) type = 1;
        if (flags & 0x800) marks |= 2;
        if (flags & (0x4000 | 0x10)) {
          marks |= 4;
          type = 2;
        }
        if (flags & 0x2000) marks |= 8;
        out.EmitEntityMarks(marks);
        if (flags & 0x100) type = 3;
        if (flags & 0x200) type = 4;
        if (flags & 0x400) type = 5;
        if (flags & 0x1000) type = 6;
        if (flags & 0x40) type = 7;
        if (flags & 0x80) type = 8;
        if (flags & 0x8000) type = 9;
        const double length = Distance(f.R(8), f.R(9), f.R(10), f.R(11));
        const double height = type == 1 ? f.R(13) : f.R(14);
        const double phi = theta + LineAngle(f.R(10) - f.R(8), f.R(11) - f.R(9));
        const Point p = T(f.R(8), f.R(9));
        const Point a = ConvertTextAnchor(0, anchor, p.x, p.y, length, height, phi * 180 / kPi);
        out.EmitText(type, f[17], a.x, a.y, 10 * PortableCos(phi), 10 * PortableSin(phi));
      } else if (kind == "D") {
        dimension();
      } else if (kind == "X") {
        dimension();
        for (int e = 0; e < 2; ++e) {
          next();
          lineAttributes();
          const Point a = T(f.R(8), f.R(9));
          const Point b = T(f.R(10), f.R(11));
          out.EmitLine(a.x, a.y, b.x, b.y);
        }
        for (int e = 0; e < 2; ++e) {
          next();
          point(flags);
        }
      } else if (kind == "S") {
        if (run.useWritingColour) {
          out.EmitLineColour(run.writing.colour);
        } else if (f.I(4) == 10) {
          out.EmitRgbColour(f.I(16));
        } else {
          out.EmitLineColour(f.I(4));
        }
        const int32_t code = f.I(5);
        out.EmitLineWidth(f.I(6));
        out.EmitEntityMarks(((flags & 0x20) ? 1 : 0) | ((flags & 0x800) ? 2 : 0) |
                            ((flags & 0x2000) ? 4 : 0) | ((flags & 0x1000) ? 8 : 0));
        if (code > 100) {
          const Point c = T(f.R(8), f.R(9));
          const double tilt = NormalizeDeg((theta + f.R(12)) * 180 / kPi) * kPi / 180;
          const double r = f.R(10), fl = f.R(11), start = f.R(13), sweep = f.R(14);
          if (code == 101) {
            out.EmitSolidSc(f.I(15), c.x, c.y, r, fl, tilt, start, sweep);
          } else if (code == 111) {
            out.EmitSolidSe(f.I(15), c.x, c.y, r, fl, tilt, start, sweep);
          } else if (code == 105) {
            out.EmitSolidSo(c.x, c.y, r, fl, tilt, start, sweep, f.R(15));
          } else {
            out.EmitSolidSg(c.x, c.y, r, fl, tilt, start, sweep, f.R(15));
          }
        } else {
          const double ax = f.R(8), ay = f.R(9), bx = f.R(10), by = f.R(11);
          const double cx2 = f.R(12), cy2 = f.R(13), dx = f.R(14), dy = f.R(15);
          const Point a = T(ax, ay), b = T(bx, by), c = T(cx2, cy2), d = T(dx, dy);
          if (NearlySamePoint(bx, by, cx2, cy2) && NearlySamePoint(bx, by, dx, dy)) {
            out.EmitSolidLine(a.x, a.y, b.x, b.y);
          } else if (NearlySamePoint(cx2, cy2, dx, dy)) {
            out.EmitSolidTriangle(a.x, a.y, b.x, b.y, c.x, c.y);
          } else {
            out.EmitSolidQuad(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y);
          }
        }
      }
    }
  } catch (const Stop&) {
  }
}

const std::vector<At> kCopies = {{0, 0, 0}, {123.25, -40.5, 0.7}, {-7, 9, kPi}, {3, 3, 4.0}};

// The output of the copies in kCopies, placed one after another by `place`.
template <typename Place>
std::string Image(const std::string& file, Place place) {
  MemoryFileSystem fs;
  fs.files[kDir + "sel.txt"] = file;
  DrawingState state;
  state.lineWidthPresent = true;
  OutputBuffer buffer;
  CommandWriter out(buffer, state);
  out.ResetCommandCache();
  for (const At& at : kCopies) place(fs, at, out);
  return buffer.FileImage();
}

std::string ReferenceImage(const std::string& file, const RunContext& run) {
  return Image(file, [&](FileSystem& fs, const At& at, CommandWriter& out) {
    ReferencePlace(fs, run, at.x, at.y, at.angle, out);
  });
}

std::string ModelImage(const std::string& file, const RunContext& run) {
  std::optional<FigurePlacer> placer;
  return Image(file, [&](FileSystem& fs, const At& at, CommandWriter& out) {
    if (!placer) placer.emplace(fs, kDir, run);
    placer->PlaceFigure(FigureKind::kSelected, at.x, at.y, at.angle, out);
  });
}

// Every kind, with marks, styles, anchors, blank and quoted texts, fonts longer than a record.
const Lines kTrickyRecords = {
    "L,3,1,2,3,2,1,36896,-10,-5,10,-5",
    "E,0,1,2,2,1,0,240,1,2,5,1,0,6.28318530718,0,1",
    "E,0,1,2,2,1,0,0,1,2,5,0.4,0.3,-1.2,0.25,0",
    "E,0,1,2,2,1,0,0,1,2,5,1,0.3,-7,0.25,0",
    "T,0,2,3,4,1,0,16,3,4,0,0,0,1",
    "T,0,2,3,4,100,0,32,3,4,0,5,0.785398163397,2",
    "M,0,0,2,1,5,0,0,-2.5,-1.5,2.5,-1.5,3,3,3,0.5,\"ＭＳ ゴシック\",\"ABC\"",
    "M,0,0,2,7,9,0,59520,1,1,1,9,30010,2,4,0.5,\"F\"\"x\",\"say \"\"hi\"\", ok\"",
    "M,0,0,2,7,0,0,32,0,0,3,4,20000,2,4,0,\"" + std::string(300, 'f') + "\",\"v\"",
    "M,0,0,2,7,15,0,0,0,0,3,4,10205,2,4,0,\"" + std::string(300, 'f') + "g\",\"w\"",
    "M,0,0,2,7,3,0,0,0,0,3,4,10205,2,4,0,\"" + std::string(300, 'f') + "g\",\"" +
        std::string(400, ' ') + "z\"",
    "D,0,4,5,1,1,0,8192,",
    "L,0,4,5,3,2,0,0,-10,-2,10,-2",
    "M,0,4,5,1,1,0,16400,-1.625,-1,1.625,-1,3,3,3,0.5,\"ＭＳ ゴシック\",\"\"",
    "X,0,6,7,0,0,0,208",
    "L,0,0,0,2,3,1,0,-8,0,8,0",
    "M,0,0,0,2,0,0,16400,-1,0.5,1,0.5,0,2,2,0.1,\"G\",\"16\"",
    "L,0,0,0,2,3,1,0,-8,-3,-8,0",
    "L,0,0,0,2,3,1,0,8,-3,8,0",
    "T,0,0,0,3,100,0,0,-8,0,0,4,0,1",
    "T,0,0,0,3,1,0,0,8,0,0,0,0,1",
    "S,0,0,2,3,1,0,14368,-5,-5,5,5,5,5,5,5,0",
    "S,0,0,2,3,1,0,0,-5,-5,5,-5,5,5,5,5,0",
    "S,0,0,2,10,1,0,0,-5,-5,5,-5,5,5,-5,5,65280",
    "S,0,0,2,10,1,0,0,-5,-5,-5,-5,5,5,-5,5,16777216",
    "S,0,0,2,1,101,0,0,1,1,5,1,0.5,0,3.14,5,0",
    "S,0,0,2,1,111,0,0,1,1,5,0.5,0.5,0,3.14,100,0",
    "S,0,0,2,1,105,0,0,1,1,5,1,0.5,0,3.14,2,0",
    "S,0,0,2,1,107,0,0,1,1,5,1,0.5,0,3.14,2.5,0",
    "Q,0,8,9,1,1,0,0",
    "BL,whatever",
};

std::string TrickyFile(const Lines& records, const std::string& extents = "-12,-7,14,9") {
  return Figure(extents, records, 24);  // 23 records in 31 lines, and one more promised
}

TEST(EquivalenceTest, EverySwitchCombination) {
  const std::string file = TrickyFile(kTrickyRecords);
  for (int bits = 0; bits < 16; ++bits) {
    const RunContext run = Switches(bits & 1, bits & 2, bits & 4, bits & 8);
    const std::string expected = ReferenceImage(file, run);
    EXPECT_GT(expected.size(), 1000u);
    EXPECT_EQ(ModelImage(file, run), expected) << "switches " << bits;
  }
}

// Every line of the file cut to every shorter field count: what comes before the missing
// field is written for each copy, and then that copy ends.
TEST(EquivalenceTest, EveryLineCutShort) {
  const RunContext runs[] = {Switches(false, false, false, false), Switches(true, true, true, true),
                             Switches(false, false, true, false),
                             Switches(true, false, false, true)};
  for (size_t line = 0; line < kTrickyRecords.size(); ++line) {
    const auto fields = SplitFields(kTrickyRecords[line]);
    for (size_t keep = 0; keep < fields.size(); ++keep) {
      Lines records = kTrickyRecords;
      std::string cut;
      for (size_t k = 0; k < keep; ++k) {
        cut.append(k ? ",\"" : "\"").append(DoubleQuotes(fields[k])).append("\"");
      }
      records[line] = cut;
      const std::string file = TrickyFile(records);
      for (const RunContext& run : runs) {
        ASSERT_EQ(ModelImage(file, run), ReferenceImage(file, run))
            << "line " << line << " cut to " << keep << " fields";
      }
    }
  }
}

TEST(EquivalenceTest, FileEndingAfterEveryLine) {
  Lines all = {"-12,-7,14,9", kScales, "N,24"};
  all.insert(all.end(), kTrickyRecords.begin(), kTrickyRecords.end());
  const RunContext run = Switches(false, false, false, false);
  for (size_t n = 0; n <= all.size(); ++n) {
    const std::string file = CrLf(Lines(all.begin(), all.begin() + n));
    ASSERT_EQ(ModelImage(file, run), ReferenceImage(file, run)) << n << " lines";
    // A last line without its line end is still a line.
    std::string open = file;
    if (open.size() >= 2) open.resize(open.size() - 2);
    ASSERT_EQ(ModelImage(open, run), ReferenceImage(open, run)) << n << " lines, no end";
  }
}

std::string TextRecord(const std::string& font, const std::string& text) {
  std::string line = "M,0,0,2,1,1,0,0,0,0,20,0,3,5,5,0,\"";
  line.append(DoubleQuotes(font)).append("\",\"").append(DoubleQuotes(text)).append("\"");
  return line;
}

// Texts and fonts around the record limit: two-byte characters across byte 255, line-end
// bytes inside quotes (dropped by the writer before it counts), blanks far into the text.
TEST(EquivalenceTest, TextsAndFontsAroundTheRecordLimit) {
  const std::string wide = "\x82\xa0";
  const std::string longFont = std::string(250, 'f') + wide + "g";
  const std::string dimension = "D,0,0,2,1,1,0,0,\r\nL,0,0,2,1,1,0,0,-5,0,5,0\r\n";
  const Lines records = {
      TextRecord(longFont, std::string(254, 'a') + wide + "b"),
      TextRecord(longFont, std::string(253, 'a') + wide + "b"),
      TextRecord(longFont + "h", std::string(300, ' ') + "\r" + "x"),
      TextRecord(std::string(100, '\r') + std::string(300, 'f'), "a\rb" + std::string(300, 'c')),
      TextRecord(std::string(100, '\r') + std::string(300, 'f') + "z",
                 std::string(256, ' ') + wide),
      TextRecord(std::string(251, 'f'), std::string(255, 'a')),
      TextRecord(std::string(252, 'f'), std::string(256, 'a')),
      TextRecord(std::string(251, 'f'), std::string(600, '\t') + wide + "q"),
      dimension + "M,0,0,2,1,1,0,16400,-1,1,1,1,3,3,3,0.5,\"G\",\"" + std::string(400, ' ') + wide +
          "\"",
      dimension + "M,0,0,2,1,1,0,16400,-1,1,1,1,3,3,3,0.5,\"G\",\"" + std::string(400, ' ') + "9\"",
  };
  const std::string file = Figure("-10,-10,10,10", records);
  for (int bits : {0, 4}) {
    const RunContext run = Switches(false, false, bits & 4, false);
    EXPECT_EQ(ModelImage(file, run), ReferenceImage(file, run)) << bits;
  }
}

// Attribute commands that repeat within a copy, and the ones between them that disturb the
// cache: a new layer group forces the layer again, line colours and RGB colours share theirs.
TEST(EquivalenceTest, RepeatedAttributesAndTheirCaches) {
  const Lines records = {
      "L,0,1,2,3,1,0,0,0,0,1,1",
      "L,0,5,2,3,1,0,0,0,0,1,2",
      "S,0,5,2,10,1,0,0,0,0,1,0,1,1,0,1,255",
      "L,0,5,2,3,1,0,0,0,0,1,3",
      "S,0,5,2,10,1,0,0,0,0,1,0,1,1,0,1,255",
      "S,0,5,2,10,1,0,0,0,0,2,0,2,2,0,2,255",
      "L,0,5,2,10,1,0,0,0,0,1,4",
      "S,0,5,2,10,1,0,0,0,0,3,0,3,3,0,3,255",
      "L,0,5,2,3,1,0,0,0,0,1,5",
      "T,0,5,2,4,1,0,0,1,1,0,0,0,1",
      "T,0,5,2,4,1,0,0,2,2,0,0,0,1",
      "M,0,5,2,1,5,0,0,0,0,20,0,3,5,5,0,\"F\",\"a\"",
      "M,0,5,2,1,5,0,0,0,0,20,0,3,5,5,0,\"F\",\"b\"",
      "M,0,5,2,1,5,0,0,0,0,20,0,0,5,5,0,\"F\",\"c\"",
      "M,0,5,2,1,5,0,0,0,0,20,0,0,5,6,0,\"F\",\"d\"",
      "L,0,1,2,3,1,0,0,0,0,1,6",
  };
  const std::string file = Figure("-10,-10,10,10", records);
  for (int bits = 0; bits < 16; ++bits) {
    const RunContext run = Switches(bits & 1, bits & 2, bits & 4, bits & 8);
    EXPECT_EQ(ModelImage(file, run), ReferenceImage(file, run)) << "switches " << bits;
  }
}

// A line colour 10 leaves the colour value cached from before: within a copy, a value after
// it repeats nothing known, since an earlier copy may have cached another value.
TEST(EquivalenceTest, ColourValueAfterALineColourTen) {
  const Lines records = {
      "L,0,1,2,3,1,0,0,0,0,1,1",
      "L,0,1,2,10,1,0,0,0,0,1,2",
      "S,0,1,2,10,1,0,0,0,0,1,0,1,1,0,1,0",
      "S,0,1,2,10,1,0,0,0,0,2,0,2,2,0,2,7",
  };
  const std::string file = Figure("-10,-10,10,10", records);
  const RunContext run = Switches(false, false, false, false);
  EXPECT_EQ(ModelImage(file, run), ReferenceImage(file, run));
}

// A figure large enough to be kept in many blocks, with texts of hundreds of bytes among short
// ops at their ends, replays as it reads.
TEST(EquivalenceTest, AFigureOfManyBlocks) {
  Lines records;
  for (int i = 0; i < 300; ++i) {
    records.insert(records.end(), kTrickyRecords.begin(), kTrickyRecords.end() - 1);
  }
  const std::string file = Figure("-12,-7,14,9", records, 300 * 22);
  const RunContext run = Switches(false, false, false, false);
  EXPECT_EQ(ModelImage(file, run), ReferenceImage(file, run));
}

TEST(EquivalenceTest, UncentredExtentsAndOddNumbers) {
  const std::string file = TrickyFile(kTrickyRecords, "1e5,-3.5e-3,1.00001e5,7");
  const RunContext run = Switches(false, false, false, false);
  EXPECT_EQ(ModelImage(file, run), ReferenceImage(file, run));
}

}  // namespace
}  // namespace gara

namespace gara {
namespace {

// A figure read into memory takes about what its records hold: at most 100 bytes for a line
// whose every attribute differs from the line before, and less than the file for lines as the
// selection export writes them.
TEST(FigureFootprintTest, ALineTakesAtMostAHundredBytes) {
  constexpr size_t kLines = 100000;
  Lines varied;
  Lines plain;
  for (size_t i = 0; i < kLines; ++i) {
    const std::string a = std::to_string(i % 2 + 1);
    // Layer group, layer, colour, line type, width and the flags of z1 or z2, all changing.
    varied.push_back("L,0," + a + "," + a + "," + a + "," + a + "," + a + "," +
                     (i % 2 ? "32" : "2048") + ",-3.14159,2.71828,1.41421,-1.73205");
    plain.push_back("L,0,0,2,1,1,0,0,-3.1416,2.7183,1.4142,-1.7321");
  }
  LongFontTable fonts;
  const FigureModel model = ParseFigure(Figure("-5,-5,5,5", varied), RunContext(), fonts);
  EXPECT_EQ(model.ops.size(), 7 * kLines);
  EXPECT_LE(model.BytesHeld(), 100 * kLines);
  const std::string file = Figure("-5,-5,5,5", plain);
  const FigureModel plainModel = ParseFigure(file, RunContext(), fonts);
  EXPECT_EQ(plainModel.entityCommands, kLines);
  EXPECT_LE(plainModel.BytesHeld(), file.size());
}

// The memo gives what working the shape out gives, bit for bit, for any order of arguments:
// repeated ones, more distinct ones than it holds, and the two zeros, which turn an ellipse
// differently.
TEST(StretchedEllipseMemo, GivesTheWorkedOutShape) {
  StretchedEllipseMemo memo;
  const auto same = [](const StretchedEllipse& a, const StretchedEllipse& b) {
    return std::bit_cast<uint64_t>(a.radius) == std::bit_cast<uint64_t>(b.radius) &&
           std::bit_cast<uint64_t>(a.ratio) == std::bit_cast<uint64_t>(b.ratio) &&
           std::bit_cast<uint64_t>(a.rot) == std::bit_cast<uint64_t>(b.rot) &&
           std::bit_cast<uint64_t>(a.shift) == std::bit_cast<uint64_t>(b.shift) &&
           a.reversed == b.reversed;
  };
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 200; ++i) {
      const double stretch = 0.5 + (i % 7) * 0.25;
      const double rot = i % 2 == 0 ? 0.0 : -0.0;
      const double args[4] = {1.0 + i % 13, i % 5 == 0 ? -0.5 : 0.5, i % 3 == 0 ? rot : i * 0.1,
                              stretch};
      EXPECT_TRUE(same(memo.Get(args[0], args[1], args[2], args[3]),
                       StretchEllipse(args[0], args[1], args[2], args[3])))
          << i;
    }
  }
}

}  // namespace
}  // namespace gara
