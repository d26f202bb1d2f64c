// Block inserts of a Jw_cad drawing or figure replaced by the entities they draw.
//
// An insert draws its definition's entities moved by its transform: scaled by (scale x,
// scale y) about the definition's origin, turned by its rotation, moved to its insertion point.
// Inserts inside a definition nest: their transforms compose. Every entity is transformed as
// what it is:
// - lines, points, polygon solids: their points;
// - circles, arcs, ellipses and curved solids: as curves, so that a scale that differs in x and
//   y (or a tilted ellipse under any scale) gives the ellipse the transformed points lie on,
//   with its own radius, flatness, tilt, start and sweep (a mirror reverses the sweep); the
//   inner radius of a ring grows with the radius;
// - texts: the base line's two ends are transformed; the sizes along the base line (character
//   width and spacing, for vertical texts the character height and spacing) scale by the
//   length factor along the new base line, the size across it by the area factor divided by
//   that; a mirrored text keeps reading along its base line, it is not drawn mirror-written;
// - marker points: the marker turns with the transform and scales along its direction;
// - dimensions: their line, value text, extension lines and points, each as above.
//
// Layer groups: coordinates are stored in sheet millimetres, and Jw_cad draws a block's
// entities on the sheet where its insert stands, whatever layer groups the entities were
// defined on. So the expanded entities take the layer group and layer of the outermost insert
// (whose scale then makes them real size, in step with everything else drawn on that layer
// group), and keep their own colour, line type, width and flags.
//
// Bounds: nesting deeper than kMaxBlockNesting, a definition that inserts itself, an insert
// that names no definition of the file, or more than kMaxExpandedEntities entities drawn by
// inserts make the expansion fail with a one-line message, before anything is expanded.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "jws/document.h"

namespace gara::jws {

inline constexpr int kMaxBlockNesting = 64;
// A figure for decorative ruled lines holds some hundreds of entities; the budget leaves a
// thousand-fold margin and keeps a 32-bit converter far from its address-space limit (the
// largest entity, a dimension, takes about half a kilobyte).
inline constexpr size_t kMaxExpandedEntities = 100000;

struct ExpandResult {
  std::optional<Document> document;  // set on success
  std::vector<uint32_t> sources;     // per entity of its main list: the index it came from
  std::string error;                 // one line, when it failed
};

// A copy of `doc` whose main list has each block insert replaced by the entities it draws, in
// list order (a definition's entities in its own order). Definitions are kept; entities no
// longer listed stay in the vectors.
ExpandResult ExpandBlocks(const Document& doc);

// Whether the main list holds a block insert.
bool HasBlockInserts(const Document& doc);

}  // namespace gara::jws
