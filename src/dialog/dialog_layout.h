// Where the settings dialog's controls stand, what they say and in which order the Tab key
// visits them: plain data, so the window code only translates kinds into its own styles.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog_model.h"

namespace gara {

inline constexpr std::string_view kFormCaption = "柄並べ９　設定";
inline constexpr int kClientWidth = 877;
// The preview of the selected row stands below every other control, across the whole form.
inline constexpr int kPreviewLeft = 8;
inline constexpr int kPreviewTop = 384;
inline constexpr int kPreviewWidth = kClientWidth - 2 * kPreviewLeft;
inline constexpr int kPreviewHeight = 296;
inline constexpr int kClientHeight = kPreviewTop + kPreviewHeight + kPreviewLeft;
// The place in the resource, replaced at show by the stored window position.
inline constexpr int kResourceLeft = 193;
inline constexpr int kResourceTop = 125;
inline constexpr std::string_view kFontName = "ＭＳ ゴシック";
inline constexpr int kFontHeight = 13;  // pixels, character height
// The help memo's background: red 187, green 235, blue 244 (the colour value 16051131).
inline constexpr uint8_t kMemoRed = 187, kMemoGreen = 235, kMemoBlue = 244;

enum class ControlKind {
  kRadioButton,
  kDropDownList,
  kEdit,
  kMemo,
  kLabel,
  kButton,
  kCheckBox,
  kGroupBox,
};

enum class ButtonRole { kNone, kDefault, kCancel };

struct ControlLayout {
  std::string name;  // "RadioButton3", "Edit1", ...
  ControlKind kind = ControlKind::kLabel;
  int left = 0;  // client coordinates of the form
  int top = 0;
  int width = 0;  // 0: as wide as the caption (labels, check boxes)
  int height = 0;
  std::string_view caption;
  std::span<const std::string_view> items;  // drop-down lists
  bool readOnly = false;
  bool tabStop = false;
  bool enabled = true;  // as created, before the dialog is filled
  bool imeOff = false;
  int textLimit = 0;  // typed characters, 0 for no limit
  ButtonRole role = ButtonRole::kNone;
};

// The ten columns of a pattern row, in tab order.
enum class RowColumn {
  kRadio = 0,
  kFigureKind,
  kWidth,
  kHeight,
  kArrangement,
  kInterval,
  kReferencePoint,
  kTopLine,
  kMiddleLine,
  kBottomLine,
};
inline constexpr int kRowColumns = 10;

// Which value of a RowView a row control shows: a list selection, a text or (the radio
// button) neither.
struct RowBinding {
  int32_t RowView::*selection = nullptr;
  std::string RowView::*text = nullptr;
};

RowBinding RowColumnBinding(RowColumn column);
// Row 1..12, column: its name is the column prefix followed by the row number.
ControlLayout RowControlLayout(int row, RowColumn column);

// The controls outside the grid, in creation order: tab order for those that are tab stops,
// the check boxes and Button4 after the frame that holds them.
enum class OtherControl {
  kLabel1 = 0,
  kLabelU,
  kLabel2,
  kEdit1,
  kButton3,
  kMemo1,
  kButton1,
  kButton2,
  kGroupBox1,
  kCheckBox1,
  kCheckBox2,
  kButton4,
  kCheckBox3,
  kCheckBox4,
  kButton5,  // 詳細…: the sub-dialog of the selected row
};
inline constexpr int kOtherControls = 15;

ControlLayout OtherControlLayout(OtherControl which);
// CheckBox1..CheckBox4 for the switches 0..3.
OtherControl SwitchControl(Switch which);

// Every control, grid first: the order of creation.
std::vector<ControlLayout> AllControls();

// One figure detail's group in the 詳細 sub-dialog, in creation (and tab) order.
enum class FigureControl {
  kGroup = 0,
  kRadioNone,
  kRadioSelection,
  kRadioJws,
  kEditJws,
  kButtonBrowse,
  kLabelSize,
  kTextSize,  // the figure's width × height
};
inline constexpr int kFigureControls = 8;
// The radio button of each FigureSource, in its order.
inline constexpr std::array<FigureControl, 3> kFigureRadios{
    FigureControl::kRadioNone, FigureControl::kRadioSelection, FigureControl::kRadioJws};

// The sub-dialog's controls below the groups, created after every group's.
enum class DetailControl { kCheckBend = 0, kButtonOk, kButtonCancel };
inline constexpr int kDetailControls = 3;

// The groups stand in a 2 × 2 grid, in kFigureDetailKeys order line by line.
inline constexpr int kFigureGroupWidth = 404;
inline constexpr int kFigureGroupHeight = 246;
inline constexpr int kDetailMargin = 8;
inline constexpr int kDetailClientWidth = 3 * kDetailMargin + 2 * kFigureGroupWidth;
inline constexpr int kDetailBottomTop = 3 * kDetailMargin + 2 * kFigureGroupHeight + 2;
inline constexpr int kDetailClientHeight = kDetailBottomTop + 25 + kDetailMargin + 1;

// The control `which` of figure kFigureDetailKeys[figure]'s group.
ControlLayout FigureControlLayout(size_t figure, FigureControl which);
ControlLayout DetailControlLayout(DetailControl which);
// The picture of figure kFigureDetailKeys[figure], inside its group below its size.
struct PicturePlace {
  int left, top, width, height;
};
PicturePlace FigurePicturePlace(size_t figure);

}  // namespace gara
