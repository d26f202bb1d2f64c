#include "settings/row_details.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <string>

#include "settings/settings.h"
#include "util/cp932.h"

namespace gara {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t";
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsComment(std::string_view line) { return TrimBlanks(line).starts_with(';'); }

// The name of the section a line begins, or none when it begins none.
std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view text = TrimBlanks(line);
  if (text.size() < 2 || text.front() != '[' || text.back() != ']') return std::nullopt;
  return text.substr(1, text.size() - 2);
}

// The key of a "key=value" line, or none for a section header, a comment or a line without "=".
std::optional<std::string_view> KeyOf(std::string_view line) {
  if (SectionName(line) || IsComment(line)) return std::nullopt;
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return TrimBlanks(line.substr(0, equals));
}

std::string_view ValueOf(std::string_view line) {
  return TrimBlanks(line.substr(line.find('=') + 1));
}

std::string RowSectionName(int row) { return std::to_string(row); }

bool IsRow(int row) { return row >= 1 && row <= kPatternRows; }

// A value never spans lines.
std::string WithoutLineBreaks(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    if (c != '\r' && c != '\n') kept += c;
  }
  return kept;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

}  // namespace

RowDetails RowDetails::Parse(std::string_view bytes) {
  RowDetails details;
  details.utf8_ = bytes.starts_with(kUtf8Mark);
  if (details.utf8_) bytes.remove_prefix(kUtf8Mark.size());
  // CR LF, LF or a CR alone end a line; a last line without an end is a line too.
  size_t start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    details.lines_.emplace_back(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) details.lines_.emplace_back(bytes.substr(start));
  return details;
}

std::string RowDetails::Serialize() const {
  std::string out;
  if (utf8_) out = kUtf8Mark;
  for (const std::string& line : lines_) {
    out += line;
    out += "\r\n";
  }
  return out;
}

std::optional<std::string> RowDetails::InFile(std::string_view text) const {
  if (!utf8_) return std::string(text);
  return jws::Cp932ToUtf8Exact(text);
}

std::vector<size_t> RowDetails::KeyLines(int row, std::string_view key) const {
  std::vector<size_t> found;
  if (!IsRow(row)) return found;
  const std::string name = RowSectionName(row);
  bool inRow = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (const auto section = SectionName(lines_[i])) {
      inRow = *section == name;
    } else if (inRow && KeyOf(lines_[i]) == key) {
      found.push_back(i);
    }
  }
  return found;
}

std::optional<std::string> RowDetails::Get(int row, std::string_view key, bool* exact) const {
  const std::optional<std::string> fileKey = InFile(key);
  if (!fileKey) return std::nullopt;
  const std::vector<size_t> found = KeyLines(row, *fileKey);
  if (found.empty()) return std::nullopt;
  const std::string_view value = ValueOf(lines_[found.front()]);
  if (utf8_) return jws::Utf8ToCp932(value, exact);
  return std::string(value);
}

bool RowDetails::Set(int row, std::string_view key, std::string_view value) {
  if (!IsRow(row)) return false;
  if (key.find('\0') != std::string_view::npos || value.find('\0') != std::string_view::npos) {
    return false;
  }
  const std::optional<std::string> cleanKey = InFile(WithoutLineBreaks(key));
  const std::optional<std::string> cleanValue = InFile(WithoutLineBreaks(value));
  if (!cleanKey || !cleanValue) return false;
  std::string line = *cleanKey + "=" + *cleanValue;
  // A key that would not read back as itself (empty, with "=" or blanks at its ends, or making
  // a comment or a section header of the line) is never written.
  if (cleanKey->empty() || KeyOf(line) != std::string_view(*cleanKey)) return false;

  if (const std::vector<size_t> found = KeyLines(row, *cleanKey); !found.empty()) {
    lines_[found.front()] = std::move(line);
    return true;
  }
  const std::string name = RowSectionName(row);
  const auto header = std::find_if(lines_.begin(), lines_.end(), [&](const std::string& l) {
    return SectionName(l) == std::string_view(name);
  });
  if (header == lines_.end()) {
    lines_.push_back("[" + name + "]");
    lines_.push_back(std::move(line));
    return true;
  }
  // After the section's last entry, so that blank lines and comments that part it from the next
  // section stay where they are.
  auto insertAt = std::next(header);
  for (auto it = insertAt; it != lines_.end() && !SectionName(*it); ++it) {
    if (!TrimBlanks(*it).empty() && !IsComment(*it)) insertAt = std::next(it);
  }
  lines_.insert(insertAt, std::move(line));
  return true;
}

