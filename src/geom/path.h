// Paths made of selected lines, arcs and circles: the pieces chained end to end, measured by arc
// length, and their offsets (the rails drawn beside them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "geom/geometry.h"

namespace gara {

// One piece of a path, oriented the way the path runs.
struct PathPiece {
  enum class Kind : uint8_t { kLine, kArc };
  Kind kind = Kind::kLine;
  Point from;
  Point to;
  // Arcs: the point at parameter t is EllipsePoint(centre, radius, flatness, tilt, t); the
  // parameter runs from `start` by `sweep` radians (negative: clockwise).
  Point centre;
  double radius = 0;
  double flatness = 1;
  double tilt = 0;
  double start = 0;
  double sweep = 0;
  double length = 0;

  bool IsArc() const { return kind == Kind::kArc; }
  bool IsCircular() const { return kind == Kind::kArc && flatness == 1; }
};

PathPiece LinePiece(Point from, Point to);
// An arc of the ellipse (a circle with flatness 1) from parameter `start` by `sweep` radians.
PathPiece ArcPiece(Point centre, double radius, double flatness, double tilt, double start,
                   double sweep);
PathPiece Reversed(const PathPiece& piece);

// The last point found by arc length along an elliptical piece. Points asked for one after
// another along the piece are measured from there rather than from the piece's start, so that
// each figure along a long ellipse costs the measure of its own short step.
struct ArcMark {
  const PathPiece* piece = nullptr;  // the piece itself: a mark holds while it lives unchanged
  double s = 0;                      // the arc length ...
  double tau = 0;                    // ... at this parameter offset from the piece's start
};

// The point at arc length s from the piece's start (clamped to the piece), and the unit
// tangent there in the piece's direction. `mark`, when given, is used and moved on.
Point PieceAt(const PathPiece& piece, double s, ArcMark* mark = nullptr);
Point PieceTangent(const PathPiece& piece, double s);
// The point k to the left of an arc at the parameter offset tau (0 ... |sweep|) from its start.
Point ArcOffsetAt(const PathPiece& arc, double tau, double k);
// The parameter offset of an arc at arc length s from its start (clamped to the arc).
double ArcParameterAt(const PathPiece& arc, double s, ArcMark* mark = nullptr);
// The part of the piece between arc lengths s0 < s1.
PathPiece PieceSpan(const PathPiece& piece, double s0, double s1, ArcMark* mark = nullptr);

struct Path {
  std::vector<PathPiece> pieces;
  bool closed = false;
  double length = 0;
};

// How closely the points of a piece are known: to the writer's 1e-8, or to 1e-14 of the largest
// of its numbers (coordinates, and an arc's radius beside its centre's), whichever is coarser.
// A piece no longer than this is a point; an arc that keeps within it of its chord, a line.
double PiecePrecision(const PathPiece& piece);

// Where two ends meet: within a millionth of the extent of either of their pieces (its length,
// an arc's no more than its ellipse's larger axis across), which allows for the digits a drawing
// is written with, or within the precision of either. A joint is judged by its two pieces alone:
// a huge piece elsewhere in the selection changes nothing.
double JointTolerance(const PathPiece& a, const PathPiece& b);

// Chains the pieces into paths, dropping those no longer than their precision (or with no usable
// radius or flatness). A piece whose ends meet (a circle) is a path alone.
// Otherwise the first unused piece in file order starts a chain, running its own way; the chain
// grows at its end, then at its start, each time by the earliest unused piece in file order
// with an end at that point (reversed when needed), so where more than two ends meet the
// earliest pieces continue each other and the later ones start or join other paths. A chain
// closes as soon as its end comes back to its start.
std::vector<Path> ChainPieces(std::vector<PathPiece> pieces);

// The paths of ChainPieces, chained first and made one by one as they are taken, from the last,
// when the chaining's index is gone: the pieces are held about once, not once more in the paths.
class Chains {
 public:
  explicit Chains(std::vector<PathPiece> pieces);
  size_t size() const { return closed_.size(); }
  // The last path not yet taken, in the order of ChainPieces.
  Path TakeLast();

 private:
  // Chains the pieces: the paths' steps in order, each 2 * piece, + 1 when the piece runs
  // backwards; fills starts_ and closed_.
  std::vector<uint32_t> Chain();

  // The usable pieces, once chained path after path, each turned the way its path runs: the
  // list of the one path, or else a deque.
  std::vector<PathPiece> pieces_;
  std::deque<PathPiece> rest_;
  std::vector<uint32_t> starts_;  // where each path's pieces start, and the end of the last
  std::vector<bool> closed_;
};

// The turn from the end of `a` into the start of `b`, radians in [0, pi].
double TurnAngle(const PathPiece& a, const PathPiece& b);

}  // namespace gara
