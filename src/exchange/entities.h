// The selected entities of the exchange file as typed records, kept in file order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gara {

enum class EntityType : uint8_t {
  kLine = 1,
  kCircle = 2,
  kArc = 3,
  kText = 4,
  kPoint = 5,
  kRotatedPoint = 6,
  kDimension = 7,
  kBlock = 8,
  kSolidLine = 9,
  kSolidTriangle = 10,
  kSolidQuad = 11,
  kSolidSc = 12,
  kSolidSe = 13,
  kSolidSo = 14,
  kSolidSg = 15,
};

// The attributes in force when the entity line was read.
struct EntityHeader {
  int32_t hhpNumber = 0;
  int32_t layerGroup = 0;
  int32_t layer = 0;
  int32_t colour = 1;  // line colour; point colour for points; text colour for texts
  int32_t lineType = 1;
  int32_t lineWidth = 0;
  int32_t zFlags = 0;  // 1, 2, 4, 8, 16 for "z1" ... "z5"
};

struct LineEntity {
  EntityHeader header;
  int32_t polylineNumber = 0;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
struct CircleEntity {
  EntityHeader header;
  double x = 0, y = 0, r = 0;
};
struct ArcEntity {
  EntityHeader header;
  double x = 0, y = 0, r = 0, startAngle = 0, endAngle = 0, flatness = 0, tilt = 0;  // degrees
};
struct TextEntity {
  EntityHeader header;
  int32_t textKind = 0;  // "ch" 0, "cv" 1, "cs" 2, ... "c2" 9
  int32_t anchor = 0;
  int32_t sizeKind = 1;
  double width = 0, height = 0, spacing = 0;
  double x = 0, y = 0, dx = 0, dy = 0;
  std::string fontName;  // at most 255 bytes, e.g. "<ＭＳ ゴシック>"
  std::string text;      // at most 255 bytes
};
struct PointEntity {
  EntityHeader header;
  double x = 0, y = 0;
};
struct RotatedPointEntity {
  EntityHeader header;
  double x = 0, y = 0, size = 0, angle = 0;  // angle in degrees
  int32_t kind = 0;
};
struct DimensionEntity {
  EntityHeader header;
  LineEntity line;
  TextEntity text;
};
struct BlockEntity {  // "BL": kept in file order, never exported
  EntityHeader header;
  double x = 0, y = 0;
  std::string name;
};
struct SolidLineEntity {
  EntityHeader header;
  int32_t rgb = 0;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
struct SolidTriangleEntity {
  EntityHeader header;
  int32_t rgb = 0;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0;
};
struct SolidQuadEntity {
  EntityHeader header;
  int32_t rgb = 0;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0, x4 = 0, y4 = 0;
};
struct SolidArcEntity {  // "sc" and "se"
  EntityHeader header;
  int32_t rgb = 0;
  double x = 0, y = 0, r = 0, flatness = 0, tilt = 0, start = 0, sweep = 0;  // radians
  int32_t kind = 0;
};
struct SolidRingEntity {  // "so" and "sg"
  EntityHeader header;
  int32_t rgb = 0;
  double x = 0, y = 0, r = 0, flatness = 0, tilt = 0, start = 0, sweep = 0, r2 = 0;
};

struct EntityRef {
  EntityType type;
  uint32_t index;  // position in the list of its type
};

// A list that grows in blocks of 1000 records, so large selections reallocate rarely.
template <typename T>
class EntityList {
 public:
  void push_back(T value) {
    if (items_.size() == items_.capacity()) items_.reserve(items_.size() + 1000);
    items_.push_back(std::move(value));
  }
  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const T& operator[](size_t i) const { return items_[i]; }
  T& operator[](size_t i) { return items_[i]; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  void clear() { items_ = {}; }

 private:
  std::vector<T> items_;
};

struct SelectedEntities {
  EntityList<LineEntity> lines;
  EntityList<CircleEntity> circles;
  EntityList<ArcEntity> arcs;
  EntityList<TextEntity> texts;
  EntityList<PointEntity> points;
  EntityList<RotatedPointEntity> rotatedPoints;
  EntityList<DimensionEntity> dimensions;
  EntityList<BlockEntity> blocks;
  EntityList<SolidLineEntity> solidLines;
  EntityList<SolidTriangleEntity> solidTriangles;
  EntityList<SolidQuadEntity> solidQuads;
  EntityList<SolidArcEntity> solidSc;
  EntityList<SolidArcEntity> solidSe;
  EntityList<SolidRingEntity> solidSo;
  EntityList<SolidRingEntity> solidSg;
  EntityList<EntityRef> order;  // every record in file order
};

}  // namespace gara
