// The row details file (garanarabe.ini beside garanarabe.dat): per pattern row, what the settings
// file has no room for, as "key=value" lines in sections [1] ... [12]. The settings file stays
// exactly as it is; a missing details file means no details.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/file_system.h"

namespace gara {

// The keys this program reads; others are kept as they are.
inline constexpr std::string_view kAlternateKey = "alternate";  // a figure file name
inline constexpr std::string_view kAlternateSourceKey = "alternate_source";  // its .jws path

// The file's lines as read, so that a save changes only the keys set or erased: unknown keys,
// sections and ";" comments survive. Texts are Shift-JIS bytes, never decoded.
class RowDetails {
 public:
  // Any bytes; CR LF or LF line ends.
  static RowDetails Parse(std::string_view bytes);
  // With CR LF line ends.
  std::string Serialize() const;

  // The value of `key` in the section of row 1..12; none when the row has no such key.
  std::optional<std::string> Get(int row, std::string_view key) const;
  // Sets the key in the row's section, which is added at the end when there is none.
  void Set(int row, std::string_view key, std::string_view value);
  void Erase(int row, std::string_view key);

  bool operator==(const RowDetails&) const = default;

 private:
  std::vector<std::string> lines_;  // without their line ends
};

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
// part (no "\", "/" or ":" outside a two-byte character) and without "..".
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

}  // namespace gara
