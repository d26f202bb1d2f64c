// The figure file (sel.txt, jws.txt): comma-separated records of a figure in its own
// coordinates. Writers and readers share these pieces so that one rule lives in one place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gara {

namespace figure {
inline constexpr std::string_view kSelectedFile = "sel.txt";
inline constexpr std::string_view kJwsFile = "jws.txt";
inline constexpr std::string_view kCountPrefix = "N,";
inline constexpr std::string_view kTrailer = "BD,0";

inline constexpr char kLine = 'L';
inline constexpr char kCurve = 'E';
inline constexpr char kPoint = 'T';
inline constexpr char kText = 'M';
inline constexpr char kDimension = 'D';
inline constexpr char kDimensionX = 'X';
inline constexpr char kSolid = 'S';

inline constexpr int32_t kSolidPolygon = 1;
inline constexpr int32_t kSolidSc = 101;
inline constexpr int32_t kSolidSe = 111;
inline constexpr int32_t kSolidSo = 105;
inline constexpr int32_t kSolidSg = 106;
inline constexpr int32_t kRotatedPointCode = 100;

inline constexpr int32_t kItalicOffset = 10000;  // font style "/"
inline constexpr int32_t kBoldOffset = 20000;    // font style "!"
inline constexpr int32_t kBothStylesOffset = 30000;

// Decimals of the reals: coordinates and lengths, angles and flatness, layer-group scales.
inline constexpr int kLengthDecimals = 10;
inline constexpr int kAngleDecimals = 12;
inline constexpr int kScaleDecimals = 8;
}  // namespace figure

// The farthest a figure may reach, in millimetres: its width, its height and every value of its
// extents line at most 1e12 (a million kilometres, beyond any drawing). Within it a placed
// figure's coordinates keep thousandths of a millimetre in the 15 digits of the exchange file,
// and the numbers of the drawing stay far from overflowing; a figure beyond it is one that no
// drawing can hold.
inline constexpr double kMaxFigureReach = 1e12;
// Whether the extents line's values stay within kMaxFigureReach (not-a-number does not).
bool HoldableExtents(double minX, double minY, double maxX, double maxY);

// The two figure sources a pattern row chooses from, by their stored values: "選択図形" (the
// registered selection) and "JWS 図形" (converted from a .jws file). A value passed on from a
// settings row may lie outside the two; it stands for no figure.
enum class FigureKind : int32_t { kSelected = 0, kJws = 1 };
// The kind a stored value names; none for a value outside the list.
inline std::optional<FigureKind> FigureKindOf(int32_t stored) {
  if (stored == 0 || stored == 1) return static_cast<FigureKind>(stored);
  return std::nullopt;
}
// The file name of a kind's figure in the program directory; empty for a value outside the list.
std::string_view FigureFileName(FigureKind kind);

// Which column of the attribute-flag table an entity's marks are read in.
enum class FlagClass { kLine, kCurveOrPoint, kText, kDimensionLine, kSolid };

// The attribute-flag code of `zFlags` (bits 1, 2, 4, 8, 16 for "z1" ... "z5") in `cls`.
int32_t AttributeFlagCode(FlagClass cls, int32_t zFlags);
// The flag value of a text kind ("ch" 0, "cv" 1, ... "c2" 9); 0 for any other kind.
int32_t TextKindFlags(int32_t textKind);

// The marks ("z1" 1 ... "z5" 16, the bits of EmitEntityMarks) that an attribute-flag code
// carries in `cls`: a mark is set when any bit of its table value is set in `flags`.
int32_t EntityMarksFromFlags(FlagClass cls, int32_t flags);
// The text command type (0 "ch" ... 9 "c2") that the attribute-flag code of a text names; the
// later tests override the earlier ones, so a code with several kind bits takes the last.
int32_t TextTypeFromFlags(int32_t flags);

// The record kind named by field 0 of a record's first line.
enum class RecordKind { kLine, kCurve, kPoint, kText, kDimension, kDimensionX, kSolid, kUnknown };
RecordKind RecordKindOf(std::string_view field0);

// How a solid code draws: up to 100 a polygon, above it one of the curved solids.
enum class SolidShape { kPolygon, kSc, kSe, kSo, kSg };
SolidShape SolidShapeOf(int32_t code);

// The style suffix of a text code (field 12 of a text line): "/!" from 30000 on, "!" from
// 20000, "/" from 10000, else nothing.
std::string_view FontStyleSuffix(int32_t textCode);
// The text size kind of a text code: its remainder by 100 (sign of the code).
inline int32_t TextSizeKindOf(int32_t textCode) { return textCode % 100; }

// The comma-text rule: fields counted from 0, quoted fields unquoted ("" stands for ").
std::vector<std::string> SplitFields(std::string_view line);
void SplitFields(std::string_view line, std::vector<std::string>& fields);
// The first `maxFields` fields only: a reader that uses the leading fields need not hold the
// rest of a line that may be megabytes long. `fields` keeps its storage between calls.
void SplitFields(std::string_view line, std::vector<std::string>& fields, size_t maxFields);
// Every double quote doubled; the caller adds the enclosing quotes.
std::string DoubleQuotes(std::string_view text);

}  // namespace gara
