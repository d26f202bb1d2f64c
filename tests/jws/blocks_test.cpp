// Block expansion: every entity kind placed by nested inserts of any scale, rotation and mirror,
// checked against the inserts' transforms applied point by point; and the bounds on cycles,
// nesting and counts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "geom/geometry.h"
#include "jws/archive_writer.h"
#include "jws/blocks.h"

namespace gara {
namespace {

using jws::EntityKind;

template <typename T>
jws::EntityRef AddTo(std::vector<T>& v, EntityKind kind, const T& value) {
  v.push_back(value);
  return {kind, static_cast<uint32_t>(v.size() - 1)};
}

// An insert on layer 7 of layer group `group`.
jws::EntityRef AddInsert(jws::Document& doc, uint32_t definition, double x = 0, double y = 0,
                         double sx = 1, double sy = 1, double rotation = 0, uint16_t group = 0) {
  return AddTo(
      doc.inserts, EntityKind::kBlock,
      jws::BlockInsert{testing::MakeCommon(group, 7, 0, 0), x, y, sx, sy, rotation, definition});
}

jws::BlockDefinition& AddDefinition(jws::Document& doc, uint32_t number) {
  doc.blocks.emplace_back();
  doc.blocks.back().number = number;
  return doc.blocks.back();
}

struct Placement {
  double x, y, sx, sy, rotation;
};

// The test's own transform: scale, turn, move.
Point Apply(const Placement& p, Point q) {
  const double c = std::cos(p.rotation), s = std::sin(p.rotation);
  const double x = q.x * p.sx, y = q.y * p.sy;
  return {p.x + c * x - s * y, p.y + s * x + c * y};
}

struct Case {
  const char* name;
  Placement outer, inner;
};

const Case kCases[] = {
    {"identity", {0, 0, 1, 1, 0}, {0, 0, 1, 1, 0}},
    {"uniform_turned", {10, -4, 2, 2, 0.3}, {1, 2, 0.5, 0.5, -1.1}},
    {"mirrored", {0, 0, -1, 1, 0}, {3, 0, 1, 1, 0.7}},
    {"stretched", {5, 5, 2, 0.5, 0}, {0, 0, 1, 1, 0}},
    {"stretched_turned_mirrored", {1, 2, 1.5, -0.7, 2.0}, {-2, 1, 3, 1, -1.0}},
    {"shear_by_nesting", {0, 0, 3, 1, 0.5}, {0, 0, 1, 2, 0.9}},
};

class BlockTransform : public ::testing::TestWithParam<Case> {};

// The definition B holds an elliptic arc, a full circle, a line, a text, a vertical text and a
// marker point; definition A inserts B by `inner`; the main list inserts A by `outer`.
TEST_P(BlockTransform, EveryEntityLiesWhereTheTransformedPointsLie) {
  const Case& c = GetParam();
  jws::Document doc;
  // Centre (3, 1), radius 2, start 0.3, sweep -2, tilt 0.4, flatness 0.5; on layer group 5.
  const jws::Arc arc{testing::MakeCommon(5, 0, 3, 0), 3, 1, 2, 0.3, -2.0, 0.4, 0.5, 0};
  const jws::Arc circle{{}, -1, 0, 1.5, -0.8, 2 * kPi, 0, 1, 1};
  jws::Text text;
  text.x1 = 1;
  text.y1 = 1;
  text.x2 = 5;
  text.y2 = 4;  // 5 long, along (0.8, 0.6)
  text.width = 2;
  text.height = 3;
  text.spacing = 0.5;
  jws::Text vertical = text;
  vertical.c.flags = 0x20;
  jws::PointEntity marker;
  marker.c.penStyle = jws::kMarkerPenStyle;
  marker.x = 2;
  marker.angle = 0.25;
  marker.scale = 1;
  jws::BlockDefinition& b = AddDefinition(doc, 2);
  b.entities = {AddTo(doc.arcs, EntityKind::kArc, arc),
                AddTo(doc.arcs, EntityKind::kArc, circle),
                AddTo(doc.lines, EntityKind::kLine, jws::Line{{}, 0, 0, 4, -1}),
                AddTo(doc.texts, EntityKind::kText, text),
                AddTo(doc.texts, EntityKind::kText, vertical),
                AddTo(doc.points, EntityKind::kPoint, marker)};
  const Placement& o = c.outer;
  const Placement& i = c.inner;
  const jws::EntityRef inner = AddInsert(doc, 2, i.x, i.y, i.sx, i.sy, i.rotation);
  AddDefinition(doc, 1).entities = {inner};
  doc.entities = {AddInsert(doc, 1, o.x, o.y, o.sx, o.sy, o.rotation, 9)};
  auto place = [&](Point p) { return Apply(o, Apply(i, p)); };
  auto expectAt = [](Point got, Point want, const std::string& what) {
    EXPECT_NEAR(got.x, want.x, 1e-9) << what;
    EXPECT_NEAR(got.y, want.y, 1e-9) << what;
  };

  const jws::ExpandResult r = jws::ExpandBlocks(doc);
  ASSERT_TRUE(r.document) << r.error;
  const jws::Document& x = *r.document;
  ASSERT_EQ(x.entities.size(), 6u);
  // Curves: the same fractions of the sweep land on the transformed points.
  for (int k = 0; k < 2; ++k) {
    const jws::Arc& from = k == 0 ? arc : circle;
    ASSERT_EQ(x.entities[k].kind, EntityKind::kArc);
    const jws::Arc& to = x.arcs[x.entities[k].index];
    EXPECT_EQ(to.c.layerGroup, 9);
    EXPECT_EQ(to.c.layer, 7);
    EXPECT_EQ(to.c.colour, from.c.colour);
    EXPECT_EQ(to.fullCircle, from.fullCircle);
    EXPECT_GT(to.flatness, 0);
    EXPECT_LE(to.flatness, 1 + 1e-12);
    for (double u : {0.0, 0.3, 0.5, 1.0}) {
      const Point want = place(EllipsePoint(from.cx, from.cy, from.radius, from.flatness, from.tilt,
                                            from.start + u * from.sweep));
      const Point got =
          EllipsePoint(to.cx, to.cy, to.radius, to.flatness, to.tilt, to.start + u * to.sweep);
      expectAt(got, want, "curve " + std::to_string(k) + " at " + std::to_string(u));
    }
  }
  const jws::Line& l = x.lines[x.entities[2].index];
  expectAt({l.x1, l.y1}, place({0, 0}), "line start");
  expectAt({l.x2, l.y2}, place({4, -1}), "line end");
  // Texts: ends placed; sizes along the base line by its length factor, across it by the rest
  // of the area factor.
  const Point u0 = place({0, 0}), u1 = place({0.8, 0.6});
  const double along = std::hypot(u1.x - u0.x, u1.y - u0.y);
  const double area = std::abs(o.sx * o.sy * i.sx * i.sy);
  for (int k = 3; k < 5; ++k) {
    const jws::Text& t = x.texts[x.entities[k].index];
    expectAt({t.x1, t.y1}, place({1, 1}), "text start");
    expectAt({t.x2, t.y2}, place({5, 4}), "text end");
    EXPECT_NEAR(t.spacing, 0.5 * along, 1e-9);
    const bool isVertical = k == 4;
    EXPECT_NEAR(t.width, 2 * (isVertical ? area / along : along), 1e-9);
    EXPECT_NEAR(t.height, 3 * (isVertical ? along : area / along), 1e-9);
    EXPECT_NEAR(t.angleDeg, std::atan2(u1.y - u0.y, u1.x - u0.x) * 180 / kPi, 1e-9);
  }
  const jws::PointEntity& p = x.points[x.entities[5].index];
  expectAt({p.x, p.y}, place({2, 0}), "marker");
  const Point d = place({2 + std::cos(0.25), std::sin(0.25)});
  EXPECT_NEAR(p.angle, std::atan2(d.y - p.y, d.x - p.x), 1e-9);
  EXPECT_NEAR(p.scale, std::hypot(d.x - p.x, d.y - p.y), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Placements, BlockTransform, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

// A dimension's parts and a ring's inner radius follow the transform.
TEST(BlockExpansion, DimensionPartsAndRingRadius) {
  jws::Document doc;
  jws::Dimension dim;
  dim.line = {{}, 0, 0, 10, 0};
  dim.text.x1 = 4;
  dim.text.x2 = 6;
  dim.text.width = dim.text.height = 2;
  dim.extensionLines = {jws::Line{{}, 0, 0, 0, -3}, jws::Line{{}, 10, 0, 10, -3}};
  dim.points[1].x = 10;
  jws::Solid ring;
  ring.c.penStyle = 105;
  ring.v = {0, 0, 4, 1, 0, 0, 2 * kPi, 1};  // centre, radius, flatness, tilt, start, sweep, inner
  AddDefinition(doc, 1).entities = {AddTo(doc.dimensions, EntityKind::kDimension, dim),
                                    AddTo(doc.solids, EntityKind::kSolid, ring)};
  doc.entities = {AddInsert(doc, 1, 100, 50, 2, 2, kPi / 2, 4)};
  const jws::ExpandResult r = jws::ExpandBlocks(doc);
  ASSERT_TRUE(r.document) << r.error;
  const jws::Dimension& d = r.document->dimensions[r.document->entities[0].index];
  EXPECT_NEAR(d.line.x2, 100, 1e-9);
  EXPECT_NEAR(d.line.y2, 70, 1e-9);
  EXPECT_NEAR(d.text.y1, 58, 1e-9);
  EXPECT_NEAR(d.text.width, 4, 1e-9);
  EXPECT_NEAR(d.extensionLines[1].x2, 106, 1e-9);
  EXPECT_NEAR(d.points[1].y, 70, 1e-9);
  for (const jws::Common* c :
       {&d.c, &d.line.c, &d.text.c, &d.extensionLines[0].c, &d.points[0].c}) {
    EXPECT_EQ(c->layerGroup, 4);
  }
  const jws::Solid& s = r.document->solids[r.document->entities[1].index];
  EXPECT_NEAR(s.v[0], 100, 1e-9);
  EXPECT_NEAR(s.v[2], 8, 1e-9);
  EXPECT_NEAR(s.v[7], 2, 1e-9);
}

// ----- bounds -----

// A chain: the main list inserts definition `levels`, which inserts `levels - 1`, ... down to 1,
// which inserts `fanOut` times definition 0 of `leaves` lines (every level inserts `fanOut`).
jws::Document Chain(int levels, int fanOut, int leaves) {
  jws::Document doc;
  jws::BlockDefinition& base = AddDefinition(doc, 0);
  std::vector<jws::EntityRef> lines;
  for (int i = 0; i < leaves; ++i) lines.push_back(AddTo(doc.lines, EntityKind::kLine, {}));
  base.entities = lines;
  for (int level = 1; level <= levels; ++level) {
    std::vector<jws::EntityRef> inserts;
    for (int i = 0; i < fanOut; ++i) inserts.push_back(AddInsert(doc, level - 1));
    AddDefinition(doc, level).entities = inserts;
  }
  doc.entities = {AddInsert(doc, levels)};
  return doc;
}

struct Bound {
  const char* name;
  jws::Document doc;
  const char* error;  // "" when it expands
  size_t entities;
};

std::vector<Bound> Bounds() {
  std::vector<Bound> v;
  v.push_back({"deepest", Chain(jws::kMaxBlockNesting - 1, 1, 2), "", 2});
  v.push_back({"too deep", Chain(jws::kMaxBlockNesting, 1, 2), "nested more than 64 deep", 0});
  v.push_back({"depth 1000", Chain(999, 1, 1), "nested more than 64 deep", 0});
  v.push_back({"at the budget", Chain(4, 10, 10), "", 100000});
  v.push_back({"over the budget", Chain(4, 10, 11), "more than 100000 entities", 0});
  v.push_back({"ten million", Chain(6, 10, 10), "more than 100000 entities", 0});
  // 1000^10 entities: more than 64 bits count without the cap.
  v.push_back({"overflow", Chain(10, 1000, 1), "more than 100000 entities", 0});
  jws::Document cycle = Chain(2, 1, 1);
  cycle.inserts[0].definition = 2;  // definition 1 inserts 2, which inserts 1
  v.push_back({"cycle", cycle, "inserts itself (a cycle of block references)", 0});
  jws::Document missing = Chain(1, 1, 1);
  missing.inserts[0].definition = 77;
  v.push_back({"missing", missing, "names definition 77, which the file does not hold", 0});
  return v;
}

TEST(BlockExpansion, Bounds) {
  for (const Bound& b : Bounds()) {
    SCOPED_TRACE(b.name);
    const jws::ExpandResult r = jws::ExpandBlocks(b.doc);
    if (*b.error == '\0') {
      ASSERT_TRUE(r.document) << r.error;
      EXPECT_EQ(r.document->entities.size(), b.entities);
    } else {
      EXPECT_FALSE(r.document);
      EXPECT_NE(r.error.find(b.error), std::string::npos) << r.error;
      EXPECT_EQ(r.error.find('\n'), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace gara
