// Splitting a file's bytes into lines: a line ends with LF or CR LF, and a last line without
// a line end is a line too. Lines are views into the bytes; nothing is copied.
#pragma once

#include <string>
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

// The same lines from a file read in pieces (FileSystem::ReadPieces): a line that runs on into
// the next piece waits in a carry, so that only the line being read is ever held beside the
// piece.
class PieceLines {
 public:
  // Hands each line that `piece` completes to `onLine` (a function of the line returning false
  // to stop); false once it has stopped.
  template <typename OnLine>
  bool Add(std::string_view piece, OnLine&& onLine) {
    if (!carry_.empty()) {
      const auto lf = piece.find('\n');
      if (lf == std::string_view::npos) {
        carry_.append(piece);
        return true;
      }
      carry_.append(piece.substr(0, lf));
      piece.remove_prefix(lf + 1);
      const bool more = onLine(Trimmed(carry_));
      carry_.clear();
      if (!more) return false;
    }
    const auto last = piece.rfind('\n');
    LineReader lines(piece.substr(0, last == std::string_view::npos ? 0 : last + 1));
    std::string_view line;
    while (lines.Next(line)) {
      if (!onLine(line)) return false;
    }
    carry_.assign(last == std::string_view::npos ? piece : piece.substr(last + 1));
    return true;
  }
  // At the end of the file: the last line, which needs no line end.
  template <typename OnLine>
  void End(OnLine&& onLine) {
    if (!carry_.empty()) onLine(Trimmed(carry_));
    carry_.clear();
  }

 private:
  static std::string_view Trimmed(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

  std::string carry_;
};

}  // namespace gara
