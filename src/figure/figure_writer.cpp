#include "figure/figure_writer.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "figure/figure_format.h"
#include "util/number_text.h"
#include "util/text.h"
#include "util/wide_integer.h"

namespace gara {

namespace {

constexpr int kFastDecimals = 12;
constexpr uint64_t kPowersOf5[kFastDecimals + 1] = {
    1, 5, 25, 125, 625, 3125, 15625, 78125, 390625, 1953125, 9765625, 48828125, 244140625};

// `whole` / 10^decimals as text, without trailing zeros in its fraction.
template <int kDecimals = -1>
bool AppendScaled(std::string& out, bool negative, uint64_t whole, int runtimeDecimals = 0) {
  const int decimals = kDecimals >= 0 ? kDecimals : runtimeDecimals;
  char buffer[48];
  char* p = buffer;
  if (negative) *p++ = '-';
  // All digits at once, with zeros before them up to the one before the point.
  const int count = std::max(DecimalDigitCount(whole), decimals + 1);
  WriteLastDigits(p, whole, count);
  p += count - decimals;
  int width = decimals;
  while (width > 0 && p[width - 1] == '0') --width;
  if (width > 0) {
    std::memmove(p + 1, p, static_cast<size_t>(width));
    *p = '.';
    p += width + 1;
  }
  out.append(buffer, static_cast<size_t>(p - buffer));
  return true;
}

// The figure files' common case, up to 12 decimals and a result of up to 64 bits, without the
// general formatting: value = m * 2^e exactly, so value * 10^d = m * 5^d * 2^(e + d) is an exact
// product of at most 81 bits, shifted with rounding to nearest, ties to even, as the general
// formatting rounds. False when the value needs the general formatting.
bool AppendFixedFast(std::string& out, int decimals, double value) {
  if (decimals > kFastDecimals) return false;
  const auto bits = std::bit_cast<uint64_t>(value);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t m = bits & ((uint64_t{1} << 52) - 1);
  int e = -1074;  // subnormal
  if (biased != 0) {
    m |= uint64_t{1} << 52;
    e = biased - 1075;
  }
  const int shift = -(e + decimals);  // n = m * 5^d / 2^shift
  const Wide product = MultiplyFull(m, kPowersOf5[decimals]);
  uint64_t whole = 0;
  if (shift <= 0) {
    if (product.high != 0 || -shift >= 64 || (product.low >> (63 + shift)) > 1) return false;
    whole = product.low << -shift;
  } else if (shift < 82 && !RoundedShift(product, shift, whole)) {
    // Beyond 81, the product of at most 81 bits is below half a unit: it rounds to 0.
    return false;
  }
  if (whole == 0) {
    out.push_back('0');  // a value that rounds to zero is written 0, whatever its sign
    return true;
  }
  // The file's decimals as constants: the divisions below become multiplications.
  switch (decimals) {
    case 8:
      return AppendScaled<8>(out, bits >> 63, whole);
    case 10:
      return AppendScaled<10>(out, bits >> 63, whole);
    case 12:
      return AppendScaled<12>(out, bits >> 63, whole);
    default:
      return AppendScaled(out, bits >> 63, whole, decimals);
  }
}

}  // namespace

void AppendFixedText(std::string& out, int decimals, double value) {
  if (decimals < 0) decimals = 0;
  if (decimals > 40) decimals = 40;
  if (!std::isfinite(value)) value = 0.0;
  if (AppendFixedFast(out, decimals, value)) return;
  // 309 integer digits of the largest double, a sign, a point and the fraction.
  char buffer[320 + 40];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) {
    out.push_back('0');
    return;
  }
  const char* end = result.ptr;
  if (decimals > 0) {
    while (end[-1] == '0') --end;
    if (end[-1] == '.') --end;
  }
  // A value that rounds to zero is written 0, whatever its sign.
  const char* begin = buffer;
  if (end - begin == 2 && begin[0] == '-' && begin[1] == '0') ++begin;
  out.append(begin, static_cast<size_t>(end - begin));
}

void AppendInteger(std::string& out, int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, static_cast<size_t>(result.ptr - buffer));
}

void AppendQuotedText(std::string& out, std::string_view text) {
  out.push_back('"');
  out.append(DoubleQuotes(RemoveControlChars(text)));
  out.push_back('"');
}

