// Entity lines of the exchange file become typed records in the drawing state, stamped with the
// attributes in force (the reading state), in file order.
#pragma once

#include <span>
#include <string_view>

#include "exchange/drawing_state.h"
#include "exchange/reading_state.h"

namespace gara {

// `fields` are the line's fields from the keyword on, so fields.size() is the field count c.
// Keyword entity lines ("ci", texts, "pt", "BL", "sl", "sc", "se", "so", "sg" with their field
// counts); false, with nothing changed, for any other line.
bool AddKeywordEntity(std::span<const std::string_view> fields, ReadingState& reading,
                      DrawingState& state);
// A line of exactly four numbers: a line segment, or the line of a pending dimension.
void AddLineOrDimensionLine(std::span<const std::string_view> fields, ReadingState& reading,
                            DrawingState& state);

// "ch" 0, "cv" 1, "cs" 2, "cr" 3, "co" 4, "cp" 5, "ct" 6, "ck" 7, "cz" 8, "c2" 9; -1 otherwise.
int TextKindOfKeyword(std::string_view keyword);

// Texts and font names are kept to 255 bytes, never cutting a two-byte character in half.
inline constexpr size_t kMaxStoredText = 255;
// Two "sl" corners coincide when both coordinates differ by at most this.
inline constexpr double kCornerTolerance = 1e-10;
std::string_view CutStoredText(std::string_view text);

}  // namespace gara
