// The row details file (garanarabe.ini beside garanarabe.dat): per pattern row, what the settings
// file has no room for, as "key=value" lines in sections [1] ... [12]. The settings file stays
// exactly as it is; a missing details file means no details.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pattern/pattern_row.h"
#include "util/file_system.h"

namespace gara {

// The keys this program reads; others are kept as they are.
inline constexpr std::string_view kAlternateKey = "alternate";               // a figure file name
inline constexpr std::string_view kAlternateSourceKey = "alternate_source";  // its .jws path
inline constexpr std::string_view kCornerKey = "corner";
inline constexpr std::string_view kCornerSourceKey = "corner_source";
inline constexpr std::string_view kStartKey = "start";
inline constexpr std::string_view kStartSourceKey = "start_source";
inline constexpr std::string_view kEndKey = "end";
inline constexpr std::string_view kEndSourceKey = "end_source";
// "1": the row's figures bend along the curves of a path; any other value: they do not.
inline constexpr std::string_view kBendKey = "bend";

// The details that name a figure file: the key, the key of the .jws path it was made from, the
// name the user knows it by, and where a run takes it.
struct FigureDetailKey {
  std::string_view key;
  std::string_view sourceKey;
  std::string_view label;
  std::string RowExtras::*file;
};
inline constexpr FigureDetailKey kFigureDetailKeys[] = {
    {kAlternateKey, kAlternateSourceKey, "交互図形", &RowExtras::alternate},
    {kCornerKey, kCornerSourceKey, "角図形", &RowExtras::corner},
    {kStartKey, kStartSourceKey, "始端図形", &RowExtras::start},
    {kEndKey, kEndSourceKey, "終端図形", &RowExtras::end},
};
// The label of a figure detail's key; the key itself for another.
std::string_view FigureDetailLabel(std::string_view key);

// The file's lines as read, so that a save changes only the keys set or erased: unknown keys,
// sections and ";" comments survive. The file is Shift-JIS, whose bytes are never decoded, or
// UTF-8 when it begins with a byte order mark (as Windows' Notepad saves it): its lines are kept
// in UTF-8 and only the keys and values asked for are converted. Keys and values given and
// returned are Shift-JIS either way.
class RowDetails {
 public:
  // Any bytes; CR LF, LF or CR line ends. A line "[name]" (blanks around it allowed) begins a
  // section, a line whose first non-blank is ";" is a comment, any other line with "=" is
  // "key=value" (both trimmed of spaces and tabs); whatever else is kept as it stands.
  static RowDetails Parse(std::string_view bytes);
  // With CR LF line ends, the last one too, after the byte order mark of a UTF-8 file; nothing
  // at all for no lines of a Shift-JIS file. A file with CR LF line ends is written back byte
  // for byte.
  std::string Serialize() const;
  // The file began with the UTF-8 byte order mark, and is written back with it.
  bool utf8() const { return utf8_; }

  // The value of `key` in the section of row 1..12 (the first, when the file repeats it); none
  // when the row has no such key or `row` is no row. From a UTF-8 file, a character Shift-JIS
  // lacks (or bytes that are no UTF-8) reads as "?" and clears `exact`, when given: such a
  // value names no file the program can open.
  std::optional<std::string> Get(int row, std::string_view key, bool* exact = nullptr) const;
  // Rewrites the row's first `key` line as "key=value", or adds one after the last entry of the
  // row's section, which is added at the end when there is none; true when it did. CR and LF
  // are dropped from both. Nothing changes for a key or value holding a NUL (dropping it would
  // name another file), one that a UTF-8 file cannot hold exactly, a key that would not read
  // back as itself (empty, holding "=", blanks at its ends, or making a comment or section
  // header of the line), or no row.
  bool Set(int row, std::string_view key, std::string_view value);
  // Removes every `key` line of the row.
  void Erase(int row, std::string_view key);

  bool operator==(const RowDetails&) const = default;

 private:
  // The indices of the row's `key` lines, in every section of the row, in file order; `key` as
  // the file holds it.
  std::vector<size_t> KeyLines(int row, std::string_view key) const;
  // Shift-JIS text as the file holds it; none when a UTF-8 file cannot hold it exactly.
  std::optional<std::string> InFile(std::string_view text) const;

  std::vector<std::string> lines_;  // without their line ends, in the file's encoding
  bool utf8_ = false;
};

// A missing file is no details; one that is there and cannot be read is `unreadable`.
struct LoadedRowDetails {
  RowDetails details;
  // The file is there and cannot be read: it must be left as it is, never saved over.
  bool unreadable = false;
};
LoadedRowDetails LoadRowDetails(FileSystem& fs, const std::string& path);
// Replaced as the settings file is: only once the new file is complete; on failure the old one
// stays.
[[nodiscard]] bool SaveRowDetails(FileSystem& fs, const std::string& path,
                                  const RowDetails& details);

// A file name a detail may name: a plain name of a file in the program folder, without a folder
// part (no "\", "/" or ":" outside a two-byte character), without ".." or control bytes, and not
// a Windows device (CON, NUL, COM1, ... with any extension), whose reading would never end.
bool IsPlainFileName(std::string_view name);

// The figure file the settings dialog makes for a row's detail, e.g. "row03_alternate.txt".
std::string RowFigureFileName(int row, std::string_view key);

// A figure file named by a row's detail, checked before a run follows it.
struct DetailFigure {
  std::string file;     // the file name to use; empty for none
  std::string refused;  // the value as it stands when it was refused (not plain, or not there)
};
DetailFigure CheckedDetailFigure(const RowDetails& details, int row, std::string_view key,
                                 FileSystem& fs, const std::string& programDir);

// What the details of row `row` add to its drawing, every figure checked; `refused` receives the
// key of each one refused, with its value.
struct RefusedFigure {
  std::string_view key;
  std::string value;
};
RowExtras CheckedRowExtras(const RowDetails& details, int row, FileSystem& fs,
                           const std::string& programDir,
                           std::vector<RefusedFigure>* refused = nullptr);

}  // namespace gara
