// Pictures of the program's files: an exchange file (JWC_TEMP.TXT, as Jw_cad writes it or as
// the program writes it back) or a figure file (sel.txt, jws.txt) drawn as an SVG document.
//
// The SVG is in drawing millimetres with y upwards: every y is written negated and the viewBox
// spans the drawing's box plus a margin, so the picture is upright in any viewer. Line widths,
// dash patterns and the marks of points are sized relative to the picture (a unit of 1/600 of its
// larger side), so that a drawing of real size stays readable; texts keep their sizes.
// The output depends on the input bytes only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "scene/drawing.h"
#include "scene/view.h"
#include "util/file_system.h"

namespace gara::svg {

// The scene the picture is written from.
using scene::AddDesignatedPoints;
using scene::AddEntityShapes;
using scene::AddExchangeEntities;
using scene::AddFigure;
using scene::ColourOf;
using scene::Drawing;
using scene::EllipseAt;
using scene::IsFigureFile;
using scene::kMaxCoordinate;
using scene::Shape;
using scene::ShapeKind;
using scene::ShapeSink;
using scene::SolidForm;
using scene::Style;

using scene::Bounds;
using scene::DashPattern;
using scene::kMarkStrokeUnits;
using scene::kSolidStrokeUnits;
using scene::StrokeWidth;
using scene::View;
using scene::ViewOf;

std::string WriteSvg(const Drawing& drawing);
// The same document handed to `sink` in pieces of about kSvgChunk bytes, so that a large
// picture is never held whole; false when the sink failed (it is not called again).
inline constexpr size_t kSvgChunk = 1 << 20;
using SvgSink = std::function<bool(std::string_view)>;
bool WriteSvg(const Drawing& drawing, const SvgSink& sink);

// `input` is told apart by its content (IsFigureFile). `pointsFrom`, when given, is an exchange
// file whose designated points are drawn under the picture; its text sizes and layer-group
// scales (hcw, hch, hcd, hcc, hs, bz) also apply to an exchange-file `input`, as when Jw_cad
// reads a result back into the drawing it came from, unless `input` sets its own.
Drawing ReadDrawing(std::string_view input, const std::string_view* pointsFrom = nullptr);
std::string RenderSvg(std::string_view input, const std::string_view* pointsFrom = nullptr);
// The document of RenderSvg handed to `sink` as WriteSvg hands it, with memory that does not grow
// with the picture: `input` is read once to measure the picture and again to write it, a batch of
// its entities at a time. False when the sink failed.
bool StreamSvg(std::string_view input, const std::string_view* pointsFrom, const SvgSink& sink);

class Passes;

// The document of StreamSvg from files on disk: an exchange-file `input` is read from the disk
// in batches, once to measure the picture and again to write it, so that memory stays bounded
// whatever its size; a figure file (small) is read whole. `points` is the file of --points.
class FilePicture {
 public:
  FilePicture(FileSystem& fs, std::string input, const std::string* points);
  ~FilePicture();
  FilePicture(const FilePicture&) = delete;
  FilePicture& operator=(const FilePicture&) = delete;

  // The first pass; false when a file cannot be read, which `unreadable` then names.
  bool Measure(std::string& unreadable);
  // The document, after Measure succeeded; false when the sink failed or the input could not
  // be read again (inputLost).
  bool Write(const SvgSink& sink);
  bool inputLost() const { return lost_; }

 private:
  FileSystem& fs_;
  std::string input_;
  std::optional<std::string> points_;
  std::string figure_;  // a figure-file input
  std::unique_ptr<Passes> passes_;
  View view_;
  bool lost_ = false;
};

}  // namespace gara::svg
