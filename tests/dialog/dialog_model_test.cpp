// The settings dialog's behaviour without a window: what the rows show when it opens, what OK
// stores, the switches, the figure-kind change, the browse result, and the guard that keeps a
// click during a running converter from saving, closing or converting on top of it.
#include "dialog/dialog_model.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/fault_file_system.h"
#include "support/temp_dir.h"
#include "util/number_text.h"
#include "util/text.h"

namespace gara {
namespace {

using testing::FaultFileSystem;
using testing::TempDir;

struct MeasureCall {
  int kind;
  std::string jwsPath;
};

// Stands in for MeasureFigure: fixed sizes per kind, every call recorded, and an optional action
// run in the middle of the call, as a click handled by the message pump during a converter run.
class FakeMeasurer {
 public:
  FigureSize selected{12.5, 7.0};
  FigureSize jws{30.0, 4.25};
  std::vector<MeasureCall> calls;
  std::function<void()> duringKind1;
  int depth = 0;
  int maxDepth = 0;

  FigureMeasurer Function() {
    return [this](int kind, const std::string& path) {
      calls.push_back({kind, path});
      ++depth;
      maxDepth = std::max(maxDepth, depth);
      if (kind == 1 && duringKind1) duringKind1();
      --depth;
      return kind == 0 ? selected : kind == 1 ? jws : FigureSize{};
    };
  }
};

class DialogModelTest : public ::testing::Test {
 protected:
  DialogModel& Open(const Settings& loaded, bool paperScale = false) {
    model_.emplace(loaded, fs_, SettingsPath(), "C:\\jww\\", measurer_.Function());
    model_->Show(paperScale);
    measurer_.calls.clear();
    return *model_;
  }
  std::string SettingsPath() const { return dir_.File("garanarabe.dat"); }
  Settings Saved() { return LoadSettings(fs_, SettingsPath()); }
  std::vector<std::string> SavedLines() {
    std::vector<std::string> lines;
    const auto bytes = dir_.Read("garanarabe.dat");
    if (!bytes) return lines;
    size_t start = 0;
    while (start < bytes->size()) {
      const size_t end = bytes->find("\r\n", start);
      lines.push_back(bytes->substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  TempDir dir_;
  FaultFileSystem fs_;
  FakeMeasurer measurer_;
  std::optional<DialogModel> model_;
};

Settings WithRows(std::initializer_list<std::pair<int, PatternRow>> rows) {
  Settings s;
  for (const auto& [number, row] : rows) s.rows[number - 1] = row;
  return s;
}

TEST_F(DialogModelTest, DefaultsShowTheMeasuredSelectionAndTheResourceDefaults) {
  DialogModel& model = Open(Settings{});
  EXPECT_EQ(model.unitLabel(), "[実寸mm]");
  EXPECT_EQ(model.FocusRow(), 1);
  for (int n = 1; n <= kPatternRows; ++n) {
    SCOPED_TRACE(n);
    const RowView& row = model.row(n);
    EXPECT_EQ(row.selected, n == 1);
    EXPECT_EQ(row.figureKind, 0);
    EXPECT_EQ(row.width, "12.5");
    EXPECT_EQ(row.height, "7");
    EXPECT_EQ(row.interval, "0");
    EXPECT_EQ(row.arrangement, 0);
    EXPECT_EQ(row.referencePoint, 1);
    EXPECT_EQ(row.topLine, 0);
    EXPECT_EQ(row.middleLine, 0);
    EXPECT_EQ(row.bottomLine, 0);
  }
}

TEST_F(DialogModelTest, ShowMeasuresBothSourcesOnceWithTheChosenJwsFile) {
  Settings loaded;
  loaded.jwsFile = "D:\\図形\\飾り 1.jws";
  model_.emplace(loaded, fs_, SettingsPath(), "C:\\jww\\", measurer_.Function());
  model_->Show(false);
  ASSERT_EQ(measurer_.calls.size(), 2u);
  EXPECT_EQ(measurer_.calls[0].kind, 0);
  EXPECT_EQ(measurer_.calls[1].kind, 1);
  EXPECT_EQ(measurer_.calls[1].jwsPath, loaded.jwsFile);
  EXPECT_FALSE(model_->Busy());
}

TEST_F(DialogModelTest, PaperScaleExchangeFileShowsDrawingMillimetres) {
  EXPECT_EQ(Open(Settings{}, true).unitLabel(), "[図寸mm]");
}

TEST_F(DialogModelTest, EachRowShowsTheSizeOfItsOwnFigureSource) {
  PatternRow jwsRow{1, 99.0, 98.0, 1, 2.5, 2, 1, 2, 1};
  PatternRow otherKind{5, 3.25, 0.5, 0, 1.0 / 3.0, 0, 0, 0, 0};
  DialogModel& model = Open(WithRows({{2, jwsRow}, {3, otherKind}}));
  EXPECT_EQ(model.row(1).width, "12.5");
  EXPECT_EQ(model.row(2).figureKind, 1);
  EXPECT_EQ(model.row(2).width, "30");
  EXPECT_EQ(model.row(2).height, "4.25");
  EXPECT_EQ(model.row(2).interval, "2.5");
  EXPECT_EQ(model.row(2).arrangement, 1);
  EXPECT_EQ(model.row(2).referencePoint, 2);
  EXPECT_EQ(model.row(2).topLine, 1);
  EXPECT_EQ(model.row(2).middleLine, 2);
  // An unknown kind has no figure source: its stored size stands, its drop-down is empty.
  EXPECT_EQ(model.row(3).figureKind, -1);
  EXPECT_EQ(model.row(3).width, "3.25");
  EXPECT_EQ(model.row(3).height, "0.5");
  EXPECT_EQ(model.row(3).interval, "0.333333333333333");
}

TEST_F(DialogModelTest, ShownSizesUseTheFifteenDigitNumberText) {
  measurer_.selected = {1.0 / 3.0, 2.0 / 3.0};
  DialogModel& model = Open(Settings{});
  EXPECT_EQ(model.row(1).width, "0.333333333333333");
  EXPECT_EQ(model.row(1).height, "0.666666666666667");
}

TEST(ListSelection, ValuesOutsideTheListSelectNothing) {
  struct Case {
    int32_t value;
    int32_t shown;
  } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, -1}, {-1, -1}, {INT32_MIN, -1}, {INT32_MAX, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(ListSelection(c.value, kLineModeItems), c.shown);
  }
  EXPECT_EQ(ListSelection(2, kFigureKindItems), -1);
}

TEST_F(DialogModelTest, ValuesOutsideTheirListsShowEmptyAndOkStoresMinusOne) {
  PatternRow odd{7, 5.0, 5.0, 3, 0.0, 3, -1, 9, 100};
  Open(WithRows({{4, odd}}));
  const RowView& row = model_->row(4);
  EXPECT_EQ(row.figureKind, -1);
  EXPECT_EQ(row.arrangement, -1);
  EXPECT_EQ(row.referencePoint, -1);
  EXPECT_EQ(row.topLine, -1);
  EXPECT_EQ(row.middleLine, -1);
  EXPECT_EQ(row.bottomLine, -1);
  ASSERT_EQ(model_->Ok(0, 0), DialogModel::OkResult::kSaved);
  const Settings all = Saved();
  const PatternRow& saved = all.rows[3];
  EXPECT_EQ(saved.figureKind, -1);
  EXPECT_EQ(saved.width, 5.0);
  EXPECT_EQ(saved.arrangement, -1);
  EXPECT_EQ(saved.referencePoint, -1);
  EXPECT_EQ(saved.topLine, -1);
  EXPECT_EQ(saved.middleLine, -1);
  EXPECT_EQ(saved.bottomLine, -1);
}

// A stored arrangement shows as its item of 配置, "伸縮配置" (2) included; OK stores the item
// chosen, and a value outside the list shows empty as the other lists do.
TEST_F(DialogModelTest, ArrangementsShowTheirItemAndOkStoresTheChosenOne) {
  struct Case {
    int32_t stored;
    int32_t shown;
    int32_t chosen;
  } cases[] = {{0, 0, 2}, {1, 1, 1}, {2, 2, 2}, {2, 2, 0}, {3, -1, -1}, {-5, -1, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.stored << " -> " << c.chosen);
    PatternRow row;
    row.arrangement = c.stored;
    DialogModel& model = Open(WithRows({{6, row}}));
    EXPECT_EQ(model.row(6).arrangement, c.shown);
    model.row(6).arrangement = c.chosen;
    ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
    EXPECT_EQ(Saved().rows[5].arrangement, c.chosen);
  }
}

TEST_F(DialogModelTest, OkCorrectsSizesAndIntervals) {
  struct Case {
    const char* text;
    double size;
    double interval;
  } cases[] = {
      {"2.5", 2.5, 2.5},   {"0", 1.0, 0.0},           {"", 1.0, 0.0},
      {"-5", 1.0, 0.0},    {"-3", 1.0, 0.0},          {"abc", 1.0, 0.0},
      {"1e-9", 1.0, 1e-9}, {"0.00000001", 1.0, 1e-8}, {"12345678", 12345678.0, 12345678.0},
      {"1e400", 1.0, 0.0},
  };
  Open(Settings{});
  for (size_t i = 0; i < std::size(cases); ++i) {
    RowView& row = model_->row(static_cast<int>(i % kPatternRows) + 1);
    row.width = row.height = row.interval = cases[i].text;
    const Settings collected = model_->Collect(0, 0);
    const PatternRow& stored = collected.rows[i % kPatternRows];
    SCOPED_TRACE(cases[i].text);
    EXPECT_EQ(stored.width, cases[i].size);
    EXPECT_EQ(stored.height, cases[i].size);
    EXPECT_EQ(stored.interval, cases[i].interval);
  }
}

// The preview collects rows read from the controls as OK would store them, and the model's own
// rows, which the form may be half way through showing, stay as they are.
TEST_F(DialogModelTest, CollectingOtherRowsLeavesTheModelsRows) {
  DialogModel& model = Open(Settings{});
  model.SelectRow(4);
  std::array<RowView, kPatternRows> edited = model.rows();
  edited[3].width = "-2";
  edited[3].interval = "7.5";
  edited[3].referencePoint = 2;
  const Settings collected = model.Collect(edited, 0, 0);
  EXPECT_EQ(collected.selectedRow, 4);
  EXPECT_EQ(collected.rows[3].width, 1.0);
  EXPECT_EQ(collected.rows[3].interval, 7.5);
  EXPECT_EQ(collected.rows[3].referencePoint, 2);
  EXPECT_EQ(model.row(4).width, "12.5");
  EXPECT_EQ(model.Collect(0, 0).rows[3].interval, 0.0);
}

TEST_F(DialogModelTest, OkOnARowShowingZeroStoresWidthOne) {
  measurer_.selected = {};  // no sel.txt when the dialog opened
  DialogModel& model = Open(Settings{});
  EXPECT_EQ(model.row(1).width, "0");
  ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
  EXPECT_EQ(Saved().rows[0].width, 1.0);
  EXPECT_EQ(Saved().rows[0].height, 1.0);
}

TEST_F(DialogModelTest, OkSavesEveryEditedValueAndTheWindowPosition) {
  Settings loaded;
  loaded.jwsFile = "C:\\my figures\\花 柄.jws";
  loaded.useWritingColour = true;
  DialogModel& model = Open(loaded);
  RowView& row = model.row(5);
  row.figureKind = 1;
  row.width = "8.5";
  row.arrangement = 1;
  row.interval = "2.5";
  row.referencePoint = 0;
  row.topLine = 2;
  row.middleLine = 1;
  row.bottomLine = 2;
  model.SelectRow(5);
  model.SetSwitch(Switch::kLayer, true);
  ASSERT_EQ(model.Ok(-20, 640), DialogModel::OkResult::kSaved);

  const Settings saved = Saved();
  EXPECT_EQ(saved.windowLeft, -20);
  EXPECT_EQ(saved.windowTop, 640);
  EXPECT_EQ(saved.jwsFile, loaded.jwsFile);
  EXPECT_FALSE(saved.useWritingLayerGroup);
  EXPECT_TRUE(saved.useWritingLayer);
  EXPECT_TRUE(saved.useWritingColour);
  EXPECT_FALSE(saved.useWritingLineType);
  EXPECT_EQ(saved.selectedRow, 5);
  const PatternRow& stored = saved.rows[4];
  EXPECT_EQ(stored.figureKind, 1);
  EXPECT_EQ(stored.width, 8.5);
  EXPECT_EQ(stored.height, 7.0);
  EXPECT_EQ(stored.arrangement, 1);
  EXPECT_EQ(stored.interval, 2.5);
  EXPECT_EQ(stored.referencePoint, 0);
  EXPECT_EQ(stored.topLine, 2);
  EXPECT_EQ(stored.middleLine, 1);
  EXPECT_EQ(stored.bottomLine, 2);
  // The other rows keep what they showed.
  EXPECT_EQ(saved.rows[0].width, 12.5);
  EXPECT_EQ(saved.rows[0].referencePoint, 1);
}

TEST_F(DialogModelTest, NoRadioButtonOnKeepsTheLoadedSelectedRow) {
  for (int32_t loadedRow : {0, 13, -4}) {
    SCOPED_TRACE(loadedRow);
    Settings loaded;
    loaded.selectedRow = loadedRow;
    DialogModel& model = Open(loaded);
    EXPECT_EQ(model.FocusRow(), 0);
    EXPECT_EQ(model.Collect(0, 0).selectedRow, loadedRow);
  }
}

TEST_F(DialogModelTest, SelectingARowSwitchesTheOthersOff) {
  DialogModel& model = Open(Settings{});
  model.SelectRow(12);
  model.SelectRow(7);
  for (int n = 1; n <= kPatternRows; ++n) EXPECT_EQ(model.row(n).selected, n == 7) << n;
  model.SelectRow(0);  // no such row: nothing changes
  model.SelectRow(13);
  EXPECT_EQ(model.FocusRow(), 7);
  EXPECT_EQ(model.Collect(0, 0).selectedRow, 7);
}

TEST_F(DialogModelTest, LayerSwitchesExcludeEachOtherTheOthersAreIndependent) {
  struct Step {
    Switch which;
    bool on;
    std::array<bool, 4> after;
  };
  const Step steps[] = {
      {Switch::kLayerGroup, true, {true, false, false, false}},
      {Switch::kLayer, true, {false, true, false, false}},
      {Switch::kColour, true, {false, true, true, false}},
      {Switch::kLayerGroup, true, {true, false, true, false}},
      {Switch::kLineType, true, {true, false, true, true}},
      {Switch::kLayerGroup, false, {false, false, true, true}},
      {Switch::kLayer, false, {false, false, true, true}},
      {Switch::kColour, false, {false, false, false, true}},
  };
  DialogModel& model = Open(Settings{});
  for (const Step& step : steps) {
    model.SetSwitch(step.which, step.on);
    const Settings& s = model.settings();
    const std::array<bool, 4> now{s.useWritingLayerGroup, s.useWritingLayer, s.useWritingColour,
                                  s.useWritingLineType};
    EXPECT_EQ(now, step.after) << static_cast<int>(step.which) << " " << step.on;
  }
}

TEST_F(DialogModelTest, Button4ClearsTheFourSwitchesAndOkSavesFourZeros) {
  Settings loaded;
  loaded.useWritingLayer = true;
  loaded.useWritingColour = true;
  loaded.useWritingLineType = true;
  DialogModel& model = Open(loaded);
  model.ClearSwitches();
  ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
  const auto lines = SavedLines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kSettingsLines));
  EXPECT_EQ(lines[3], "0");
  EXPECT_EQ(lines[4], "0");
  EXPECT_EQ(lines[5], "0");
  EXPECT_EQ(lines[6], "0");
}

TEST_F(DialogModelTest, CancelClosesAtOnceAndSavesNothing) {
  DialogModel& model = Open(Settings{});
  model.row(1).interval = "5";
  EXPECT_EQ(model.RequestClose(), DialogModel::CloseResult::kNow);
  EXPECT_FALSE(dir_.Exists("garanarabe.dat"));
  // Once closing, a late OK (a second queued click) saves nothing either.
  EXPECT_EQ(model.Ok(0, 0), DialogModel::OkResult::kRefused);
  EXPECT_FALSE(dir_.Exists("garanarabe.dat"));
}

TEST_F(DialogModelTest, OkSavesOnlyOnce) {
  DialogModel& model = Open(Settings{});
  ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
  dir_.Write("garanarabe.dat", "kept");
  EXPECT_EQ(model.Ok(0, 0), DialogModel::OkResult::kRefused);
  EXPECT_EQ(dir_.Read("garanarabe.dat"), "kept");
}

TEST_F(DialogModelTest, FailedSaveKeepsTheOldFileAndStillCloses) {
  dir_.Write("garanarabe.dat", "old settings\r\n");
  DialogModel& model = Open(Settings{});
  fs_.fault = FaultFileSystem::Fault::kWrite;
  EXPECT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaveFailed);
  EXPECT_EQ(dir_.Read("garanarabe.dat"), "old settings\r\n");
}

TEST_F(DialogModelTest, KindChangeShowsTheNewFigureWithTenDecimals) {
  measurer_.jws = {12.5, 1.0 / 3.0};
  Settings loaded;
  loaded.jwsFile = "C:\\a.jws";
  DialogModel& model = Open(loaded);
  EXPECT_EQ(model.ChangeFigureKind(3, 1), DialogModel::KindChange::kResized);
  ASSERT_EQ(measurer_.calls.size(), 1u);
  EXPECT_EQ(measurer_.calls[0].kind, 1);
  EXPECT_EQ(measurer_.calls[0].jwsPath, "C:\\a.jws");
  EXPECT_EQ(model.row(3).figureKind, 1);
  EXPECT_EQ(model.row(3).width, "12.5");
  EXPECT_EQ(model.row(3).height, "0.3333333333");
  EXPECT_EQ(model.row(2).width, "12.5");  // other rows keep the selection's size
  EXPECT_EQ(model.row(2).height, "7");

  measurer_.selected = {2.0, 3.0};
  EXPECT_EQ(model.ChangeFigureKind(3, 0), DialogModel::KindChange::kResized);
  EXPECT_EQ(measurer_.calls.back().kind, 0);
  EXPECT_EQ(model.row(3).width, "2");
  EXPECT_EQ(model.row(3).height, "3");
}

TEST_F(DialogModelTest, KindChangeWithoutAMeasurableFigureKeepsTheTexts) {
  DialogModel& model = Open(Settings{});
  measurer_.jws = {0.0, 0.0};  // no .jws chosen, or the conversion failed
  EXPECT_EQ(model.ChangeFigureKind(2, 1), DialogModel::KindChange::kUnchanged);
  EXPECT_EQ(model.row(2).figureKind, 1);
  EXPECT_EQ(model.row(2).width, "12.5");
  measurer_.jws = {5.0, 1e-9};  // a flat figure has no height
  EXPECT_EQ(model.ChangeFigureKind(2, 1), DialogModel::KindChange::kUnchanged);
  EXPECT_EQ(model.row(2).height, "7");
  EXPECT_EQ(measurer_.calls.size(), 2u);
}

TEST_F(DialogModelTest, KindChangeToNothingOrAnUnknownRowMeasuresNothing) {
  DialogModel& model = Open(Settings{});
  EXPECT_EQ(model.ChangeFigureKind(4, -1), DialogModel::KindChange::kUnchanged);
  EXPECT_EQ(model.row(4).figureKind, -1);
  EXPECT_EQ(model.row(4).width, "12.5");
  EXPECT_EQ(model.ChangeFigureKind(0, 1), DialogModel::KindChange::kUnchanged);
  EXPECT_EQ(model.ChangeFigureKind(13, 1), DialogModel::KindChange::kUnchanged);
  EXPECT_TRUE(measurer_.calls.empty());
}

TEST(WindowsPaths, JwsExtensionInAnyLetterCase) {
  struct Case {
    std::string_view path;
    bool jws;
  } cases[] = {
      {"C:\\a.jws", true},   {"C:\\a.JWS", true},  {"C:\\a.JwS", true},
      {"C:\\表.jws", true},  {"C:\\a.jwk", false}, {"C:\\a.jws.txt", false},
      {"C:\\a.jwss", false}, {"C:\\a", false},     {"C:\\d.jws\\a", false},
      {"C:\\.jws", true},    {"", false},          {"C:\\a.ｊｗｓ", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(HasJwsExtension(c.path), c.jws);
  }
}

TEST(FileDialogFilter, BarsBecomeNulsAndTheListEndsWithTwo) {
  using namespace std::string_literals;
  EXPECT_EQ(FileDialogFilter(kJwsFilter), "Jw_cad 図形ファイル(*.jws)\0*.jws\0\0"s);
  EXPECT_EQ(FileDialogFilter("a|*.a|b|*.b"), "a\0*.a\0b\0*.b\0\0"s);
  // ポ ends in the byte "|": it is no separator.
  EXPECT_EQ(std::string_view("ポ"), "\x83|");
  EXPECT_EQ(FileDialogFilter("ポ|*.p"), "ポ\0*.p\0\0"s);
  EXPECT_EQ(FileDialogFilter(""), "\0\0"s);
}

TEST_F(DialogModelTest, BrowseStartsAtTheChosenFileOrTheProgramDirectory) {
  struct Case {
    std::string jwsFile;
    std::string directory;
    std::string fileName;
  } cases[] = {
      {"", "C:\\jww\\", ""},
      {"D:\\図形\\表.jws", "D:\\図形\\", "表.jws"},
      {"D:\\ソフト\\a b.jws", "D:\\ソフト\\", "a b.jws"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.jwsFile);
    Settings loaded;
    loaded.jwsFile = c.jwsFile;
    const BrowseStart start = Open(loaded).StartBrowse();
    EXPECT_EQ(start.directory, c.directory);
    EXPECT_EQ(start.fileName, c.fileName);
  }
}

TEST_F(DialogModelTest, BrowseStoresTheSizeOnlyInRowsLoadedAsJwsFigures) {
  PatternRow jwsRow;
  jwsRow.figureKind = 1;
  DialogModel& model = Open(WithRows({{2, jwsRow}, {9, jwsRow}}));
  // Row 9 switched to the selection and row 4 to the JWS figure since the dialog opened: the
  // kinds loaded at show decide.
  model.ChangeFigureKind(9, 0);
  model.ChangeFigureKind(4, 1);
  measurer_.calls.clear();
  measurer_.jws = {1.0 / 3.0, 42.0};

  EXPECT_EQ(model.Browse("E:\\新しい 図形\\枠.JWS"), DialogModel::BrowseResult::kAccepted);
  ASSERT_EQ(measurer_.calls.size(), 1u);
  EXPECT_EQ(measurer_.calls[0].kind, 1);
  EXPECT_EQ(measurer_.calls[0].jwsPath, "E:\\新しい 図形\\枠.JWS");
  EXPECT_EQ(model.settings().jwsFile, "E:\\新しい 図形\\枠.JWS");
  EXPECT_EQ(model.row(2).width, "0.333333333333333");
  EXPECT_EQ(model.row(2).height, "42");
  EXPECT_EQ(model.row(9).width, "0.333333333333333");
  EXPECT_EQ(model.row(4).width, "30");  // from its kind change
  EXPECT_EQ(model.row(1).width, "12.5");
}

TEST_F(DialogModelTest, BrowseForAnotherFileTypeChangesNothing) {
  Settings loaded;
  loaded.jwsFile = "C:\\old.jws";
  DialogModel& model = Open(loaded);
  EXPECT_EQ(model.Browse("C:\\new.jww"), DialogModel::BrowseResult::kIgnored);
  EXPECT_EQ(model.settings().jwsFile, "C:\\old.jws");
  EXPECT_TRUE(measurer_.calls.empty());
}

// A file that gives no figure: the rows showing the JWS figure (as loaded or chosen since) no
// longer show the old file's size but what OK stores for none, and OK stores just that.
TEST_F(DialogModelTest, BrowseWithNoFigureShowsWhatOkStores) {
  PatternRow jwsRow;
  jwsRow.figureKind = 1;
  DialogModel& model = Open(WithRows({{1, jwsRow}, {6, jwsRow}}));
  model.ChangeFigureKind(4, 1);
  model.ChangeFigureKind(6, 0);
  struct Case {
    const char* name;
    FigureSize measured;
  } cases[] = {{"converter failed", {}}, {"empty figure", {0.0, 3.0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    measurer_.jws = c.measured;
    EXPECT_EQ(model.Browse("C:\\broken.jws"), DialogModel::BrowseResult::kFailed);
    EXPECT_EQ(model.settings().jwsFile, "C:\\broken.jws");
    for (int row : {1, 4}) {
      EXPECT_EQ(model.row(row).width, "1") << row;
      EXPECT_EQ(model.row(row).height, "1") << row;
    }
    EXPECT_EQ(model.row(6).width, "12.5");  // now the selected figure
    EXPECT_EQ(model.row(2).width, "12.5");
  }
  const Settings stored = model.Collect(0, 0);
  EXPECT_EQ(stored.jwsFile, "C:\\broken.jws");
  EXPECT_EQ(stored.rows[0].width, 1.0);
  EXPECT_EQ(stored.rows[3].height, 1.0);
}

// The path stands whole in the message (表 ends in the byte of a backslash), and the size it
// names is the one OK stores.
TEST(DialogMessages, NoFigureNamesTheFileAndWhatTheRowsHold) {
  const std::string message = NoFigureMessage("D:\\図形\\表.jws");
  EXPECT_NE(message.find("「D:\\図形\\表.jws」"), std::string::npos) << message;
  EXPECT_NE(message.find("幅と高さは 1 に"), std::string::npos) << message;
}

// Clicks handled by the message pump while the converter runs.
TEST_F(DialogModelTest, DuringAConversionOkCancelKindChangeAndBrowseNeitherSaveNorConvert) {
  DialogModel& model = Open(Settings{});
  std::vector<int> answers;
  measurer_.duringKind1 = [&] {
    EXPECT_TRUE(model.Busy());
    answers.push_back(static_cast<int>(model.Ok(0, 0)));
    answers.push_back(static_cast<int>(model.ChangeFigureKind(5, 1)));
    answers.push_back(static_cast<int>(model.ChangeFigureKind(6, 0)));
    answers.push_back(static_cast<int>(model.Browse("C:\\other.jws")));
    answers.push_back(static_cast<int>(model.RequestClose()));
  };
  EXPECT_EQ(model.ChangeFigureKind(3, 1), DialogModel::KindChange::kResized);
  EXPECT_EQ(answers, (std::vector<int>{static_cast<int>(DialogModel::OkResult::kRefused),
                                       static_cast<int>(DialogModel::KindChange::kRefused),
                                       static_cast<int>(DialogModel::KindChange::kRefused),
                                       static_cast<int>(DialogModel::BrowseResult::kRefused),
                                       static_cast<int>(DialogModel::CloseResult::kDeferred)}));
  EXPECT_EQ(measurer_.calls.size(), 1u);
  EXPECT_EQ(measurer_.maxDepth, 1);
  EXPECT_FALSE(model.Busy());
  EXPECT_EQ(model.row(5).figureKind, 0);  // the refused change left the row as it was
  EXPECT_EQ(model.row(3).width, "30");    // the running change completed
  EXPECT_EQ(model.settings().jwsFile, "");
  // The close asked for during the wait is carried out afterwards, without saving.
  EXPECT_TRUE(model.ClosePending());
  EXPECT_EQ(model.Ok(0, 0), DialogModel::OkResult::kRefused);
  EXPECT_FALSE(dir_.Exists("garanarabe.dat"));
}

TEST_F(DialogModelTest, DuringTheShowConversionNothingCanSave) {
  std::optional<DialogModel::OkResult> okDuringShow;
  model_.emplace(Settings{}, fs_, SettingsPath(), "C:\\jww\\", measurer_.Function());
  measurer_.duringKind1 = [&] { okDuringShow = model_->Ok(0, 0); };
  model_->Show(false);
  EXPECT_EQ(okDuringShow, DialogModel::OkResult::kRefused);
  EXPECT_FALSE(dir_.Exists("garanarabe.dat"));
  EXPECT_FALSE(model_->Busy());
  // Once the wait is over, OK works.
  EXPECT_EQ(model_->Ok(0, 0), DialogModel::OkResult::kSaved);
}

TEST_F(DialogModelTest, TheFileDialogCountsAsBusy) {
  DialogModel& model = Open(Settings{});
  {
    DialogModel::BusyScope fileDialog(model);
    EXPECT_EQ(model.Ok(0, 0), DialogModel::OkResult::kRefused);
    EXPECT_EQ(model.RequestClose(), DialogModel::CloseResult::kDeferred);
  }
  EXPECT_FALSE(model.Busy());
  EXPECT_TRUE(model.ClosePending());
}

}  // namespace
}  // namespace gara
