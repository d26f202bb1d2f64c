#include "jws/blocks.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>
#include <vector>

#include "figure/figure_format.h"
#include "geom/geometry.h"
#include "jws/figure_file.h"
#include "util/portable_math.h"

namespace gara::jws {

namespace {

// x' = a x + b y + e, y' = c x + d y + f.
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

  Point Apply(double x, double y) const { return {a * x + b * y + e, c * x + d * y + f}; }
  Point Turn(double x, double y) const { return {a * x + b * y, c * x + d * y}; }
  double Det() const { return a * d - b * c; }
};

// `outer` after `inner`.
Affine Compose(const Affine& outer, const Affine& inner) {
  const Point move = outer.Apply(inner.e, inner.f);
  return {outer.a * inner.a + outer.b * inner.c,
          outer.a * inner.b + outer.b * inner.d,
          outer.c * inner.a + outer.d * inner.c,
          outer.c * inner.b + outer.d * inner.d,
          move.x,
          move.y};
}

// Scaled about the definition's origin, then turned, then moved to the insertion point.
Affine InsertTransform(const BlockInsert& b) {
  const SineCosine r = PortableSinCos(b.rotation);
  return {r.cos * b.scaleX, -r.sin * b.scaleY, r.sin * b.scaleX, r.cos * b.scaleY, b.x, b.y};
}

bool Close(double u, double v, double size) { return std::abs(u - v) <= 1e-12 * size; }

// The curve c + R(tilt) (r cos t, r flatness sin t), t from start over sweep, transformed.
void MapCurve(const Affine& m, double& cx, double& cy, double& r, double& flatness, double& tilt,
              double& start, double& sweep) {
  const Point centre = m.Apply(cx, cy);
  cx = centre.x;
  cy = centre.y;
  const double size = std::abs(m.a) + std::abs(m.b) + std::abs(m.c) + std::abs(m.d);
  // A turn and a uniform scale (perhaps mirrored) keep the stored shape; only the tilt turns.
  if (Close(m.a, m.d, size) && Close(m.b, -m.c, size)) {
    r *= PortableHypot(m.a, m.c);
    tilt = std::remainder(tilt + PortableAtan2(m.c, m.a), kTwoPi);
    return;
  }
  if (Close(m.a, -m.d, size) && Close(m.b, m.c, size)) {
    // k R(alpha) diag(1, -1) R(tilt) = k R(alpha - tilt) diag(1, -1): the parameter runs back.
    r *= PortableHypot(m.a, m.c);
    tilt = std::remainder(PortableAtan2(m.c, m.a) - tilt, kTwoPi);
    start = -start;
    sweep = -sweep;
    return;
  }
  // The curve's own linear map M = m R(tilt) diag(r, r flatness), split as
  // R(phi) diag(s1, s2) R(theta): the new axes are s1 along phi and s2, the parameter moves on by
  // theta. A mirror is first taken into the parameter (t -> -t flips the second column).
  const SineCosine t = PortableSinCos(tilt);
  double m00 = (m.a * t.cos + m.b * t.sin) * r;
  double m10 = (m.c * t.cos + m.d * t.sin) * r;
  double m01 = (m.b * t.cos - m.a * t.sin) * r * flatness;
  double m11 = (m.d * t.cos - m.c * t.sin) * r * flatness;
  if (m00 * m11 - m01 * m10 < 0) {
    m01 = -m01;
    m11 = -m11;
    start = -start;
    sweep = -sweep;
  }
  const double e = (m00 + m11) / 2, f = (m00 - m11) / 2, g = (m10 + m01) / 2, h = (m10 - m01) / 2;
  const double q = PortableHypot(e, h), s = PortableHypot(f, g);
  const double a1 = PortableAtan2(g, f), a2 = PortableAtan2(h, e);
  r = q + s;
  flatness = r > 0 ? (q - s) / r : 1;
  tilt = (a2 + a1) / 2;
  start += (a2 - a1) / 2;
}

void MapLine(const Affine& m, Line& l) {
  const Point p1 = m.Apply(l.x1, l.y1), p2 = m.Apply(l.x2, l.y2);
  l.x1 = p1.x;
  l.y1 = p1.y;
  l.x2 = p2.x;
  l.y2 = p2.y;
}

void MapPoint(const Affine& m, PointEntity& p) {
  const Point at = m.Apply(p.x, p.y);
  p.x = at.x;
  p.y = at.y;
  if (p.c.penStyle != kMarkerPenStyle) return;
  const SineCosine dir = PortableSinCos(p.angle);
  const Point turned = m.Turn(dir.cos, dir.sin);
  const double factor = PortableHypot(turned.x, turned.y);
  if (factor == 0) return;
  p.angle = PortableAtan2(turned.y, turned.x);
  p.scale *= factor;
}

void MapText(const Affine& m, Text& t) {
  double ux = t.x2 - t.x1, uy = t.y2 - t.y1;
  const double length = PortableHypot(ux, uy);
  if (length > 0) {
    ux /= length;
    uy /= length;
  } else {
    const SineCosine dir = PortableSinCos(DegToRad(t.angleDeg));
    ux = dir.cos;
    uy = dir.sin;
  }
  const Point p1 = m.Apply(t.x1, t.y1), p2 = m.Apply(t.x2, t.y2);
  t.x1 = p1.x;
  t.y1 = p1.y;
  t.x2 = p2.x;
  t.y2 = p2.y;
  const Point u = m.Turn(ux, uy);
  const double along = PortableHypot(u.x, u.y);
  const double across = along > 0 ? std::abs(m.Det()) / along : 0;
  if (IsVerticalText(t.c.flags)) {
    t.height *= along;
    t.width *= across;
  } else {
    t.width *= along;
    t.height *= across;
  }
  t.spacing *= along;
  if (along > 0) t.angleDeg = PortableAtan2(u.y, u.x) * 180 / kPi;
}

void MapSolid(const Affine& m, Solid& s) {
  if (s.c.penStyle <= kPolygonSolidMax) {
    for (int i = 0; i < 8; i += 2) {
      const Point p = m.Apply(s.v[i], s.v[i + 1]);
      s.v[i] = p.x;
      s.v[i + 1] = p.y;
    }
    return;
  }
  const double radius = s.v[2];
  MapCurve(m, s.v[0], s.v[1], s.v[2], s.v[3], s.v[4], s.v[5], s.v[6]);
  const bool ring = s.c.penStyle == figure::kSolidSo || s.c.penStyle == figure::kSolidSg;
  if (ring && radius != 0) s.v[7] *= s.v[2] / radius;
}

// Drawn on the outermost insert's layer group and layer.
void Place(Common& c, const Common& insert) {
  c.layerGroup = insert.layerGroup;
  c.layer = insert.layer;
}

class Expander {
 public:
  explicit Expander(const Document& doc) : doc_(doc), info_(doc.blocks.size()) {
    for (size_t i = 0; i < doc.blocks.size(); ++i) byNumber_.emplace(doc.blocks[i].number, i);
  }

