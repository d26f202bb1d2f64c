// Paints a scene (scene::Drawing) with GDI, as the SVG writer draws it: fitted into a rectangle,
// y up, with line widths, dashes and marks sized relative to the picture.
#pragma once

#include <windows.h>

#include "scene/drawing.h"

namespace gara {

// Paints `drawing` into `area` of `dc`, its view (scene::ViewOf) fitted into the rectangle with
// its aspect ratio kept and centred. The background is left as it is.
void PaintScene(HDC dc, const RECT& area, const scene::Drawing& drawing);

}  // namespace gara
