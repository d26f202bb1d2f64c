// The persisted settings: twelve pattern rows, the selected row, the four drawing-attribute
// switches, the chosen .jws file and the dialog position.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "exchange/drawing_state.h"
#include "pattern/pattern_row.h"
#include "pattern/run_context.h"
#include "util/file_system.h"

namespace gara {

inline constexpr int kPatternRows = 12;
inline constexpr int kSettingsLines = 116;

struct Settings {
  int32_t windowLeft = 0;
  int32_t windowTop = 0;
  std::string jwsFile;
  bool useWritingLayerGroup = false;  // CheckBox1
  bool useWritingLayer = false;       // CheckBox2
  bool useWritingColour = false;      // CheckBox3
  bool useWritingLineType = false;    // CheckBox4
  int32_t selectedRow = 1;
  std::array<PatternRow, kPatternRows> rows{};  // rows[0] is row 1

  // Row 1..12, or nullptr outside that range.
  const PatternRow* Row(int32_t number) const {
    return number >= 1 && number <= kPatternRows ? &rows[number - 1] : nullptr;
  }

  // The two layer switches exclude each other: setting one clears the other.
  void SetUseWritingLayerGroup(bool on);
  void SetUseWritingLayer(bool on);
};

// What a drawing run takes: the writing attributes of the drawing, and the switches that put
// them in place of the figure's own.
RunContext MakeRunContext(const DrawingState& state, const Settings& settings);

// Defaults, then whatever the file holds; never fails.
Settings LoadSettings(FileSystem& fs, const std::string& path);
// As LoadSettings, but nullopt when a file is there and cannot be read (permissions, a read
// error): its patterns must not be taken for defaults and then saved over it.
std::optional<Settings> LoadExistingSettings(FileSystem& fs, const std::string& path);
Settings ParseSettings(std::string_view bytes);
std::string SerializeSettings(const Settings& settings);
// Replaces the file only once the new one is complete; on failure the old file stays.
[[nodiscard]] bool SaveSettings(FileSystem& fs, const std::string& path, const Settings& settings);

}  // namespace gara
