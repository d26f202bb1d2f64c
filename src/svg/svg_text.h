// Texts and numbers as they stand in an SVG document.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gara::svg {

// The Shift-JIS bytes of a Jw_cad text as UTF-8, escaped for XML character data and attribute
// values (& < > " '). Bytes that are no character become U+FFFD; control characters (below
// 0x20 and 0x7F) are dropped, since XML 1.0 does not allow most of them.
void AppendXmlText(std::string& out, std::string_view cp932);
std::string XmlText(std::string_view cp932);

// Plain ASCII (our own labels) escaped for XML; non-ASCII and control bytes are dropped.
void AppendXmlAscii(std::string& out, std::string_view ascii);

// Millimetres with at most four decimals, trailing zeros and a bare point dropped, never "-0".
// The caller keeps values finite and bounded; a non-finite value is written as 0.
void AppendNumber(std::string& out, double v);
std::string NumberString(double v);

// "#rrggbb" of 0xRRGGBB.
void AppendColour(std::string& out, uint32_t rgb);

}  // namespace gara::svg
