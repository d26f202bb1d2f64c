// What a Jw_cad drawing (.jww) or figure (.jws) holds, as read from its archive. Values are kept
// as stored (sheet millimetres, radians, degrees for text angles); strings are CP932 bytes in
// the document's string pool.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gara::jws {

enum class FileKind { kDrawing, kFigure };  // .jww, .jws

// Data versions at which the layout changes.
inline constexpr uint32_t kVersionPenWidth = 351;  // common part gains the pen width
inline constexpr uint32_t kVersionSxf = 420;       // dimensions gain SXF members
inline constexpr uint32_t kVersionImages = 700;    // .jww: image trailer after the blocks
inline constexpr int kLayerGroups = 16;
inline constexpr int kLayersPerGroup = 16;

// A string of the pool: bytes [offset, offset + size).
struct TextRef {
  uint32_t offset = 0;
  uint32_t size = 0;
};

// The part every entity starts with.
struct Common {
  uint32_t curveGroup = 0;
  uint8_t penStyle = 0;  // line type; point: 1 or 100; text: anchor 1..9; solid: solid kind
  uint16_t colour = 0;
  uint16_t width = 0;  // 0 before version 351; text: dimension-value settings bits
  uint16_t layer = 0;
  uint16_t layerGroup = 0;
  uint16_t flags = 0;
};

struct Line {
  Common c;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// Circle, arc, ellipse or elliptic arc; angles in radians.
struct Arc {
  Common c;
  double cx = 0, cy = 0, radius = 0, start = 0, sweep = 0, tilt = 0, flatness = 1;
  uint32_t fullCircle = 0;
};

inline constexpr uint8_t kMarkerPenStyle = 100;

struct PointEntity {
  Common c;
  double x = 0, y = 0;
  uint32_t temporary = 0;
  // Only with pen style 100.
  uint32_t marker = 0;
  double angle = 0;  // radians
  double scale = 1;
};

struct Text {
  Common c;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // lower-left and lower-right corner of the base line
  uint32_t kind = 0;                      // text kind 0..10, + 10000 italic, + 20000 bold
  double width = 0, height = 0, spacing = 0;
  double angleDeg = 0;
  TextRef font;
  TextRef text;
};

struct Dimension {
  Common c;
  Line line;
  Text text;
  // Version 420 and later only.
  bool hasSxf = false;
  uint16_t sxfMode = 0;
  std::array<Line, 2> extensionLines;
  std::array<PointEntity, 4> points;  // end marks 1, 2, reference points 1, 2
};

// Pen style up to 100: polygon with the corners (v0, v1) ... (v6, v7) in boundary order.
// Above: centre, radius, flatness, tilt, start, sweep, then a kind code (101, 111) or the
// inner radius (105, 106).
inline constexpr uint8_t kPolygonSolidMax = 100;

struct Solid {
  Common c;
  std::array<double, 8> v{};
  uint32_t rgb = 0;  // only with colour 10
};

struct BlockInsert {
  Common c;
  double x = 0, y = 0, scaleX = 1, scaleY = 1, rotation = 0;
  uint32_t definition = 0;
};

enum class EntityKind : uint8_t { kLine, kArc, kPoint, kText, kDimension, kSolid, kBlock };

// An entity of a list: its kind and its index in the document's vector of that kind.
struct EntityRef {
  EntityKind kind;
  uint32_t index;
};

struct BlockDefinition {
  Common c;
  uint32_t number = 0;
  uint32_t referenced = 0;
  uint32_t time = 0;
  TextRef name;
  std::vector<EntityRef> entities;
};

struct EmbeddedImage {
  TextRef name;
  uint32_t size = 0;
};

struct Document {
  FileKind kind = FileKind::kDrawing;
  uint32_t version = 0;
  // Scale denominators of the layer groups (the .jws header's sixteen scales); a stored value
  // that is not a finite positive number reads as 1.
  std::array<double, kLayerGroups> scales{};
  // The entity list was found by searching, because the header did not end where its layout
  // says; header values other than the version and the scales were not used.
  bool listFoundBySearch = false;
  TextRef memo;  // .jww only
  // .jws header values.
  double originX = 0, originY = 0;
  std::array<double, 4> bounds{};  // left, bottom, right, top

  std::vector<EntityRef> entities;  // the main list, in file order
  std::vector<BlockDefinition> blocks;
  std::vector<EmbeddedImage> images;
  size_t trailingBytes = 0;  // bytes after the last part read

  std::vector<Line> lines;
  std::vector<Arc> arcs;
  std::vector<PointEntity> points;
  std::vector<Text> texts;
  std::vector<Dimension> dimensions;
  std::vector<Solid> solids;
  std::vector<BlockInsert> inserts;

  std::string strings;  // the string pool

  std::string_view Str(TextRef r) const {
    return std::string_view(strings).substr(r.offset, r.size);
  }
};

}  // namespace gara::jws
