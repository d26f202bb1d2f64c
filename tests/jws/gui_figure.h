// The .jws figure of the dialog's GUI test (tests/data/jws/gui_figure.jws): a 34.5 x 9.25 frame
// with a circle and a label inside, at 1:1, in the Unicode form of current Jw_cad. The corpus
// test checks that the committed file is exactly what this writes.
#pragma once

#include <string>

#include "jws/archive_writer.h"

namespace gara::testing {

inline std::string GuiFigureJws() {
  ArchiveWriter w(700);
  w.FigureHeader(Scales());
  const double left = 1, bottom = 2, right = 35.5, top = 11.25;
  const jws::Common c = MakeCommon(0, 1, 2, 1);
  w.Count(6);
  w.Add(jws::Line{c, left, bottom, right, bottom});
  w.Add(jws::Line{c, right, bottom, right, top});
  w.Add(jws::Line{c, right, top, left, top});
  w.Add(jws::Line{c, left, top, left, bottom});
  w.Add(jws::Arc{c, 6, 6.5, 3, 0, 6.283185307179586, 0, 1, 1});
  w.Add(jws::Text{MakeCommon(0, 1, 3, 1), 12, 4, 22, 4, 0, 2.5, 2.5, 0, 0, {}, {}},
        u"ＭＳ ゴシック", u"柄並べ");
  w.Count(0);
  return w.bytes;
}

}  // namespace gara::testing
