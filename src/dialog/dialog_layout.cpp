#include "dialog/dialog_layout.h"

#include <utility>

namespace gara {

namespace {

constexpr int kGridTop = 16;
constexpr int kRowPitch = 24;
constexpr int kRowHeight = 21;
constexpr int kRadioDrop = 4;  // the radio button sits a little lower than the boxes
constexpr int kRadioHeight = 17;
constexpr int kSizeTextLimit = 8;
constexpr int kCheckBoxHeight = 17;
// The 間隔 field shows all the 8 characters it takes ("12345678" and the caret, inside the
// sunken border and the margins): 20 pixels wider than the size fields, and everything to the
// right of it stands 20 pixels further right.
constexpr int kIntervalWidth = 77;

struct ColumnEntry {
  std::string_view prefix;
  int left;
  int width;
  ControlKind kind;
  std::span<const std::string_view> items;
  bool readOnly;
  bool imeOff;
  int textLimit;
  RowBinding binding;
};

// Column prefixes, positions and bindings; a row's controls differ only in their top.
const std::array<ColumnEntry, kRowColumns> kColumns{{
    {"RadioButton", 8, 25, ControlKind::kRadioButton, {}, false, false, 0, {}},
    {"ComboBoxZ",
     32,
     81,
     ControlKind::kDropDownList,
     kFigureKindItems,
     false,
     true,
     0,
     {&RowView::figureKind, nullptr}},
    {"EditW",
     112,
     57,
     ControlKind::kEdit,
     {},
     true,
     true,
     kSizeTextLimit,
     {nullptr, &RowView::width}},
    {"EditH",
     168,
     57,
     ControlKind::kEdit,
     {},
     true,
     true,
     kSizeTextLimit,
     {nullptr, &RowView::height}},
    {"ComboBoxA",
     224,
     81,
     ControlKind::kDropDownList,
     kArrangementItems,
     false,
     false,
     0,
     {&RowView::arrangement, nullptr}},
    {"EditD",
     304,
     kIntervalWidth,
     ControlKind::kEdit,
     {},
     false,
     true,
     kSizeTextLimit,
     {nullptr, &RowView::interval}},
    {"ComboBoxB",
     380,
     49,
     ControlKind::kDropDownList,
     kReferencePointItems,
     false,
     false,
     0,
     {&RowView::referencePoint, nullptr}},
    {"ComboBoxU",
     428,
     57,
     ControlKind::kDropDownList,
     kLineModeItems,
     false,
     false,
     0,
     {&RowView::topLine, nullptr}},
    {"ComboBoxC",
     484,
     57,
     ControlKind::kDropDownList,
     kLineModeItems,
     false,
     false,
     0,
     {&RowView::middleLine, nullptr}},
    {"ComboBoxD",
     540,
     57,
     ControlKind::kDropDownList,
     kLineModeItems,
     false,
     false,
     0,
     {&RowView::bottomLine, nullptr}},
}};

constexpr std::array<OtherControl, kSwitchCount> kSwitchControls{
    OtherControl::kCheckBox1, OtherControl::kCheckBox2, OtherControl::kCheckBox3,
    OtherControl::kCheckBox4};

constexpr int kFrameLeft = 604;
constexpr int kFrameTop = 160;

ControlLayout Make(std::string name, ControlKind kind, int left, int top, int width, int height,
                   std::string_view caption) {
  ControlLayout c;
  c.name = std::move(name);
  c.kind = kind;
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  c.caption = caption;
  c.tabStop =
      kind != ControlKind::kLabel && kind != ControlKind::kGroupBox && kind != ControlKind::kMemo;
  return c;
}

}  // namespace

RowBinding RowColumnBinding(RowColumn column) { return kColumns[static_cast<int>(column)].binding; }

ControlLayout RowControlLayout(int row, RowColumn column) {
  const ColumnEntry& entry = kColumns[static_cast<int>(column)];
  const int top = kGridTop + kRowPitch * (row - 1);
  const bool radio = entry.kind == ControlKind::kRadioButton;
  ControlLayout c = Make(std::string(entry.prefix) + std::to_string(row), entry.kind, entry.left,
                         radio ? top + kRadioDrop : top, entry.width,
                         radio ? kRadioHeight : kRowHeight, radio ? "　" : "");
  c.items = entry.items;
  c.readOnly = entry.readOnly;
  c.imeOff = entry.imeOff;
  c.textLimit = entry.textLimit;
  // The figure kind is chosen only once the dialog has measured both figures.
  c.enabled = column != RowColumn::kFigureKind;
  return c;
}

ControlLayout OtherControlLayout(OtherControl which) {
  switch (which) {
    case OtherControl::kLabel1:
      return Make("Label1", ControlKind::kLabel, 56, 1, 0, 0,
                  "図形　　　 幅　　 高さ　　 配置　　　間隔　　　基準点　上線　　中線　　下線");
    case OtherControl::kLabelU:
      return Make("LabelU", ControlKind::kLabel, 612, 0, 0, 0, "[]");
    case OtherControl::kLabel2:
      return Make("Label2", ControlKind::kLabel, 8, 304, 0, 0, "JWS図形ファイル選択");
    case OtherControl::kEdit1: {
      ControlLayout c = Make("Edit1", ControlKind::kEdit, 32, 320, 509, kRowHeight, "");
      c.readOnly = true;
      return c;
    }
    case OtherControl::kButton3:
      return Make("Button3", ControlKind::kButton, 540, 320, 57, 25, "参照");
    case OtherControl::kMemo1: {
      ControlLayout c = Make("Memo1", ControlKind::kMemo, 604, 16, 265, 137, "");
      c.readOnly = true;
      return c;
    }
    case OtherControl::kButton1: {
      ControlLayout c = Make("Button1", ControlKind::kButton, 604, 320, 121, 25, "ＯＫ(&Y)");
      c.role = ButtonRole::kDefault;
      return c;
    }
    case OtherControl::kButton2: {
      ControlLayout c = Make("Button2", ControlKind::kButton, 740, 320, 121, 25, "キャンセル(&N)");
      c.role = ButtonRole::kCancel;
      return c;
    }
    case OtherControl::kGroupBox1:
      return Make("GroupBox1", ControlKind::kGroupBox, kFrameLeft, kFrameTop, 265, 153,
                  "作図属性設定");
    case OtherControl::kButton4:
      return Make("Button4", ControlKind::kButton, kFrameLeft + 16, kFrameTop + 72, 233, 25,
                  "◇元レイヤ・元線色・元線種");
    case OtherControl::kCheckBox1:
    case OtherControl::kCheckBox2:
    case OtherControl::kCheckBox3:
    case OtherControl::kCheckBox4: {
      // Button4 stands between the layer switches and the colour and line-type switches.
      constexpr std::array<int, kSwitchCount> kTops{24, 48, 104, 128};
      int i = 0;
      while (kSwitchControls[i] != which) ++i;
      return Make("CheckBox" + std::to_string(i + 1), ControlKind::kCheckBox, kFrameLeft + 16,
                  kFrameTop + kTops[i], 0, kCheckBoxHeight, kSwitchCaptions[i]);
    }
    case OtherControl::kButton5:
      return Make("Button5", ControlKind::kButton, 8, 352, 121, 25, "詳細…");
  }
  return {};
}

namespace {

// The top left corner of the figure's group.
int GroupLeft(size_t figure) {
  return kDetailMargin + static_cast<int>(figure % 2) * (kFigureGroupWidth + kDetailMargin);
}
int GroupTop(size_t figure) {
  return kDetailMargin + static_cast<int>(figure / 2) * (kFigureGroupHeight + kDetailMargin);
}

// The group's controls with the group at (0, 0); the name is completed with the figure's key.
ControlLayout FigureControlInGroup(FigureControl which, std::string_view label) {
  switch (which) {
    case FigureControl::kGroup:
      return Make("Group", ControlKind::kGroupBox, 0, 0, kFigureGroupWidth, kFigureGroupHeight,
                  label);
    case FigureControl::kRadioNone:
      return Make("RadioNone", ControlKind::kRadioButton, 16, 22, 200, kCheckBoxHeight, "なし");
    case FigureControl::kRadioSelection:
      return Make("RadioSelection", ControlKind::kRadioButton, 16, 46, 200, kCheckBoxHeight,
                  "選択図形を取り込む");
    case FigureControl::kRadioJws:
      return Make("RadioJws", ControlKind::kRadioButton, 16, 70, 200, kCheckBoxHeight,
                  "JWS ファイル");
    case FigureControl::kEditJws: {
      ControlLayout c = Make("EditJws", ControlKind::kEdit, 32, 92, 297, kRowHeight, "");
      c.readOnly = true;
      return c;
    }
    case FigureControl::kButtonBrowse:
      return Make("ButtonBrowse", ControlKind::kButton, 332, 90, 57, 25, "参照");
    case FigureControl::kLabelSize:
      return Make("LabelSize", ControlKind::kLabel, 16, 122, 0, 0, "幅 × 高さ");
    case FigureControl::kTextSize:
      return Make("TextSize", ControlKind::kLabel, 104, 122, 284, 16, "");
  }
  return {};
}

}  // namespace

ControlLayout FigureControlLayout(size_t figure, FigureControl which) {
  const FigureDetailKey& key = kFigureDetailKeys[figure];
  ControlLayout c = FigureControlInGroup(which, key.label);
  c.name += "_";
  c.name += key.key;
  c.left += GroupLeft(figure);
  c.top += GroupTop(figure);
  return c;
}

PicturePlace FigurePicturePlace(size_t figure) {
  return {GroupLeft(figure) + 16, GroupTop(figure) + 142, 372, 96};
}

ControlLayout DetailControlLayout(DetailControl which) {
  constexpr int kButtonWidth = 121;
  constexpr int kCancelLeft = kDetailClientWidth - kDetailMargin - kButtonWidth;
  switch (which) {
    case DetailControl::kCheckBend:
      return Make("CheckBend", ControlKind::kCheckBox, 24, kDetailBottomTop + 4, 0, kCheckBoxHeight,
                  "曲線に沿って曲げる");
    case DetailControl::kButtonOk: {
      ControlLayout c = Make("ButtonOk", ControlKind::kButton, kCancelLeft - 2 - kButtonWidth,
                             kDetailBottomTop, kButtonWidth, 25, "ＯＫ(&Y)");
      c.role = ButtonRole::kDefault;
      return c;
    }
    case DetailControl::kButtonCancel: {
      ControlLayout c = Make("ButtonCancel", ControlKind::kButton, kCancelLeft, kDetailBottomTop,
                             kButtonWidth, 25, "キャンセル(&N)");
      c.role = ButtonRole::kCancel;
      return c;
    }
  }
  return {};
}

OtherControl SwitchControl(Switch which) { return kSwitchControls[static_cast<int>(which)]; }

std::vector<ControlLayout> AllControls() {
  std::vector<ControlLayout> all;
  all.reserve(kPatternRows * kRowColumns + kOtherControls);
  for (int row = 1; row <= kPatternRows; ++row) {
    for (int column = 0; column < kRowColumns; ++column) {
      all.push_back(RowControlLayout(row, static_cast<RowColumn>(column)));
    }
  }
  for (int i = 0; i < kOtherControls; ++i) {
    all.push_back(OtherControlLayout(static_cast<OtherControl>(i)));
  }
  return all;
}

}  // namespace gara
