// Register mode: the selected entities of the exchange file become the figure file sel.txt.
#pragma once

#include <cstddef>
#include <string>

#include "exchange/drawing_state.h"
#include "util/file_system.h"

namespace gara {

// The figure file image of the selection (every record but blocks, centred on its extents).
std::string SelectionFigureText(const DrawingState& state);
// Writes it to `file` in pieces; false when a write failed.
bool WriteSelection(const DrawingState& state, OutputFile& file);
// Records of a selection kept from its first reading for the second: at about 120 bytes a
// record, some 60 MB at most, well inside the 32-bit program's memory.
inline constexpr size_t kMaxKeptSelection = 500'000;
// The same for the exchange file at `exchangePath`, measured as it is read, then written from
// the records kept; a selection of more than `keepAtMost` records is read a second time instead,
// so that its records are never all held at once. False also when it could not be read, or read
// differently the second time.
bool WriteSelection(FileSystem& fs, const std::string& exchangePath, OutputFile& file,
                    size_t keepAtMost = kMaxKeptSelection);
// Writes it to `path`; on failure no file (and no partial file) remains there.
[[nodiscard]] bool ExportSelection(FileSystem& fs, const std::string& path,
                                   const DrawingState& state);

}  // namespace gara
