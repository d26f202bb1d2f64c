// Figure placement: copies of the figure of a pattern row, moved and turned into the drawing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "exchange/output.h"
#include "pattern/figure_model.h"
#include "pattern/run_context.h"
#include "util/file_system.h"

namespace gara {

// The figure files of one run: sel.txt (kind 0) and jws.txt (kind 1) in the program
// directory, each read and parsed the first time a copy of it is placed.
class FigurePlacer {
 public:
  FigurePlacer(FileSystem& fs, std::string programDir, const RunContext& run)
      : fs_(fs), programDir_(std::move(programDir)), run_(run) {}

  // The parsed figure of `kind`; nullptr for kinds other than 0 and 1. A missing file gives
  // an empty model.
  const FigureModel* Model(int32_t kind);

  // Emits one copy of the figure of `kind` with its extents centre on (x, y), turned by
  // `angle` radians. Nothing for another kind, a missing file or a centre that is not finite.
  void PlaceFigure(int32_t kind, double x, double y, double angle, CommandWriter& out);

 private:
  FileSystem& fs_;
  std::string programDir_;
  const RunContext& run_;
  LongFontTable longFonts_;
  std::optional<FigureModel> models_[2];
};

}  // namespace gara
