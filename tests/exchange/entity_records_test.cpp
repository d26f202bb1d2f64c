// Entity lines become typed records in file order, with polyline runs, dimensions and the
// corner reductions of solids.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/entity_records.h"
#include "exchange/exchange_reader.h"
#include "exchange/read_exchange.h"

namespace gara {
namespace {

DrawingState Read(std::string_view bytes) { return testing::ReadExchangeText(bytes); }

std::vector<EntityType> Order(const DrawingState& s) {
  std::vector<EntityType> types;
  for (const EntityRef& ref : s.entities.order) types.push_back(ref.type);
  return types;
}

// Which record a line becomes, alone in the file.
struct KindCase {
  std::string name;
  std::string line;
  std::vector<EntityType> types;
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

class EntityKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(EntityKindTest, BecomesTheRecord) {
  EXPECT_EQ(Order(Read(GetParam().line)), GetParam().types);
}

using ET = EntityType;
INSTANTIATE_TEST_SUITE_P(
    Lines, EntityKindTest,
    ::testing::Values(
        KindCase{"Line", "1 2 3 4", {ET::kLine}}, KindCase{"Circle", "ci 0 0 5", {ET::kCircle}},
        KindCase{"CircleWithTrailingBlankIsNothing", "ci 0 0 5 ", {}},
        KindCase{"CircleWithFiveValuesIsNothing", "ci 0 0 5 1", {}},
        KindCase{"Arc", "ci 0 0 5 0 90 1 0", {ET::kArc}},
        KindCase{"ArcWithMoreFields", "ci 0 0 5 0 90 1 0 7 8", {ET::kArc}},
        KindCase{"ArcShortOfAField", "ci 0 0 5 0 90 1", {}},
        KindCase{"Text", "ch 0 0 1 0 \"A", {ET::kText}},
        KindCase{"TextWithoutText", "cs 0 0 1 0", {}},
        KindCase{"TextShortOfFieldsIsALine", "ch 1 2 3", {ET::kLine}},
        KindCase{"EveryTextKeyword",
                 "ch 0 0 1 0 a\ncv 0 0 1 0 a\ncs 0 0 1 0 a\ncr 0 0 1 0 a\nco 0 0 1 0 a\n"
                 "cp 0 0 1 0 a\nct 0 0 1 0 a\nck 0 0 1 0 a\ncz 0 0 1 0 a\nc2 0 0 1 0 a",
                 std::vector<ET>(10, ET::kText)},
        KindCase{"Point", "pt 1 2", {ET::kPoint}},
        KindCase{"PointWithThreeValuesIsALine", "pt 1 2 3", {ET::kLine}},
        KindCase{"PointWithFourValuesIsNothing", "pt 1 2 3 4", {}},
        KindCase{"RotatedPoint", "pt 1 2 3 45 2", {ET::kRotatedPoint}},
        KindCase{"Block", "BL 0 0 name", {ET::kBlock}}, KindCase{"BlockWithoutName", "BL 0 0", {}},
        KindCase{"SolidOfTwoCorners", "sl 0 0 1 1", {ET::kSolidLine}},
        KindCase{"SolidWithThreeValuesIsALine", "sl 0 0 1", {ET::kLine}},
        KindCase{"SolidWithFiveValuesIsNothing", "sl 0 0 1 1 2", {}},
        KindCase{"SolidWithSevenValuesIsNothing", "sl 0 0 1 1 2 2 3", {}},
        KindCase{"SolidSc", "sc 0 0 5 1 0 0 3.14 1", {ET::kSolidSc}},
        KindCase{"SolidSe", "se 0 0 5 1 0 0 3.14 1", {ET::kSolidSe}},
        KindCase{"SolidSo", "so 0 0 5 1 0 0 3.14 2", {ET::kSolidSo}},
        KindCase{"SolidSg", "sg 0 0 5 1 0 0 3.14 2", {ET::kSolidSg}},
        KindCase{"SolidScShortOfAField", "sc 0 0 5 1 0 0 3.14", {}},
        KindCase{"MessageWithoutItsLines", "msg\nmsg\n", {}},
        KindCase{"MessageAndALineOnly", "msg\n0 0 10 0\n", {}}),
    [](const auto& info) { return info.param.name; });

// The corner reductions of "sl": the solid it becomes and the corners it keeps.
struct SolidCase {
  std::string name;
  std::string line;
  EntityType type;
  std::vector<double> corners;
};

void PrintTo(const SolidCase& c, std::ostream* os) { *os << c.name; }

class SolidReductionTest : public ::testing::TestWithParam<SolidCase> {};

std::vector<double> Corners(const DrawingState& s) {
  const SelectedEntities& e = s.entities;
  const EntityRef ref = e.order[0];
  switch (ref.type) {
    case ET::kSolidLine: {
      const auto& q = e.solidLines[ref.index];
      return {q.x1, q.y1, q.x2, q.y2};
    }
    case ET::kSolidTriangle: {
      const auto& q = e.solidTriangles[ref.index];
      return {q.x1, q.y1, q.x2, q.y2, q.x3, q.y3};
    }
    case ET::kSolidQuad: {
      const auto& q = e.solidQuads[ref.index];
      return {q.x1, q.y1, q.x2, q.y2, q.x3, q.y3, q.x4, q.y4};
    }
    default:
      return {};
  }
}

TEST_P(SolidReductionTest, KeepsTheCorners) {
  const DrawingState s = Read(GetParam().line);
  ASSERT_EQ(s.entities.order.size(), 1u);
  EXPECT_EQ(s.entities.order[0].type, GetParam().type);
  EXPECT_EQ(Corners(s), GetParam().corners);
}

INSTANTIATE_TEST_SUITE_P(
    Corners, SolidReductionTest,
    ::testing::Values(
        SolidCase{"TwoCornersUntested", "sl 0 0 0 0", ET::kSolidLine, {0, 0, 0, 0}},
        SolidCase{"ThreeP1IsP2", "sl 0 0 0 0 5 5", ET::kSolidLine, {0, 0, 5, 5}},
        SolidCase{"ThreeP2IsP3", "sl 0 0 5 5 5 5", ET::kSolidLine, {0, 0, 5, 5}},
        SolidCase{"ThreeP1IsP3NotTested", "sl 0 0 5 5 0 0", ET::kSolidTriangle, {0, 0, 5, 5, 0, 0}},
        SolidCase{"ThreeDistinct", "sl 0 0 5 0 5 5", ET::kSolidTriangle, {0, 0, 5, 0, 5, 5}},
        SolidCase{"FourAllOneBut4", "sl 1 1 1 1 1 1 4 4", ET::kSolidLine, {1, 1, 4, 4}},
        SolidCase{"FourAllSame", "sl 1 1 1 1 1 1 1 1", ET::kSolidLine, {1, 1, 1, 1}},
        SolidCase{"FourP2P3P4Same", "sl 0 0 2 2 2 2 2 2", ET::kSolidLine, {0, 0, 2, 2}},
        SolidCase{"FourTwoPairs", "sl 0 0 0 0 1 1 1 1", ET::kSolidLine, {0, 0, 1, 1}},
        SolidCase{"FourP3IsP4", "sl 0 0 1 0 1 1 1 1", ET::kSolidTriangle, {0, 0, 1, 0, 1, 1}},
        SolidCase{"FourP4IsP1", "sl 0 0 1 0 1 1 0 0", ET::kSolidTriangle, {0, 0, 1, 0, 1, 1}},
        SolidCase{"FourP4IsP2", "sl 0 0 1 0 1 1 1 0", ET::kSolidTriangle, {0, 0, 1, 0, 1, 1}},
        SolidCase{"FourP3IsP1", "sl 0 0 1 0 0 0 1 1", ET::kSolidTriangle, {0, 0, 1, 0, 1, 1}},
        SolidCase{"FourP3IsP2", "sl 0 0 1 0 1 0 1 1", ET::kSolidTriangle, {0, 0, 1, 0, 1, 1}},
        SolidCase{"FourP2IsP1", "sl 0 0 0 0 1 0 1 1", ET::kSolidTriangle, {0, 0, 1, 0, 1, 1}},
        SolidCase{"FourDistinct", "sl 0 0 1 0 1 1 0 1", ET::kSolidQuad, {0, 0, 1, 0, 1, 1, 0, 1}},
        SolidCase{"WithinTolerance",
                  "sl 0 0 1e-11 -1e-11 1 0 1 1",
                  ET::kSolidTriangle,
                  {0, 0, 1, 0, 1, 1}},
        SolidCase{"BeyondTolerance",
                  "sl 0 0 1e-9 0 1 0 1 1",
                  ET::kSolidQuad,
                  {0, 0, 1e-9, 0, 1, 0, 1, 1}},
        SolidCase{"MoreThanNineFields",
                  "sl 0 0 1 0 1 1 0 1 9 9",
                  ET::kSolidQuad,
                  {0, 0, 1, 0, 1, 1, 0, 1}}),
    [](const auto& info) { return info.param.name; });

TEST(EntityRecords, PolylineRuns) {
  const DrawingState s =
      Read("1 2 3 4\npl\n1 2 3 4\n5 6 7 8\nlc2\n1 1 2 2\npl\n0 0 1 1\npl\n3 3 4 4\n");
  ASSERT_EQ(s.entities.lines.size(), 6u);
  const int expected[] = {0, 1, 1, 0, 2, 3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(s.entities.lines[i].polylineNumber, expected[i]) << i;
}

TEST(EntityRecords, PolylineRunEndsAtOtherEntitiesAndMarks) {
  const DrawingState s = Read(
      "pl\n0 0 1 1\nz1\n1 1 2 2\nci 0 0 1\n2 2 3 3\npl\n0 0 1 1\n#\n1 1 2 2\npl\ncc1\n0 0 1 1");
  ASSERT_EQ(s.entities.lines.size(), 6u);
  const int expected[] = {1, 1, 0, 2, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(s.entities.lines[i].polylineNumber, expected[i]) << i;
}

TEST(EntityRecords, Dimension) {
  DrawingState s;
  ExchangeReader reader(s);
  reader.Bytes("msg\n0 0 10 0\ncs 5 1 1 0 \"10\n");
  ASSERT_EQ(s.entities.dimensions.size(), 1u);
  EXPECT_EQ(s.entities.lines.size(), 0u);
  EXPECT_EQ(s.entities.texts.size(), 0u);
  ASSERT_EQ(s.entities.order.size(), 1u);
  EXPECT_EQ(s.entities.order[0].type, ET::kDimension);
  EXPECT_EQ(s.entities.order[0].index, 0u);
  const DimensionEntity& d = s.entities.dimensions[0];
  EXPECT_EQ(d.line.x1, 0);
  EXPECT_EQ(d.line.x2, 10);
  EXPECT_EQ(d.line.y2, 0);
  EXPECT_EQ(d.line.polylineNumber, 0);
  EXPECT_EQ(d.text.textKind, 2);
  EXPECT_EQ(d.text.x, 5);
  EXPECT_EQ(d.text.y, 1);
  EXPECT_EQ(d.text.text, "10");
  EXPECT_FALSE(reader.reading().dimensionPending);
}

TEST(EntityRecords, DimensionAbandonedByAnotherText) {
  const DrawingState s = Read("msg\n0 0 10 0\nch 5 1 1 0 \"10\ncs 1 1 1 0 \"x\n");
  EXPECT_EQ(Order(s), (std::vector<ET>{ET::kText, ET::kText}));
  EXPECT_EQ(s.entities.texts[0].textKind, 0);
  EXPECT_EQ(s.entities.texts[1].textKind, 2);
}

TEST(EntityRecords, DimensionInsidePolylineKeepsTheRunNumberOffTheDimensionLine) {
  const DrawingState s = Read("pl\nmsg\n0 0 10 0\n0 0 20 0\ncs 5 1 1 0 \"20\n");
  ASSERT_EQ(s.entities.dimensions.size(), 1u);
  EXPECT_EQ(s.entities.dimensions[0].line.x2, 20);  // a later line replaces the pending one
  EXPECT_EQ(s.entities.lines.size(), 0u);
}

TEST(EntityRecords, DimensionWithoutItsLineTakesTheResetLine) {
  const DrawingState s = Read("lg3\nly4\nlc5\nmsg\ncs 5 1 1 0 \"x\n");
  ASSERT_EQ(s.entities.dimensions.size(), 1u);
  const LineEntity& l = s.entities.dimensions[0].line;
  EXPECT_EQ(l.x1, 0);
  EXPECT_EQ(l.x2, 1);
  EXPECT_EQ(l.header.layerGroup, 0);
  EXPECT_EQ(l.header.layer, 0);
  EXPECT_EQ(l.header.colour, 1);
  EXPECT_EQ(s.entities.dimensions[0].header.layerGroup, 3);
}

TEST(EntityRecords, PendingDimensionLineTakesMarksAndNumber) {
  const DrawingState s = Read("msg\nz3\nhhp4\n0 0 10 0\ncs 5 1 1 0 \"10\n");
  const DimensionEntity& d = s.entities.dimensions[0];
  EXPECT_EQ(d.line.header.zFlags, 4);
  EXPECT_EQ(d.line.header.hhpNumber, 4);
  EXPECT_EQ(d.header.zFlags, 0);
  EXPECT_EQ(d.text.header.zFlags, 0);
}

TEST(EntityRecords, HeaderStampedAndMarksResetAfterEachEntity) {
  const DrawingState s = Read("lg2\nly3\nlc4\nlt5\nlw6\nz1\nz3\nhhp2ln\nci 0 0 5\n0 0 1 1\n");
  const CircleEntity& c = s.entities.circles[0];
  EXPECT_EQ(c.header.layerGroup, 2);
  EXPECT_EQ(c.header.layer, 3);
  EXPECT_EQ(c.header.colour, 4);
  EXPECT_EQ(c.header.lineType, 5);
  EXPECT_EQ(c.header.lineWidth, 6);
  EXPECT_EQ(c.header.zFlags, 5);
  EXPECT_EQ(c.header.hhpNumber, 2);
  EXPECT_EQ(s.entities.lines[0].header.zFlags, 0);
  EXPECT_EQ(s.entities.lines[0].header.hhpNumber, 0);
}

TEST(EntityRecords, PointsTakeThePointColour) {
  const DrawingState s = Read("lc3\npn6\npt 1 2\npt 1 2 3 45 2\n");
  EXPECT_EQ(s.entities.points[0].header.colour, 6);
  const RotatedPointEntity& r = s.entities.rotatedPoints[0];
  EXPECT_EQ(r.header.colour, 6);
  EXPECT_EQ(r.size, 3);
  EXPECT_EQ(r.angle, 45);
  EXPECT_EQ(r.kind, 2);
}

TEST(EntityRecords, TextTakesSizeKindTableOrFreeSizes) {
  const DrawingState s = Read(
      "hcw 1 2 3.5 4 5 6 7 8 9 10\nhch 1 2 4.5 4 5 6 7 8 9 10\nhcd 0 0 0.25 0 0 0 0 0 0 0\n"
      "hcc 1 1 7 1 1 1 1 1 1 1\ncn0 2.5 3.5 0.5 9\ncn3\ncc4\ncn$<ＭＳ 明朝>\n"
      "ch 1 2 1 0 \"A B\ncn0\ncv 1 2 0 1 \"x\ncn11\nch 0 0 1 0 \"y\n");
  ASSERT_EQ(s.entities.texts.size(), 3u);
  const TextEntity& t = s.entities.texts[0];
  EXPECT_EQ(t.sizeKind, 3);
  EXPECT_EQ(t.width, 3.5);
  EXPECT_EQ(t.height, 4.5);
  EXPECT_EQ(t.spacing, 0.25);
  EXPECT_EQ(t.header.colour, 7);
  EXPECT_EQ(t.anchor, 4);
  EXPECT_EQ(t.fontName, "<ＭＳ 明朝>");
  EXPECT_EQ(t.text, "A B");
  EXPECT_EQ(t.x, 1);
  EXPECT_EQ(t.y, 2);
  EXPECT_EQ(t.dx, 1);
  for (int i : {1, 2}) {
    const TextEntity& free = s.entities.texts[i];
    EXPECT_EQ(free.width, 2.5);
    EXPECT_EQ(free.height, 3.5);
    EXPECT_EQ(free.spacing, 0.5);
    EXPECT_EQ(free.header.colour, 9);
  }
  EXPECT_EQ(s.entities.texts[1].textKind, 1);
  EXPECT_EQ(s.entities.texts[2].sizeKind, 11);
}

TEST(EntityRecords, LongTextsAreCutWithoutSplittingACharacter) {
  std::string text(254, 'a');
  text += "\x82\xa0";  // a two-byte character over the 255th byte
  text += std::string(100 << 10, 'b');
  const DrawingState s = Read("ch 0 0 1 0 \"" + text + "\n");
  ASSERT_EQ(s.entities.texts.size(), 1u);
  EXPECT_EQ(s.entities.texts[0].text, std::string(254, 'a'));
  std::string exact(253, 'a');
  exact += "\x82\xa0";
  EXPECT_EQ(CutStoredText(exact + "zz"), exact);
  EXPECT_EQ(CutStoredText("short"), "short");
}

TEST(EntityRecords, BlockKeepsItsName) {
  const DrawingState s = Read("BL 1 2 door\n");
  EXPECT_EQ(s.entities.blocks[0].name, "door");
  EXPECT_EQ(s.entities.blocks[0].x, 1);
}

TEST(EntityRecords, SolidsTakeTheRgbColour) {
  const DrawingState s =
      Read("lc10 255\nsl 0 0 1 1\nsc 1 2 3 0.5 0.1 0.2 0.3 7\nso 1 2 3 0.5 0.1 0.2 0.3 4\n");
  EXPECT_EQ(s.entities.solidLines[0].rgb, 255);
  EXPECT_EQ(s.entities.solidLines[0].header.colour, 10);
  const SolidArcEntity& sc = s.entities.solidSc[0];
  EXPECT_EQ(sc.rgb, 255);
  EXPECT_EQ(sc.flatness, 0.5);
  EXPECT_EQ(sc.tilt, 0.1);
  EXPECT_EQ(sc.start, 0.2);
  EXPECT_EQ(sc.sweep, 0.3);
  EXPECT_EQ(sc.kind, 7);
  EXPECT_EQ(s.entities.solidSo[0].r2, 4);
}

TEST(EntityRecords, ManyEntitiesKeepTheFileOrder) {
  std::string file;
  for (int i = 0; i < 30000; ++i) {
    file += i % 3 == 0   ? "ci 0 0 1\n"
            : i % 3 == 1 ? "pt " + std::to_string(i) + " 0\n"
                         : "0 0 1 1\n";
  }
  const DrawingState s = Read(file);
  ASSERT_EQ(s.entities.order.size(), 30000u);
  EXPECT_EQ(s.entities.circles.size(), 10000u);
  for (size_t i = 0; i < 30000; ++i) {
    const EntityRef ref = s.entities.order[i];
    EXPECT_EQ(ref.index, i / 3);
    if (i % 3 == 1) {
      EXPECT_EQ(s.entities.points[ref.index].x, static_cast<double>(i));
    }
  }
}

}  // namespace
}  // namespace gara