  ExpandResult Run() {
    ExpandResult result;
    size_t total = 0;
    for (const EntityRef e : doc_.entities) {
      if (e.kind != EntityKind::kBlock) continue;
      size_t def = 0;
      if (!Find(doc_.inserts[e.index], def) || !Measure(def, 1)) {
        result.error = error_;
        return result;
      }
      total = std::min(total + info_[def].count, kMaxExpandedEntities + 1);
    }
    if (total > kMaxExpandedEntities) {
      result.error =
          "the block inserts draw more than " + std::to_string(kMaxExpandedEntities) + " entities";
      return result;
    }
    out_ = doc_;
    out_.entities.clear();
    out_.entities.reserve(doc_.entities.size() + total);
    sources_.reserve(doc_.entities.size() + total);
    for (size_t i = 0; i < doc_.entities.size(); ++i) {
      const EntityRef e = doc_.entities[i];
      source_ = static_cast<uint32_t>(i);
      if (e.kind != EntityKind::kBlock) {
        out_.entities.push_back(e);
        sources_.push_back(source_);
        continue;
      }
      const BlockInsert& b = doc_.inserts[e.index];
      Emit(byNumber_.at(b.definition), InsertTransform(b), b.c);
    }
    result.document = std::move(out_);
    result.sources = std::move(sources_);
    return result;
  }

 private:
  enum class State : uint8_t { kUnseen, kOpen, kDone };
  struct Info {
    State state = State::kUnseen;
    size_t count = 0;  // entities drawn, at most the budget + 1
    int height = 0;    // levels of nesting, the definition's own included
  };

