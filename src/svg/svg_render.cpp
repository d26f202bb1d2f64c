#include "svg/svg_render.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <memory>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "exchange/exchange_reader.h"
#include "geom/extents.h"
#include "geom/geometry.h"
#include "svg/svg_text.h"
#include "util/portable_math.h"
#include "util/text.h"

namespace gara::svg {

class Passes;

namespace {

using scene::BlockShape;
using scene::Centre;
using scene::CurveShape;
using scene::DesignatedPointShape;
using scene::Ellipse;
using scene::ExtentsBox;
using scene::kBlockHalfUnits;
using scene::kCentreMark;
using scene::kDesignatedMark;
using scene::kLabelFontUnits;
using scene::kLabelOffsetUnits;
using scene::kPointRadiusUnits;
using scene::LayOutVertical;
using scene::LineShape;
using scene::MarkerMark;
using scene::MarkerShape;
using scene::MarkOf;
using scene::PointShape;
using scene::PolygonShape;
using scene::SolidAreaShape;
using scene::TextShape;
using scene::VerticalCharacter;
using scene::VerticalLayout;

constexpr double kToDegrees = 180 / kPi;

// Between Begin and End the document's groups: a whole list with Group, or the drawing group's
// shapes one at a time (OpenGroup, Add, CloseGroup).
class Writer final : public ShapeSink {
 public:
  // `flush`, when given, takes the text written so far whenever it passes kSvgChunk bytes and
  // once at the end; `out` is then cleared after each.
  Writer(const View& view, std::string& out, const SvgSink* flush = nullptr)
      : view_(view), u_(view.unit), out_(out), flush_(flush) {}
  bool ok() const { return ok_; }

  void Document(const Drawing& drawing) {
    Begin();
    Group("underlay", drawing.underlay, false);
    Group("drawing", drawing.shapes, true);
    Group("overlay", drawing.overlay, false);
    End();
  }

  void Begin() {
    // The view's top edge in the SVG's y down.
    const std::string x = NumberString(view_.x), top = NumberString(-(view_.y + view_.height));
    const std::string width = NumberString(view_.width), height = NumberString(view_.height);
    out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width + "mm\" height=\"" +
            height + "mm\" viewBox=\"" + x + ' ' + top + ' ' + width + ' ' + height + "\">\n";
    out_ += "<!-- drawing millimetres, y up: every y is written negated -->\n";
    out_ += "<rect class=\"background\" x=\"" + x + "\" y=\"" + top + "\" width=\"" + width +
            "\" height=\"" + height + "\" fill=\"#ffffff\"/>\n";
  }

  void End() {
    out_ += "</svg>\n";
    Flush();
  }

  void Group(const char* id, const std::vector<Shape>& shapes, bool layers) {
    OpenGroup(id, layers);
    for (const Shape& s : shapes) Put(s);
    CloseGroup();
  }

  // A group without shapes is left out, so it is begun with its first shape. With `layers` its
  // shapes are grouped again by runs of one layer.
  void OpenGroup(const char* id, bool layers) { group_ = {id, layers}; }
  void Add(Shape&& shape) override { Put(shape); }
  void CloseGroup() {
    if (!group_.begun) return;
    if (group_.layerOpen) out_ += "</g>\n";
    out_ += "</g>\n";
  }

 private:
  void Put(const Shape& s) {
    if (!group_.begun) {
      out_ += "<g id=\"";
      out_ += group_.id;
      out_ += "\" fill=\"none\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
      group_.begun = true;
    }
    if (group_.layers && (!group_.layerOpen || s.style.layerGroup != group_.layerGroup ||
                          s.style.layer != group_.layer)) {
      if (group_.layerOpen) out_ += "</g>\n";
      group_.layerGroup = s.style.layerGroup;
      group_.layer = s.style.layer;
      out_ += "<g class=\"lg";
      out_ += std::to_string(group_.layerGroup);
      out_ += " ly";
      out_ += std::to_string(group_.layerGroup);
      out_ += '-';
      out_ += std::to_string(group_.layer);
      out_ += "\">\n";
      group_.layerOpen = true;
    }
    Element(s);
    if (out_.size() >= kSvgChunk) Flush();
  }

