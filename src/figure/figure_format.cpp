#include "figure/figure_format.h"

#include "util/text.h"

namespace gara {

namespace {

// One row per mark z1 ... z5; 0 where the class does not carry the mark.
constexpr int32_t kFlagTable[5][5] = {
    // line, curve/point, text, dimension line, solid
    {32, 32, 0, 0, 32},
    {2048, 16, 2048, 0, 2048},
    {8192, 64, 16400, 8192, 8192},
    {32768, 128, 8192, 0, 4096},
    {4096, 0, 0, 0, 0},
};

constexpr int32_t kTextKindFlags[10] = {0, 32, 16400, 16656, 16912, 17424, 20496, 64, 128, 32768};

bool IsBlankOrControl(unsigned char b) { return b >= 0x01 && b <= 0x20; }

}  // namespace

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

void SplitFields(std::string_view line, std::vector<std::string>& fields) {
  fields.clear();
  size_t i = 0;
  const size_t n = line.size();
  auto at = [&](size_t k) { return static_cast<unsigned char>(line[k]); };
  while (i < n && IsBlankOrControl(at(i))) ++i;
  if (i >= n) return;
  while (true) {
    std::string field;
    if (i < n && line[i] == '"') {
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
    fields.push_back(std::move(field));
    while (i < n && IsBlankOrControl(at(i))) ++i;
    if (i >= n) return;
    if (line[i] == ',') {
      ++i;
      while (i < n && IsBlankOrControl(at(i))) ++i;
      // A line that ends with a comma has one more, empty, field.
      if (i >= n) {
        fields.emplace_back();
        return;
      }
    }
  }
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
