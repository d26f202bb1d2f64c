// The settings dialog's layout: the row grid, the captions, the item lists and the Tab order.
#include "dialog/dialog_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace gara {
namespace {

TEST(DialogLayout, RowControlsStandOnTheirRowsAndColumns) {
  struct Case {
    RowColumn column;
    std::string prefix;
    int left, width;
  } cases[] = {
      {RowColumn::kRadio, "RadioButton", 8, 25},
      {RowColumn::kFigureKind, "ComboBoxZ", 32, 81},
      {RowColumn::kWidth, "EditW", 112, 57},
      {RowColumn::kHeight, "EditH", 168, 57},
      {RowColumn::kArrangement, "ComboBoxA", 224, 81},
      {RowColumn::kInterval, "EditD", 304, 77},
      {RowColumn::kReferencePoint, "ComboBoxB", 380, 49},
      {RowColumn::kTopLine, "ComboBoxU", 428, 57},
      {RowColumn::kMiddleLine, "ComboBoxC", 484, 57},
      {RowColumn::kBottomLine, "ComboBoxD", 540, 57},
  };
  for (int row : {1, 2, 7, 12}) {
    for (const Case& c : cases) {
      const ControlLayout control = RowControlLayout(row, c.column);
      SCOPED_TRACE(control.name);
      EXPECT_EQ(control.name, c.prefix + std::to_string(row));
      EXPECT_EQ(control.left, c.left);
      EXPECT_EQ(control.width, c.width);
      const bool radio = c.column == RowColumn::kRadio;
      EXPECT_EQ(control.top, 16 + 24 * (row - 1) + (radio ? 4 : 0));
      EXPECT_EQ(control.height, radio ? 17 : 21);
      EXPECT_TRUE(control.tabStop);
    }
  }
}

TEST(DialogLayout, RowControlKindsAndProperties) {
  const ControlLayout radio = RowControlLayout(3, RowColumn::kRadio);
  EXPECT_EQ(radio.kind, ControlKind::kRadioButton);
  EXPECT_EQ(radio.caption, "　");

  const ControlLayout kind = RowControlLayout(3, RowColumn::kFigureKind);
  EXPECT_EQ(kind.kind, ControlKind::kDropDownList);
  EXPECT_FALSE(kind.enabled);  // until the dialog is filled
  EXPECT_TRUE(kind.imeOff);
  ASSERT_EQ(kind.items.size(), 2u);
  EXPECT_EQ(kind.items[0], "選択図形");
  EXPECT_EQ(kind.items[1], "JWS 図形");

  for (RowColumn column : {RowColumn::kWidth, RowColumn::kHeight, RowColumn::kInterval}) {
    const ControlLayout edit = RowControlLayout(3, column);
    SCOPED_TRACE(edit.name);
    EXPECT_EQ(edit.kind, ControlKind::kEdit);
    EXPECT_EQ(edit.textLimit, 8);
    EXPECT_TRUE(edit.imeOff);
    EXPECT_EQ(edit.readOnly, column != RowColumn::kInterval);
    EXPECT_TRUE(edit.enabled);
  }

  struct ListCase {
    RowColumn column;
    std::vector<std::string_view> items;
  } lists[] = {
      {RowColumn::kArrangement, {"間隔指定", "均等配置", "伸縮配置"}},
      {RowColumn::kReferencePoint, {"上", "中", "下"}},
      {RowColumn::kTopLine, {"なし", "間隔", "全長"}},
      {RowColumn::kMiddleLine, {"なし", "間隔", "全長"}},
      {RowColumn::kBottomLine, {"なし", "間隔", "全長"}},
  };
  for (const ListCase& c : lists) {
    const ControlLayout list = RowControlLayout(3, c.column);
    SCOPED_TRACE(list.name);
    EXPECT_EQ(list.kind, ControlKind::kDropDownList);
    EXPECT_TRUE(list.enabled);
    EXPECT_EQ(std::vector<std::string_view>(list.items.begin(), list.items.end()), c.items);
  }
}

TEST(DialogLayout, RowColumnsBindTheirRowValues) {
  RowView view;
  view.figureKind = 1;
  view.width = "w";
  view.height = "h";
  view.arrangement = 2;
  view.interval = "d";
  view.referencePoint = 3;
  view.topLine = 4;
  view.middleLine = 5;
  view.bottomLine = 6;
  struct Case {
    RowColumn column;
    int32_t selection;
    std::string text;
  } cases[] = {
      {RowColumn::kFigureKind, 1, ""}, {RowColumn::kWidth, -1, "w"},
      {RowColumn::kHeight, -1, "h"},   {RowColumn::kArrangement, 2, ""},
      {RowColumn::kInterval, -1, "d"}, {RowColumn::kReferencePoint, 3, ""},
      {RowColumn::kTopLine, 4, ""},    {RowColumn::kMiddleLine, 5, ""},
      {RowColumn::kBottomLine, 6, ""},
  };
  for (const Case& c : cases) {
    const RowBinding binding = RowColumnBinding(c.column);
    SCOPED_TRACE(static_cast<int>(c.column));
    ASSERT_NE(binding.selection == nullptr, binding.text == nullptr);
    if (binding.selection != nullptr) {
      EXPECT_EQ(view.*binding.selection, c.selection);
    } else {
      EXPECT_EQ(view.*binding.text, c.text);
    }
  }
  const RowBinding radio = RowColumnBinding(RowColumn::kRadio);
  EXPECT_EQ(radio.selection, nullptr);
  EXPECT_EQ(radio.text, nullptr);
}

TEST(DialogLayout, OtherControlsCaptionsAndPlaces) {
  struct Case {
    OtherControl which;
    std::string name;
    ControlKind kind;
    int left, top, width, height;
    std::string_view caption;
  } cases[] = {
      {OtherControl::kLabel1, "Label1", ControlKind::kLabel, 56, 1, 0, 0,
       "図形　　　 幅　　 高さ　　 配置　　　間隔　　　基準点　上線　　中線　　下線"},
      {OtherControl::kLabelU, "LabelU", ControlKind::kLabel, 612, 0, 0, 0, "[]"},
      {OtherControl::kLabel2, "Label2", ControlKind::kLabel, 8, 304, 0, 0, "JWS図形ファイル選択"},
      {OtherControl::kEdit1, "Edit1", ControlKind::kEdit, 32, 320, 509, 21, ""},
      {OtherControl::kButton3, "Button3", ControlKind::kButton, 540, 320, 57, 25, "参照"},
      {OtherControl::kMemo1, "Memo1", ControlKind::kMemo, 604, 16, 265, 137, ""},
      {OtherControl::kButton1, "Button1", ControlKind::kButton, 604, 320, 121, 25, "ＯＫ(&Y)"},
      {OtherControl::kButton2, "Button2", ControlKind::kButton, 740, 320, 121, 25,
       "キャンセル(&N)"},
      {OtherControl::kGroupBox1, "GroupBox1", ControlKind::kGroupBox, 604, 160, 265, 153,
       "作図属性設定"},
      {OtherControl::kCheckBox1, "CheckBox1", ControlKind::kCheckBox, 620, 184, 0, 17,
       "●書込みレイヤグループに作図"},
      {OtherControl::kCheckBox2, "CheckBox2", ControlKind::kCheckBox, 620, 208, 0, 17,
       "●書込み【レイヤ】に作図"},
      {OtherControl::kButton4, "Button4", ControlKind::kButton, 620, 232, 233, 25,
       "◇元レイヤ・元線色・元線種"},
      {OtherControl::kCheckBox3, "CheckBox3", ControlKind::kCheckBox, 620, 264, 0, 17,
       "●書込み【線色】で作図"},
      {OtherControl::kCheckBox4, "CheckBox4", ControlKind::kCheckBox, 620, 288, 0, 17,
       "●書込み　線種　で作図"},
      {OtherControl::kButton5, "Button5", ControlKind::kButton, 8, 352, 121, 25, "詳細…"},
  };
  static_assert(std::size(cases) == kOtherControls);
  for (const Case& c : cases) {
    const ControlLayout control = OtherControlLayout(c.which);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(control.name, c.name);
    EXPECT_EQ(control.kind, c.kind);
    EXPECT_EQ(control.left, c.left);
    EXPECT_EQ(control.top, c.top);
    EXPECT_EQ(control.width, c.width);
    EXPECT_EQ(control.height, c.height);
    EXPECT_EQ(control.caption, c.caption);
  }
  EXPECT_TRUE(OtherControlLayout(OtherControl::kEdit1).readOnly);
  EXPECT_TRUE(OtherControlLayout(OtherControl::kMemo1).readOnly);
  EXPECT_FALSE(OtherControlLayout(OtherControl::kMemo1).tabStop);
  EXPECT_EQ(OtherControlLayout(OtherControl::kButton1).role, ButtonRole::kDefault);
  EXPECT_EQ(OtherControlLayout(OtherControl::kButton2).role, ButtonRole::kCancel);
  EXPECT_EQ(OtherControlLayout(OtherControl::kButton3).role, ButtonRole::kNone);
}

TEST(DialogLayout, SwitchesAreTheFourCheckBoxes) {
  EXPECT_EQ(SwitchControl(Switch::kLayerGroup), OtherControl::kCheckBox1);
  EXPECT_EQ(SwitchControl(Switch::kLayer), OtherControl::kCheckBox2);
  EXPECT_EQ(SwitchControl(Switch::kColour), OtherControl::kCheckBox3);
  EXPECT_EQ(SwitchControl(Switch::kLineType), OtherControl::kCheckBox4);
}

// Creation order is Tab order: the grid row by row, then below and beside it.
TEST(DialogLayout, TabOrder) {
  std::vector<std::string> expected;
  for (int row = 1; row <= kPatternRows; ++row) {
    for (const char* prefix : {"RadioButton", "ComboBoxZ", "EditW", "EditH", "ComboBoxA", "EditD",
                               "ComboBoxB", "ComboBoxU", "ComboBoxC", "ComboBoxD"}) {
      expected.push_back(prefix + std::to_string(row));
    }
  }
  for (const char* name : {"Edit1", "Button3", "Button1", "Button2", "CheckBox1", "CheckBox2",
                           "Button4", "CheckBox3", "CheckBox4", "Button5"}) {
    expected.push_back(name);
  }
  std::vector<std::string> tabOrder;
  std::set<std::string> names;
  for (const ControlLayout& control : AllControls()) {
    EXPECT_TRUE(names.insert(control.name).second) << control.name << " twice";
    if (control.tabStop) tabOrder.push_back(control.name);
  }
  EXPECT_EQ(tabOrder, expected);
  EXPECT_EQ(names.size(), static_cast<size_t>(kPatternRows * kRowColumns + kOtherControls));
}

// "12345678" does not scroll: eight half-width characters (half the font height each, rounded
// up), the sunken border (2 pixels a side), the margins (3 a side) and the caret fit; the
// neighbours stand where they did, touching it as the columns touch each other.
TEST(DialogLayout, IntervalFieldHoldsItsEightCharacters) {
  const ControlLayout interval = RowControlLayout(1, RowColumn::kInterval);
  const int halfWidth = (kFontHeight + 1) / 2;
  EXPECT_GE(interval.width, interval.textLimit * halfWidth + 2 * 2 + 2 * 3 + 1);
  for (int column = 1; column < kRowColumns; ++column) {
    const ControlLayout left = RowControlLayout(1, static_cast<RowColumn>(column - 1));
    const ControlLayout right = RowControlLayout(1, static_cast<RowColumn>(column));
    SCOPED_TRACE(right.name);
    EXPECT_EQ(left.left + left.width, right.left + 1);
  }
}

TEST(DialogLayout, EveryControlLiesInsideTheClientArea) {
  for (const ControlLayout& control : AllControls()) {
    SCOPED_TRACE(control.name);
    EXPECT_GE(control.left, 0);
    EXPECT_GE(control.top, 0);
    EXPECT_LE(control.left + control.width, kClientWidth);
    EXPECT_LE(control.top + control.height, kClientHeight);
  }
}

// The preview pane takes room of its own: no control reaches into it.
TEST(DialogLayout, PreviewPaneOverlapsNoControl) {
  EXPECT_LE(kPreviewLeft + kPreviewWidth, kClientWidth);
  EXPECT_LE(kPreviewTop + kPreviewHeight, kClientHeight);
  for (const ControlLayout& control : AllControls()) {
    SCOPED_TRACE(control.name);
    // Drop-down lists open over it, but their closed box stays above.
    EXPECT_LE(control.top + control.height, kPreviewTop);
  }
}

// The 詳細 sub-dialog: within the screen, every control inside its client area, each group's
// controls and picture inside its frame, no two frames overlapping, no control over a picture,
// the radio buttons in the order of the sources and the tab order group by group.
TEST(DialogLayout, DetailSubDialog) {
  struct Box {
    int left, top, right, bottom;
    bool Inside(const Box& o) const {
      return left >= o.left && top >= o.top && right <= o.right && bottom <= o.bottom;
    }
    bool Apart(const Box& o) const {
      return right <= o.left || left >= o.right || bottom <= o.top || top >= o.bottom;
    }
  };
  const auto box = [](const ControlLayout& c) {
    return Box{c.left, c.top, c.left + c.width, c.top + c.height};
  };
  EXPECT_LE(kDetailClientWidth, 1000);
  EXPECT_LE(kDetailClientHeight, 700);
  const Box client{0, 0, kDetailClientWidth, kDetailClientHeight};
  std::vector<ControlLayout> all;
  std::vector<Box> frames, pictures;
  std::vector<std::string> tabOrder;
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    const ControlLayout frame = FigureControlLayout(figure, FigureControl::kGroup);
    EXPECT_EQ(frame.caption, kFigureDetailKeys[figure].label);
    const PicturePlace p = FigurePicturePlace(figure);
    pictures.push_back({p.left, p.top, p.left + p.width, p.top + p.height});
    EXPECT_TRUE(pictures.back().Inside(box(frame)));
    for (const Box& other : frames) EXPECT_TRUE(other.Apart(box(frame)));
    frames.push_back(box(frame));
    for (int i = 0; i < kFigureControls; ++i) {
      const ControlLayout c = FigureControlLayout(figure, static_cast<FigureControl>(i));
      EXPECT_TRUE(box(c).Inside(box(frame))) << c.name;
      all.push_back(c);
    }
    EXPECT_EQ(FigureControlLayout(figure, kFigureRadios[int(FigureSource::kSelection)]).caption,
              "選択図形を取り込む");
    EXPECT_EQ(FigureControlLayout(figure, kFigureRadios[int(FigureSource::kJws)]).caption,
              "JWS ファイル");
  }
  for (int i = 0; i < kDetailControls; ++i) {
    all.push_back(DetailControlLayout(static_cast<DetailControl>(i)));
    for (const Box& frame : frames) EXPECT_TRUE(box(all.back()).Apart(frame)) << all.back().name;
  }
  for (const ControlLayout& c : all) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(box(c).Inside(client));
    if (c.tabStop) tabOrder.push_back(c.name);
    if (c.kind == ControlKind::kGroupBox) continue;
    for (const Box& picture : pictures) EXPECT_TRUE(box(c).Apart(picture));
  }
  std::vector<std::string> expected;
  for (const FigureDetailKey& key : kFigureDetailKeys) {
    for (const char* name :
         {"RadioNone_", "RadioSelection_", "RadioJws_", "EditJws_", "ButtonBrowse_"}) {
      expected.push_back(name + std::string(key.key));
    }
  }
  expected.insert(expected.end(), {"CheckBend", "ButtonOk", "ButtonCancel"});
  EXPECT_EQ(tabOrder, expected);
  EXPECT_EQ(DetailControlLayout(DetailControl::kCheckBend).caption, "曲線に沿って曲げる");
  EXPECT_EQ(DetailControlLayout(DetailControl::kButtonOk).role, ButtonRole::kDefault);
  EXPECT_EQ(DetailControlLayout(DetailControl::kButtonCancel).role, ButtonRole::kCancel);
}

}  // namespace
}  // namespace gara