  void Num(double v) { AppendNumber(out_, v); }
  // A point, y negated.
  void Pt(double x, double y) {
    Num(x);
    out_ += ',';
    Num(-y);
  }
  void Attr(const char* name, double v) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    Num(v);
    out_ += '"';
  }
  void ColourAttr(const char* name, uint32_t rgb) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    AppendColour(out_, rgb);
    out_ += '"';
  }

  void Dashes(int32_t lineType) {
    const std::span<const double> pattern = DashPattern(lineType);
    if (pattern.empty()) return;
    out_ += " stroke-dasharray=\"";
    for (size_t k = 0; k < pattern.size(); ++k) {
      if (k > 0) out_ += ' ';
      Num(pattern[k] * u_);
    }
    out_ += '"';
  }

  void Stroke(const Style& style, double width, bool dashed) {
    ColourAttr("stroke", style.rgb);
    Attr("stroke-width", width);
    if (dashed) Dashes(style.lineType);
  }

  void LineElement(double x1, double y1, double x2, double y2) {
    out_ += "<line";
    Attr("x1", x1);
    Attr("y1", -y1);
    Attr("x2", x2);
    Attr("y2", -y2);
  }

  void CircleElement(double x, double y, double r) {
    out_ += "<circle";
    Attr("cx", x);
    Attr("cy", -y);
    Attr("r", r);
  }

  // The arc command from the current point (the point of `from`) to the point of `from` +
  // `sweep`, or `from` - `sweep` when `backwards`. A sweep beyond a half turn is drawn as two
  // halves: an arc of almost a whole turn would otherwise have end points that round to one
  // point, and SVG leaves such an arc out.
  void ArcTo(const Ellipse& e, double rx, double ry, double from, double sweep,
             bool backwards = false) {
    if (sweep > kPi) {
      const double half = sweep / 2;
      ArcTo(e, rx, ry, from, half, backwards);
      ArcTo(e, rx, ry, backwards ? from - half : from + half, half, backwards);
      return;
    }
    const Point end = EllipseAt(e, rx, ry, backwards ? from - sweep : from + sweep);
    out_ += " A";
    Num(rx);
    out_ += ' ';
    Num(std::fabs(ry));
    out_ += ' ';
    Num(-e.tilt * kToDegrees);
    // Never the large arc. Counter-clockwise in y up is clockwise in the SVG's y down, the
    // negative direction; a negative ry or a backward run turns the other way.
    out_ += (ry < 0) != backwards ? " 0 1 " : " 0 0 ";
    Pt(end.x, end.y);
  }
  // Round the outer ellipse from its start.
  void ArcTo(const Ellipse& e) { ArcTo(e, e.rx, e.ry, e.start, e.sweep); }
  void MoveTo(Point p) {
    out_ += 'M';
    Pt(p.x, p.y);
  }
  void LineTo(Point p) {
    out_ += " L";
    Pt(p.x, p.y);
  }

  void Fill(const Style& style) {
    ColourAttr("fill", style.rgb);
    out_ += " stroke=\"none\"";
  }

  // The end of a line or curve: a two-corner or circumference solid is a thick stroke without
  // a line type.
  void LineEnd(const Style& style, bool solid) {
    if (solid) {
      Stroke(style, kSolidStrokeUnits * u_, false);
    } else {
      Stroke(style, StrokeWidth(style.lineWidth, u_), true);
    }
    out_ += "/>\n";
  }

  // The font name as a CSS family, without the characters that would end it early.
  void FontFamily(std::string_view font) {
    std::string name;
    for (const char c : font) {
      if (c != '\'' && c != '"' && c != ',' && c != ';' && c != '\\') name += c;
    }
    out_ += " font-family=\"";
    if (!name.empty() && name.find_first_not_of(' ') != std::string::npos) {
      out_ += '\'';
      AppendXmlText(out_, name);
      out_ += "', ";
    }
    out_ += "monospace\"";
  }