void RowDetails::Erase(int row, std::string_view key) {
  const std::optional<std::string> fileKey = InFile(key);
  if (!fileKey) return;
  const std::vector<size_t> found = KeyLines(row, *fileKey);
  for (auto it = found.rbegin(); it != found.rend(); ++it) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*it));
  }
}

LoadedRowDetails LoadRowDetails(FileSystem& fs, const std::string& path) {
  const ExistingFile file = ReadExistingFile(fs, path);
  return {file.bytes ? RowDetails::Parse(*file.bytes) : RowDetails{}, file.unreadable};
}

bool SaveRowDetails(FileSystem& fs, const std::string& path, const RowDetails& details) {
  return ReplaceFile(fs, path, details.Serialize(), OnWriteFailure::kKeepOld);
}

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Names Windows opens as a device in any folder, with any extension: reading CON would wait for
// the keyboard. COM0 and LPT0 are reserved too.
bool IsDeviceName(std::string_view name) {
  std::string stem(name.substr(0, name.find('.')));
  // Windows drops the spaces that end a name: "CON .txt" is CON too.
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  std::transform(stem.begin(), stem.end(), stem.begin(), AsciiUpper);
  static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
  if (std::find(kDevices.begin(), kDevices.end(), stem) != kDevices.end()) return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '0' && stem[3] <= '9';
}

constexpr bool IsShiftJisLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name.find("..") != std::string_view::npos) return false;
  // "/", ":" and control bytes are never the second byte of a character: refused wherever they
  // stand. "\" is (表 is 0x95 0x5C), so the characters are stepped over whole for it.
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '/' || c == ':') return false;
  }
  for (size_t i = 0; i < name.size(); ++i) {
    if (IsShiftJisLeadByte(static_cast<unsigned char>(name[i]))) {
      ++i;
    } else if (name[i] == '\\') {
      return false;
    }
  }
  return !IsDeviceName(name);
}

std::string RowFigureFileName(int row, std::string_view key) {
  assert(IsRow(row));
  std::string name = "row";
  if (row < 10) name += '0';
  name += std::to_string(row);
  name += '_';
  name += key;
  name += ".txt";
  return name;
}

DetailFigure CheckedDetailFigure(const RowDetails& details, int row, std::string_view key,
                                 FileSystem& fs, const std::string& programDir) {
  bool exact = true;  // a name from a UTF-8 file that Shift-JIS cannot spell names no file here
  const std::optional<std::string> value = details.Get(row, key, &exact);
  if (!value || value->empty()) return {};
  if (!exact || !IsPlainFileName(*value) || !fs.IsFile(programDir + *value)) return {{}, *value};
  return {*value, {}};
}

RowExtras CheckedRowExtras(const RowDetails& details, int row, FileSystem& fs,
                           const std::string& programDir, std::vector<RefusedFigure>* refused) {
  RowExtras extras;
  for (const FigureDetailKey& detail : kFigureDetailKeys) {
    DetailFigure figure = CheckedDetailFigure(details, row, detail.key, fs, programDir);
    if (!figure.refused.empty() && refused) refused->push_back({detail.key, figure.refused});
    extras.*detail.file = std::move(figure.file);
  }
  extras.bend = details.Get(row, kBendKey) == "1";
  return extras;
}

std::string_view FigureDetailLabel(std::string_view key) {
  for (const FigureDetailKey& detail : kFigureDetailKeys) {
    if (detail.key == key) return detail.label;
  }
  return key;
}

}  // namespace gara
