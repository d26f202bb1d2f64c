#include "platform/win32/scene_painter.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "geom/geometry.h"
#include "scene/view.h"
#include "util/portable_math.h"
#include "util/text.h"

namespace gara {

namespace {

using scene::Shape;
using scene::ShapeKind;

constexpr double kToDegrees = 180 / kPi;
constexpr double kTwoPi = 2 * kPi;
// Marks and dashes never shrink below these pixels per unit, so that a large picture in a small
// rectangle still shows its designated points and line types.
constexpr double kMinMarkUnitPixels = 1.0;
constexpr double kMinDashUnitPixels = 0.75;
// Texts smaller than this many pixels are unreadable blots: left out. Larger than the other
// bound, GDI draws nothing useful either.
constexpr double kMinTextPixels = 2.0;
constexpr double kMaxTextPixels = 4000.0;
// A curve is drawn as a polyline with about this many pixels per piece.
constexpr double kCurvePiecePixels = 3.0;
constexpr int kMaxCurvePieces = 1024;
constexpr int kLabelFontUnits = 12;  // the number beside a designated point

COLORREF Colour(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// A GDI object selected into the DC for its lifetime, then deleted.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), old_(SelectObject(dc, object)) {}
  ~Selected() {
    SelectObject(dc_, old_);
    DeleteObject(object_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ object_;
  HGDIOBJ old_;
};

class Painter {
 public:
  Painter(HDC dc, const RECT& area, const scene::View& view) : dc_(dc) {
    const double width = area.right - area.left, height = area.bottom - area.top;
    scale_ = std::min(width / view.width, height / view.height);
    left_ = area.left + (width - view.width * scale_) / 2 - view.x * scale_;
    top_ = area.top + (height - view.height * scale_) / 2 + (view.y + view.height) * scale_;
    unit_ = view.unit * scale_;
    mark_ = std::max(unit_, kMinMarkUnitPixels);
  }

  void Paint(const std::vector<Shape>& shapes) {
    for (const Shape& s : shapes) Shape1(s);
  }

 private:
  // Pixel coordinates of a drawing point (y up).
  double X(double x) const { return left_ + x * scale_; }
  double Y(double y) const { return top_ - y * scale_; }
  POINT At(double x, double y) const {
    return {static_cast<LONG>(std::lround(X(x))), static_cast<LONG>(std::lround(Y(y)))};
  }
  POINT At(Point p) const { return At(p.x, p.y); }
  // A point `dx`, `dy` pixels (y down) away from a drawing point.
  POINT Offset(double x, double y, double dx, double dy) const {
    return {static_cast<LONG>(std::lround(X(x) + dx)), static_cast<LONG>(std::lround(Y(y) + dy))};
  }

  HPEN Pen(uint32_t rgb, double widthPixels, int32_t lineType = 1) const {
    LOGBRUSH brush{BS_SOLID, Colour(rgb), 0};
    const DWORD width = static_cast<DWORD>(std::max(1L, std::lround(widthPixels)));
    const std::span<const double> pattern = scene::DashPattern(lineType);
    if (pattern.empty()) {
      return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, width, &brush,
                          0, nullptr);
    }
    DWORD dashes[6];
    const double dashUnit = std::max(unit_, kMinDashUnitPixels);
    for (size_t k = 0; k < pattern.size(); ++k) {
      dashes[k] = static_cast<DWORD>(std::max(1L, std::lround(pattern[k] * dashUnit)));
    }
    return ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_ROUND, width, &brush,
                        static_cast<DWORD>(pattern.size()), dashes);
  }
  HPEN MarkPen(uint32_t rgb) const { return Pen(rgb, scene::kMarkStrokeUnits * mark_); }

  // The points of the ellipse in v[0..6] from parameter `from` over `sweep` (negative: backwards).
  void AppendArc(std::vector<POINT>& to, const double* v, double rx, double ry, double from,
                 double sweep) const {
    const double radius = std::max(std::fabs(rx), std::fabs(ry)) * scale_;
    const double pieces = std::ceil(std::fabs(sweep) * radius / kCurvePiecePixels);
    const int n = static_cast<int>(std::clamp(pieces, 8.0, double(kMaxCurvePieces)));
    for (int i = 0; i <= n; ++i)
      to.push_back(At(scene::EllipseAt(v, rx, ry, from + sweep * i / n)));
  }

  void Polyline(const std::vector<POINT>& points, HPEN pen) {
    Selected selected(dc_, pen);
    ::Polyline(dc_, points.data(), static_cast<int>(points.size()));
  }

  void Fill(uint32_t rgb, const std::vector<POINT>& points, const std::vector<INT>& counts) {
    // An outline of the fill's colour keeps thin solids from vanishing.
    Selected pen(dc_, CreatePen(PS_SOLID, 1, Colour(rgb)));
    Selected brush(dc_, CreateSolidBrush(Colour(rgb)));
    SetPolyFillMode(dc_, ALTERNATE);
    PolyPolygon(dc_, points.data(), counts.data(), static_cast<int>(counts.size()));
  }

  void Circle(double x, double y, double radiusPixels, HPEN pen, HBRUSH brush) {
    Selected selectedPen(dc_, pen);
    Selected selectedBrush(dc_, brush);
    const POINT c = At(x, y);
    const int r = static_cast<int>(std::max(1L, std::lround(radiusPixels)));
    Ellipse(dc_, c.x - r, c.y - r, c.x + r + 1, c.y + r + 1);
  }
  void Ring(double x, double y, double radiusPixels, uint32_t rgb) {
    Circle(x, y, radiusPixels, MarkPen(rgb), CreateSolidBrush(RGB(255, 255, 255)));
  }

  void Cross(double x, double y, double halfPixels, uint32_t rgb) {
    Selected pen(dc_, MarkPen(rgb));
    const POINT w = Offset(x, y, -halfPixels, 0), e = Offset(x, y, halfPixels, 0);
    const POINT n = Offset(x, y, 0, -halfPixels), s = Offset(x, y, 0, halfPixels);
    MoveToEx(dc_, w.x, w.y, nullptr);
    LineTo(dc_, e.x, e.y);
    MoveToEx(dc_, n.x, n.y, nullptr);
    LineTo(dc_, s.x, s.y);
  }

  HFONT Font(double heightPixels, double widthPixels, double degrees, const Shape& s) const {
    LOGFONTA font{};
    font.lfHeight = -std::lround(heightPixels);
    font.lfWidth = std::lround(widthPixels);
    font.lfEscapement = font.lfOrientation = std::lround(NormalizeDeg(degrees) * 10);
    font.lfWeight = (s.textStyle & scene::kTextBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (s.textStyle & scene::kTextItalic) ? TRUE : FALSE;
    font.lfCharSet = SHIFTJIS_CHARSET;
    // Only outline fonts turn.
    font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    font.lfQuality = ANTIALIASED_QUALITY;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    const std::string_view face = s.font.size() < LF_FACESIZE ? std::string_view(s.font) : "";
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&font);
  }

  void TextAt(double x, double y, std::string_view text) {
    const POINT p = At(x, y);
    TextOutA(dc_, p.x, p.y, text.data(), static_cast<int>(text.size()));
  }

  // The text as the SVG writes it: its base line from the lower-left corner, stretched to the
  // run's length; a vertical text one upright character below the other.
  void Text(const Shape& s) {
    const double* v = s.v;
    const double height = v[4] * scale_;
    if (!(height >= kMinTextPixels && height <= kMaxTextPixels) || s.text.empty()) return;
    const std::string_view text = s.text;
    std::vector<std::string_view> chars;
    int halfWidths = 0;
    for (size_t i = 0; i < text.size();) {
      const size_t n =
          IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
      chars.push_back(text.substr(i, n));
      halfWidths += static_cast<int>(n);
      i += n;
    }
    SetTextColor(dc_, Colour(s.style.rgb));
    SetBkMode(dc_, TRANSPARENT);
    const double degrees = v[2] * kToDegrees;
    if (!(s.textStyle & scene::kTextVertical)) {
      // A fixed-pitch font: the half-width character is the run's length over its half widths.
      const double width = v[3] > 0 ? v[3] * scale_ / halfWidths : 0;
      if (v[3] > 0 && width < 1) return;
      Selected font(dc_, Font(height, std::min(width, kMaxTextPixels), degrees, s));
      SetTextAlign(dc_, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
      TextAt(v[0], v[1], text);
      return;
    }
    const double h = v[4];
    const double pitch = chars.size() > 1 ? (v[3] - h) / double(chars.size() - 1) : h;
    const SineCosine a = PortableSinCos(v[2]);
    Selected font(dc_, Font(height, 0, degrees + 90, s));
    SetTextAlign(dc_, TA_BASELINE | TA_CENTER | TA_NOUPDATECP);
    for (size_t k = 0; k < chars.size(); ++k) {
      const double along = double(k) * pitch + h, across = v[5] / 2;
      TextAt(v[0] + along * a.cos - across * a.sin, v[1] + along * a.sin + across * a.cos,
             chars[k]);
    }
  }

  void Label(double x, double y, std::string_view label, uint32_t rgb) {
    LOGFONTA font{};
    font.lfHeight = -std::lround(kLabelFontUnits * mark_);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = ANTIALIASED_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    Selected selected(dc_, CreateFontIndirectA(&font));
    SetTextColor(dc_, Colour(rgb));
    SetBkMode(dc_, TRANSPARENT);
    SetTextAlign(dc_, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    const POINT p = Offset(x, y, 4 * mark_, -4 * mark_);
    TextOutA(dc_, p.x, p.y, label.data(), static_cast<int>(label.size()));
  }

  void SolidArea(const Shape& s) {
    const double* v = s.v;
    const double start = v[5], sweep = v[6];
    std::vector<POINT> points;
    std::vector<INT> counts;
    switch (static_cast<scene::SolidForm>(s.form)) {
      case scene::SolidForm::kSector:
        points.push_back(At(v[0], v[1]));
        break;
      case scene::SolidForm::kOutside:
        points.push_back(At(v[9], v[10]));
        break;
      default:
        break;
    }
    AppendArc(points, v, v[2], v[3], start, sweep);
    if (s.form == int32_t(scene::SolidForm::kRing)) {
      if (sweep >= kTwoPi) {
        // Two closed ellipses; the alternate fill leaves the inner one empty.
        counts.push_back(static_cast<INT>(points.size()));
        AppendArc(points, v, v[7], v[8], start, sweep);
      } else {
        AppendArc(points, v, v[7], v[8], start + sweep, -sweep);
      }
    }
    int32_t used = 0;
    for (INT n : counts) used += n;
    counts.push_back(static_cast<INT>(points.size()) - used);
    Fill(s.style.rgb, points, counts);
  }

  void Shape1(const Shape& s) {
    const double* v = s.v;
    // Form 1 of a line or curve: a two-corner or circumference solid, a thick plain stroke.
    const bool solidStroke = s.form == 1;
    switch (s.kind) {
      case ShapeKind::kLine:
      case ShapeKind::kCurve: {
        std::vector<POINT> points;
        if (s.kind == ShapeKind::kLine) {
          points = {At(v[0], v[1]), At(v[2], v[3])};
        } else {
          AppendArc(points, v, v[2], v[3], v[5], v[6]);
        }
        Polyline(points, solidStroke
                             ? Pen(s.style.rgb, scene::kSolidStrokeUnits * unit_)
                             : Pen(s.style.rgb, scene::StrokeWidth(s.style.lineWidth, 1) * unit_,
                                   s.style.lineType));
        break;
      }
      case ShapeKind::kPolygon: {
        std::vector<POINT> points;
        for (int k = 0; k < std::clamp(s.form, 0, 4); ++k)
          points.push_back(At(v[2 * k], v[2 * k + 1]));
        Fill(s.style.rgb, points, {static_cast<INT>(points.size())});
        break;
      }
      case ShapeKind::kSolidArea:
        SolidArea(s);
        break;
      case ShapeKind::kText:
        Text(s);
        break;
      case ShapeKind::kPoint:
        Circle(v[0], v[1], std::max(1.5 * unit_, 1.5), CreatePen(PS_SOLID, 1, Colour(s.style.rgb)),
               CreateSolidBrush(Colour(s.style.rgb)));
        break;
      case ShapeKind::kMarker: {
        // A ring with a tick in its direction, by its size.
        const double size = std::clamp(std::fabs(v[2]), 0.25, 4.0);
        const SineCosine a = PortableSinCos(v[3]);
        Polyline({At(v[0], v[1]),
                  Offset(v[0], v[1], 5 * mark_ * size * a.cos, -5 * mark_ * size * a.sin)},
                 MarkPen(s.style.rgb));
        Circle(v[0], v[1], 2.5 * mark_ * size, MarkPen(s.style.rgb),
               static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
        break;
      }
      case ShapeKind::kBlock: {
        const double d = 3 * mark_;
        Polyline({Offset(v[0], v[1], -d, 0), Offset(v[0], v[1], 0, -d), Offset(v[0], v[1], d, 0),
                  Offset(v[0], v[1], 0, d), Offset(v[0], v[1], -d, 0)},
                 MarkPen(s.style.rgb));
        break;
      }
      case ShapeKind::kDesignatedPoint:
        Ring(v[0], v[1], 4 * mark_, s.style.rgb);
        Cross(v[0], v[1], 7 * mark_, s.style.rgb);
        Label(v[0], v[1], s.text, s.style.rgb);
        break;
      case ShapeKind::kExtentsBox:
        Polyline({At(v[0], v[1]), At(v[2], v[1]), At(v[2], v[3]), At(v[0], v[3]), At(v[0], v[1])},
                 Pen(s.style.rgb, scene::kMarkStrokeUnits * mark_, s.style.lineType));
        break;
      case ShapeKind::kCentre:
        Ring(v[0], v[1], 3 * mark_, s.style.rgb);
        Cross(v[0], v[1], 6 * mark_, s.style.rgb);
        break;
    }
  }

  HDC dc_;
  double scale_ = 1, left_ = 0, top_ = 0;
  double unit_ = 1;  // pixels per unit of the view
  double mark_ = 1;  // the same, for marks and dashes never below kMinMarkUnitPixels
};

}  // namespace

void PaintScene(HDC dc, const RECT& area, const scene::Drawing& drawing) {
  if (area.right <= area.left || area.bottom <= area.top) return;
  const scene::View view = scene::ViewOf(drawing);
  if (!(view.width > 0 && view.height > 0)) return;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  Painter painter(dc, area, view);
  painter.Paint(drawing.underlay);
  painter.Paint(drawing.shapes);
  painter.Paint(drawing.overlay);
  RestoreDC(dc, saved);
}

}  // namespace gara
