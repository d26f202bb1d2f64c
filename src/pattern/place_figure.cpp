#include "pattern/place_figure.h"

#include <cmath>

#include "figure/figure_format.h"

namespace gara {

FigureModel FigurePlacer::Read(std::string_view name) {
  const std::string path = programDir_ + std::string(name);
  FigureModel model = ParseFigureFile(fs_, path, run_, longFonts_);
  if (!model.present) {
    model.unreadable = UnreadableAfterFailedRead(fs_, path, [&] {
      model = ParseFigureFile(fs_, path, run_, longFonts_);
      return model.present;
    });
    if (!model.present) return model;
  }
  if (model.fault == FigureFault::kNone && model.entityCommands == 0) {
    model.fault = FigureFault::kNothingDrawable;
  }
  return model;
}

const FigureModel* FigurePlacer::Model(FigureKind kind) {
  if (!FigureKindOf(static_cast<int32_t>(kind))) return nullptr;
  std::optional<FigureModel>& model = models_[static_cast<size_t>(kind)];
  if (!model) model = Read(FigureFileName(kind));
  return &*model;
}

const FigureModel* FigurePlacer::Model(const std::string& name) {
  auto it = named_.find(name);
  if (it == named_.end()) it = named_.emplace(name, Read(name)).first;
  return &it->second;
}

void FigurePlacer::PlaceFigure(FigureKind kind, double x, double y, double angle,
                               CommandWriter& out, double stretch) {
  PlaceFigure(Model(kind), x, y, angle, out, stretch);
}

void FigurePlacer::PlaceFigure(const FigureModel* model, double x, double y, double angle,
                               CommandWriter& out, double stretch) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle)) return;
  if (model && model->present) ReplayFigure(*model, x, y, angle, out, stretch);
}

}  // namespace gara
