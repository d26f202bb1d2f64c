// Splitting a file's bytes into lines: a line ends with LF or CR LF, and a last line without
// a line end is a line too. Lines are views into the bytes; nothing is copied.
#pragma once

#include <string_view>

namespace gara {

class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : rest_(bytes) {}
  // The next line without its line end; false at the end of the bytes.
  bool Next(std::string_view& line) {
    if (rest_.empty()) return false;
    const auto lf = rest_.find('\n');
    if (lf == std::string_view::npos) {
      line = rest_;
      rest_ = {};
    } else {
      line = rest_.substr(0, lf);
      rest_.remove_prefix(lf + 1);
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }

 private:
  std::string_view rest_;
};

}  // namespace gara
