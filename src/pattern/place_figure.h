// Figure placement: copies of the figure of a pattern row, moved and turned into the drawing.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "exchange/output.h"
#include "figure/figure_format.h"
#include "pattern/figure_model.h"
#include "pattern/run_context.h"
#include "util/file_system.h"

namespace gara {

// The figure files of one run (FigureFileName of each kind) in the program directory, each read
// and parsed the first time a copy of it is placed.
class FigurePlacer {
 public:
  FigurePlacer(FileSystem& fs, std::string programDir, const RunContext& run)
      : fs_(fs), programDir_(std::move(programDir)), run_(run) {}

  // The parsed figure of `kind`; nullptr for a value outside the kinds. A missing file gives
  // an empty model.
  const FigureModel* Model(FigureKind kind);

  // The parsed figure of the file `name` of the program directory (a row's alternate figure,
  // corner piece or cap); each file is read once, the first time it is asked for, and its model
  // stays where it is for the placer's lifetime.
  const FigureModel* Model(const std::string& name);

  // Emits one copy of the figure of `kind` with its extents centre on (x, y), stretched along
  // its own x axis and turned by `angle` radians. Nothing for another kind, a missing file or
  // a centre that is not finite.
  void PlaceFigure(FigureKind kind, double x, double y, double angle, CommandWriter& out,
                   double stretch = 1);
  // The same for a parsed figure.
  static void PlaceFigure(const FigureModel* model, double x, double y, double angle,
                          CommandWriter& out, double stretch = 1);

 private:
  FigureModel Read(std::string_view name);

  FileSystem& fs_;
  std::string programDir_;
  const RunContext& run_;
  LongFontTable longFonts_;
  std::optional<FigureModel> models_[2];
  std::map<std::string, FigureModel, std::less<>> named_;
};

}  // namespace gara