  // The attributes after the position that every text of a shape shares.
  void TextLook(const Shape& s, const TextShape& t) {
    Attr("font-size", t.height);
    ColourAttr("fill", s.style.rgb);
    FontFamily(s.font);
    if (t.italic) out_ += " font-style=\"italic\"";
    if (t.bold) out_ += " font-weight=\"bold\"";
  }

  void TextStart(double x, double y, double degrees) {
    out_ += "<text transform=\"translate(";
    Num(x);
    out_ += ' ';
    Num(-y);
    out_ += ") rotate(";
    Num(-degrees);
    out_ += ")\"";
  }

  // Each character of a vertical text is a text of its own.
  void VerticalText(const Shape& s, const TextShape& t) {
    const VerticalLayout layout = LayOutVertical(t, s.text);
    out_ += "<g class=\"vertical-text\"";
    TextLook(s, t);
    out_ += " text-anchor=\"middle\">\n";
    for (const VerticalCharacter& c : layout.characters) {
      TextStart(c.foot.x, c.foot.y, NormalizeDeg(layout.degrees));
      out_ += '>';
      AppendXmlText(out_, c.bytes);
      out_ += "</text>\n";
    }
    out_ += "</g>\n";
  }

  void Label(Point at, std::string_view label, uint32_t rgb) {
    out_ += "<text";
    Attr("x", at.x + kLabelOffsetUnits * u_);
    Attr("y", -(at.y + kLabelOffsetUnits * u_));
    Attr("font-size", kLabelFontUnits * u_);
    ColourAttr("fill", rgb);
    out_ += " font-family=\"sans-serif\">";
    AppendXmlAscii(out_, label);
    out_ += "</text>\n";
  }

  void Cross(Point at, double half, uint32_t rgb) {
    const double x = at.x, y = at.y;
    out_ += "<path d=\"M";
    Pt(x - half, y);
    out_ += " L";
    Pt(x + half, y);
    out_ += " M";
    Pt(x, y - half);
    out_ += " L";
    Pt(x, y + half);
    out_ += '"';
    ColourAttr("stroke", rgb);
    Attr("stroke-width", kMarkStrokeUnits * u_);
    out_ += "/>\n";
  }

  // A ring of the marks' stroke.
  void Ring(Point at, double radius, const Style& style) {
    CircleElement(at.x, at.y, radius);
    Stroke(style, kMarkStrokeUnits * u_, false);
    out_ += "/>\n";
  }

  void Element(const Shape& s) {
    std::visit([this, &s](const auto& geometry) { Draw(s, geometry); }, s.geometry);
  }

  // One overload a kind of shape.
  void Draw(const Shape& s, const LineShape& line) {
    LineElement(line.from.x, line.from.y, line.to.x, line.to.y);
    LineEnd(s.style, line.solid);
  }

  void Draw(const Shape& s, const CurveShape& curve) {
    const Ellipse& e = curve.ellipse;
    out_ += "<path d=\"";
    MoveTo(EllipseAt(e, e.start));
    ArcTo(e);
    if (e.sweep >= kTwoPi) out_ += " Z";
    out_ += '"';
    LineEnd(s.style, curve.solid);
  }

  void Draw(const Shape& s, const PolygonShape& polygon) {
    assert(polygon.count == 3 || polygon.count == 4);
    out_ += "<polygon points=\"";
    for (int k = 0; k < polygon.count; ++k) {
      if (k > 0) out_ += ' ';
      Pt(polygon.corners[size_t(k)].x, polygon.corners[size_t(k)].y);
    }
    out_ += '"';
    Fill(s.style);
    out_ += "/>\n";
  }

