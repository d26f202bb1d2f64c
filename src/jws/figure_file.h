// The figure file (jws.txt) of a Jw_cad drawing or figure: every entity of its main list that the
// figure file can carry, in list order, in real-size millimetres.
#pragma once

#include <string>

#include "jws/document.h"

namespace gara::jws {

struct FigureFileResult {
  bool ok = false;
  std::string text;   // the whole file, CR LF lines, CP932
  std::string error;  // one line, when !ok
  int records = 0;    // the count line's number
};

// Coordinates, radii and the inner radius of ring solids are stored in sheet millimetres and are
// multiplied by the scale of the entity's own layer group; text sizes, spacing, marker sizes and
// the flatness are sheet quantities and stay as stored. Each block insert is replaced by the
// entities it draws, in its place in the list (jws/blocks.h says how they are transformed and on
// which layer group they land). Not carried: temporary points, empty texts, texts whose base
// line has no length and image placements. The extents line is the box the figure draws, measured
// like a registered selection (circle boxes, 73 samples on curves, four corners of every text box);
// it is not centred.
//
// Fails when an entity lies on a layer group or layer above 15 (Jw_cad has 16 of each), when a
// value to be written is not a finite number, or when the blocks cannot be expanded (a cycle,
// nesting too deep, too many entities, a missing definition).
FigureFileResult MakeFigureFile(const Document& doc);

// The texts of a vertical text in the flag word: 0x20 without any flag that makes it another
// kind of text.
bool IsVerticalText(uint16_t flags);

}  // namespace gara::jws
