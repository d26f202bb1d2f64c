#include "pattern/emitting_sink.h"

#include <cmath>

#include "pattern/bend.h"
#include "pattern/draw.h"

namespace gara {

void EmittingSink::Attributes() { EmitWritingAttributes(run_, out_); }

bool EmittingSink::Stopped() {
  if (stopped_) return true;
  // Checked once a copy, so that the stop costs nothing worth counting.
  if (!out_.buffer().overLimit()) {
    ++stop_.placed;
    return false;
  }
  stopped_ = true;
  stop_.bytes = static_cast<double>(out_.buffer().streamedBytes());
  return true;
}

void EmittingSink::Figure(FigureSlot slot, double x, double y, double angle, double stretch) {
  if (Stopped()) return;
  if (slot == FigureSlot::kMain) {
    placer_.PlaceFigure(kind_, x, y, angle, out_, stretch);
  } else {
    FigurePlacer::PlaceFigure(others_[static_cast<size_t>(slot)], x, y, angle, out_, stretch);
  }
}

void EmittingSink::BentFigure(FigureSlot slot, const BentBox& box, double stretch) {
  if (Stopped()) return;
  const FigureModel* model =
      slot == FigureSlot::kMain ? placer_.Model(kind_) : others_[static_cast<size_t>(slot)];
  if (model && model->present) ReplayBentFigure(*model, box, stretch, out_);
}

void EmittingSink::Line(double x1, double y1, double x2, double y2) {
  // Designated points near the limits of a double can push a line beyond them.
  if (std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2)) {
    out_.EmitLine(x1, y1, x2, y2);
  }
}

// The writer drops what is not finite.
void EmittingSink::Arc(double cx, double cy, double r, double startDeg, double endDeg) {
  out_.EmitArc(cx, cy, r, startDeg, endDeg, 1, 0);
}

void EmittingSink::Circle(double cx, double cy, double r) { out_.EmitCircle(cx, cy, r); }

}  // namespace gara
