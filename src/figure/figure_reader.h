// Reading a figure file (sel.txt, jws.txt): the extents line, the scales line, the record count
// and the entity records, each line's fields read as numbers as the file holds them. ReadFigure
// walks the records and hands each part of a record to a FigureHandler; what a record draws is
// worked out by the handler, with the helpers at the end of this file for the meanings every
// user shares.
//
// A cut or damaged file is read as far as it goes: the first part whose line is missing or lacks
// a field its kind needs (FieldsNeeded) goes to FigureHandler::Cut, and reading stops there,
// keeping what came before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "figure/figure_format.h"
#include "util/file_system.h"
#include "util/lines.h"

namespace gara {

// No line of a figure file is used beyond field 17 (the text of a text line).
inline constexpr size_t kFigureFieldsUsed = 18;

// One line of a figure file. Whether a number field is an integer or a real depends on the
// record kind, so each is read both ways.
struct FigureLine {
  size_t count = 0;                        // fields the line has, at most kFigureFieldsUsed
  RecordKind kind = RecordKind::kUnknown;  // of field 0
  int32_t ints[kFigureFieldsUsed] = {};
  double reals[kFigureFieldsUsed] = {};
  std::string font;  // field 16 as text (the font of a text line)
  std::string text;  // field 17 (the text of a text line)

  bool Has(size_t field) const { return field < count; }
  int32_t Int(size_t field) const { return ints[field]; }
  double Real(size_t field) const { return reals[field]; }
};

// The lines before the records. Reading stops at the first of them that is missing or lacks
// the fields it is read for; the later ones then stay absent.
struct FigureHeader {
  bool hasExtents = false;  // the extents line has its four fields
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool hasScales = false;
  std::vector<double> scales;  // the layer-group scales, as many as the line holds (up to 16)
  bool hasCount = false;
  int32_t count = 0;

  // The centre of the extents; halves first, so that values near the limits do not overflow.
  double CentreX() const { return minX * 0.5 + maxX * 0.5; }
  double CentreY() const { return minY * 0.5 + maxY * 0.5; }
};

// One entity record: one line for most kinds, three for a dimension "D" (the record line, the
// dimension line, the value text) and seven for an "X" dimension (then two extension lines and
// two end points).
struct FigureRecord {
  static constexpr size_t kMaxLines = 7;
  RecordKind kind = RecordKind::kUnknown;
  size_t lineCount = 0;  // lines present: fewer than the kind has when the file ends inside it
  FigureLine lines[kMaxLines];
};

// The lines a record of `kind` takes.
size_t RecordLines(RecordKind kind);

// The header and the records of a figure file from its lines, handed over one at a time, so that
// a file read in pieces is never held whole.
class FigureRecordBuilder {
 public:
  // Takes the file's next line; true when it completes a record, which record() then holds
  // until the next call.
  bool Add(std::string_view text);
  // At the end of the file: true when the file cuts a begun record short; record() then holds
  // the lines present.
  bool End();
  // The header lines are read, or the file stopped short of them.
  bool HeaderRead() const { return stage_ >= Stage::kRecords; }
  // No later line can matter: the header stopped short, or every counted record is read.
  bool Done() const { return stage_ == Stage::kDone; }

  const FigureHeader& header() const { return header_; }
  const FigureRecord& record() const { return record_; }

 private:
  enum class Stage { kExtents, kScales, kCount, kRecords, kDone };
  void Header(const FigureLine& line);
  void Parse(std::string_view text, FigureLine& line);

  Stage stage_ = Stage::kExtents;
  FigureHeader header_;
  FigureRecord record_;
  bool begun_ = false;  // record_ holds a record whose lines are still coming
  int32_t read_ = 0;
  std::vector<std::string> fields_;
};

// The records of bytes held whole, one at a time.
class FigureReader {
 public:
  // Reads the header lines.
  explicit FigureReader(std::string_view bytes);
  // The reader reads the bytes in place: a temporary would be gone before the first line.
  explicit FigureReader(std::string&&) = delete;

  const FigureHeader& header() const { return builder_.header(); }
  // The next entity record, copied into `record`; false after the counted records or when the
  // file ends before a record begins.
  bool Next(FigureRecord& record);

