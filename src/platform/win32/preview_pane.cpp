#include "platform/win32/preview_pane.h"

#include "platform/win32/controls.h"
#include "platform/win32/scene_painter.h"

namespace gara {

namespace {

constexpr char kPaneClass[] = "GaranarabePreviewPane";
constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kBorder = RGB(160, 160, 160);
constexpr COLORREF kCaptionColour = RGB(96, 96, 96);
constexpr int kPadding = 10;        // between the border and the picture
constexpr int kCaptionHeight = 14;  // the caption's line at the top left

}  // namespace

PreviewPane::~PreviewPane() {
  if (picture_ != nullptr) {
    SelectObject(picture_, oldBitmap_);
    DeleteDC(picture_);
  }
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

bool PreviewPane::Create(HWND parent, const RECT& place, HFONT font) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterWindowClass(kPaneClass, &PreviewPane::WindowProc, nullptr)) return false;
  font_ = font;
  width_ = place.right - place.left;
  height_ = place.bottom - place.top;
  window_ = CreateWindowExA(0, kPaneClass, "", WS_CHILD | WS_VISIBLE, place.left, place.top, width_,
                            height_, parent, nullptr, instance, this);
  if (window_ == nullptr) return false;
  HDC screen = GetDC(window_);
  picture_ = CreateCompatibleDC(screen);
  bitmap_ = CreateCompatibleBitmap(screen, width_, height_);
  ReleaseDC(window_, screen);
  if (picture_ == nullptr || bitmap_ == nullptr) return false;
  oldBitmap_ = SelectObject(picture_, bitmap_);
  Show({}, "");
  return true;
}

void PreviewPane::Show(const scene::Drawing& drawing, std::string_view caption) {
  if (picture_ == nullptr) return;
  const RECT whole{0, 0, width_, height_};
  HBRUSH background = CreateSolidBrush(kBackground);
  FillRect(picture_, &whole, background);
  DeleteObject(background);
  HBRUSH border = CreateSolidBrush(kBorder);
  FrameRect(picture_, &whole, border);
  DeleteObject(border);

  HGDIOBJ oldFont = SelectObject(picture_, font_);
  SetTextColor(picture_, kCaptionColour);
  SetBkMode(picture_, TRANSPARENT);
  SetTextAlign(picture_, TA_TOP | TA_LEFT | TA_NOUPDATECP);
  TextOutA(picture_, kPadding / 2, kPadding / 2, caption.data(), static_cast<int>(caption.size()));
  SelectObject(picture_, oldFont);

  if (!drawing.shapes.empty() || !drawing.overlay.empty() || !drawing.underlay.empty()) {
    const RECT area{kPadding, kPadding + kCaptionHeight, width_ - kPadding, height_ - kPadding};
    PaintScene(picture_, area, drawing);
  }
  if (window_ != nullptr) InvalidateRect(window_, nullptr, FALSE);
}

LRESULT CALLBACK PreviewPane::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* pane = reinterpret_cast<PreviewPane*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the copy of the picture covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (pane != nullptr && pane->picture_ != nullptr) {
        const RECT& r = paint.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, pane->picture_, r.left, r.top,
               SRCCOPY);
      }
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace gara
