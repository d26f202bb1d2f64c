// Register mode: the selected entities of the exchange file become the figure file sel.txt.
#pragma once

#include <string>

#include "exchange/drawing_state.h"
#include "util/file_system.h"

namespace gara {

// The figure file image of the selection (every record but blocks, centred on its extents).
std::string SelectionFigureText(const DrawingState& state);
// Writes it to `file` in pieces; false when a write failed.
bool WriteSelection(const DrawingState& state, OutputFile& file);
// The same for the exchange file at `exchangePath`, read twice (to measure, then to write) so
// that its records are never all held at once; false also when it could not be read, or read
// differently the second time.
bool WriteSelection(FileSystem& fs, const std::string& exchangePath, OutputFile& file);
// Writes it to `path`; on failure no file (and no partial file) remains there.
[[nodiscard]] bool ExportSelection(FileSystem& fs, const std::string& path,
                                   const DrawingState& state);

}  // namespace gara
