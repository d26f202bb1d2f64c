#include "figure/figure_reader.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "exchange/output.h"
#include "geom/geometry.h"
#include "util/text.h"

namespace gara {

namespace {

constexpr size_t kScalesLine = 16;
constexpr size_t kFontCommandPrefix = 4;  // the command letters before a font text

size_t CharLength(std::string_view text, size_t i) {
  return IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// The end of the shortest whole-character prefix of `text` that puts more than `shown` bytes
// into an output record, which drops CR and LF; the text's size when it is shorter. Also tells
// whether that prefix is blank.
size_t ShownPrefix(std::string_view text, size_t shown, bool& blank) {
  size_t i = 0;
  size_t kept = 0;
  blank = true;
  while (i < text.size() && kept <= shown) {
    const size_t len = CharLength(text, i);
    for (size_t k = i; k < i + len; ++k) kept += text[k] != '\r' && text[k] != '\n';
    blank = blank && IsBlankText(text.substr(i, len));
    i += len;
  }
  return i;
}

double Degrees(double radians) { return radians * 180 / kPi; }

}  // namespace

size_t RecordLines(RecordKind kind) {
  switch (kind) {
    case RecordKind::kDimension:
      return 3;
    case RecordKind::kDimensionX:
      return 7;
    default:
      return 1;
  }
}

void FigureRecordBuilder::Parse(std::string_view text, FigureLine& line) {
  SplitFields(text, fields_, kFigureFieldsUsed);
  line.count = fields_.size();
  line.kind = line.Has(0) ? RecordKindOf(fields_[0]) : RecordKind::kUnknown;
  // Field 17 is only ever text.
  for (size_t k = 0; k + 1 < kFigureFieldsUsed; ++k) {
    line.ints[k] = k < line.count ? TextToInt(fields_[k]) : 0;
    line.reals[k] = k < line.count ? TextToReal(fields_[k]) : 0;
  }
  line.font.assign(line.Has(16) ? std::string_view(fields_[16]) : std::string_view());
  line.text.assign(line.Has(17) ? std::string_view(fields_[17]) : std::string_view());
}

void FigureRecordBuilder::Header(const FigureLine& line) {
  switch (stage_) {
    case Stage::kExtents:
      if (!line.Has(3)) break;
      header_.hasExtents = true;
      header_.minX = line.Real(0);
      header_.minY = line.Real(1);
      header_.maxX = line.Real(2);
      header_.maxY = line.Real(3);
      stage_ = Stage::kScales;
      return;
    case Stage::kScales:
      header_.hasScales = true;
      for (size_t k = 0; k < line.count && k < kScalesLine; ++k) {
        header_.scales.push_back(line.Real(k));
      }
      stage_ = Stage::kCount;
      return;
    case Stage::kCount:
      if (!line.Has(1)) break;
      header_.hasCount = true;
      header_.count = line.Int(1);
      // A count of 0 or less means that no records follow.
      stage_ = header_.count > 0 ? Stage::kRecords : Stage::kDone;
      return;
    case Stage::kRecords:
    case Stage::kDone:
      return;
  }
  stage_ = Stage::kDone;
}

bool FigureRecordBuilder::Add(std::string_view text) {
  if (stage_ == Stage::kDone) return false;
  if (stage_ != Stage::kRecords) {
    Parse(text, record_.lines[0]);
    Header(record_.lines[0]);
    return false;
  }
  if (!begun_) {
    begun_ = true;
    ++read_;
    record_.lineCount = 0;
  }
  Parse(text, record_.lines[record_.lineCount++]);
  record_.kind = record_.lines[0].kind;
  if (record_.lineCount < RecordLines(record_.kind)) return false;
  begun_ = false;
  // Each record takes at least one line, so a count beyond the lines present just ends with
  // the file.
  if (read_ >= header_.count) stage_ = Stage::kDone;
  return true;
}

bool FigureRecordBuilder::End() {
  stage_ = Stage::kDone;
  const bool cut = begun_;
  begun_ = false;
  return cut;
}

FigureReader::FigureReader(std::string_view bytes) : lines_(bytes) {
  std::string_view line;
  while (!builder_.HeaderRead() && lines_.Next(line)) builder_.Add(line);
}

bool FigureReader::Next(FigureRecord& record) {
  std::string_view line;
  while (!builder_.Done()) {
    if (!lines_.Next(line) ? builder_.End() : builder_.Add(line)) {
      record = builder_.record();
      return true;
    }
  }
  return false;
}

namespace {

// A number as TextToReal reads one: leading spaces, a sign, digits with a point among or after
// them, an exponent.
bool IsNumberText(std::string_view text) {
  size_t i = text.find_first_not_of(' ');
  const auto digits = [&] {
    const size_t first = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - first;
  };
  if (i == std::string_view::npos) return false;
  if (text[i] == '+' || text[i] == '-') ++i;
  size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

}  // namespace

// Every figure file, written by the selection export or by the converter, begins with its
// extents line of four numbers, and its third line is the count line "N,n". The other files a
// row's detail may name in the program folder (the settings, the row details, the exchange file,
// the program itself) have neither: their first line is one value, a section header, a command
// word or binary bytes.
namespace {

constexpr std::string_view kBlankBytes = " \t\r\n";

// JudgeFigureFile from the first four lines of a file (`firstLines`, or more) and whether the whole
// file holds nothing but blanks and line ends: no later line changes the verdict.
FigureFault JudgeFigureHead(std::string_view firstLines, bool blank) {
  if (blank) return FigureFault::kEmpty;
  LineReader lines(firstLines);
  std::string_view line;
  std::vector<std::string> fields;
  lines.Next(line);
  SplitFields(line, fields, 4);
  if (fields.size() < 4 || !std::all_of(fields.begin(), fields.end(), IsNumberText)) {
    return FigureFault::kNotFigureFile;
  }
  if (lines.Next(line) && lines.Next(line)) {
    SplitFields(line, fields, 1);
    if (fields.empty() || fields[0] != "N") return FigureFault::kNotFigureFile;
  }
  FigureReader reader(firstLines);
  const FigureHeader& head = reader.header();
  if (!HoldableExtents(head.minX, head.minY, head.maxX, head.maxY)) {
    return FigureFault::kBeyondReach;
  }
  if (!head.hasCount) return FigureFault::kNoRecords;
  FigureRecord record;
  if (head.count > 0 && !reader.Next(record)) return FigureFault::kNoRecords;
  return FigureFault::kNone;
}

}  // namespace

FigureFault JudgeFigureFile(std::string_view bytes) {
  return JudgeFigureHead(bytes, bytes.find_first_not_of(kBlankBytes) == std::string_view::npos);
}

size_t FieldsNeeded(FigurePart part, const FigureLine& line, SolidColour solidColour) {
  switch (part) {
    case FigurePart::kHead:
      return 8;
    case FigurePart::kLine:
    case FigurePart::kDimensionLine:
    case FigurePart::kExtensionLine:
      return 12;
    case FigurePart::kCurve:
      return 16;
    case FigurePart::kPoint:
    case FigurePart::kEndPoint:
      return line.Int(5) == figure::kRotatedPointCode ? 14 : 10;
    case FigurePart::kText:
    case FigurePart::kDimensionText:
      return 18;
    case FigurePart::kSolid:
      return solidColour == SolidColour::kOwn && line.Int(4) == 10 ? 17 : 16;
  }
  return 0;
}

namespace {

// Hands the parts of one record to a handler; false at a cut part.
class RecordWalker {
 public:
  RecordWalker(FigureHandler& handler, SolidColour solidColour)
      : handler_(handler), solidColour_(solidColour) {}

