#include "figure/figure_writer.h"

#include <charconv>
#include <cmath>

#include "figure/figure_format.h"
#include "util/text.h"

namespace gara {

void AppendFixedText(std::string& out, int decimals, double value) {
  if (decimals < 0) decimals = 0;
  if (decimals > 40) decimals = 40;
  if (!std::isfinite(value)) value = 0.0;
  // 309 integer digits of the largest double, a sign, a point and the fraction.
  char buffer[320 + 40];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) {
    out.push_back('0');
    return;
  }
  const char* end = result.ptr;
  if (decimals > 0) {
    while (end[-1] == '0') --end;
    if (end[-1] == '.') --end;
  }
  // A value that rounds to zero is written 0, whatever its sign.
  const char* begin = buffer;
  if (end - begin == 2 && begin[0] == '-' && begin[1] == '0') ++begin;
  out.append(begin, static_cast<size_t>(end - begin));
}

void AppendInteger(std::string& out, int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, static_cast<size_t>(result.ptr - buffer));
}

void AppendQuotedText(std::string& out, std::string_view text) {
  out.push_back('"');
  out.append(DoubleQuotes(RemoveControlChars(text)));
  out.push_back('"');
}

}  // namespace gara
