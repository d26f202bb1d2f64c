// What the settings dialog does, apart from drawing it: the values its controls show, and what
// happens on show, on OK, on Cancel and on each handler. The Windows form only moves values
// between this model and its controls, so the behaviour is tested without any window.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "dialog/dialog_items.h"
#include "dialog/pending_files.h"
#include "figure/measure.h"
#include "pattern/pattern_row.h"
#include "settings/row_details.h"
#include "settings/settings.h"
#include "util/file_system.h"

namespace gara {

// A list selection as the drop-down shows it: the value when it names an item, else -1 (the box
// shows nothing).
int32_t ListSelection(int32_t value, std::span<const std::string_view> items);

// What the ten controls of one pattern row show. Selections are item indexes, -1 for none.
struct RowView {
  bool selected = false;        // RadioButton
  int32_t figureKind = -1;      // ComboBoxZ
  std::string width;            // EditW (read-only)
  std::string height;           // EditH (read-only)
  int32_t arrangement = -1;     // ComboBoxA
  std::string interval;         // EditD
  int32_t referencePoint = -1;  // ComboBoxB
  int32_t topLine = -1;         // ComboBoxU
  int32_t middleLine = -1;      // ComboBoxC
  int32_t bottomLine = -1;      // ComboBoxD
};

// The four drawing-attribute switches, CheckBox1..CheckBox4.
enum class Switch { kLayerGroup = 0, kLayer = 1, kColour = 2, kLineType = 3 };
inline constexpr int kSwitchCount = 4;

// Measures figure kind 0 (sel.txt) or 1 (jws.txt, re-converted from `jwsPath` first). The
// program passes MeasureFigure with its converter; it may keep the window's messages flowing
// while the converter runs, so any handler can be called again during the call.
using FigureMeasurer = std::function<FigureSize(int kind, const std::string& jwsPath)>;

// Where the open-file dialog starts: the folder and the file name of the current .jws path, or
// the program directory when there is none.
struct BrowseStart {
  std::string directory;  // with its trailing separator
  std::string fileName;
};

// The application title, the caption of the program's message boxes.
inline constexpr std::string_view kApplicationTitle = "r864_柄並べ９";
// Told when a chosen .jws file gave no figure: which file, and what its rows now hold.
std::string NoFigureMessage(std::string_view jwsPath);

// True when the file name's extension is ".jws" in any letter case.
bool HasJwsExtension(std::string_view path);

// The open-file dialog's filter: one entry, the description, "|", the pattern.
inline constexpr std::string_view kJwsFilter = "Jw_cad 図形ファイル(*.jws)|*.jws";
inline constexpr std::string_view kJwsDefaultExtension = "jws";
// A "description|pattern|..." filter in the form the Windows file dialog takes: every "|"
// becomes a NUL and the list ends with two. A "|" that is the second byte of a Shift-JIS
// character (ポ is 0x83 0x7C) stays.
std::string FileDialogFilter(std::string_view filter);

// Converts the .jws file `jwsPath` into the figure file `outputPath`, as the converter makes
// jws.txt; like the measurer, it may keep the window's messages flowing meanwhile. False when
// the conversion could not even start.
using JwsConverter = std::function<bool(const std::string& jwsPath, const std::string& outputPath)>;

// How many figure details the 詳細 sub-dialog edits: one group each, in kFigureDetailKeys order.
inline constexpr size_t kFigureDetailCount = std::size(kFigureDetailKeys);

// Where one of a row's figures comes from: the radio buttons of its group in the 詳細 sub-dialog.
enum class FigureSource { kNone = 0, kSelection = 1, kJws = 2 };

// One figure detail of a row (kFigureDetailKeys[i]) as the sub-dialog edits it.
struct FigureDetail {
  FigureSource source = FigureSource::kNone;
  std::string jwsPath;  // kJws: the .jws file the figure is made from
  std::string figure;   // the figure file's bytes; empty for none (the keys are then erased)
  bool operator==(const FigureDetail&) const = default;
};

// The sub-dialog's caption for row `row`: "柄 3 の詳細".
std::string DetailsCaption(int row);
// The figure's width and height as the sub-dialog shows them ("12.5 × 4"); empty for none.
std::string FigureSizeText(std::string_view figure);
// Told when the .jws file chosen for one of a row's figures gave none.
std::string FigureNoFigureMessage(std::string_view jwsPath);
// Told when 詳細 is asked for while the details file cannot be read.
std::string DetailsUnreadableMessage(std::string_view path);

class DialogModel {
 public:
  DialogModel(Settings loaded, FileSystem& fs, std::string settingsPath, std::string programDir,
              FigureMeasurer measure);
  DialogModel(const DialogModel&) = delete;
  DialogModel& operator=(const DialogModel&) = delete;