  void Draw(const Shape& s, const SolidAreaShape& area) {
    const Ellipse& e = area.ellipse;
    const double start = e.start, sweep = e.sweep;
    out_ += "<path d=\"";
    switch (area.form) {
      case SolidForm::kSector:
      case SolidForm::kOutside:
        // From the centre or the corner to the arc, and round it.
        MoveTo(area.form == SolidForm::kSector ? Point{e.cx, e.cy} : area.corner);
        LineTo(EllipseAt(e, start));
        ArcTo(e);
        break;
      case SolidForm::kRing:
        MoveTo(EllipseAt(e, start));
        ArcTo(e);
        if (sweep >= kTwoPi) {
          // Two closed ellipses; the even-odd rule leaves the inner one empty.
          out_ += " Z ";
          MoveTo(EllipseAt(e, area.innerRx, area.innerRy, start));
          ArcTo(e, area.innerRx, area.innerRy, start, sweep);
        } else {
          LineTo(EllipseAt(e, area.innerRx, area.innerRy, start + sweep));
          ArcTo(e, area.innerRx, area.innerRy, start + sweep, sweep, true);
        }
        break;
      case SolidForm::kSegment:
      case SolidForm::kWhole:
        MoveTo(EllipseAt(e, start));
        ArcTo(e);
        break;
    }
    out_ += " Z\" fill-rule=\"evenodd\"";
    Fill(s.style);
    out_ += "/>\n";
  }

  void Draw(const Shape& s, const TextShape& t) {
    if (t.vertical) return VerticalText(s, t);
    TextStart(t.corner.x, t.corner.y, t.angle * kToDegrees);
    if (t.length > 0) {
      Attr("textLength", t.length);
      out_ += " lengthAdjust=\"spacingAndGlyphs\"";
    }
    TextLook(s, t);
    out_ += " xml:space=\"preserve\">";
    AppendXmlText(out_, s.text);
    out_ += "</text>\n";
  }

  void Draw(const Shape& s, const PointShape& point) {
    CircleElement(point.at.x, point.at.y, kPointRadiusUnits * u_);
    ColourAttr("fill", s.style.rgb);
    out_ += "/>\n";
  }

  void Draw(const Shape& s, const MarkerShape& marker) {
    const MarkerMark mark = MarkOf(marker, u_);
    const double x = marker.at.x, y = marker.at.y;
    out_ += "<path d=\"M";
    Pt(x, y);
    out_ += " L";
    Pt(x + mark.tickX, y + mark.tickY);
    out_ += '"';
    Stroke(s.style, kMarkStrokeUnits * u_, false);
    out_ += "/>\n";
    Ring(marker.at, mark.ringRadius, s.style);
  }

  void Draw(const Shape& s, const BlockShape& block) {
    const double x = block.at.x, y = block.at.y, d = kBlockHalfUnits * u_;
    out_ += "<path d=\"M";
    Pt(x - d, y);
    out_ += " L";
    Pt(x, y + d);
    out_ += " L";
    Pt(x + d, y);
    out_ += " L";
    Pt(x, y - d);
    out_ += " Z\"";
    Stroke(s.style, kMarkStrokeUnits * u_, false);
    out_ += "><title>";
    AppendXmlText(out_, s.text);
    out_ += "</title></path>\n";
  }

  void Draw(const Shape& s, const DesignatedPointShape& point) {
    out_ += "<g class=\"designated-point\">\n";
    Ring(point.at, kDesignatedMark.ringRadius * u_, s.style);
    Cross(point.at, kDesignatedMark.crossHalf * u_, s.style.rgb);
    Label(point.at, s.text, s.style.rgb);
    out_ += "</g>\n";
  }

  void Draw(const Shape& s, const ExtentsBox& box) {
    assert(box.minX <= box.maxX && box.minY <= box.maxY);
    out_ += "<rect class=\"extents\"";
    Attr("x", box.minX);
    Attr("y", -box.maxY);
    Attr("width", box.maxX - box.minX);
    Attr("height", box.maxY - box.minY);
    Stroke(s.style, kMarkStrokeUnits * u_, true);
    out_ += "/>\n";
  }

  void Draw(const Shape& s, const Centre& centre) {
    out_ += "<g class=\"centre\">\n";
    Ring(centre.at, kCentreMark.ringRadius * u_, s.style);
    Cross(centre.at, kCentreMark.crossHalf * u_, s.style.rgb);
    out_ += "</g>\n";
  }

  const View& view_;
  double u_;
  void Flush() {
    if (!flush_) return;
    if (ok_) ok_ = (*flush_)(out_);
    out_.clear();
  }