 private:
  LineReader lines_;
  FigureRecordBuilder builder_;
};

// Why a figure file draws nothing, for a figure a run goes on without and tells of.
enum class FigureFault {
  kNone,             // it is a figure file that draws
  kUnreadable,       // it cannot be read
  kEmpty,            // it holds nothing but blanks and line ends
  kNotFigureFile,    // its head is not that of a figure file (JudgeFigureFile)
  kNoRecords,        // a figure file's head, but no record follows it
  kNothingDrawable,  // its records draw nothing: none by its count, or only unknown kinds
  kBeyondReach,      // its extents leave what a drawing holds (HoldableExtents)
};
// What the head of a figure file's bytes shows: kEmpty, kNotFigureFile, kBeyondReach,
// kNoRecords, or kNone for a head a record follows (or whose count promises none).
FigureFault JudgeFigureFile(std::string_view bytes);

// Meanings of record fields that every user of the records shares.

// The part of a text that can make a difference in the output, which shows the first bytes of
// a text and otherwise only asks whether anything but blanks is left: the whole characters that
// fill an output record, plus, when they are blank, the first character that is not.
std::string ShownText(std::string_view text);
// The end of the whole characters of a font command text that fill an output record; the
// text's size when it is shorter.
size_t ShownFontLength(std::string_view font);
// The font command text of a text line: "<name>" and the style marks of field 12.
std::string FontOf(const FigureLine& line);

// A curve line (fields 8 ... 15): a whole circle, or an arc with its angles in degrees, start
// and end counter-clockwise.
struct FigureCurve {
  bool arc = false;
  double cx = 0, cy = 0, r = 0, start = 0, end = 0, flatness = 1, tilt = 0;
};
FigureCurve CurveOf(const FigureLine& line);

// A text line's anchor kind (field 5 stores it plus one); -1 for a value out of range.
int32_t TextAnchorOf(const FigureLine& line);
// A text line's base line (fields 8 ... 11) and character height, for text command `type`.
struct FigureText {
  double x = 0, y = 0, length = 0, height = 0, angle = 0;  // angle in radians
  int32_t type = 0;                                        // the text command type
};
FigureText TextOf(const FigureLine& line, int32_t type);

// The value text's angle of a dimension, from its text line (fields 8 ... 11), in radians.
double DimensionTextAngle(const FigureLine& text);

// What a solid line draws (fields 5 and 8 ... 15).
enum class FigureSolidKind { kLine, kTriangle, kQuad, kSc, kSe, kSo, kSg };
struct FigureSolid {
  FigureSolidKind kind = FigureSolidKind::kQuad;
  double v[8] = {};     // corners; or cx, cy, r, flatness, tilt, start, sweep, r2 (as stored)
  int32_t arcKind = 0;  // "sc" and "se": field 15 read as an integer
};
FigureSolid SolidOf(const FigureLine& line);

// The parts of a record, in the order a record hands them on. Most kinds are one part on their
// first line after the head; a dimension "D" is its dimension line and value text on lines 1
// and 2, and an "X" dimension adds two extension lines and two end points (lines 3 to 6).
enum class FigurePart {
  kHead,  // fields 0 ... 7 of a record's first line: kind, layer group, layer ... flags
  kLine,
  kCurve,
  kPoint,
  kText,
  kSolid,
  kDimensionLine,
  kDimensionText,
  kExtensionLine,
  kEndPoint,
};

// Whether a colour-10 solid's own colour (field 16) is read. The drawing run under its writing
// colour never reads it, so for that run a solid without field 16 is whole; the picture, which
// shows every entity in its own colour, stops at it.
enum class SolidColour { kOwn, kReplaced };

// The count of fields a part's line must have: 8 for the head, 12 for a line, 16 for a curve
// or a solid (17 for a solid of colour 10 whose own colour is read), 10 for a point (14 for a
// marker, code 100) and 18 for a text.
size_t FieldsNeeded(FigurePart part, const FigureLine& line, SolidColour solidColour);

// What a user does with the parts of a figure's records. Each member but Cut gets a line that
// holds every field its part needs, and the shared meanings of a curve, a text and a solid
// worked out once.
class FigureHandler {
 public:
  virtual ~FigureHandler() = default;
  // Every record's head, before the parts of its kind; a record of an unknown kind is its
  // head alone.
  virtual void Head(const FigureLine& head) = 0;
  virtual void Line(const FigureLine& line) = 0;
  virtual void Curve(const FigureLine& line, const FigureCurve& curve) = 0;
  // A point record, or an end point of an "X" dimension; `flags` are field 7 of the record's
  // first line.
  virtual void Point(const FigureLine& line, int32_t flags) = 0;
  // `text` for the text command type that the flags (field 7) name.
  virtual void Text(const FigureLine& line, const FigureText& text) = 0;
  virtual void Solid(const FigureLine& line, const FigureSolid& solid) = 0;
  // The dimension line of a dimension; its value text follows in DimensionText.
  virtual void DimensionLine(const FigureLine& line) = 0;
  virtual void DimensionText(const FigureLine& text) = 0;
  virtual void ExtensionLine(const FigureLine& line) = 0;
  // The part where the file cuts the figure short: `line` lacks a field the part needs, or is
  // nullptr where the file ends before it. Nothing is read after it. The picture draws nothing
  // of the part; the drawing run still writes the attribute commands that the fields before
  // the gap carry, as a reader writing as it goes would have left them.
  virtual void Cut(FigurePart part, const FigureLine* line, int32_t flags) = 0;
};

// Reads the head lines of `bytes` and hands the parts of the counted records to `handler`, up to
// the first cut part; returns the head lines.
FigureHeader ReadFigure(std::string_view bytes, FigureHandler& handler,
                        SolidColour solidColour = SolidColour::kOwn);

// What ReadFigureFile found.
struct FigureFileRead {
  bool read = false;  // the file could be read
  FigureHeader header;
  // JudgeFigureFile of the file's bytes; kUnreadable when it could not be read.
  FigureFault fault = FigureFault::kUnreadable;
};
// ReadFigure of the file at `path`, read in pieces and never held whole. The parts handed over
// before a read error stay handed over.
FigureFileRead ReadFigureFile(FileSystem& fs, const std::string& path, FigureHandler& handler,
                              SolidColour solidColour);

}  // namespace gara