  // Fills every row as the dialog opens: both figure sources are measured, rows of kind 0 and 1
  // take the measured size, the sizes and intervals are shown as number texts.
  void Show(bool paperScale);

  std::array<RowView, kPatternRows>& rows() { return rows_; }
  const std::array<RowView, kPatternRows>& rows() const { return rows_; }
  RowView& row(int number) { return rows_[number - 1]; }
  const std::string& unitLabel() const { return unitLabel_; }
  // The window position, the .jws path (Edit1) and the switches, as the controls show them.
  const Settings& settings() const { return settings_; }
  // The row whose radio button is on after Show, 0 when none is.
  int FocusRow() const;

  // Radio button of row `number` clicked: it alone is on.
  void SelectRow(int number);

  // CheckBox1..4 changed to `on`; the two layer switches exclude each other.
  void SetSwitch(Switch which, bool on);
  // Button4: the figure keeps its own layer group, layer, colour and line type.
  void ClearSwitches();

  enum class KindChange {
    kRefused,    // another measurement is running: the box must show row(number).figureKind again
    kUnchanged,  // nothing measurable: the size texts stay
    kResized,    // EditW and EditH of the row show the new size
  };
  // ComboBoxZ of row `number` changed to item `index`.
  KindChange ChangeFigureKind(int number, int32_t index);

  BrowseStart StartBrowse() const;
  enum class BrowseResult {
    kRefused,   // another measurement is running
    kIgnored,   // not a .jws file: nothing changes
    kAccepted,  // Edit1 and the size texts of the rows of stored kind 1 may have changed
    kFailed,    // Edit1 changed, but no figure came out of the file: the rows showing the JWS
                // figure show the size OK stores for none
  };
  // The file chosen in the open-file dialog.
  BrowseResult Browse(const std::string& chosenPath);

  enum class OkResult {
    kRefused,     // a measurement is running or the dialog is closing: nothing is saved
    kSaved,       // the settings file holds the dialog's values; close
    kSaveFailed,  // the old settings file stays; close all the same
  };
  // OK: the rows as they stand in rows() (the form reads its controls into them first) become
  // the settings, with empty or non-positive sizes replaced by 1 and intervals by 0. The figures
  // chosen in 詳細 are written first, then the details file (never when it was unreadable).
  [[nodiscard]] OkResult Ok(int32_t windowLeft, int32_t windowTop);
  // The settings that OK stores, without saving them.
  Settings Collect(int32_t windowLeft, int32_t windowTop) const {
    return Collect(rows_, windowLeft, windowTop);
  }
  // The same for rows read apart from the model (the preview reads the controls as they stand
  // without touching rows(), which the form may be half way through showing).
  Settings Collect(const std::array<RowView, kPatternRows>& rows, int32_t windowLeft,
                   int32_t windowTop) const;

  enum class CloseResult { kNow, kDeferred };
  // Cancel or the close box. During a measurement the close waits until it has ended; the
  // form closes once ClosePending() is seen after the call that measured.
  CloseResult RequestClose();
  bool ClosePending() const { return closePending_; }

  // The row details loaded with the settings, where OK saves them and the converter that
  // makes a row's figure from a .jws file. Without this call OK writes no details.
  void UseRowDetails(LoadedRowDetails loaded, std::string path, JwsConverter convert);