  std::string& out_;
  const SvgSink* flush_;
  bool ok_ = true;
  struct OpenedGroup {
    const char* id = "";
    bool layers = false;
    bool begun = false, layerOpen = false;
    int32_t layerGroup = 0, layer = 0;
  } group_;
};

// The header values a result file takes from the drawing its points come from: it holds no
// header, and Jw_cad draws it with the settings of that drawing unless it sets its own.
std::unique_ptr<DrawingState> StartState(const DrawingState* pointsFrom) {
  auto state = std::make_unique<DrawingState>();
  if (pointsFrom) {
    state->textSizeTable = pointsFrom->textSizeTable;
    state->layerGroupScales = pointsFrom->layerGroupScales;
    state->paperScaleFlag = pointsFrom->paperScaleFlag;
  }
  return state;
}

// What sets the size of an exchange file's texts after they are read.
struct TextScales {
  std::array<double, 16> layerGroups;
  bool paper;
  explicit TextScales(const DrawingState& s)
      : layerGroups(s.layerGroupScales), paper(s.paperScaleFlag) {}
  bool operator==(const TextScales&) const = default;
};

}  // namespace

// The picture of an input read afresh for each pass, so that no more than a batch of its
// entities is ever held: a figure file (small, held whole) or an exchange file that
// `exchange` reads into a state, handing its entities over in batches.
class Passes {
 public:
  using EntityBatch = std::function<void(SelectedEntities&)>;
  using Batches = std::function<bool(DrawingState&, const EntityBatch&)>;

  // `from`, when given, is the read exchange file whose designated points go under the picture.
  Passes(std::optional<std::string_view> figure, Batches exchange,
         std::unique_ptr<DrawingState> from)
      : figure_(figure), exchange_(std::move(exchange)), from_(std::move(from)) {
    assert(figure_ || exchange_);
    if (from_) AddDesignatedPoints(*from_, underlay_);
  }

  const std::vector<Shape>& underlay() const { return underlay_; }
  const std::vector<Shape>& overlay() const { return overlay_; }

  // The first pass: the overlay and, for an exchange file, the header every text is sized by.
  // Nothing when the exchange file cannot be read.
  std::optional<View> Measure() {
    Bounds box;
    box.Add(underlay_);
    if (figure_) {
      AddFigure(*figure_, box, overlay_);
    } else {
      header_ = StartState(from_.get());
      // Texts are sized by the scales the whole file sets, known only at its end; measured with
      // the scales in force, they are measured again in the rare file whose scales change
      // after its first entities.
      std::optional<TextScales> scales;
      bool steady = true;
      const bool read = exchange_(*header_, [&](const SelectedEntities& batch) {
        if (!scales) scales.emplace(*header_);
        steady = steady && *scales == TextScales(*header_);
        AddEntityShapes(batch, *header_, box);
      });
      if (!read) return std::nullopt;
      if (scales && !(steady && *scales == TextScales(*header_))) {
        box = {};
        box.Add(underlay_);
        if (!Entities(box)) return std::nullopt;
      }
      AddDesignatedPoints(*header_, overlay_);
    }
    box.Add(overlay_);
    return box.view();
  }

  // The entity shapes in file order; after Measure. False when the exchange file could not be
  // read again.
  bool Entities(ShapeSink& sink) const {
    if (figure_) {
      std::vector<Shape> overlay;
      AddFigure(*figure_, sink, overlay);
      return true;
    }
    assert(header_);
    const auto state = StartState(from_.get());
    return exchange_(
        *state, [&](const SelectedEntities& batch) { AddEntityShapes(batch, *header_, sink); });
  }

  // The whole document, after Measure gave `view`; false when the sink failed or the input
  // could not be read again.
  bool Write(const View& view, const SvgSink& sink) const {
    std::string out;
    out.reserve(kSvgChunk + 4096);
    Writer writer(view, out, &sink);
    writer.Begin();
    writer.Group("underlay", underlay(), false);
    writer.OpenGroup("drawing", true);
    const bool read = Entities(writer);
    writer.CloseGroup();
    writer.Group("overlay", overlay(), false);
    writer.End();
    return read && writer.ok();
  }

