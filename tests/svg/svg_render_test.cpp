#include "svg/svg_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "support/memory_file_system.h"

namespace gara::svg {
namespace {

std::string Render(std::string_view input) { return RenderSvg(input); }

// The document with the background and the drawing's own group only.
std::string Body(std::string_view input) {
  const std::string svg = Render(input);
  const size_t begin = svg.find("<g id=\"drawing\"");
  if (begin == std::string::npos) return "";
  return svg.substr(begin, svg.find("</g>\n</g>", begin) - begin);
}

struct EntityCase {
  const char* name;
  std::string input;
  std::vector<std::string> expected;  // pieces the drawing group must contain
};

void PrintTo(const EntityCase& c, std::ostream* os) { *os << c.name; }

class EntityTest : public ::testing::TestWithParam<EntityCase> {};

TEST_P(EntityTest, DrawsItsElement) {
  const std::string body = Body(GetParam().input);
  for (const std::string& piece : GetParam().expected) {
    EXPECT_NE(body.find(piece), std::string::npos) << piece << "\nin\n" << body;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, EntityTest,
    ::testing::Values(
        EntityCase{"Line", "0 0 10 0\n", {"<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"0\""}},
        // y is written negated: y up in the drawing, down in the SVG.
        EntityCase{"LineUp", "0 0 0 10\n", {"<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"-10\""}},
        EntityCase{"Circle", "ci 0 0 5\n", {"<path d=\"M5,0 A5 5 0 0 0 -5,0 A5 5 0 0 0 5,0 Z\""}},
        EntityCase{"QuarterArc", "ci 0 0 5 0 90 1 0\n", {"<path d=\"M5,0 A5 5 0 0 0 0,-5\""}},
        EntityCase{"ArcOverZero", "ci 0 0 5 270 90 1 0\n", {"<path d=\"M0,5 A5 5 0 0 0 0,-5\""}},
        // Beyond a half turn: two halves.
        EntityCase{"LargeArc",
                   "ci 0 0 5 0 270 1 0\n",
                   {"<path d=\"M5,0 A5 5 0 0 0 -3.5355,-3.5355 A5 5 0 0 0 0,5\""}},
        // Almost a whole turn still shows though its ends round to one point.
        EntityCase{"AlmostWholeArc",
                   "ci 0 0 5 0 359.9999999 1 0\n",
                   {"<path d=\"M5,0 A5 5 0 0 0 -5,0 A5 5 0 0 0 5,0\""}},
        EntityCase{"TiltedEllipticArc",
                   "ci 0 0 10 0 180 0.5 90\n",
                   {"<path d=\"M0,-10 A10 5 -90 0 0 0,10\""}},
        EntityCase{
            "MirroredEllipse", "ci 0 0 10 0 90 -0.5 0\n", {"<path d=\"M10,0 A10 5 0 0 1 0,5\""}},
        EntityCase{"Point", "pt 1 2\n", {"<circle cx=\"1\" cy=\"-2\""}},
        EntityCase{"RotatedPoint", "pt 1 2 1 90 3\n", {"<path d=\"M1,-2 L", "<circle cx=\"1\""}},
        EntityCase{"Text",
                   "ch 0 0 1 0 \"AB\n",
                   {"<text transform=\"translate(0 0) rotate(0)\" textLength=\"3\" "
                    "lengthAdjust=\"spacingAndGlyphs\" font-size=\"3\" fill=\"#000000\"",
                    "xml:space=\"preserve\">AB</text>"}},
        // Anchor 4 (the centre) at (10, 10): the lower-left corner lies half the box back.
        EntityCase{"TextAnchor", "cc4\nch 10 10 1 0 \"AB\n", {"translate(8.5 -8.5)"}},
        EntityCase{"TextFreeSizeAndDirection",
                   "cn0 4 5 1 8\nch 0 0 0 1 \"ABC\n",
                   {"rotate(-90)", "font-size=\"5\"", "textLength=\"7\"", "fill=\"#e60000\""}},
        EntityCase{
            "TextFontAndStyles",
            "cn$<ＭＳ 明朝>/!\nch 0 0 1 0 \"A\n",
            {"font-family=\"'\xEF\xBC\xAD\xEF\xBC\xB3 \xE6\x98\x8E\xE6\x9C\x9D', monospace\"",
             "font-style=\"italic\"", "font-weight=\"bold\""}},
        // Upright characters down the run, 3 apart, centred across the box 3 wide.
        EntityCase{"VerticalText",
                   "cv 0 0 0 -1 \"AB\n",
                   {"<g class=\"vertical-text\" font-size=\"3\"",
                    "<text transform=\"translate(1.5 3) rotate(0)\">A</text>",
                    "<text transform=\"translate(1.5 6) rotate(0)\">B</text>"}},
        EntityCase{"TextEscaped", "ch 0 0 1 0 \"a<b&c\n", {">a&lt;b&amp;c</text>"}},
        EntityCase{"TextScaledByItsLayerGroup",
                   "hs 1 50 1 1 1 1 1 1 1 1 1 1 1 1 1 1\nlg1\nch 0 0 1 0 \"A\n",
                   {"font-size=\"150\""}},
        EntityCase{"TextOfPaperScaleNotScaled",
                   "hs 1 50 1 1 1 1 1 1 1 1 1 1 1 1 1 1\nbz\nlg1\nch 0 0 1 0 \"A\n",
                   {"font-size=\"3\""}},
        EntityCase{"Dimension",
                   "msg\n0 0 10 0\ncs 3 1 10 0 \"10\n",
                   {"<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"0\"", "translate(3 -1)", ">10</text>"}},
        EntityCase{"SolidQuad",
                   "sl 0 0 10 0 10 10 0 10\n",
                   {"<polygon points=\"0,0 10,0 10,-10 0,-10\" fill=\"#0096c8\" stroke=\"none\""}},
        EntityCase{"SolidTriangle", "sl 0 0 10 0 10 10\n", {"<polygon points=\"0,0 10,0 10,-10\""}},
        EntityCase{"SolidLine", "sl 0 0 10 10\n", {"<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"-10\""}},
        // "lc10" values are in Windows' order: 255 is red.
        EntityCase{"SolidRgb", "lc10 255\nsl 0 0 10 0 10 10\n", {"fill=\"#ff0000\""}},
        EntityCase{"SolidRgbBlue", "lc10 16711680\nsl 0 0 10 0 10 10\n", {"fill=\"#0000ff\""}},
        EntityCase{"CircleSolidSector",
                   "sc 0 0 10 1 0 0 1.5707963267949 0\n",
                   {"<path d=\"M0,0 L10,0 A10 10 0 0 0 0,-10 Z\" fill-rule=\"evenodd\""}},
        EntityCase{"CircleSolidSegment",
                   "sc 0 0 10 1 0 0 1.5707963267949 5\n",
                   {"<path d=\"M10,0 A10 10 0 0 0 0,-10 Z\""}},
        EntityCase{"CircleSolidOutside",
                   "sc 0 0 10 1 0 0 1.5707963267949 -1\n",
                   {"<path d=\"M10,-10 L10,0 A10 10 0 0 0 0,-10 Z\""}},
        EntityCase{"CircleSolidWhole",
                   "sc 0 0 10 1 0 0 1 100\n",
                   {"<path d=\"M10,0 A10 10 0 0 0 -10,0 A10 10 0 0 0 10,0 Z\""}},
        EntityCase{"CircumferenceSolid",
                   "se 0 0 10 1 0 0 1.5707963267949 0\n",
                   {"<path d=\"M10,0 A10 10 0 0 0 0,-10\" stroke=\"#0096c8\""}},
        EntityCase{"RingSolid",
                   "so 0 0 10 1 0 0 3.14159265358979 5\n",
                   {"<path d=\"M10,0 A10 10 0 0 0 -10,0 L-5,0 A5 5 0 0 1 5,0 Z\""}},
        EntityCase{"RingSolidWhole",
                   "so 0 0 10 1 0 0 0 5\n",
                   {"M10,0 A10 10 0 0 0 -10,0 A10 10 0 0 0 10,0 Z M5,0 A5 5"}},
        // Constant width: the inner ellipse is 10 - 5 narrower on both axes.
        EntityCase{"RingSolidConstantWidth",
                   "sg 0 0 10 0.8 0 0 3.14159265358979 5\n",
                   {"L-5,0 A5 3 0 0 1 5,0 Z"}},
        EntityCase{"LayerGroups",
                   "lg3\nly5\n0 0 1 1\nlgA\n0 0 2 2\n",
                   {"<g class=\"lg3 ly3-5\">", "<g class=\"lg10 ly10-5\">"}},
        EntityCase{"LineColour", "lc8\n0 0 1 1\n", {"stroke=\"#e60000\""}},
        EntityCase{"ColourZeroVisible", "lc0\n0 0 1 1\n", {"stroke=\"#c0c0c0\""}},
        EntityCase{"LineType", "lt2\n0 0 100 0\n", {"stroke-dasharray=\""}},
        EntityCase{"Block", "BL 1 2 name\n", {"<title>name</title>"}}),
    [](const auto& info) { return std::string(info.param.name); });

// One record of a figure file behind its extents, scales and count lines.
std::string Figure(std::string_view record) {
  return "0,0,0,0\r\n1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\r\nN,1\r\n" + std::string(record);
}

INSTANTIATE_TEST_SUITE_P(
    Figure, EntityTest,
    ::testing::Values(
        EntityCase{"Line",
                   Figure("L,0,0,3,8,2,0,0,-10,-5,10,-5\r\n"),
                   {"<g class=\"lg0 ly0-3\">",
                    "<line x1=\"-10\" y1=\"5\" x2=\"10\" y2=\"5\" stroke=\"#e60000\"",
                    "stroke-dasharray"}},
        EntityCase{"QuarterArc",
                   Figure("E,0,0,2,1,1,0,0,-5,-5,10,1,0,1.570796326795,0,0\r\n"),
                   {"<path d=\"M5,5 A10 10 0 0 0 -5,-5\""}},
        EntityCase{"BackwardArc",
                   Figure("E,0,0,2,1,1,0,0,0,0,10,1,1.570796326795,-1.570796326795,0,0\r\n"),
                   {"<path d=\"M10,0 A10 10 0 0 0 0,-10\""}},
        EntityCase{"TiltedEllipse",
                   Figure("E,0,0,2,1,1,0,0,0,0,10,0.5,0,6.28318530718,1.570796326795,1\r\n"),
                   {"<path d=\"M0,-10 A10 5 -90 0 0 0,10 A10 5 -90 0 0 0,-10 Z\""}},
        EntityCase{"Point",
                   Figure("T,0,0,2,4,1,0,0,3,4,0,0,0,1\r\n"),
                   {"<circle cx=\"3\" cy=\"-4\" r=\""}},
        EntityCase{"RotatedPoint",
                   Figure("T,0,0,2,1,100,0,0,3,4,0,3,0.785398163397,2\r\n"),
                   {"<path d=\"M3,-4 L", "<circle cx=\"3\" cy=\"-4\""}},
        EntityCase{"CircleSolid",
                   Figure("S,0,0,2,3,101,0,0,0,0,10,1,0,0,1.5707963267949,0,0\r\n"),
                   {"<path d=\"M0,0 L10,0 A10 10 0 0 0 0,-10 Z\" fill-rule=\"evenodd\" "
                    "fill=\"#008c00\""}},
        EntityCase{"RingSolid",
                   Figure("S,0,0,2,3,105,0,0,0,0,10,1,0,0,3.14159265358979,5,0\r\n"),
                   {"<path d=\"M10,0 A10 10 0 0 0 -10,0 L-5,0 A5 5 0 0 1 5,0 Z\""}},
        EntityCase{"TwoCornerSolid",
                   Figure("S,0,0,2,3,1,0,0,0,0,10,10,10,10,10,10,0\r\n"),
                   {"<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"-10\""}},
        EntityCase{"VerticalText",
                   Figure("M,0,0,2,1,1,0,32,0,0,0,-6,0,3,3,0,\"F\",\"AB\"\r\n"),
                   {"<g class=\"vertical-text\" font-size=\"3\"",
                    "<text transform=\"translate(1.5 3) rotate(0)\">A</text>"}},
        EntityCase{"DimensionWithExtensionLines",
                   Figure("X,0,0,2,1,1,0,0\r\n"
                          "L,0,0,2,1,1,0,0,0,0,20,0\r\n"
                          "M,0,0,2,1,1,0,0,8,1,12,1,0,3,3,0,\"F\",\"20\"\r\n"
                          "L,0,0,2,1,1,0,0,0,-5,0,0\r\n"
                          "L,0,0,2,1,1,0,0,20,-5,20,0\r\n"
                          "T,0,0,2,1,1,0,0,0,0,0,0,0,1\r\n"
                          "T,0,0,2,1,1,0,0,20,0,0,0,0,1\r\n"),
                   {"<line x1=\"0\" y1=\"0\" x2=\"20\" y2=\"0\"",
                    "<line x1=\"0\" y1=\"5\" x2=\"0\" y2=\"0\"",
                    "<line x1=\"20\" y1=\"5\" x2=\"20\" y2=\"0\"", "translate(8 -1)", ">20</text>",
                    "<circle cx=\"20\" cy=\"0\""}}),
    [](const auto& info) { return std::string(info.param.name); });

// A picture larger than one piece comes out in pieces that make the same document; a sink that
// fails is not called again.
TEST(SvgPieces, SameDocumentInPiecesAndAFailingSinkStops) {
  std::string exchange;
  for (int i = 0; i < 40000; ++i)
    exchange += std::to_string(i) + " 0 " + std::to_string(i) + " 9\n";
  const Drawing drawing = ReadDrawing(exchange);
  const std::string whole = WriteSvg(drawing);
  ASSERT_GT(whole.size(), 2 * kSvgChunk);
  std::string joined;
  int pieces = 0;
  EXPECT_TRUE(WriteSvg(drawing, [&](std::string_view piece) {
    ++pieces;
    joined += piece;
    return true;
  }));
  EXPECT_EQ(joined, whole);
  EXPECT_GE(pieces, 3);
  int calls = 0;
  EXPECT_FALSE(WriteSvg(drawing, [&](std::string_view) {
    ++calls;
    return false;
  }));
  EXPECT_EQ(calls, 1);
}

// Many entities across layers, so that the written-as-read picture spans several batches of
// records and its layer groups run on from one batch into the next.
std::string ManyEntities(std::string_view tail) {
  constexpr std::string_view kHex = "0123456789abcdef";
  std::string exchange = "hs 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2\n";
  for (int i = 0; i < 9000; ++i) {
    const std::string n = std::to_string(i);
    // Group 0 only at the start; runs of one layer that straddle the batches.
    if (i % 700 == 0)
      exchange += std::string("lg") + kHex[i / 700] + "\nly" + kHex[i / 1400] + '\n';
    exchange += i % 3 == 0   ? "ch " + n + " 0 1 0 \"T" + n + "\n"
                : i % 3 == 1 ? "ci " + n + " 5 2 0 200 0.5 30\n"
                             : n + " 0 " + n + " 9\n";
  }
  return exchange + std::string(tail);
}

struct StreamCase {
  const char* name;
  std::string input;
  std::string points;  // drawn under the picture when not empty
};

void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.name; }

class StreamTest : public ::testing::TestWithParam<StreamCase> {};

// The picture written as the input is read is the picture of the whole drawing in memory.
TEST_P(StreamTest, SameDocumentAsTheDrawingInMemory) {
  const StreamCase& c = GetParam();
  const std::string_view points = c.points;
  const std::string_view* from = points.empty() ? nullptr : &points;
  std::string streamed;
  EXPECT_TRUE(StreamSvg(c.input, from, [&](std::string_view piece) {
    streamed += piece;
    return true;
  }));
  EXPECT_EQ(streamed, RenderSvg(c.input, from));
}

// Files handed over in pieces of a few bytes, so that lines straddle the pieces.
class SmallPieces final : public FileSystem {
 public:
  testing::MemoryFileSystem memory;
  std::optional<std::string> ReadFile(const std::string& path) override {
    return memory.ReadFile(path);
  }
  bool ReadPieces(const std::string& path,
                  const std::function<bool(std::string_view)>& consume) override {
    const std::optional<std::string> bytes = memory.ReadFile(path);
    if (!bytes) return false;
    for (size_t at = 0; at < bytes->size(); at += 7) {
      if (!consume(std::string_view(*bytes).substr(at, 7))) break;
    }
    return true;
  }
  bool IsFile(const std::string& path) override { return memory.IsFile(path); }
  bool Remove(const std::string& path) override { return memory.Remove(path); }
  std::unique_ptr<OutputFile> Create(const std::string& path) override {
    return memory.Create(path);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return memory.Rename(from, to);
  }
};

// Read from the disk in pieces, once for each pass, the files give the same document.
TEST_P(StreamTest, SameDocumentFromFiles) {
  const StreamCase& c = GetParam();
  SmallPieces fs;
  fs.memory.files["input"] = c.input;
  fs.memory.files["points"] = c.points;
  const std::string points = "points";
  FilePicture picture(fs, "input", c.points.empty() ? nullptr : &points);
  std::string unreadable;
  ASSERT_TRUE(picture.Measure(unreadable)) << unreadable;
  std::string written;
  EXPECT_TRUE(picture.Write([&](std::string_view piece) {
    written += piece;
    return true;
  }));
  EXPECT_FALSE(picture.inputLost());
  const std::string_view from = c.points;
  EXPECT_EQ(written, RenderSvg(c.input, c.points.empty() ? nullptr : &from));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, StreamTest,
    ::testing::Values(
        StreamCase{"Empty", "", ""}, StreamCase{"Mixed", ManyEntities("hp1 0 0\nhp2 9000 9\n"), ""},
        // Scales set after the texts size them all: the picture's box follows the last ones.
        StreamCase{"ScalesAtTheEnd", ManyEntities("hs 900 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\n"), ""},
        StreamCase{"PointsOfAnotherFile", "ch 0 0 1 0 \"AB\n0 0 10 0\n",
                   "hcw 4 4 4 4 4 4 4 4 4 4\nhs 50 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\nhp1 -9 -9\n"},
        StreamCase{"Figure", Figure("L,0,0,3,8,2,0,0,-10,-5,10,-5\r\n"), "hp1 0 0\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct UnreadableCase {
  const char* name;
  bool inputThere, pointsThere;
  const char* unreadable;
};

class UnreadableFileTest : public ::testing::TestWithParam<UnreadableCase> {};

// A file that cannot be read is named before anything is written.
TEST_P(UnreadableFileTest, NamesTheFile) {
  const UnreadableCase& c = GetParam();
  testing::MemoryFileSystem fs;
  if (c.inputThere) fs.files["input"] = "0 0 1 1\n";
  if (c.pointsThere) fs.files["points"] = "hp1 0 0\n";
  const std::string points = "points";
  FilePicture picture(fs, "input", &points);
  std::string unreadable;
  EXPECT_FALSE(picture.Measure(unreadable));
  EXPECT_EQ(unreadable, c.unreadable);
}

INSTANTIATE_TEST_SUITE_P(Files, UnreadableFileTest,
                         ::testing::Values(UnreadableCase{"NoInput", false, true, "input"},
                                           UnreadableCase{"NoPoints", true, false, "points"}),
                         [](const auto& info) { return std::string(info.param.name); });

// An input gone between the passes is told apart from a failed sink.
TEST(FilePicture, InputLostBeforeTheSecondPass) {
  testing::MemoryFileSystem fs;
  fs.files["input"] = "0 0 1 1\n";
  FilePicture picture(fs, "input", nullptr);
  std::string unreadable;
  ASSERT_TRUE(picture.Measure(unreadable));
  fs.files.erase("input");
  EXPECT_FALSE(picture.Write([](std::string_view) { return true; }));
  EXPECT_TRUE(picture.inputLost());
}

TEST(LineStyle, SolidLineTypeHasNoDashes) {
  EXPECT_EQ(Body("lt1\n0 0 100 0\n").find("dasharray"), std::string::npos);
  EXPECT_EQ(Body("lt42\n0 0 100 0\n").find("dasharray"), std::string::npos);
}

TEST(LineStyle, DashPatternsDiffer) {
  std::vector<std::string> seen;
  for (int type = 2; type <= 9; ++type) {
    const std::string body = Body("lt" + std::to_string(type) + "\n0 0 100 0\n");
    const size_t at = body.find("stroke-dasharray=\"");
    ASSERT_NE(at, std::string::npos) << type;
    const std::string pattern = body.substr(at, body.find('"', at + 18) - at);
    for (const std::string& other : seen) EXPECT_NE(pattern, other) << type;
    seen.push_back(pattern);
  }
}

double StrokeWidthOf(const std::string& body) {
  const size_t at = body.find("stroke-width=\"");
  return at == std::string::npos ? -1 : std::stod(body.substr(at + 14));
}

TEST(LineStyle, WidthsGrowWithTheirValueWithinLimits) {
  // A 600 mm picture has a unit of about 1 mm: ordinary lines 1.5 units, at most 6.
  const double ordinary = StrokeWidthOf(Body("0 0 600 0\n"));
  const double wide = StrokeWidthOf(Body("lw300\n0 0 600 0\n"));
  const double huge = StrokeWidthOf(Body("lw30000\n0 0 600 0\n"));
  EXPECT_GT(ordinary, 0);
  EXPECT_GT(wide, ordinary);
  EXPECT_GT(huge, wide);
  EXPECT_LE(huge, 4 * ordinary + 1e-9);
}

TEST(Colours, PaletteAndRgb) {
  EXPECT_EQ(ColourOf(2, 0), 0x000000u);
  EXPECT_EQ(ColourOf(8, 0), 0xE60000u);
  EXPECT_EQ(ColourOf(0, 0), 0xC0C0C0u);
  EXPECT_EQ(ColourOf(10, 0x0000FF), 0xFF0000u);
  EXPECT_EQ(ColourOf(10, 0x00FF00), 0x00FF00u);
  EXPECT_EQ(ColourOf(10, 0xFF0000), 0x0000FFu);
  EXPECT_EQ(ColourOf(10, -1), 0xFFFFFFu);
  EXPECT_EQ(ColourOf(11, 0), 0x000000u);
  EXPECT_EQ(ColourOf(-1, 0), 0x000000u);
  EXPECT_EQ(ColourOf(105, 0), 0x000000u);
  // Nine different colours: no two numbers look alike.
  for (int a = 1; a <= 9; ++a) {
    for (int b = a + 1; b <= 9; ++b) EXPECT_NE(ColourOf(a, 0), ColourOf(b, 0)) << a << b;
  }
}

TEST(View, FitsTheDrawingWithAMarginAndFlipsY) {
  const std::string svg = Render("0 0 100 50\n");
  // 5 % of the larger side each way; the viewBox runs from the top (y = 55) down.
  EXPECT_NE(svg.find("width=\"110mm\" height=\"60mm\" viewBox=\"-5 -55 110 60\""),
            std::string::npos)
      << svg;
  EXPECT_NE(svg.find("<rect class=\"background\" x=\"-5\" y=\"-55\" width=\"110\" height=\"60\" "
                     "fill=\"#ffffff\"/>"),
            std::string::npos);
}

TEST(View, CoversArcsTextsAndPoints) {
  Drawing drawing = ReadDrawing("ci 100 0 10 0 90 1 0\nch -50 0 1 0 \"AB\nhp1 0 -40\n");
  const View view = ViewOf(drawing);
  EXPECT_LT(view.x, -50);
  EXPECT_GT(view.x + view.width, 110);
  EXPECT_LT(view.y, -40);
  EXPECT_GT(view.y + view.height, 10);
}

TEST(View, NothingDrawableGivesASmallEmptyPicture) {
  for (std::string_view input : {"", "hq\n", "garbage\n\n\n", "0 0 1e300 0\n"}) {
    const std::string svg = Render(input);
    EXPECT_NE(svg.find("viewBox=\"-10 -10 20 20\""), std::string::npos) << input;
    EXPECT_EQ(svg.find("<g id=\"drawing\""), std::string::npos) << input;
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  }
}

TEST(View, SinglePointGetsAMargin) {
  const View view = ViewOf(ReadDrawing("pt 5 5\n"));
  EXPECT_DOUBLE_EQ(view.x, 4);
  EXPECT_DOUBLE_EQ(view.width, 2);
  EXPECT_GT(view.unit, 0);
}

TEST(DesignatedPoints, MarkedWithTheirNumbersOverTheDrawing) {
  const std::string svg = Render("hp1 0 0\nhp12 10 5\n0 0 10 5\n");
  const size_t drawing = svg.find("<g id=\"drawing\"");
  const size_t overlay = svg.find("<g id=\"overlay\"");
  ASSERT_NE(drawing, std::string::npos);
  ASSERT_NE(overlay, std::string::npos);
  EXPECT_LT(drawing, overlay);
  EXPECT_NE(svg.find(">1</text>", overlay), std::string::npos);
  EXPECT_NE(svg.find(">12</text>", overlay), std::string::npos);
  EXPECT_NE(svg.find("<circle cx=\"10\" cy=\"-5\"", overlay), std::string::npos);
}

TEST(DesignatedPoints, OnOneSpotShareOneMark) {
  const std::string svg = Render("hp1 0 0\nhp2 10 0\nhp3 10 10\nhp4 0 0\n");
  EXPECT_NE(svg.find(">1,4</text>"), std::string::npos) << svg;
  EXPECT_EQ(svg.find(">4</text>"), std::string::npos);
  size_t marks = 0;
  for (size_t at = svg.find("designated-point"); at != std::string::npos;
       at = svg.find("designated-point", at + 1)) {
    ++marks;
  }
  EXPECT_EQ(marks, 3u);
}

TEST(DesignatedPoints, OfAnotherFileUnderTheDrawing) {
  const std::string_view points = "hp1 0 0\nhp2 100 0\n";
  const std::string svg = RenderSvg("lg0\n0 0 100 0\n", &points);
  const size_t underlay = svg.find("<g id=\"underlay\"");
  const size_t drawing = svg.find("<g id=\"drawing\"");
  ASSERT_NE(underlay, std::string::npos);
  ASSERT_NE(drawing, std::string::npos);
  EXPECT_LT(underlay, drawing);
  EXPECT_NE(svg.find(">2</text>", underlay), std::string::npos);
  EXPECT_EQ(svg.find("<g id=\"overlay\""), std::string::npos);
}

TEST(DesignatedPoints, FileOfThePointsLendsItsTextSizesAndScales) {
  const std::string_view input =
      "hs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\nhch 2 2.5 4 4 5 6 7 8 9 10\nhp1 0 0\n";
  const std::string_view scaled = "hs 10 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\nhp1 0 0\n";
  const std::string_view result = "cn3\nch 0 0 1 0 \"A\n";
  EXPECT_NE(Body(result).find("font-size=\"3\""), std::string::npos);
  EXPECT_NE(RenderSvg(result, &input).find("font-size=\"4\""), std::string::npos);
  EXPECT_NE(RenderSvg(result, &scaled).find("font-size=\"30\""), std::string::npos);
  // The result's own header wins.
  const std::string own = "hch 1 1 7 1 1 1 1 1 1 1\n" + std::string(result);
  EXPECT_NE(RenderSvg(own, &input).find("font-size=\"7\""), std::string::npos);
}

constexpr std::string_view kSampleFigure =
    "-5,-3,5,3\r\n"
    "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\r\n"
    "N,5\r\n"
    "L,0,0,1,2,1,0,0,-5,0,0,3\r\n"
    "E,0,0,1,5,1,0,0,0,0,1.5,1,0,6.28318530718,0,1\r\n"
    "M,0,0,2,8,1,0,0,-2.5,-1.5,2.5,-1.5,3,4,5,0.5,\"ＭＳ ゴシック\",\"A&B\"\r\n"
    "S,0,0,2,10,1,0,0,-5,-5,5,-5,5,5,-5,5,255\r\n"
    "D,0,0,2,1,1,0,0,\r\n"
    "L,0,0,2,1,1,0,0,-10,-2,10,-2\r\n"
    "M,0,0,2,1,1,0,16400,-1.625,-1,1.625,-1,3,3,3,0.5,\"ＭＳ ゴシック\",\"\"\r\n"
    "BD,0\r\n";

TEST(FigureFile, ToldApartByItsContent) {
  EXPECT_TRUE(IsFigureFile(kSampleFigure));
  EXPECT_TRUE(IsFigureFile("0,0,0,0\n1,1\nN,0\nBD,0\n"));
  EXPECT_FALSE(IsFigureFile("hq\nhp1 0 0\nhp2 1 1\n"));
  EXPECT_FALSE(IsFigureFile("0,0,0,0\n1,1\n"));
  EXPECT_FALSE(IsFigureFile("0 0 1 1\n1 1 2 2\nN,3\n"));
  EXPECT_FALSE(IsFigureFile(""));
}

TEST(FigureFile, DrawsItsRecordsExtentsAndCentre) {
  const std::string svg = Render(kSampleFigure);
  EXPECT_NE(svg.find("<line x1=\"-5\" y1=\"0\" x2=\"0\" y2=\"-3\" stroke=\"#000000\""),
            std::string::npos);
  EXPECT_NE(svg.find("<path d=\"M1.5,0 A1.5 1.5 0 0 0 -1.5,0"), std::string::npos);
  // The text: lower-left corner, its own height and colour, the length of its base line.
  EXPECT_NE(
      svg.find("translate(-2.5 1.5) rotate(0)\" textLength=\"5\" lengthAdjust=\"spacingAndGlyphs\" "
               "font-size=\"5\""),
      std::string::npos);
  EXPECT_NE(svg.find(">A&amp;B</text>"), std::string::npos);
  EXPECT_NE(svg.find("fill=\"#e60000\""), std::string::npos);
  // The solid in its RGB colour.
  EXPECT_NE(svg.find("<polygon points=\"-5,5 5,5 5,-5 -5,-5\" fill=\"#ff0000\""),
            std::string::npos);
  // The dimension with its measured length as the value text.
  EXPECT_NE(svg.find("<line x1=\"-10\" y1=\"2\" x2=\"10\" y2=\"2\""), std::string::npos);
  EXPECT_NE(svg.find(">20</text>"), std::string::npos);
  // The extents box, dashed, and the centre mark.
  EXPECT_NE(svg.find("<rect class=\"extents\" x=\"-5\" y=\"-3\" width=\"10\" height=\"6\""),
            std::string::npos);
  EXPECT_NE(svg.find("<g class=\"centre\">\n<circle cx=\"0\" cy=\"0\""), std::string::npos);
}

TEST(FigureFile, OffCentreExtentsMarkTheirCentre) {
  const std::string svg = Render("0,0,20,10\nx\nN,1\nL,0,0,0,2,1,0,0,0,0,20,10\nBD,0\n");
  EXPECT_NE(svg.find("<g class=\"centre\">\n<circle cx=\"10\" cy=\"-5\""), std::string::npos)
      << svg;
}

TEST(FigureFile, BrokenRecordsStopTheReadingQuietly) {
  const std::string svg = Render("0,0,10,10\nx\nN,3\nL,0,0,0,2,1,0,0,0,0,10,10\nL,0,0\n");
  EXPECT_NE(svg.find("<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"-10\""), std::string::npos);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

// Structure checks that hold for any output: the elements open and close in pairs, every
// number is finite.
void ExpectSound(const std::string& svg) {
  ASSERT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
  ASSERT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  auto count = [&svg](std::string_view what) {
    size_t n = 0;
    for (size_t at = svg.find(what); at != std::string::npos; at = svg.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("<g "), count("</g>"));
  EXPECT_EQ(count("<text "), count("</text>"));
  // Outside the texts and titles (which hold the input's own words) no number reads "nan" or
  // "inf", and none has an exponent.
  std::string outside;
  for (size_t pos = 0; pos < svg.size();) {
    const size_t text = svg.find("<text", pos);
    const size_t title = svg.find("<title>", pos);
    const size_t open = std::min(text, title);
    outside += svg.substr(pos, open - pos);
    if (open == std::string::npos) break;
    const size_t close = svg.find(open == text ? "</text>" : "</title>", open);
    pos = close == std::string::npos ? svg.size() : svg.find('>', close) + 1;
  }
  EXPECT_EQ(outside.find("nan"), std::string::npos);
  EXPECT_EQ(outside.find("inf"), std::string::npos);
  EXPECT_EQ(outside.find("e+"), std::string::npos);
  for (const char c : svg) {
    const auto b = static_cast<unsigned char>(c);
    EXPECT_TRUE(b >= 0x20 || b == '\n') << int(b);
    if (b < 0x20 && b != '\n') break;
  }
}

TEST(BadInput, AbsurdNumbersAreLeftOut) {
  const std::string svg = Render(
      "0 0 1e300 1e300\n"
      "0 0 1e10 0\n"
      "ci 0 0 1e300\n"
      "ci 0 0 -5\n"
      "ci 1e300 0 5 0 90 1 0\n"
      "ci 0 0 5 0 90 1e300 0\n"
      "pt 1e300 0\n"
      "pt 0 0 1e300 1e300 1\n"
      "ch 0 0 1e300 0 \"A\n"
      "cn0 1e300 1e300 0 1\n"
      "ch 0 0 1 0 \"B\n"
      "sl 0 0 1e300 0 0 1e300\n"
      "sc 0 0 1e300 1 0 0 1 0\n"
      "so 0 0 10 1 0 0 1 20\n"
      "hp1 1e300 0\n"
      "1 1 2 2\n");
  ExpectSound(svg);
  EXPECT_EQ(svg.find("e300"), std::string::npos);
  EXPECT_NE(svg.find("<line x1=\"1\" y1=\"-1\" x2=\"2\" y2=\"-2\""), std::string::npos);
  EXPECT_LT(svg.size(), 1500u) << svg;
}

TEST(BadInput, CoordinatesAtTheBoundStayShort) {
  const std::string svg = Render("-1e9 -1e9 1e9 1e9\nci 0 0 1e9\n");
  ExpectSound(svg);
  EXPECT_NE(svg.find("<line x1=\"-1000000000\""), std::string::npos);
  EXPECT_LT(svg.size(), 1500u);
}

TEST(BadInput, TextsWithControlAndInvalidBytes) {
  const std::string svg = Render(
      "ch 0 0 1 0 \"a\x01\x82\xFF<&\x7F"
      "b\n");
  ExpectSound(svg);
  EXPECT_NE(svg.find(">a\xEF\xBF\xBD\xEF\xBF\xBD&lt;&amp;b</text>"), std::string::npos) << svg;
}

TEST(BadInput, RandomLinesNeverBreakTheDocument) {
  const std::vector<std::string> words = {
      "ci",
      "ch",
      "cv",
      "cs",
      "pt",
      "sl",
      "sc",
      "se",
      "so",
      "sg",
      "msg",
      "pl",
      "#",
      "lg5",
      "ly3",
      "lc10",
      "lc4",
      "lt7",
      "lw500",
      "cn0",
      "cn3",
      "cc4",
      "hp1",
      "hp99",
      "BL",
      "hs",
      "bz",
      "z1",
      "1",
      "-1",
      "0",
      "1e9",
      "-1e9",
      "1e300",
      "-1e300",
      "nan",
      "inf",
      "0.5",
      "3.14159265358979",
      "6.28318530718",
      "100",
      "-100",
      "1e-300",
      "\"text",
      "\"\x82\xA0",
      "\"\x82",
      "$FF",
      "1e10",
      "ＭＳ",
  };
  std::mt19937 random(12345);
  for (int round = 0; round < 200; ++round) {
    std::string input;
    const int lines = 1 + int(random() % 40);
    for (int l = 0; l < lines; ++l) {
      const int fields = 1 + int(random() % 10);
      for (int f = 0; f < fields; ++f) {
        if (f > 0) input += ' ';
        input += words[random() % words.size()];
      }
      input += '\n';
    }
    const std::string svg = Render(input);
    ExpectSound(svg);
    if (HasFailure()) {
      ADD_FAILURE() << "input:\n" << input;
      return;
    }
    // Every input line draws a bounded number of bytes.
    EXPECT_LT(svg.size(), 2000u + 4000u * size_t(lines)) << input;
  }
}

TEST(BadInput, OutputGrowsLinearlyWithTheRecords) {
  std::string small, large;
  for (int k = 0; k < 100; ++k) small += "ci 0 0 5 0 90 1 0\n0 0 10 10\nch 0 0 1 0 \"abc\n";
  for (int k = 0; k < 1000; ++k) large += "ci 0 0 5 0 90 1 0\n0 0 10 10\nch 0 0 1 0 \"abc\n";
  const size_t a = Render(small).size();
  const size_t b = Render(large).size();
  EXPECT_LT(b, 11 * a);
  EXPECT_GT(b, 9 * a);
}

TEST(Output, SameBytesEveryTime) {
  const std::string input = std::string(kSampleFigure);
  EXPECT_EQ(Render(input), Render(input));
  EXPECT_EQ(Render("ci 0 0 5 10 200 0.3 17\nch 1 2 3 4 \"x\n"),
            Render("ci 0 0 5 10 200 0.3 17\nch 1 2 3 4 \"x\n"));
}

}  // namespace
}  // namespace gara::svg
