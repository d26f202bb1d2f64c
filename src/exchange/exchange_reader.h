// The input side of JWC_TEMP.TXT: header and attribute lines, designated points, entity lines.
#pragma once

#include <string>
#include <string_view>

#include "exchange/drawing_state.h"
#include "util/file_system.h"

namespace gara {

enum class EntityRecords : bool { kSkip, kKeep };

// Reads the whole file into `state` (which the caller has reset). False when the file is
// missing, not a regular file, or unreadable; then `state` is unchanged. With kSkip the
// selected entities take no memory: `state.entities` stays empty.
bool ReadExchangeFile(FileSystem& fs, const std::string& path, DrawingState& state,
                      EntityRecords records = EntityRecords::kKeep);
// Every line of `bytes`, in order.
void ReadExchangeBytes(std::string_view bytes, DrawingState& state);
// One line without its line end.
void ParseExchangeLine(std::string_view line, DrawingState& state);

}  // namespace gara
