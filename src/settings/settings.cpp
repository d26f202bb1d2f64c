#include "settings/settings.h"

#include <charconv>
#include <string_view>

#include "util/lines.h"
#include "util/number_text.h"
#include "util/text.h"

namespace gara {

void Settings::SetUseWritingLayerGroup(bool on) {
  useWritingLayerGroup = on;
  if (on) useWritingLayer = false;
}

void Settings::SetUseWritingLayer(bool on) {
  useWritingLayer = on;
  if (on) useWritingLayerGroup = false;
}

namespace {

// Hands out the lines of the file in order; past its end every line is empty, so a file that
// stops early sets the remaining fields to 0, 0.0, false and the empty text.
class SettingsLines {
 public:
  explicit SettingsLines(std::string_view bytes) : reader_(bytes) {}
  std::string_view Next() {
    std::string_view line;
    return reader_.Next(line) ? line : std::string_view{};
  }
  int32_t Int() { return TextToInt(Next()); }
  double Real() { return TextToReal(Next()); }
  bool Bool() { return TextToBool(Next()); }

 private:
  LineReader reader_;
};

void AppendInt(std::string& out, int32_t value) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
  out += "\r\n";
}

void AppendReal(std::string& out, double value) {
  AppendNumberText(out, value);
  out += "\r\n";
}

void AppendBool(std::string& out, bool value) {
  out += BoolToText(value);
  out += "\r\n";
}

}  // namespace

Settings ParseSettings(std::string_view bytes) {
  Settings s;
  SettingsLines in(bytes);
  s.windowLeft = in.Int();
  s.windowTop = in.Int();
  s.jwsFile = std::string(in.Next());
  // The layer switches go through their setters, as the dialog's check boxes do while loading:
  // a file with both on ends with only the layer switch set.
  s.SetUseWritingLayerGroup(in.Bool());
  s.SetUseWritingLayer(in.Bool());
  s.useWritingColour = in.Bool();
  s.useWritingLineType = in.Bool();
  s.selectedRow = in.Int();
  for (PatternRow& row : s.rows) {
    row.figureKind = in.Int();
    row.width = in.Real();
    row.height = in.Real();
    row.arrangement = in.Int();
    row.interval = in.Real();
    row.referencePoint = in.Int();
    row.topLine = in.Int();
    row.middleLine = in.Int();
    row.bottomLine = in.Int();
  }
  return s;
}

Settings LoadSettings(FileSystem& fs, const std::string& path) {
  const auto bytes = fs.ReadFile(path);
  return bytes ? ParseSettings(*bytes) : Settings{};
}

RunContext MakeRunContext(const DrawingState& state, const Settings& settings) {
  RunContext run;
  run.writing = state.writing;
  run.useWritingLayerGroup = settings.useWritingLayerGroup;
  run.useWritingLayer = settings.useWritingLayer;
  run.useWritingColour = settings.useWritingColour;
  run.useWritingLineType = settings.useWritingLineType;
  return run;
}

std::optional<Settings> LoadExistingSettings(FileSystem& fs, const std::string& path) {
  const ExistingFile file = ReadExistingFile(fs, path);
  if (file.unreadable) return std::nullopt;
  return file.bytes ? ParseSettings(*file.bytes) : Settings{};
}

std::string SerializeSettings(const Settings& s) {
  std::string out;
  out.reserve(2048 + s.jwsFile.size());
  AppendInt(out, s.windowLeft);
  AppendInt(out, s.windowTop);
  // A line end inside the path would shift every later line; no real path holds one.
  for (char c : s.jwsFile) {
    if (c != '\r' && c != '\n') out += c;
  }
  out += "\r\n";
  AppendBool(out, s.useWritingLayerGroup);
  AppendBool(out, s.useWritingLayer);
  AppendBool(out, s.useWritingColour);
  AppendBool(out, s.useWritingLineType);
  AppendInt(out, s.selectedRow);
  for (const PatternRow& row : s.rows) {
    AppendInt(out, row.figureKind);
    AppendReal(out, row.width);
    AppendReal(out, row.height);
    AppendInt(out, row.arrangement);
    AppendReal(out, row.interval);
    AppendInt(out, row.referencePoint);
    AppendInt(out, row.topLine);
    AppendInt(out, row.middleLine);
    AppendInt(out, row.bottomLine);
  }
  return out;
}

bool SaveSettings(FileSystem& fs, const std::string& path, const Settings& settings) {
  // The user's twelve patterns survive a failed save: the old file is replaced only by a
  // complete new one.
  return ReplaceFile(fs, path, SerializeSettings(settings), OnWriteFailure::kKeepOld);
}

}  // namespace gara
