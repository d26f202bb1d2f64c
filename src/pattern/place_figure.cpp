#include "pattern/place_figure.h"

#include <cmath>

#include "figure/figure_format.h"

namespace gara {

const FigureModel* FigurePlacer::Model(int32_t kind) {
  if (kind != 0 && kind != 1) return nullptr;
  std::optional<FigureModel>& model = models_[kind];
  if (!model) {
    const std::string_view name = kind == 0 ? figure::kSelectedFile : figure::kJwsFile;
    const std::optional<std::string> bytes = fs_.ReadFile(programDir_ + std::string(name));
    model = bytes ? ParseFigure(*bytes, run_, longFonts_) : FigureModel{};
  }
  return &*model;
}

void FigurePlacer::PlaceFigure(int32_t kind, double x, double y, double angle, CommandWriter& out) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle)) return;
  const FigureModel* model = Model(kind);
  if (model && model->present) ReplayFigure(*model, x, y, angle, out);
}

}  // namespace gara