  bool Walk(const FigureRecord& record) {
    record_ = &record;
    flags_ = 0;
    if (!Part(FigurePart::kHead, 0)) return false;
    flags_ = record.lines[0].Int(7);
    switch (record.kind) {
      case RecordKind::kLine:
        return Part(FigurePart::kLine, 0);
      case RecordKind::kCurve:
        return Part(FigurePart::kCurve, 0);
      case RecordKind::kPoint:
        return Part(FigurePart::kPoint, 0);
      case RecordKind::kText:
        return Part(FigurePart::kText, 0);
      case RecordKind::kSolid:
        return Part(FigurePart::kSolid, 0);
      case RecordKind::kDimension:
        return Part(FigurePart::kDimensionLine, 1) && Part(FigurePart::kDimensionText, 2);
      case RecordKind::kDimensionX:
        return Part(FigurePart::kDimensionLine, 1) && Part(FigurePart::kDimensionText, 2) &&
               Part(FigurePart::kExtensionLine, 3) && Part(FigurePart::kExtensionLine, 4) &&
               Part(FigurePart::kEndPoint, 5) && Part(FigurePart::kEndPoint, 6);
      case RecordKind::kUnknown:
        return true;
    }
    return true;
  }

 private:
  // The part on line `index` of the record; false when it is cut.
  bool Part(FigurePart part, size_t index) {
    const FigureLine* line = index < record_->lineCount ? &record_->lines[index] : nullptr;
    if (line == nullptr || line->count < FieldsNeeded(part, *line, solidColour_)) {
      handler_.Cut(part, line, flags_);
      return false;
    }
    Hand(part, *line);
    return true;
  }

