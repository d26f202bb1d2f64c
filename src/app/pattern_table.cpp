#include "app/pattern_table.h"

#include <span>

#include "util/number_text.h"
#include "util/text.h"

namespace gara {
namespace {

// Shift-JIS two-byte characters are full-width, so padding by bytes lines the columns up.
constexpr size_t kWidths[] = {4, 10, 10, 10, 10, 10, 8, 6, 6, 6};

void AppendRow(std::string& out, std::span<const std::string_view> cells) {
  for (size_t i = 0; i < cells.size(); ++i) {
    out += cells[i];
    if (i + 1 < cells.size())
      out.append(cells[i].size() < kWidths[i] ? kWidths[i] - cells[i].size() : 1, ' ');
  }
  out += '\n';
}

std::string ItemText(std::span<const std::string_view> items, int32_t value) {
  if (value >= 0 && static_cast<size_t>(value) < items.size()) return std::string(items[value]);
  std::string text = "(";
  text += std::to_string(value);
  text += ')';
  return text;
}

// The row number, after a "*" when the row is the one used for drawing.
std::string RowLabel(int32_t number, bool selected) {
  std::string label(1, selected ? '*' : ' ');
  label += std::to_string(number);
  return label;
}

}  // namespace

std::string PatternTable(const Settings& settings, std::string_view settingsPath, bool paperScale) {
  std::string out;
  out += "Settings file: ";
  out += settingsPath;
  out += "\nJWS figure file: ";
  // Control bytes of a damaged file must not reach the terminal.
  out += settings.jwsFile.empty() ? std::string("(none)") : RemoveControlChars(settings.jwsFile);
  out += '\n';
  const bool switches[] = {settings.useWritingLayerGroup, settings.useWritingLayer,
                           settings.useWritingColour, settings.useWritingLineType};
  for (size_t i = 0; i < kSwitchCaptions.size(); ++i) {
    out += switches[i] ? "[x] " : "[ ] ";
    out += kSwitchCaptions[i];
    out += '\n';
  }
  out += "Selected row: ";
  out += std::to_string(settings.selectedRow);
  out += "   Lengths: ";
  out += paperScale ? kUnitPaper : kUnitReal;
  out += "\n\n";

  constexpr std::string_view kHeads[] = {"No",   "図形",   "幅",   "高さ", "配置",
                                         "間隔", "基準点", "上線", "中線", "下線"};
  AppendRow(out, kHeads);
  for (int32_t number = 1; number <= kPatternRows; ++number) {
    const PatternRow& row = *settings.Row(number);
    const std::string cells[] = {RowLabel(number, number == settings.selectedRow),
                                 ItemText(kFigureKindItems, row.figureKind),
                                 NumberText(row.width),
                                 NumberText(row.height),
                                 ItemText(kArrangementItems, row.arrangement),
                                 NumberText(row.interval),
                                 ItemText(kReferencePointItems, row.referencePoint),
                                 ItemText(kLineModeItems, row.topLine),
                                 ItemText(kLineModeItems, row.middleLine),
                                 ItemText(kLineModeItems, row.bottomLine)};
    std::string_view views[std::size(cells)];
    for (size_t i = 0; i < std::size(cells); ++i) views[i] = cells[i];
    AppendRow(out, views);
  }
  return out;
}

}  // namespace gara
