// The sizes and layouts both painters of a scene take from one place.
#include "scene/view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "geom/geometry.h"
#include "scene/drawing.h"

namespace gara::scene {
namespace {

struct MarkerCase {
  const char* name;
  double size, angleDeg, unit;
  double ring, tickX, tickY;
};

class MarkerTest : public ::testing::TestWithParam<MarkerCase> {};

// The size scales the ring and the tick, within 0.25 and 4; the tick turns with the angle.
TEST_P(MarkerTest, RingAndTick) {
  const MarkerCase& c = GetParam();
  const MarkerMark mark = MarkOf({{1, 2}, c.size, c.angleDeg * kPi / 180, 0}, c.unit);
  EXPECT_NEAR(mark.ringRadius, c.ring, 1e-12);
  EXPECT_NEAR(mark.tickX, c.tickX, 1e-12);
  EXPECT_NEAR(mark.tickY, c.tickY, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MarkerTest,
                         ::testing::Values(MarkerCase{"Plain", 1, 0, 1, 2.5, 5, 0},
                                           MarkerCase{"Negative", -2, 90, 1, 5, 0, 10},
                                           MarkerCase{"TooSmall", 0.01, 180, 2, 1.25, -2.5, 0},
                                           MarkerCase{"TooLarge", 100, 270, 0.5, 5, 0, -10}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextCharacters, ALeadByteTakesTheNextOne) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(TextCharacters(""), V{});
  EXPECT_EQ(TextCharacters("AB"), (V{"A", "B"}));
  EXPECT_EQ(TextCharacters("\x8A\xBFZ"), (V{"\x8A\xBF", "Z"}));
  EXPECT_EQ(TextCharacters("Z\x8A"), (V{"Z", "\x8A"}));  // a lead byte at the end stands alone
}

struct VerticalCase {
  const char* name;
  double angleDeg, length;
  std::string text;
  std::vector<Point> feet;
};

class VerticalTest : public ::testing::TestWithParam<VerticalCase> {};

// Characters 2 high in a box 1 across: the first foot one height along the run, the last at
// its end, all halfway across.
TEST_P(VerticalTest, FeetDownTheRun) {
  const VerticalCase& c = GetParam();
  TextShape t;
  t.corner = {10, 20};
  t.angle = c.angleDeg * kPi / 180;
  t.length = c.length;
  t.height = 2;
  t.across = 1;
  const VerticalLayout layout = LayOutVertical(t, c.text);
  EXPECT_DOUBLE_EQ(layout.degrees, c.angleDeg + 90);
  ASSERT_EQ(layout.characters.size(), c.feet.size());
  for (size_t k = 0; k < c.feet.size(); ++k) {
    EXPECT_NEAR(layout.characters[k].foot.x, c.feet[k].x, 1e-9) << k;
    EXPECT_NEAR(layout.characters[k].foot.y, c.feet[k].y, 1e-9) << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, VerticalTest,
    ::testing::Values(VerticalCase{"One", 0, 2, "A", {{12, 20.5}}},
                      VerticalCase{
                          "ThreeAlongX", 0, 8, "ABC", {{12, 20.5}, {15, 20.5}, {18, 20.5}}},
                      VerticalCase{"TwoTurnedUp",
                                   90,
                                   6,
                                   "\x8A\xBF"
                                   "B",
                                   {{9.5, 22}, {9.5, 26}}}),
    [](const auto& info) { return std::string(info.param.name); });

// The kind names the alternative the geometry holds.
TEST(Shape, KindFollowsTheGeometry) {
  EXPECT_EQ((Shape{{}, LineShape{}}).kind(), ShapeKind::kLine);
  EXPECT_EQ((Shape{{}, SolidAreaShape{}}).kind(), ShapeKind::kSolidArea);
  EXPECT_EQ((Shape{{}, DesignatedPointShape{}}).kind(), ShapeKind::kDesignatedPoint);
  EXPECT_EQ((Shape{{}, Centre{}}).kind(), ShapeKind::kCentre);
}

}  // namespace
}  // namespace gara::scene