  void Hand(FigurePart part, const FigureLine& line) {
    switch (part) {
      case FigurePart::kHead:
        return handler_.Head(line);
      case FigurePart::kLine:
        return handler_.Line(line);
      case FigurePart::kCurve:
        return handler_.Curve(line, CurveOf(line));
      case FigurePart::kPoint:
      case FigurePart::kEndPoint:
        return handler_.Point(line, flags_);
      case FigurePart::kText:
        return handler_.Text(line, TextOf(line, TextTypeFromFlags(line.Int(7))));
      case FigurePart::kSolid:
        return handler_.Solid(line, SolidOf(line));
      case FigurePart::kDimensionLine:
        return handler_.DimensionLine(line);
      case FigurePart::kDimensionText:
        return handler_.DimensionText(line);
      case FigurePart::kExtensionLine:
        return handler_.ExtensionLine(line);
    }
  }

  FigureHandler& handler_;
  SolidColour solidColour_;
  const FigureRecord* record_ = nullptr;
  int32_t flags_ = 0;  // of the record's head; 0 until the head is read
};

}  // namespace

namespace {

// Lines in, the parts of the records out to a handler, up to the first cut part.
class FigureFeed {
 public:
  FigureFeed(FigureHandler& handler, SolidColour solidColour) : walker_(handler, solidColour) {}

  // False once no later line can matter.
  bool Line(std::string_view text) {
    if (builder_.Add(text) && !walker_.Walk(builder_.record())) cut_ = true;
    return !cut_ && !builder_.Done();
  }
  // At the end of the file: a record it cuts short is handed over as far as it goes.
  const FigureHeader& End() {
    if (builder_.End() && !cut_) walker_.Walk(builder_.record());
    return builder_.header();
  }
  const FigureHeader& header() const { return builder_.header(); }

