// The persisted settings: twelve pattern rows, the selected row, the four drawing-attribute
// switches, the chosen .jws file and the dialog position.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "util/file_system.h"

namespace gara {

inline constexpr int kPatternRows = 12;
inline constexpr int kSettingsLines = 116;

struct PatternRow {
  int32_t figureKind = 0;  // 0 "選択図形" (sel.txt), 1 "JWS 図形" (jws.txt)
  double width = 10.0;
  double height = 10.0;
  int32_t arrangement = 0;  // 0 "間隔指定", 1 "均等配置"
  double interval = 0.0;
  int32_t referencePoint = 1;  // 0 "上", 1 "中", 2 "下"
  int32_t topLine = 0;         // 0 "なし", 1 "間隔", 2 "全長"
  int32_t middleLine = 0;
  int32_t bottomLine = 0;
};

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

// Defaults, then whatever the file holds; never fails.
Settings LoadSettings(FileSystem& fs, const std::string& path);
// As LoadSettings, but nullopt when a file is there and cannot be read (permissions, a read
// error): its patterns must not be taken for defaults and then saved over it.
std::optional<Settings> LoadExistingSettings(FileSystem& fs, const std::string& path);
Settings ParseSettings(std::string_view bytes);
std::string SerializeSettings(const Settings& settings);
// Replaces the file only once the new one is complete; on failure the old file stays.
bool SaveSettings(FileSystem& fs, const std::string& path, const Settings& settings);

}  // namespace gara