  bool Find(const BlockInsert& b, size_t& def) {
    const auto it = byNumber_.find(b.definition);
    if (it == byNumber_.end()) {
      error_ = "a block insert names definition " + std::to_string(b.definition) +
               ", which the file does not hold";
      return false;
    }
    def = it->second;
    return true;
  }

  // Counts what definition `def` draws when inserted at nesting level `depth`; the recursion
  // stops at the nesting bound, so its own depth is bounded too.
  bool Measure(size_t def, int depth) {
    Info& info = info_[def];
    if (info.state == State::kOpen) {
      error_ = "block definition " + std::to_string(doc_.blocks[def].number) +
               " inserts itself (a cycle of block references)";
      return false;
    }
    if (depth > kMaxBlockNesting ||
        (info.state == State::kDone && depth + info.height - 1 > kMaxBlockNesting)) {
      error_ = "blocks are nested more than " + std::to_string(kMaxBlockNesting) + " deep";
      return false;
    }
    if (info.state == State::kDone) return true;
    info.state = State::kOpen;
    size_t count = 0;
    int height = 1;
    for (const EntityRef e : doc_.blocks[def].entities) {
      size_t drawn = 1;
      if (e.kind == EntityKind::kBlock) {
        size_t child = 0;
        if (!Find(doc_.inserts[e.index], child) || !Measure(child, depth + 1)) return false;
        drawn = info_[child].count;
        height = std::max(height, info_[child].height + 1);
      }
      count = std::min(count + drawn, kMaxExpandedEntities + 1);
    }
    info_[def] = {State::kDone, count, height};
    return true;
  }

  // A copy of entity `e` of `from`, transformed by `map`, placed, appended to the main list.
  template <typename T, typename Map>
  void Copy(EntityRef e, const std::vector<T>& from, std::vector<T>& to, const Common& insert,
            Map map) {
    T value = from[e.index];
    map(value);
    Place(value.c, insert);
    to.push_back(std::move(value));
    out_.entities.push_back({e.kind, static_cast<uint32_t>(to.size() - 1)});
    sources_.push_back(source_);
  }

  void Emit(size_t def, const Affine& m, const Common& insert) {
    for (const EntityRef e : doc_.blocks[def].entities) {
      switch (e.kind) {
        case EntityKind::kLine:
          Copy(e, doc_.lines, out_.lines, insert, [&](Line& l) { MapLine(m, l); });
          break;
        case EntityKind::kArc:
          Copy(e, doc_.arcs, out_.arcs, insert, [&](Arc& a) {
            MapCurve(m, a.cx, a.cy, a.radius, a.flatness, a.tilt, a.start, a.sweep);
          });
          break;
        case EntityKind::kPoint:
          Copy(e, doc_.points, out_.points, insert, [&](PointEntity& p) { MapPoint(m, p); });
          break;
        case EntityKind::kText:
          Copy(e, doc_.texts, out_.texts, insert, [&](Text& t) { MapText(m, t); });
          break;
        case EntityKind::kDimension:
          Copy(e, doc_.dimensions, out_.dimensions, insert, [&](Dimension& d) {
            MapLine(m, d.line);
            MapText(m, d.text);
            Place(d.line.c, insert);
            Place(d.text.c, insert);
            for (Line& l : d.extensionLines) {
              MapLine(m, l);
              Place(l.c, insert);
            }
            for (PointEntity& p : d.points) {
              MapPoint(m, p);
              Place(p.c, insert);
            }
          });
          break;
        case EntityKind::kSolid:
          Copy(e, doc_.solids, out_.solids, insert, [&](Solid& s) { MapSolid(m, s); });
          break;
        case EntityKind::kBlock: {
          const BlockInsert& b = doc_.inserts[e.index];
          Emit(byNumber_.at(b.definition), Compose(m, InsertTransform(b)), insert);
          break;
        }
      }
    }
  }

  const Document& doc_;
  std::unordered_map<uint32_t, size_t> byNumber_;  // the first definition of a number counts
  std::vector<Info> info_;
  Document out_;
  std::vector<uint32_t> sources_;
  uint32_t source_ = 0;  // the main-list entity being expanded
  std::string error_;
};

}  // namespace

bool HasBlockInserts(const Document& doc) {
  return std::any_of(doc.entities.begin(), doc.entities.end(),
                     [](EntityRef e) { return e.kind == EntityKind::kBlock; });
}

ExpandResult ExpandBlocks(const Document& doc) { return Expander(doc).Run(); }

}  // namespace gara::jws