 private:
  FigureRecordBuilder builder_;
  RecordWalker walker_;
  bool cut_ = false;
};

}  // namespace

FigureHeader ReadFigure(std::string_view bytes, FigureHandler& handler, SolidColour solidColour) {
  FigureFeed feed(handler, solidColour);
  LineReader lines(bytes);
  std::string_view line;
  while (lines.Next(line) && feed.Line(line)) {
  }
  return feed.End();
}

FigureFileRead ReadFigureFile(FileSystem& fs, const std::string& path, FigureHandler& handler,
                              SolidColour solidColour) {
  FigureFeed feed(handler, solidColour);
  PieceLines lines;
  constexpr size_t kHeadLines = 4;
  std::string head;  // the first lines, for JudgeFigureHead
  size_t headLines = 0;
  bool blank = true;
  bool feeding = true;
  const auto line = [&](std::string_view text) {
    if (headLines < kHeadLines) {
      head.append(text);
      head += '\n';
      ++headLines;
    }
    feeding = feed.Line(text);
    return feeding;
  };
  const bool read = fs.ReadPieces(path, [&](std::string_view piece) {
    blank = blank && piece.find_first_not_of(kBlankBytes) == std::string_view::npos;
    if (feeding) lines.Add(piece, line);
    // Blanks so far: a later byte still tells an empty file from one that is no figure file.
    return feeding || blank;
  });
  FigureFileRead result;
  result.read = read;
  // After a read error the last line, and the record it is in, are incomplete and left out.
  if (read && feeding) lines.End(line);
  result.header = read ? feed.End() : feed.header();
  result.fault = read ? JudgeFigureHead(head, blank) : FigureFault::kUnreadable;
  return result;
}

std::string ShownText(std::string_view text) {
  bool blank = true;
  const size_t end = ShownPrefix(text, OutputBuffer::kMaxRecord, blank);
  std::string kept(text.substr(0, end));
  for (size_t i = end; blank && i < text.size();) {
    const size_t len = CharLength(text, i);
    if (!IsBlankText(text.substr(i, len))) {
      kept.append(text.substr(i, len));
      break;
    }
    i += len;
  }
  return kept;
}

size_t ShownFontLength(std::string_view font) {
  bool blank = true;
  return ShownPrefix(font, OutputBuffer::kMaxRecord - kFontCommandPrefix, blank);
}

std::string FontOf(const FigureLine& line) {
  std::string font = "<" + line.font + ">";
  font.append(FontStyleSuffix(line.Int(12)));
  return font;
}

FigureCurve CurveOf(const FigureLine& line) {
  FigureCurve c;
  c.cx = line.Real(8);
  c.cy = line.Real(9);
  c.r = line.Real(10);
  c.flatness = line.Real(11);
  const double start = Degrees(line.Real(12));
  const double sweep = Degrees(line.Real(13));
  c.tilt = Degrees(line.Real(14));
  const int32_t closed = line.Int(15);
  const double turn = std::fabs(sweep);
  c.arc = !NearlyEqual(c.flatness, 1) ||
          (closed < 1 && !NearlyEqual(turn, 0) && !NearlyEqual(turn, 360));
  if (!c.arc) return c;
  c.start = NormalizeDeg(start);
  c.end = NormalizeDeg(start + sweep);
  if (sweep < 0) std::swap(c.start, c.end);
  return c;
}

int32_t TextAnchorOf(const FigureLine& line) {
  // Anchor kinds 0..8 are stored plus one.
  const int32_t stored = line.Int(5);
  return stored >= 1 && stored <= 9 ? stored - 1 : -1;
}

FigureText TextOf(const FigureLine& line, int32_t type) {
  const double x1 = line.Real(8), y1 = line.Real(9), x2 = line.Real(10), y2 = line.Real(11);
  // A vertical text ("cv") is as high as its characters are wide.
  const double height = type == 1 ? line.Real(13) : line.Real(14);
  return {x1, y1, Distance(x1, y1, x2, y2), height, LineAngle(x2 - x1, y2 - y1), type};
}

double DimensionTextAngle(const FigureLine& text) {
  const double tx = text.Real(8), ty = text.Real(9);
  return LineAngle(text.Real(10) - tx, text.Real(11) - ty);
}

FigureSolid SolidOf(const FigureLine& line) {
  FigureSolid s;
  for (size_t k = 0; k < 8; ++k) s.v[k] = line.Real(8 + k);
  s.arcKind = line.Int(15);
  switch (SolidShapeOf(line.Int(5))) {
    case SolidShape::kSc:
      s.kind = FigureSolidKind::kSc;
      return s;
    case SolidShape::kSe:
      s.kind = FigureSolidKind::kSe;
      return s;
    case SolidShape::kSo:
      s.kind = FigureSolidKind::kSo;
      return s;
    case SolidShape::kSg:
      s.kind = FigureSolidKind::kSg;
      return s;
    case SolidShape::kPolygon:
      break;
  }
  const double* v = s.v;
  // Two- and three-corner solids repeat their last corner; they are told apart before a
  // placement moves them.
  if (NearlySamePoint(v[2], v[3], v[4], v[5]) && NearlySamePoint(v[2], v[3], v[6], v[7])) {
    s.kind = FigureSolidKind::kLine;
  } else if (NearlySamePoint(v[4], v[5], v[6], v[7])) {
    s.kind = FigureSolidKind::kTriangle;
  } else {
    s.kind = FigureSolidKind::kQuad;
  }
  return s;
}

}  // namespace gara
