#include "platform/win32/scene_painter.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "geom/geometry.h"
#include "scene/view.h"

namespace gara {

namespace {

using scene::Shape;

constexpr double kToDegrees = 180 / kPi;
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
    for (const Shape& s : shapes) {
      std::visit([this, &s](const auto& geometry) { Draw(s, geometry); }, s.geometry);
    }
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

  // The points of the ellipse `e` with semi-axes `rx`, `ry` from parameter `from` over `sweep`
  // (negative: backwards).
  void AppendArc(std::vector<POINT>& to, const scene::Ellipse& e, double rx, double ry, double from,
                 double sweep) const {
    const double radius = std::max(std::fabs(rx), std::fabs(ry)) * scale_;
    const double pieces = std::ceil(std::fabs(sweep) * radius / kCurvePiecePixels);
    const int n = static_cast<int>(std::clamp(pieces, 8.0, double(kMaxCurvePieces)));
    for (int i = 0; i <= n; ++i)
      to.push_back(At(scene::EllipseAt(e, rx, ry, from + sweep * i / n)));
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

  void Circle(Point at, double radiusPixels, HPEN pen, HBRUSH brush) {
    Selected selectedPen(dc_, pen);
    Selected selectedBrush(dc_, brush);
    const POINT c = At(at);
    const int r = static_cast<int>(std::max(1L, std::lround(radiusPixels)));
    Ellipse(dc_, c.x - r, c.y - r, c.x + r + 1, c.y + r + 1);
  }
  void Ring(Point at, double radiusPixels, uint32_t rgb) {
    Circle(at, radiusPixels, MarkPen(rgb), CreateSolidBrush(RGB(255, 255, 255)));
  }

  void Cross(Point at, double halfPixels, uint32_t rgb) {
    const double x = at.x, y = at.y;
    Selected pen(dc_, MarkPen(rgb));
    const POINT w = Offset(x, y, -halfPixels, 0), e = Offset(x, y, halfPixels, 0);
    const POINT n = Offset(x, y, 0, -halfPixels), s = Offset(x, y, 0, halfPixels);
    MoveToEx(dc_, w.x, w.y, nullptr);
    LineTo(dc_, e.x, e.y);
    MoveToEx(dc_, n.x, n.y, nullptr);
    LineTo(dc_, s.x, s.y);
  }

  HFONT Font(double heightPixels, double widthPixels, double degrees, const Shape& s,
             const scene::TextShape& t) const {
    LOGFONTA font{};
    font.lfHeight = -std::lround(heightPixels);
    font.lfWidth = std::lround(widthPixels);
    font.lfEscapement = font.lfOrientation = std::lround(NormalizeDeg(degrees) * 10);
    font.lfWeight = t.bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = t.italic ? TRUE : FALSE;
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
  void Draw(const Shape& s, const scene::TextShape& t) {
    const double height = t.height * scale_;
    if (!(height >= kMinTextPixels && height <= kMaxTextPixels) || s.text.empty()) return;
    const std::string_view text = s.text;
    SetTextColor(dc_, Colour(s.style.rgb));
    SetBkMode(dc_, TRANSPARENT);
    if (!t.vertical) {
      // A fixed-pitch font: the half-width character is the run's length over its half widths
      // (a byte each).
      const int halfWidths = static_cast<int>(text.size());
      const double width = t.length > 0 ? t.length * scale_ / halfWidths : 0;
      if (t.length > 0 && width < 1) return;
      Selected font(dc_, Font(height, std::min(width, kMaxTextPixels), t.angle * kToDegrees, s, t));
      SetTextAlign(dc_, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
      TextAt(t.corner.x, t.corner.y, text);
      return;
    }
    const scene::VerticalLayout layout = scene::LayOutVertical(t, text);
    Selected font(dc_, Font(height, 0, layout.degrees, s, t));
    SetTextAlign(dc_, TA_BASELINE | TA_CENTER | TA_NOUPDATECP);
    for (const scene::VerticalCharacter& c : layout.characters) TextAt(c.foot.x, c.foot.y, c.bytes);
  }

  void Label(Point at, std::string_view label, uint32_t rgb) {
    LOGFONTA font{};
    font.lfHeight = -std::lround(scene::kLabelFontUnits * mark_);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = ANTIALIASED_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    Selected selected(dc_, CreateFontIndirectA(&font));
    SetTextColor(dc_, Colour(rgb));
    SetBkMode(dc_, TRANSPARENT);
    SetTextAlign(dc_, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    const POINT p =
        Offset(at.x, at.y, scene::kLabelOffsetUnits * mark_, -scene::kLabelOffsetUnits * mark_);
    TextOutA(dc_, p.x, p.y, label.data(), static_cast<int>(label.size()));
  }

  // One overload a kind of shape.
  void Draw(const Shape& s, const scene::LineShape& line) {
    StrokeLine(s.style, line.solid, {At(line.from), At(line.to)});
  }

  void Draw(const Shape& s, const scene::CurveShape& curve) {
    const scene::Ellipse& e = curve.ellipse;
    std::vector<POINT> points;
    AppendArc(points, e, e.rx, e.ry, e.start, e.sweep);
    StrokeLine(s.style, curve.solid, points);
  }

  // A line or curve; `solid`: a two-corner or circumference solid, a thick plain stroke.
  void StrokeLine(const scene::Style& style, bool solid, const std::vector<POINT>& points) {
    Polyline(points, solid ? Pen(style.rgb, scene::kSolidStrokeUnits * unit_)
                           : Pen(style.rgb, scene::StrokeWidth(style.lineWidth, 1) * unit_,
                                 style.lineType));
  }

  void Draw(const Shape& s, const scene::PolygonShape& polygon) {
    assert(polygon.count == 3 || polygon.count == 4);
    std::vector<POINT> points;
    for (int k = 0; k < polygon.count; ++k) points.push_back(At(polygon.corners[size_t(k)]));
    Fill(s.style.rgb, points, {static_cast<INT>(points.size())});
  }

  void Draw(const Shape& s, const scene::SolidAreaShape& area) {
    const scene::Ellipse& e = area.ellipse;
    const double start = e.start, sweep = e.sweep;
    std::vector<POINT> points;
    std::vector<INT> counts;
    if (area.form == scene::SolidForm::kSector) points.push_back(At(e.cx, e.cy));
    if (area.form == scene::SolidForm::kOutside) points.push_back(At(area.corner));
    AppendArc(points, e, e.rx, e.ry, start, sweep);
    if (area.form == scene::SolidForm::kRing) {
      if (sweep >= kTwoPi) {
        // Two closed ellipses; the alternate fill leaves the inner one empty.
        counts.push_back(static_cast<INT>(points.size()));
        AppendArc(points, e, area.innerRx, area.innerRy, start, sweep);
      } else {
        AppendArc(points, e, area.innerRx, area.innerRy, start + sweep, -sweep);
      }
    }
    int32_t used = 0;
    for (INT n : counts) used += n;
    counts.push_back(static_cast<INT>(points.size()) - used);
    Fill(s.style.rgb, points, counts);
  }

  void Draw(const Shape& s, const scene::PointShape& point) {
    Circle(point.at, std::max(scene::kPointRadiusUnits * unit_, 1.5),
           CreatePen(PS_SOLID, 1, Colour(s.style.rgb)), CreateSolidBrush(Colour(s.style.rgb)));
  }

  void Draw(const Shape& s, const scene::MarkerShape& marker) {
    const scene::MarkerMark mark = scene::MarkOf(marker, mark_);
    const double x = marker.at.x, y = marker.at.y;
    Polyline({At(x, y), Offset(x, y, mark.tickX, -mark.tickY)}, MarkPen(s.style.rgb));
    Circle(marker.at, mark.ringRadius, MarkPen(s.style.rgb),
           static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  }

  void Draw(const Shape& s, const scene::BlockShape& block) {
    const double x = block.at.x, y = block.at.y, d = scene::kBlockHalfUnits * mark_;
    Polyline({Offset(x, y, -d, 0), Offset(x, y, 0, -d), Offset(x, y, d, 0), Offset(x, y, 0, d),
              Offset(x, y, -d, 0)},
             MarkPen(s.style.rgb));
  }

  void Draw(const Shape& s, const scene::DesignatedPointShape& point) {
    Ring(point.at, scene::kDesignatedMark.ringRadius * mark_, s.style.rgb);
    Cross(point.at, scene::kDesignatedMark.crossHalf * mark_, s.style.rgb);
    Label(point.at, s.text, s.style.rgb);
  }

  void Draw(const Shape& s, const scene::ExtentsBox& box) {
    Polyline({At(box.minX, box.minY), At(box.maxX, box.minY), At(box.maxX, box.maxY),
              At(box.minX, box.maxY), At(box.minX, box.minY)},
             Pen(s.style.rgb, scene::kMarkStrokeUnits * mark_, s.style.lineType));
  }

  void Draw(const Shape& s, const scene::Centre& centre) {
    Ring(centre.at, scene::kCentreMark.ringRadius * mark_, s.style.rgb);
    Cross(centre.at, scene::kCentreMark.crossHalf * mark_, s.style.rgb);
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
