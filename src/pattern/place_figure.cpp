#include "pattern/place_figure.h"

#include <cmath>

#include "figure/figure_format.h"

namespace gara {

const FigureModel* FigurePlacer::Model(FigureKind kind) {
  if (!FigureKindOf(static_cast<int32_t>(kind))) return nullptr;
  std::optional<FigureModel>& model = models_[static_cast<size_t>(kind)];
  if (!model) {
    const std::optional<std::string> bytes =
        fs_.ReadFile(programDir_ + std::string(FigureFileName(kind)));
    model = bytes ? ParseFigure(*bytes, run_, longFonts_) : FigureModel{};
  }
  return &*model;
}

void FigurePlacer::PlaceFigure(FigureKind kind, double x, double y, double angle,
                               CommandWriter& out, double stretch) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle)) return;
  const FigureModel* model = Model(kind);
  if (model && model->present) ReplayFigure(*model, x, y, angle, out, stretch);
}

}  // namespace gara
