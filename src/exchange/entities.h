// The selected entities of the exchange file as typed records, kept in file order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "exchange/writing_attributes.h"

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

// The attributes in force when the entity line was read, with the marks that belonged to it.
// The colour is the line colour, but the point colour for points and the text colour for texts.
struct EntityHeader : WritingAttributes {
  int32_t hhpNumber = 0;
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

// A list that grows in blocks of 1000 records. The blocks never move: a selection of many
// thousand entities is read without copying what was read before, and without the slack of
// a doubling vector (memory stays proportional to the records).
template <typename T>
class EntityList {
 public:
  static constexpr size_t kBlock = 1000;

  EntityList() = default;
  EntityList(const EntityList& other) {
    for (const T& item : other) push_back(item);
  }
  EntityList(EntityList&& other) noexcept
      : blocks_(std::move(other.blocks_)), size_(std::exchange(other.size_, 0)) {}
  EntityList& operator=(EntityList other) noexcept {
    std::swap(blocks_, other.blocks_);
    std::swap(size_, other.size_);
    return *this;
  }
  ~EntityList() { clear(); }

  void push_back(T value) {
    if (size_ == blocks_.size() * kBlock) {
      blocks_.push_back(std::allocator<T>().allocate(kBlock));
    }
    new (blocks_[size_ / kBlock] + size_ % kBlock) T(std::move(value));
    ++size_;
  }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const T& operator[](size_t i) const { return blocks_[i / kBlock][i % kBlock]; }
  T& operator[](size_t i) { return blocks_[i / kBlock][i % kBlock]; }
  const T& back() const { return (*this)[size_ - 1]; }

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = const T*;
    using reference = const T&;
    const_iterator(const EntityList* list, size_t i) : list_(list), i_(i) {}
    const T& operator*() const { return (*list_)[i_]; }
    const T* operator->() const { return &(*list_)[i_]; }
    const_iterator& operator++() {
      ++i_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator old = *this;
      ++i_;
      return old;
    }
    bool operator==(const const_iterator& other) const { return i_ == other.i_; }

   private:
    const EntityList* list_;
    size_t i_;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size_}; }

  void clear() {
    for (size_t i = 0; i < size_; ++i) (*this)[i].~T();
    for (T* block : blocks_) std::allocator<T>().deallocate(block, kBlock);
    blocks_.clear();
    blocks_.shrink_to_fit();
    size_ = 0;
  }

 private:
  std::vector<T*> blocks_;
  size_t size_ = 0;
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
