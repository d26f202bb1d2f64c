// The dialog's preview painter: scenes painted into a bitmap, checked pixel by pixel for the
// things a wrong transform or a wrong GDI call would spoil.
#ifdef _WIN32
#include "platform/win32/scene_painter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "geom/geometry.h"

namespace gara {
namespace {

using scene::Shape;

constexpr uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x008000;

// A white 32-bit bitmap of its own, painted through a memory DC.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
    const RECT all{0, 0, width, height};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  void Paint(const scene::Drawing& drawing) {
    PaintScene(dc_, {0, 0, width_, height_}, drawing);
    GdiFlush();
  }
  uint32_t At(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFF; }
  std::vector<POINT> PixelsOf(uint32_t rgb) const {
    std::vector<POINT> found;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (At(x, y) == rgb) found.push_back({x, y});
      }
    }
    return found;
  }

 private:
  int width_, height_;
  HBITMAP bitmap_ = nullptr;
  const uint32_t* bits_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

struct Bounds {
  LONG left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};
Bounds BoundsOf(const std::vector<POINT>& points) {
  Bounds b;
  for (const POINT& p : points) {
    b.left = std::min(b.left, p.x);
    b.right = std::max(b.right, p.x);
    b.top = std::min(b.top, p.y);
    b.bottom = std::max(b.bottom, p.y);
  }
  return b;
}

Shape Line(double x1, double y1, double x2, double y2, uint32_t rgb, int32_t lineType = 1) {
  Shape s{{}, scene::LineShape{{x1, y1}, {x2, y2}}};
  s.style.rgb = rgb;
  s.style.lineType = lineType;
  return s;
}

TEST(ScenePainter, YIsUpAndTheSceneFillsTheMiddle) {
  scene::Drawing drawing;
  drawing.shapes = {Line(0, 10, 100, 10, kRed), Line(0, 0, 100, 0, kBlue)};
  Canvas canvas(200, 100);
  canvas.Paint(drawing);
  const Bounds red = BoundsOf(canvas.PixelsOf(kRed)), blue = BoundsOf(canvas.PixelsOf(kBlue));
  ASSERT_GE(red.right, 0);
  ASSERT_GE(blue.right, 0);
  EXPECT_LT(red.bottom, blue.top);  // the higher line is higher on the screen
  // The width decides the scale here: the lines span most of it, centred.
  EXPECT_GT(red.right - red.left, 150);
  EXPECT_NEAR((red.left + red.right) / 2.0, 100, 2);
  EXPECT_NEAR((red.top + blue.bottom) / 2.0, 50, 2);
}

TEST(ScenePainter, SolidsAreFilledAndKeepTheAspectRatio) {
  Shape square{{}, scene::PolygonShape{{{{0, 0}, {10, 0}, {10, 10}, {0, 10}}}, 4}};
  square.style.rgb = kGreen;
  scene::Drawing drawing;
  drawing.shapes = {square};
  Canvas canvas(200, 100);
  canvas.Paint(drawing);
  const Bounds b = BoundsOf(canvas.PixelsOf(kGreen));
  ASSERT_GE(b.right, 0);
  EXPECT_NEAR(b.right - b.left, b.bottom - b.top, 2);
  EXPECT_GT(b.bottom - b.top, 80);
  EXPECT_EQ(canvas.At(100, 50), kGreen);
}

TEST(ScenePainter, LineTypesDrawDashesAndSolidLinesNone) {
  struct Case {
    int32_t lineType;
    bool gaps;
  };
  for (const Case c : {Case{1, false}, Case{2, true}, Case{4, true}, Case{9, true}}) {
    SCOPED_TRACE(c.lineType);
    scene::Drawing drawing;
    drawing.shapes = {Line(0, 0, 100, 0, kBlue, c.lineType), Line(0, 5, 100, 5, kRed)};
    Canvas canvas(300, 100);
    canvas.Paint(drawing);
    const Bounds red = BoundsOf(canvas.PixelsOf(kRed));
    const std::vector<POINT> blue = canvas.PixelsOf(kBlue);
    ASSERT_FALSE(blue.empty());
    const LONG row = blue.front().y;
    int white = 0;
    for (LONG x = red.left + 1; x < red.right; ++x) white += canvas.At(x, row) == kWhite;
    EXPECT_EQ(white > 0, c.gaps) << white;
  }
}

TEST(ScenePainter, CurvesRunRoundTheirCentre) {
  Shape circle{{}, scene::CurveShape{{0, 0, 10, 10, 0, 0, 2 * kPi}}};
  circle.style.rgb = kBlue;
  // A quarter arc of a flat ellipse, tilted by 90 degrees: from the top down to the left.
  Shape arc{{}, scene::CurveShape{{0, 0, 8, 4, kPi / 2, 0, kPi / 2}}};
  arc.style.rgb = kRed;
  scene::Drawing drawing;
  drawing.shapes = {circle, arc};
  Canvas canvas(100, 100);
  canvas.Paint(drawing);
  const Bounds b = BoundsOf(canvas.PixelsOf(kBlue));
  EXPECT_NEAR(b.right - b.left, b.bottom - b.top, 2);
  EXPECT_NEAR((b.left + b.right) / 2.0, 50, 1.5);
  EXPECT_EQ(canvas.At(50, 50), kWhite);
  const Bounds r = BoundsOf(canvas.PixelsOf(kRed));
  ASSERT_GE(r.right, 0);
  EXPECT_LE(r.right, 51);   // the left half
  EXPECT_LE(r.bottom, 51);  // the upper half
  EXPECT_LT(r.top, 25);     // reaches 8 up, along the tilted axis
}

TEST(ScenePainter, TextsAndDesignatedPointsShow) {
  scene::TextShape box;
  box.length = 20;
  box.height = box.across = 5;
  Shape text{{}, box, "柄AB"};
  text.style.rgb = kGreen;
  Shape point{{}, scene::DesignatedPointShape{{0, -5}, 1}, "1"};
  point.style.rgb = kRed;
  scene::Drawing drawing;
  drawing.shapes = {text};
  drawing.overlay = {point};
  Canvas canvas(200, 100);
  canvas.Paint(drawing);
  const Bounds t = BoundsOf(canvas.PixelsOf(kGreen)), p = BoundsOf(canvas.PixelsOf(kRed));
  ASSERT_GE(t.right, 0);
  ASSERT_GE(p.right, 0);
  EXPECT_GT(t.right - t.left, 40);  // the run's length, not a blot
  EXPECT_LT(t.bottom, p.top + 8);   // above the point (its label may reach up a little)
}

}  // namespace
}  // namespace gara
#endif