 private:
  std::optional<std::string_view> figure_;
  Batches exchange_;
  std::unique_ptr<DrawingState> from_, header_;
  std::vector<Shape> underlay_, overlay_;
};

namespace {

std::unique_ptr<DrawingState> PointsFrom(const std::string_view* bytes) {
  if (!bytes) return nullptr;
  auto from = std::make_unique<DrawingState>();
  ReadExchangeBytes(*bytes, *from);
  return from;
}

// The first three lines of a file, enough for IsFigureFile, or its whole when shorter; nothing
// when it cannot be read.
std::optional<std::string> FileHead(FileSystem& fs, const std::string& path) {
  std::string head;
  const bool read = fs.ReadPieces(path, [&head](std::string_view piece) {
    head.append(piece);
    return std::count(head.begin(), head.end(), '\n') < 3;
  });
  if (!read) return std::nullopt;
  return head;
}

}  // namespace

std::string WriteSvg(const Drawing& drawing) {
  std::string out;
  const View view = ViewOf(drawing);
  Writer(view, out).Document(drawing);
  return out;
}

bool WriteSvg(const Drawing& drawing, const SvgSink& sink) {
  std::string out;
  out.reserve(kSvgChunk + 4096);
  const View view = ViewOf(drawing);  // the writer keeps a reference to it
  Writer writer(view, out, &sink);
  writer.Document(drawing);
  return writer.ok();
}

Drawing ReadDrawing(std::string_view input, const std::string_view* pointsFrom) {
  Drawing drawing;
  const std::unique_ptr<DrawingState> from = PointsFrom(pointsFrom);
  if (from) AddDesignatedPoints(*from, drawing.underlay);
  if (IsFigureFile(input)) {
    AddFigure(input, drawing);
  } else {
    const auto state = StartState(from.get());
    ReadExchangeBytes(input, *state);
    AddExchangeEntities(*state, drawing);
  }
  return drawing;
}

bool StreamSvg(std::string_view input, const std::string_view* pointsFrom, const SvgSink& sink) {
  std::optional<std::string_view> figure;
  if (IsFigureFile(input)) figure = input;
  Passes passes(
      figure,
      [input](DrawingState& state, const Passes::EntityBatch& batch) {
        ReadExchangeBytesInBatches(input, state, batch);
        return true;
      },
      PointsFrom(pointsFrom));
  const std::optional<View> view = passes.Measure();
  assert(view);  // bytes in memory are always read
  return passes.Write(*view, sink);
}

FilePicture::FilePicture(FileSystem& fs, std::string input, const std::string* points)
    : fs_(fs), input_(std::move(input)) {
  if (points) points_ = *points;
}

FilePicture::~FilePicture() = default;

bool FilePicture::Measure(std::string& unreadable) {
  std::unique_ptr<DrawingState> from;
  if (points_) {
    // Only its header and designated points are used: its entities take no memory.
    from = std::make_unique<DrawingState>();
    if (!ReadExchangeFile(fs_, *points_, *from, EntityRecords::kSkip)) {
      unreadable = *points_;
      return false;
    }
  }
  unreadable = input_;
  const std::optional<std::string> head = FileHead(fs_, input_);
  if (!head) return false;
  std::optional<std::string_view> figure;
  if (IsFigureFile(*head)) {
    std::optional<std::string> bytes = fs_.ReadFile(input_);
    if (!bytes) return false;
    figure_ = std::move(*bytes);
    figure = figure_;
  }
  passes_ = std::make_unique<Passes>(
      figure,
      [this](DrawingState& state, const Passes::EntityBatch& batch) {
        const bool read = ReadExchangeFileInBatches(fs_, input_, state, batch);
        lost_ = lost_ || !read;
        return read;
      },
      std::move(from));
  const std::optional<View> view = passes_->Measure();
  if (!view) return false;
  view_ = *view;
  unreadable.clear();
  return true;
}

bool FilePicture::Write(const SvgSink& sink) {
  assert(passes_);
  return passes_->Write(view_, sink);
}

std::string RenderSvg(std::string_view input, const std::string_view* pointsFrom) {
  return WriteSvg(ReadDrawing(input, pointsFrom));
}

}  // namespace gara::svg