  enum class DetailsOpen {
    kRefused,     // busy, or no row is selected
    kUnreadable,  // the details file cannot be read: tell the user (DetailsUnreadableMessage)
    kOpened,      // edited() and bend() hold the selected row's details as they stand
  };
  // 詳細…: starts editing the details of the row whose radio button is on.
  DetailsOpen OpenDetails();
  // The row being edited (0 when none), its figure detail kFigureDetailKeys[figure] and its
  // 曲線に沿って曲げる as the sub-dialog shows them.
  int editedRow() const { return edit_ ? edit_->row : 0; }
  FigureDetail edited(size_t figure) const;
  bool bend() const { return edit_ && edit_->bend; }
  // A radio button of the figure's group: 選択図形を取り込む takes today's sel.txt.
  void ChooseFigure(size_t figure, FigureSource source);
  BrowseStart StartFigureBrowse(size_t figure) const;
  // The .jws file chosen for the figure: converted at once, the figure kept in memory.
  BrowseResult BrowseFigure(size_t figure, const std::string& chosenPath);
  // The 曲線に沿って曲げる check box.
  void SetBend(bool on);
  // Sub-dialog OK: the main dialog's OK writes what changed; キャンセル drops it.
  void CloseDetails(bool keep);

  // The figures besides its own the preview of row `number` draws (file names in the program
  // folder): as the details file names them, each as chosen in 詳細 when it was; and the files the
  // preview reads, the pending figures among them.
  RowExtras PreviewExtras(int number);
  FileSystem& previewFileSystem() { return previewFs_; }

  // True while a figure is being measured (the converter may be running), the open-file
  // dialog or the 詳細 sub-dialog is up: every handler that measures, saves or closes refuses
  // or waits.
  bool Busy() const { return busy_ > 0 || edit_.has_value(); }

  // Marks the model busy for its lifetime; used around every measurement and the file dialog.
  class BusyScope {
   public:
    explicit BusyScope(DialogModel& model) : model_(model) { ++model_.busy_; }
    ~BusyScope() { --model_.busy_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    DialogModel& model_;
  };

 private:
  // One figure's group while the sub-dialog is up: each source keeps its own figure, so that
  // going back to a source shows what it held.
  struct FigureEdit {
    FigureDetail initial;
    FigureSource source = FigureSource::kNone;
    std::string selectionFigure;  // sel.txt as it was when 選択図形を取り込む was chosen
    std::string jwsPath;
    std::string jwsFigure;
  };
  struct DetailEdit {
    int row = 0;
    std::array<FigureEdit, kFigureDetailCount> figures;
    bool initialBend = false;
    bool bend = false;
  };
  // What the sub-dialog's OKs changed in a row, kept until the main OK: only these are written.
  struct PendingRow {
    std::array<std::optional<FigureDetail>, kFigureDetailCount> figures;
    std::optional<bool> bend;
  };

  FigureSize Measure(int kind);
  FigureDetail StoredFigure(int row, size_t figure);
  bool StoredBend(int row) const;
  // Writes the row figure files and the details file; true when nothing failed.
  bool SaveDetails();
  // Writes one changed figure and sets or erases its keys; false when the file failed.
  bool SaveFigure(int row, size_t figure, const FigureDetail& detail);
  std::string RowFigurePath(int row, size_t figure) const;

  Settings settings_;
  FileSystem& fs_;
  std::string settingsPath_;
  std::string programDir_;
  FigureMeasurer measure_;
  std::array<RowView, kPatternRows> rows_{};
  std::string unitLabel_;
  int busy_ = 0;
  bool closePending_ = false;
  bool closing_ = false;  // OK or a close has been accepted: no second save

  std::optional<LoadedRowDetails> details_;  // none: the program passed no details
  std::string detailsPath_;
  JwsConverter convert_;
  std::map<int, PendingRow> pendingDetails_;  // by row, kept until OK
  std::optional<DetailEdit> edit_;
  PendingFileSystem previewFs_{fs_};
};

}  // namespace gara
