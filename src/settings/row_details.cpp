// TEMPORARY: a minimal stand-in so that the settings dialog can be tested before the real row
// details land; dropped when they are merged.
#include "settings/row_details.h"

#include <cstdio>

#include "util/file_system.h"
#include "util/text.h"

namespace gara {

namespace {

std::string Header(int row) { return "[" + std::to_string(row) + "]"; }

// [first, end) of the row's section lines (after its header); first == npos when none.
std::pair<size_t, size_t> Section(const std::vector<std::string>& lines, int row) {
  const std::string header = Header(row);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != header) continue;
    size_t end = i + 1;
    while (end < lines.size() && !(lines[end].size() > 0 && lines[end][0] == '[')) ++end;
    return {i + 1, end};
  }
  return {std::string::npos, std::string::npos};
}

bool IsKey(const std::string& line, std::string_view key) {
  return line.size() > key.size() && line.compare(0, key.size(), key) == 0 &&
         line[key.size()] == '=';
}

}  // namespace

RowDetails RowDetails::Parse(std::string_view bytes) {
  RowDetails d;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t lf = bytes.find('\n', start);
    if (lf == std::string_view::npos) lf = bytes.size();
    std::string_view line = bytes.substr(start, lf - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    d.lines_.emplace_back(line);
    start = lf + 1;
  }
  return d;
}

std::string RowDetails::Serialize() const {
  std::string out;
  for (const std::string& line : lines_) out += line + "\r\n";
  return out;
}

std::optional<std::string> RowDetails::Get(int row, std::string_view key) const {
  const auto [first, end] = Section(lines_, row);
  if (first == std::string::npos) return std::nullopt;
  for (size_t i = first; i < end; ++i) {
    if (IsKey(lines_[i], key)) return lines_[i].substr(key.size() + 1);
  }
  return std::nullopt;
}

void RowDetails::Set(int row, std::string_view key, std::string_view value) {
  const std::string line = std::string(key) + "=" + std::string(value);
  auto [first, end] = Section(lines_, row);
  if (first == std::string::npos) {
    lines_.push_back(Header(row));
    lines_.push_back(line);
    return;
  }
  for (size_t i = first; i < end; ++i) {
    if (IsKey(lines_[i], key)) {
      lines_[i] = line;
      return;
    }
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(end), line);
}

void RowDetails::Erase(int row, std::string_view key) {
  const auto [first, end] = Section(lines_, row);
  if (first == std::string::npos) return;
  for (size_t i = first; i < end; ++i) {
    if (IsKey(lines_[i], key)) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

LoadedRowDetails LoadRowDetails(FileSystem& fs, const std::string& path) {
  if (!fs.IsFile(path)) return {};
  const std::optional<std::string> bytes = fs.ReadFile(path);
  if (!bytes) return {RowDetails{}, true};
  return {RowDetails::Parse(*bytes), false};
}

bool SaveRowDetails(FileSystem& fs, const std::string& path, const RowDetails& details) {
  return ReplaceFile(fs, path, details.Serialize(), OnWriteFailure::kKeepOld);
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name.find("..") != std::string_view::npos) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (IsLeadByte(c)) {
      ++i;
    } else if (c == '\\' || c == '/' || c == ':') {
      return false;
    }
  }
  return true;
}

std::string RowFigureFileName(int row, std::string_view key) {
  char number[8];
  std::snprintf(number, sizeof number, "%02d", row);
  return "row" + std::string(number) + "_" + std::string(key) + ".txt";
}

DetailFigure CheckedDetailFigure(const RowDetails& details, int row, std::string_view key,
                                 FileSystem& fs, const std::string& programDir) {
  const std::optional<std::string> value = details.Get(row, key);
  if (!value || value->empty()) return {};
  if (!IsPlainFileName(*value) || !fs.IsFile(programDir + *value)) return {"", *value};
  return {*value, ""};
}

}  // namespace gara
