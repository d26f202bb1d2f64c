// libFuzzer target: any bytes drawn as a picture, alone and over the designated points of
// another file (the bytes split at the first NUL), in memory and as it is read. Built and run by
// the fuzz preset.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "svg/svg_render.h"

namespace {

// The SVG of `input` must be a whole document whose size follows the input's, whatever it holds.
void Check(std::string_view input, const std::string_view* pointsFrom) {
  const std::string svg = gara::svg::RenderSvg(input, pointsFrom);
  const size_t inputSize = input.size() + (pointsFrom ? pointsFrom->size() : 0);
  if (svg.size() > 4096 + 400 * inputSize) __builtin_trap();
  if (svg.compare(0, 5, "<?xml") != 0) __builtin_trap();
  if (svg.size() < 7 || svg.compare(svg.size() - 7, 7, "</svg>\n") != 0) __builtin_trap();
  // The picture written as the input is read is the same document.
  std::string streamed;
  gara::svg::StreamSvg(input, pointsFrom, [&streamed](std::string_view piece) {
    streamed += piece;
    return true;
  });
  if (streamed != svg) __builtin_trap();
  // No attribute (coordinates, sizes, angles) may carry a number that is not finite; the font
  // name is the file's own text and may hold anything.
  for (size_t at = svg.find("=\""); at != std::string::npos; at = svg.find("=\"", at)) {
    const bool text = std::string_view(svg).substr(0, at).ends_with("font-family");
    at += 2;
    const size_t end = svg.find('"', at);
    const std::string_view value = std::string_view(svg).substr(at, end - at);
    at = end;
    if (text) continue;
    if (value.find("nan") != std::string_view::npos ||
        value.find("inf") != std::string_view::npos) {
      __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const size_t split = bytes.find('\0');
  if (split == std::string_view::npos) {
    Check(bytes, nullptr);
  } else {
    const std::string_view points = bytes.substr(split + 1);
    Check(bytes.substr(0, split), &points);
  }
  return 0;
}
