// A figure file read once per run and replayed for every copy of the figure.
//
// Reading a figure file means a fixed sequence of emitter calls whose arguments depend on the
// file and on the four attribute switches, with only the coordinates and angles depending on
// where the copy goes. The model holds that sequence with everything else worked out, so that
// placing a copy is a walk over precomputed records without a single allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/output.h"
#include "figure/figure_reader.h"
#include "geom/geometry.h"
#include "pattern/run_context.h"

namespace gara {

enum class FigureOpCode : uint8_t {
  // Attribute commands; the value is final.
  kLayerGroup,
  kLayer,
  kLineColour,
  kLineType,
  kLineWidth,
  kPointColour,
  kRgbColour,
  kTextAnchor,
  kTextSize,  // i = kind, i2 = colour, v = width, height, spacing
  kFont,      // text
  kMarks,
  // Entity commands; coordinates are in the figure's own system (the extents centre not yet
  // subtracted) and are moved and turned at replay.
  kLine,           // v = x1, y1, x2, y2
  kCircle,         // v = cx, cy, r
  kArc,            // v = cx, cy, r, start, end, flatness, tilt (degrees, placement adds its own)
  kPoint,          // v = x, y
  kRotatedPoint,   // i = kind, v = x, y, size, angle (degrees, placement adds its own)
  kText,           // i = type, i2 = anchor, v = x, y, length, height, angle; text
  kDimension,      // v = x1, y1, x2, y2, tx, ty, angle; text
  kSolidLine,      // v = two points
  kSolidTriangle,  // v = three points
  kSolidQuad,      // v = four points
  kSolidSc,        // i = kind, v = cx, cy, r, flatness, tilt, start, sweep
  kSolidSe,        // as kSolidSc
  kSolidSo,        // v = cx, cy, r, flatness, tilt, start, sweep, r2
  kSolidSg,        // as kSolidSo
};

struct FigureOp {
  FigureOpCode code = FigureOpCode::kLayerGroup;
  int32_t i = 0;
  int32_t i2 = 0;
  uint32_t textOffset = 0;  // into FigureModel::texts
  uint32_t textSize = 0;
  double v[8] = {};
};

// The stretched shapes of the curves worked out last, by their exact arguments: the copies
// along one run share their stretch, and working a shape out (two arc tangents, two
// hypotenuses) costs more than writing it.
class StretchedEllipseMemo {
 public:
  const StretchedEllipse& Get(double r, double ratio, double rot, double stretch);

 private:
  struct Entry {
    uint64_t key[4] = {};  // the arguments' bits: -0 and 0 turn an ellipse differently
    bool used = false;
    StretchedEllipse shape;
  };
  static constexpr int kIndexBits = 6;
  Entry entries_[size_t{1} << kIndexBits];
};

struct FigureModel {
  bool present = false;     // the file existed
  bool unreadable = false;  // the file, or something in its place, is there but cannot be read
  // Why the file draws nothing; kUnreadable for one that is not there (a row's other figures
  // are known to be there before they are read).
  FigureFault fault = FigureFault::kNone;
  double centreX = 0.0;  // centre of the extents line
  double centreY = 0.0;
  std::vector<FigureOp> ops;
  std::string texts;                       // the bytes of every text and font, back to back
  size_t entityCommands = 0;               // ops that draw something, for the size limit of a run
  mutable StretchedEllipseMemo stretched;  // a cache of the replay, not part of the figure

  std::string_view Text(const FigureOp& op) const {
    return std::string_view(texts).substr(op.textOffset, op.textSize);
  }
};

// Fonts longer than an output record can show are kept short; equal long fonts must stay equal
// and different ones different for the command cache, across every figure of a run.
class LongFontTable {
 public:
  // The index of `font` among the long fonts seen so far (added when new).
  size_t IndexOf(std::string_view font);

 private:
  std::vector<std::string> fonts_;
};

// Parses the bytes of a figure file as PlaceFigure reads it under `run`'s switches. Reading
// stops quietly where the file ends early or a line lacks a field that is used; the emitter
// calls made before that point are kept, exactly as a reader emitting as it goes would leave
// them in the output.
FigureModel ParseFigure(std::string_view bytes, const RunContext& run, LongFontTable& longFonts);

// Where one copy of the figure goes: its extents centre onto (x, y), stretched by `stretch`
// along the figure's x axis about that centre, and turned by `angle` radians.
struct Placement {
  Placement(double x, double y, double angle, double centreX, double centreY, double stretch = 1);
  // The figure point (px, py) moved and turned; the same arithmetic as RotatePoint about
  // (x, y) of the moved point, with the cosine and sine taken once per copy. A stretched copy
  // turns its offset from the centre directly.
  Point Apply(double px, double py) const {
    if (stretch != 1) {
      const double dx = stretch * (px - centreX);
      const double dy = py - centreY;
      return {x + cosA * dx - sinA * dy, y + sinA * dx + cosA * dy};
    }
    const double mx = x + px - centreX;
    const double my = y + py - centreY;
    return {x + cosA * (mx - x) - sinA * (my - y), y + sinA * (mx - x) + cosA * (my - y)};
  }

  double x, y, angle, centreX, centreY, stretch;
  double cosA, sinA;
  double angleDeg;
};

// Emits one command of a copy placed by `p`.
void ReplayOp(const FigureModel& model, const FigureOp& op, const Placement& p, CommandWriter& out);

// Emits one copy. Entity commands whose moved values are not finite (a figure of coordinates
// near the limits of a double) are left out; their attribute commands stay. A stretched copy
// is exact: circles and ellipses become the ellipses they stretch to, and a text keeps its
// height and angle while its character width and spacing stretch.
void ReplayFigure(const FigureModel& model, double x, double y, double angle, CommandWriter& out,
                  double stretch = 1);

}  // namespace gara
