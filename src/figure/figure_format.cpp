#include "figure/figure_format.h"

#include <cmath>

#include "util/text.h"

namespace gara {

namespace {

// One row per mark z1 ... z5; 0 where the class does not carry the mark.
constexpr int32_t kFlagTable[5][5] = {
    // line, curve/point, text, dimension line, solid
    {32, 32, 0, 0, 32},          {2048, 16, 2048, 0, 2048}, {8192, 64, 16400, 8192, 8192},
    {32768, 128, 8192, 0, 4096}, {4096, 0, 0, 0, 0},
};

constexpr int32_t kTextKindFlags[10] = {0, 32, 16400, 16656, 16912, 17424, 20496, 64, 128, 32768};

bool IsBlankOrControl(unsigned char b) { return b >= 0x01 && b <= 0x20; }

}  // namespace

bool HoldableExtents(double minX, double minY, double maxX, double maxY) {
  const auto within = [](double v) { return std::fabs(v) <= kMaxFigureReach; };
  return within(minX) && within(minY) && within(maxX) && within(maxY) && within(maxX - minX) &&
         within(maxY - minY);
}

std::string_view FigureFileName(FigureKind kind) {
  switch (kind) {
    case FigureKind::kSelected:
      return figure::kSelectedFile;
    case FigureKind::kJws:
      return figure::kJwsFile;
  }
  return {};
}

int32_t EntityMarksFromFlags(FlagClass cls, int32_t flags) {
  const int column = static_cast<int>(cls);
  int32_t marks = 0;
  for (int mark = 0; mark < 5; ++mark) {
    if (flags & kFlagTable[mark][column]) marks |= 1 << mark;
  }
  return marks;
}

int32_t TextTypeFromFlags(int32_t flags) {
  int32_t type = 0;
  if (flags & 0x20) type = 1;
  if (flags & (0x4000 | 0x10)) type = 2;
  // Each later kind bit overrides the earlier ones.
  static constexpr struct {
    int32_t bit, type;
  } kOverrides[] = {{0x100, 3}, {0x200, 4}, {0x400, 5}, {0x1000, 6},
                    {0x40, 7},  {0x80, 8},  {0x8000, 9}};
  for (const auto& o : kOverrides) {
    if (flags & o.bit) type = o.type;
  }
  return type;
}

RecordKind RecordKindOf(std::string_view field0) {
  if (field0.size() != 1) return RecordKind::kUnknown;
  switch (field0[0]) {
    case figure::kLine:
      return RecordKind::kLine;
    case figure::kCurve:
      return RecordKind::kCurve;
    case figure::kPoint:
      return RecordKind::kPoint;
    case figure::kText:
      return RecordKind::kText;
    case figure::kDimension:
      return RecordKind::kDimension;
    case figure::kDimensionX:
      return RecordKind::kDimensionX;
    case figure::kSolid:
      return RecordKind::kSolid;
    default:
      return RecordKind::kUnknown;
  }
}

SolidShape SolidShapeOf(int32_t code) {
  if (code <= 100) return SolidShape::kPolygon;
  switch (code) {
    case figure::kSolidSc:
      return SolidShape::kSc;
    case figure::kSolidSe:
      return SolidShape::kSe;
    case figure::kSolidSo:
      return SolidShape::kSo;
    default:
      return SolidShape::kSg;
  }
}

std::string_view FontStyleSuffix(int32_t textCode) {
  if (textCode >= figure::kBothStylesOffset) return "/!";
  if (textCode >= figure::kBoldOffset) return "!";
  if (textCode >= figure::kItalicOffset) return "/";
  return {};
}

int32_t AttributeFlagCode(FlagClass cls, int32_t zFlags) {
  const int column = static_cast<int>(cls);
  int32_t code = 0;
  for (int mark = 0; mark < 5; ++mark) {
    if (zFlags & (1 << mark)) code |= kFlagTable[mark][column];
  }
  return code;
}

int32_t TextKindFlags(int32_t textKind) {
  return textKind >= 0 && textKind <= 9 ? kTextKindFlags[textKind] : 0;
}

void SplitFields(std::string_view line, std::vector<std::string>& fields, size_t maxFields) {
  size_t count = 0;
  // Reuses the strings of the previous call, so that a reader splitting line after line
  // allocates only when a field outgrows its earlier capacity.
  auto next = [&]() -> std::string& {
    if (count == fields.size()) fields.emplace_back();
    std::string& field = fields[count++];
    field.clear();
    return field;
  };
  size_t i = 0;
  const size_t n = line.size();
  auto at = [&](size_t k) { return static_cast<unsigned char>(line[k]); };
  while (i < n && IsBlankOrControl(at(i))) ++i;
  while (i < n && count < maxFields) {
    std::string& field = next();
    if (line[i] == '"') {
      ++i;
      while (i < n) {
        const unsigned char b = at(i);
        if (IsLeadByte(b) && i + 1 < n) {
          field.append(line.substr(i, 2));
          i += 2;
        } else if (b == '"') {
          if (i + 1 < n && line[i + 1] == '"') {
            field.push_back('"');
            i += 2;
          } else {
            ++i;
            break;
          }
        } else {
          field.push_back(static_cast<char>(b));
          ++i;
        }
      }
    } else {
      const size_t start = i;
      while (i < n && line[i] != ',' && !IsBlankOrControl(at(i))) ++i;
      field.assign(line.substr(start, i - start));
    }
    while (i < n && IsBlankOrControl(at(i))) ++i;
    if (i < n && line[i] == ',') {
      ++i;
      while (i < n && IsBlankOrControl(at(i))) ++i;
      // A line that ends with a comma has one more, empty, field.
      if (i >= n && count < maxFields) next();
    }
  }
  fields.resize(count);
}

void SplitFields(std::string_view line, std::vector<std::string>& fields) {
  SplitFields(line, fields, static_cast<size_t>(-1));
}

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields;
  SplitFields(line, fields);
  return fields;
}

std::string DoubleQuotes(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (char c : text) {
    out.push_back(c);
    if (c == '"') out.push_back('"');
  }
  return out;
}

}  // namespace gara
