#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/test_files.h"
#include "figure/figure_reader.h"
#include "support/piece_file_system.h"

namespace gara {
namespace {

using testing::CrLf;
using testing::PieceFileSystem;
using Events = std::vector<std::string>;

// Each handler call as a word, with the field count of its line; "cut text 17" is a text part
// whose line has 17 fields, "cut dimension-text -" one whose line the file does not have.
class Recorder final : public FigureHandler {
 public:
  Events events;

  void Head(const FigureLine& l) override { Add("head", l); }
  void Line(const FigureLine& l) override { Add("line", l); }
  void Curve(const FigureLine& l, const FigureCurve&) override { Add("curve", l); }
  void Point(const FigureLine& l, int32_t flags) override {
    Add("point/" + std::to_string(flags), l);
  }
  void Text(const FigureLine& l, const FigureText&) override { Add("text", l); }
  void Solid(const FigureLine& l, const FigureSolid&) override { Add("solid", l); }
  void DimensionLine(const FigureLine& l) override { Add("dimension-line", l); }
  void DimensionText(const FigureLine& l) override { Add("dimension-text", l); }
  void ExtensionLine(const FigureLine& l) override { Add("extension", l); }
  void Cut(FigurePart part, const FigureLine* l, int32_t) override {
    static constexpr const char* kNames[] = {
        "head",  "line",           "curve",          "point",     "text",
        "solid", "dimension-line", "dimension-text", "extension", "end-point"};
    events.push_back(std::string("cut ") + kNames[static_cast<int>(part)] + " " +
                     (l ? std::to_string(l->count) : "-"));
  }

