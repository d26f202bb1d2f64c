// Offsets of a path (the rails drawn beside it): each piece moved sideways, lines as lines,
// circular arcs as concentric arcs, elliptical arcs as short lines, and the offsets of
// neighbouring pieces joined where the path turns.
//
// The join rule: two offsets that already touch stay as they are; otherwise they are trimmed or
// extended to meet at the crossing nearest the joint, as long as it lies within the mitre's
// reach of the joint (MitreReaches); offsets with an arc that do not meet there get an arc
// around the joint between them, two lines a straight line between their ends (a bevel), and
// parallel lines are left as they are.
#pragma once

#include <vector>

#include "geom/path.h"

namespace gara {

// How far a mitre may reach, in offsets: as a stroked outline limits its mitres, so that a path
// that nearly turns back on itself does not send its offsets (and a corner piece where they
// meet) ever farther away, up to the range of the numbers. Lines meet within it up to a turn of
// about 160 degrees; every rail and corner piece at one corner goes by the same turn.
inline constexpr double kMitreLimit = 4;

// Whether the offsets at distance k of two pieces that meet at `joint`, their ends `gap` apart
// there, may be joined where they cross at `crossing`: no farther from the joint than
// kMitreLimit offsets and the gap. The one rule for the rails of every run mode and the corner
// pieces.
bool MitreReaches(Point crossing, Point joint, double k, double gap);

// Takes the pieces of a rail one at a time, as they are made.
class PieceSink {
 public:
  virtual void Put(const PathPiece& piece) = 0;

 protected:
  ~PieceSink() = default;
};

// The offset of the pieces at distance k (positive: to the left of the direction), joined by
// the rule above, handed to `out` piece by piece. The offsets of an elliptical piece are made
// twice, once to join its ends with its neighbours' and once to hand them over, rather than
// kept: a huge ellipse has millions of them. Likewise only two pieces' offsets are held at a
// time; a closed rail is joined all round once before it is handed over, its first offsets
// being joined last.
void ForEachRailPiece(const std::vector<PathPiece>& pieces, bool closed, double k, PieceSink& out);
// The same rail as a list.
std::vector<PathPiece> OffsetRail(const std::vector<PathPiece>& pieces, bool closed, double k);

// The spans the offset of an elliptical arc of `sweep` radians starts from before halving.
int FirstEllipseSpans(double sweep);
// The short lines that the offset at distance k of an elliptical piece takes, estimated from
// above, for the limits of a run: a huge ellipse has millions of them.
double EllipseOffsetLines(const PathPiece& piece, double k);

}  // namespace gara
