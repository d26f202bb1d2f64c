// Writing a figure file (sel.txt, jws.txt): the head lines and the records, field by field, in
// the figure file's own notation, appended to an output text without a heap allocation per
// number. Every writer of a figure writes through FigureFileWriter, so the layout of a record
// lives here alone.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace gara {

// The text of FixedText(decimals, value) for decimals 0..40: fixed notation, trailing fraction
// zeros and a bare point dropped, non-finite values as 0; but a negative value that rounds to
// zero is written 0, not -0.
void AppendFixedText(std::string& out, int decimals, double value);
void AppendInteger(std::string& out, int64_t value);
// `text` without its control bytes, every double quote doubled, inside double quotes.
void AppendQuotedText(std::string& out, std::string_view text);

// Fields 1 to 7 of a record line, which every kind carries after its letter. Wide enough for
// any source's integers: the values are written as they are.
struct FigureAttributes {
  int64_t number = 0;      // field 1: a line's polyline number; 0 for the other kinds
  int64_t layerGroup = 0;  // field 2
  int64_t layer = 0;       // field 3
  int64_t colour = 0;      // field 4
  int64_t code = 0;        // field 5: line type; point or solid code; a text's anchor plus one
  int64_t width = 0;       // field 6: line width
  int64_t flags = 0;       // field 7: the attribute-flag code
};

// A curve as stored (fields 8 ... 15): angles in radians, `closed` 1 for a whole ellipse.
struct FigureCurveFields {
  double cx = 0, cy = 0, r = 0, flatness = 1, start = 0, sweep = 0, tilt = 0;
  int64_t closed = 0;
};

// A text line's own fields (8 ... 17): the base line, the size code (size kind plus the style
// offset), the character sizes, the font name and the text, both written quoted.
struct FigureTextFields {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int64_t sizeCode = 0;
  double width = 0, height = 0, spacing = 0;
  std::string_view font, text;
};

// A curved solid as stored (fields 8 ... 14): centre, radius, flatness, then tilt, start and
// sweep in radians.
struct FigureSolidCurveFields {
  double cx = 0, cy = 0, r = 0, flatness = 1, tilt = 0, start = 0, sweep = 0;
};

// Appends the lines of a figure file to `out`, each ending in CR LF. Reals are written with the
// decimals of their kind; one that is not a finite number is written 0 and remembered.
class FigureFileWriter {
 public:
  explicit FigureFileWriter(std::string& out) : out_(out) {}

  // The three lines before the records: the extents, the layer-group scales, the record count.
  void Head(double minX, double minY, double maxX, double maxY, std::span<const double> scales,
            int64_t count);
  // "BD,0", the line after the records.
  void Trailer();

  void Line(const FigureAttributes& a, double x1, double y1, double x2, double y2);
  void Curve(const FigureAttributes& a, const FigureCurveFields& c);
  // A point: `marker`, `angle` (radians) and `size` are those of a marker (code 100); a plain
  // point has 0, 0 and 1.
  void Point(const FigureAttributes& a, double x, double y, int64_t marker, double angle,
             double size);
  void Text(const FigureAttributes& a, const FigureTextFields& t);
  // The first line of a dimension ("D", or "X" when `extended`), ending in an empty field. The
  // caller writes its parts after it: the dimension line, the value text and, for "X", two
  // extension lines and two end points.
  void Dimension(const FigureAttributes& a, bool extended);
  // A polygon solid (code 1): four corners x, y, and its colour when the colour is 10.
  void PolygonSolid(const FigureAttributes& a, const double (&corners)[8], int64_t rgb);
  // A solid circle or ellipse ("sc", "se"): field 15 is its kind code.
  void ArcSolid(const FigureAttributes& a, const FigureSolidCurveFields& s, int64_t kind,
                int64_t rgb);
  // A solid ring ("so", "sg"): field 15 is its inner radius.
  void RingSolid(const FigureAttributes& a, const FigureSolidCurveFields& s, double r2,
                 int64_t rgb);

  // False once a real that was not a finite number has been written.
  bool finite() const { return finite_; }

 private:
  void Begin(char kind, const FigureAttributes& a);
  void CurvedSolid(const FigureAttributes& a, const FigureSolidCurveFields& s);
  void Int(int64_t v);
  void Real(int decimals, double v);
  void Length(double v);
  void Angle(double v);
  void End();

  std::string& out_;
  bool finite_ = true;
};

}  // namespace gara