 private:
  void Add(const std::string& name, const FigureLine& l) {
    events.push_back(name + " " + std::to_string(l.count));
  }
};

struct WalkCase {
  const char* name;
  std::vector<std::string> records;  // the lines after the count line
  SolidColour solidColour;
  Events events;
};

class FigureWalkerTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(FigureWalkerTest, HandsWholePartsAndStopsAtTheFirstCut) {
  const WalkCase& c = GetParam();
  std::vector<std::string> lines = {"-1,-1,1,1", "1", "N,3"};
  lines.insert(lines.end(), c.records.begin(), c.records.end());
  Recorder recorder;
  const FigureHeader header = ReadFigure(CrLf(lines), recorder, c.solidColour);
  EXPECT_TRUE(header.hasCount);
  EXPECT_EQ(recorder.events, c.events);
}

const std::string kLine = "L,0,0,2,1,1,0,0,-10,-5,10,-5";
const std::string kDimensionLine = "L,0,4,5,3,2,0,0,-10,-2,10,-2";
const std::string kValueText = R"(M,0,4,5,1,1,0,0,-1,-1,1,-1,3,3,3,0.5,"G","")";
const std::string kEndPoint = "T,0,4,5,1,1,0,0,3,4";
constexpr auto kOwn = SolidColour::kOwn;

INSTANTIATE_TEST_SUITE_P(
    Records, FigureWalkerTest,
    ::testing::Values(
        WalkCase{"WholeLines", {kLine, kLine}, kOwn, {"head 12", "line 12", "head 12", "line 12"}},
        WalkCase{"HeadCut", {"L,0,0,2", kLine}, kOwn, {"cut head 4"}},
        WalkCase{"LineWithoutItsLastCoordinate",
                 {"L,0,0,2,1,1,0,0,-10,-5,10", kLine},
                 kOwn,
                 {"head 11", "cut line 11"}},
        WalkCase{"CurveNeedsSixteenFields",
                 {"E,0,0,2,1,1,0,0,0,0,5,1,0,0,0", kLine},
                 kOwn,
                 {"head 15", "cut curve 15"}},
        WalkCase{"PlainPointTenFields", {kEndPoint}, kOwn, {"head 10", "point/0 10"}},
        WalkCase{"MarkerNeedsItsSize",
                 {"T,0,0,2,1,100,0,0,3,4,0,2,0"},
                 kOwn,
                 {"head 13", "cut point 13"}},
        WalkCase{"TextWithoutItsText",
                 {R"(M,0,0,2,1,1,0,0,-1,-1,1,-1,3,3,3,0.5,"G")"},
                 kOwn,
                 {"head 17", "cut text 17"}},
        WalkCase{"ColourTenSolidWithoutItsColour",
                 {"S,0,0,2,10,1,0,0,0,0,1,0,1,1,0,1"},
                 kOwn,
                 {"head 16", "cut solid 16"}},
        WalkCase{"ColourTenSolidUnderTheWritingColour",
                 {"S,0,0,2,10,1,0,0,0,0,1,0,1,1,0,1"},
                 SolidColour::kReplaced,
                 {"head 16", "solid 16"}},
        WalkCase{"DimensionCutByTheFileEnd",
                 {"D,0,4,5,1,1,0,8192,", kDimensionLine},
                 kOwn,
                 {"head 9", "dimension-line 12", "cut dimension-text -"}},
        WalkCase{"XDimensionWithEndPointsAndTheFirstLinesFlags",
                 {"X,0,4,5,1,1,0,16,", kDimensionLine, kValueText, kDimensionLine, kDimensionLine,
                  kEndPoint, kEndPoint},
                 kOwn,
                 {"head 9", "dimension-line 12", "dimension-text 18", "extension 12",
                  "extension 12", "point/16 10", "point/16 10"}},
        WalkCase{"UnknownKindIsItsHeadAlone",
                 {"Q,0,0,2,1,1,0,0", kLine},
                 kOwn,
                 {"head 8", "head 12", "line 12"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Files read in pieces: lines across pieces, a last line without its end, CR before CR LF.
const std::string kFilesInPieces[] = {
    CrLf({"-1,-1,1,1", "1", "N,4", kLine, "D,0,4,5,1,1,0,8192,", kDimensionLine, kValueText,
          "L,0,0,2"}),
    CrLf({"-1,-3.5,1,2", "1", "N,3", kLine}) + "E,0,0,2,1,1,0,0,0,0,5,1,0,0,0,1",
    "-1,-1,1,1\n2,3\nN,9\n" + kLine + "\r\r\n" + kEndPoint + "\n",
    CrLf({"1,2,3,4", "1", "N,0", "garbage"}),
    CrLf({"1,2,3,4", "1", "N,2"}),
    CrLf({"1,2,3", "1", "N,2", kLine}),
    // Blank, and blank lines before something.
    " \r\n\t\n",
    "\r\n\r\n  \r\n" + std::string(40, ' ') + "x",
    "",
};

// Read in pieces, a file hands over the parts, head and verdict that its bytes held whole give.
TEST(FigureFileInPiecesTest, ReadsAsTheWholeBytes) {
  for (const std::string& file : kFilesInPieces) {
    Recorder whole;
    const FigureHeader expected = ReadFigure(file, whole, kOwn);
    for (const size_t piece : {1, 2, 3, 5, 8, 13, 1000}) {
      PieceFileSystem fs(file, piece);
      Recorder pieces;
      const FigureFileRead read = ReadFigureFile(fs, "f", pieces, kOwn);
      EXPECT_TRUE(read.read);
      EXPECT_EQ(pieces.events, whole.events) << file << piece;
      const FigureHeader& h = read.header;
      EXPECT_EQ(h.hasExtents, expected.hasExtents);
      EXPECT_EQ(h.CentreY(), expected.CentreY());
      EXPECT_EQ(h.scales, expected.scales);
      EXPECT_EQ(h.hasCount, expected.hasCount);
      EXPECT_EQ(h.count, expected.count);
      EXPECT_EQ(read.fault, JudgeFigureFile(file)) << file << piece;
    }
  }
}

// A read error keeps the parts handed over before it and tells the file unreadable.
TEST(FigureFileInPiecesTest, AReadErrorIsTold) {
  const std::string& file = kFilesInPieces[0];
  Recorder whole;
  ReadFigure(file, whole, kOwn);
  PieceFileSystem fs(file, 30);
  fs.failAfter = 3;
  Recorder pieces;
  const FigureFileRead read = ReadFigureFile(fs, "f", pieces, kOwn);
  EXPECT_FALSE(read.read);
  EXPECT_EQ(read.fault, FigureFault::kUnreadable);
  ASSERT_FALSE(pieces.events.empty());
  EXPECT_LT(pieces.events.size(), whole.events.size());
  EXPECT_TRUE(std::equal(pieces.events.begin(), pieces.events.end(), whole.events.begin()));
}

// Reading stops once the counted records are read.
TEST(FigureFileInPiecesTest, StopsAfterTheCountedRecords) {
  std::vector<std::string> lines = {"-1,-1,1,1", "1", "N,1", kLine};
  lines.insert(lines.end(), 1000, kLine);
  PieceFileSystem fs(CrLf(lines), 64);
  Recorder recorder;
  ReadFigureFile(fs, "f", recorder, kOwn);
  EXPECT_EQ(recorder.events, (Events{"head 12", "line 12"}));
  EXPECT_LE(fs.handed, 2u);
}

TEST(FigureWalkerTest, NoRecordsWithoutTheHeadLines) {
  Recorder recorder;
  const FigureHeader header = ReadFigure(CrLf({"-1,-1,1,1", "1"}), recorder);
  EXPECT_FALSE(header.hasCount);
  EXPECT_TRUE(recorder.events.empty());
}

}  // namespace
}  // namespace gara
