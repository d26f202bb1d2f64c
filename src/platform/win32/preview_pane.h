// The settings dialog's preview pane: a child window that shows the picture of the selected
// pattern row. The picture is painted once into a bitmap whenever it changes; the window only
// copies that bitmap, so repainting never flickers and never waits for anything.
#pragma once

#include <windows.h>

#include <string_view>

#include "scene/drawing.h"

namespace gara {

class PreviewPane {
 public:
  PreviewPane() = default;
  ~PreviewPane();
  PreviewPane(const PreviewPane&) = delete;
  PreviewPane& operator=(const PreviewPane&) = delete;

  // A pane at `place` (client coordinates of `parent`); `font` writes its caption. It takes
  // neither the keyboard nor a place in the tab order.
  bool Create(HWND parent, const RECT& place, HFONT font);
  // Paints `drawing` and the caption (Shift-JIS) into the picture and shows it.
  void Show(const scene::Drawing& drawing, std::string_view caption);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  HFONT font_ = nullptr;  // the dialog's, not ours to delete
  HDC picture_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  int width_ = 0, height_ = 0;
};

}  // namespace gara