void FigureFileWriter::Head(double minX, double minY, double maxX, double maxY,
                            std::span<const double> scales, int64_t count) {
  // Each head line starts with a number, not a separator.
  const size_t extents = out_.size();
  for (double v : {minX, minY, maxX, maxY}) Length(v);
  out_.erase(extents, 1);
  End();
  const size_t scalesStart = out_.size();
  for (double s : scales) Real(figure::kScaleDecimals, s);
  if (!scales.empty()) out_.erase(scalesStart, 1);
  End();
  out_.append(figure::kCountPrefix);
  AppendInteger(out_, count);
  End();
}

void FigureFileWriter::Trailer() {
  out_.append(figure::kTrailer);
  End();
}

void FigureFileWriter::Begin(char kind, const FigureAttributes& a) {
  out_.push_back(kind);
  for (int64_t v : {a.number, a.layerGroup, a.layer, a.colour, a.code, a.width, a.flags}) Int(v);
}

void FigureFileWriter::Int(int64_t v) {
  out_.push_back(',');
  AppendInteger(out_, v);
}

void FigureFileWriter::Real(int decimals, double v) {
  if (!std::isfinite(v)) finite_ = false;
  out_.push_back(',');
  AppendFixedText(out_, decimals, v);
}

void FigureFileWriter::Length(double v) { Real(figure::kLengthDecimals, v); }
void FigureFileWriter::Angle(double v) { Real(figure::kAngleDecimals, v); }
void FigureFileWriter::End() { out_.append("\r\n"); }

void FigureFileWriter::Line(const FigureAttributes& a, double x1, double y1, double x2, double y2) {
  Begin(figure::kLine, a);
  for (double v : {x1, y1, x2, y2}) Length(v);
  End();
}

void FigureFileWriter::Curve(const FigureAttributes& a, const FigureCurveFields& c) {
  Begin(figure::kCurve, a);
  for (double v : {c.cx, c.cy, c.r}) Length(v);
  for (double v : {c.flatness, c.start, c.sweep, c.tilt}) Angle(v);
  Int(c.closed);
  End();
}

void FigureFileWriter::Point(const FigureAttributes& a, double x, double y, int64_t marker,
                             double angle, double size) {
  Begin(figure::kPoint, a);
  Length(x);
  Length(y);
  Int(0);
  Int(marker);
  Angle(angle);
  Length(size);
  End();
}

void FigureFileWriter::Text(const FigureAttributes& a, const FigureTextFields& t) {
  Begin(figure::kText, a);
  for (double v : {t.x1, t.y1, t.x2, t.y2}) Length(v);
  Int(t.sizeCode);
  for (double v : {t.width, t.height, t.spacing}) Length(v);
  out_.push_back(',');
  AppendQuotedText(out_, t.font);
  out_.push_back(',');
  AppendQuotedText(out_, t.text);
  End();
}

void FigureFileWriter::Dimension(const FigureAttributes& a, bool extended) {
  Begin(extended ? figure::kDimensionX : figure::kDimension, a);
  out_.push_back(',');
  End();
}

void FigureFileWriter::PolygonSolid(const FigureAttributes& a, const double (&corners)[8],
                                    int64_t rgb) {
  Begin(figure::kSolid, a);
  for (double v : corners) Length(v);
  Int(rgb);
  End();
}

void FigureFileWriter::CurvedSolid(const FigureAttributes& a, const FigureSolidCurveFields& s) {
  Begin(figure::kSolid, a);
  for (double v : {s.cx, s.cy, s.r}) Length(v);
  for (double v : {s.flatness, s.tilt, s.start, s.sweep}) Angle(v);
}

void FigureFileWriter::ArcSolid(const FigureAttributes& a, const FigureSolidCurveFields& s,
                                int64_t kind, int64_t rgb) {
  CurvedSolid(a, s);
  Int(kind);
  Int(rgb);
  End();
}

void FigureFileWriter::RingSolid(const FigureAttributes& a, const FigureSolidCurveFields& s,
                                 double r2, int64_t rgb) {
  CurvedSolid(a, s);
  Length(r2);
  Int(rgb);
  End();
}

}  // namespace gara
