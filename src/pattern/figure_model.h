// A figure file read once per run and replayed for every copy of the figure.
//
// Reading a figure file means a fixed sequence of emitter calls whose arguments depend on the
// file and on the four attribute switches, with only the coordinates and angles depending on
// where the copy goes. The model holds that sequence with everything else worked out, so that
// placing a copy is a walk over precomputed records without a single allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/output.h"
#include "figure/figure_reader.h"
#include "geom/geometry.h"
#include "pattern/run_context.h"
#include "util/file_system.h"

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

// One op as the replay reads it. Only the values of its kind are set: v[k] past them, and i and
// i2 where the kind has none, are left as an earlier op had them.
struct FigureOp {
  FigureOpCode code = FigureOpCode::kLayerGroup;
  int32_t i = 0;
  int32_t i2 = 0;
  std::string_view text;  // of kFont, kText and kDimension
  double v[8] = {};
};

// The ops of a figure, each kept as its code and only the values its kind has (a line takes 33
// bytes, an attribute 5), in blocks that never move: growing copies nothing, and a 32-bit
// process needs no contiguous range of the figure's size. Walking the list gives each op back
// as a FigureOp, valid until the walk moves on.
class FigureOpList {
  struct Block {
    std::unique_ptr<unsigned char[]> bytes;
    size_t used = 0;
    size_t capacity = 0;
  };

 public:
  void Push(const FigureOp& op);
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  // The memory the list holds: its blocks whole and their index.
  size_t BytesHeld() const;

  class Iterator {
   public:
    using value_type = FigureOp;
    using difference_type = std::ptrdiff_t;
    const FigureOp& operator*() const { return op_; }
    const FigureOp* operator->() const { return &op_; }
    Iterator& operator++() {
      if (--left_ > 0) Decode();
      return *this;
    }
    bool operator==(const Iterator& other) const { return left_ == other.left_; }

   private:
    friend class FigureOpList;
    Iterator(const FigureOpList& list, size_t left);
    void Decode();

    const Block* block_ = nullptr;
    const unsigned char* at_ = nullptr;   // the next op's bytes
    const unsigned char* end_ = nullptr;  // of the block's bytes in use
    size_t left_;                         // ops from this one to the end
    FigureOp op_;
  };
  Iterator begin() const { return Iterator(*this, count_); }
  Iterator end() const { return Iterator(*this, 0); }

 private:
  unsigned char* Room(size_t size);

  std::vector<Block> blocks_;
  size_t count_ = 0;
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
  FigureOpList ops;
  size_t entityCommands = 0;               // ops that draw something, for the size limit of a run
  mutable StretchedEllipseMemo stretched;  // a cache of the replay, not part of the figure

  // The memory the figure holds, itself included.
  size_t BytesHeld() const { return sizeof(FigureModel) + ops.BytesHeld(); }
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
// The same for the file at `path`, read in pieces and never held whole, with `fault` as
// JudgeFigureFile finds it; a file that cannot be read gives an empty model (kUnreadable).
FigureModel ParseFigureFile(FileSystem& fs, const std::string& path, const RunContext& run,
                            LongFontTable& longFonts);

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
