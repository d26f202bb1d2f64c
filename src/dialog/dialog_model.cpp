#include "dialog/dialog_model.h"

#include <optional>
#include <utility>

#include "util/number_text.h"
#include "util/path.h"
#include "util/text.h"

namespace gara {

namespace {

// Sizes and intervals at or below this count as not given.
constexpr double kTolerance = 1e-8;
// Decimals of a size measured by a figure-kind change.
constexpr int kMeasuredDecimals = 10;

bool ValidRow(int number) { return number >= 1 && number <= kPatternRows; }

bool Measured(const FigureSize& size) {
  return size.width > kTolerance && size.height > kTolerance;
}

// What OK stores for a size that is empty, zero or negative.
constexpr double kSizeNotGiven = 1.0;

double SizeFromText(std::string_view text) {
  const double value = TextToReal(text);
  return value <= kTolerance ? kSizeNotGiven : value;
}

double IntervalFromText(std::string_view text) {
  const double value = TextToReal(text);
  return value > 0.0 ? value : 0.0;
}

}  // namespace

int32_t ListSelection(int32_t value, std::span<const std::string_view> items) {
  return value >= 0 && static_cast<size_t>(value) < items.size() ? value : -1;
}

std::string NoFigureMessage(std::string_view jwsPath) {
  std::string text = "図形ファイル「";
  text += jwsPath;
  text +=
      "」から図形を作れませんでした。\r\n"
      "「JWS 図形」の行の幅と高さは " +
      NumberText(kSizeNotGiven) + " になります。";
  return text;
}

bool HasJwsExtension(std::string_view path) {
  const std::string_view name = path.substr(DirectoryPart(path, kWindowsPathSeparators).size());
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view extension = name.substr(dot);
  constexpr std::string_view kJws = ".jws";
  if (extension.size() != kJws.size()) return false;
  for (size_t i = 0; i < kJws.size(); ++i) {
    char c = extension[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kJws[i]) return false;
  }
  return true;
}

std::string FileDialogFilter(std::string_view filter) {
  std::string out;
  out.reserve(filter.size() + 2);
  for (size_t i = 0; i < filter.size(); ++i) {
    const char c = filter[i];
    if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < filter.size()) {
      out += c;
      out += filter[++i];
    } else {
      out += c == '|' ? '\0' : c;
    }
  }
  out += '\0';
  out += '\0';
  return out;
}

DialogModel::DialogModel(Settings loaded, FileSystem& fs, std::string settingsPath,
                         std::string programDir, FigureMeasurer measure)
    : settings_(std::move(loaded)),
      fs_(fs),
      settingsPath_(std::move(settingsPath)),
      programDir_(std::move(programDir)),
      measure_(std::move(measure)) {}

FigureSize DialogModel::Measure(int kind) {
  BusyScope busy(*this);
  return measure_ ? measure_(kind, settings_.jwsFile) : FigureSize{};
}

void DialogModel::Show(bool paperScale) {
  const FigureSize selected = Measure(0);
  const FigureSize jws = Measure(1);
  unitLabel_ = std::string(paperScale ? kUnitPaper : kUnitReal);
  for (int n = 1; n <= kPatternRows; ++n) {
    PatternRow& stored = settings_.rows[n - 1];
    RowView& view = row(n);
    view.selected = n == settings_.selectedRow;
    view.figureKind = ListSelection(stored.figureKind, kFigureKindItems);
    // The shown size of a row follows its figure source as it is now; other kinds keep theirs.
    if (const std::optional<FigureKind> kind = stored.Kind()) {
      const FigureSize& size = *kind == FigureKind::kSelected ? selected : jws;
      stored.width = size.width;
      stored.height = size.height;
    }
    view.width = NumberText(stored.width);
    view.height = NumberText(stored.height);
    view.interval = NumberText(stored.interval);
    view.arrangement = ListSelection(stored.arrangement, kArrangementItems);
    view.referencePoint = ListSelection(stored.referencePoint, kReferencePointItems);
    view.topLine = ListSelection(stored.topLine, kLineModeItems);
    view.middleLine = ListSelection(stored.middleLine, kLineModeItems);
    view.bottomLine = ListSelection(stored.bottomLine, kLineModeItems);
  }
}

int DialogModel::FocusRow() const {
  for (int n = 1; n <= kPatternRows; ++n) {
    if (rows_[n - 1].selected) return n;
  }
  return 0;
}

void DialogModel::SelectRow(int number) {
  if (!ValidRow(number)) return;
  for (int n = 1; n <= kPatternRows; ++n) row(n).selected = n == number;
}

void DialogModel::SetSwitch(Switch which, bool on) {
  switch (which) {
    case Switch::kLayerGroup:
      settings_.SetUseWritingLayerGroup(on);
      break;
    case Switch::kLayer:
      settings_.SetUseWritingLayer(on);
      break;
    case Switch::kColour:
      settings_.useWritingColour = on;
      break;
    case Switch::kLineType:
      settings_.useWritingLineType = on;
      break;
  }
}

void DialogModel::ClearSwitches() {
  for (Switch which : {Switch::kLayerGroup, Switch::kLayer, Switch::kColour, Switch::kLineType}) {
    SetSwitch(which, false);
  }
}

DialogModel::KindChange DialogModel::ChangeFigureKind(int number, int32_t index) {
  if (!ValidRow(number)) return KindChange::kUnchanged;
  // A second converter on top of a running one would race for jws.txt.
  if (Busy()) return KindChange::kRefused;
  row(number).figureKind = index;
  if (index != 0 && index != 1) return KindChange::kUnchanged;
  const FigureSize size = Measure(index);
  if (!Measured(size)) return KindChange::kUnchanged;
  row(number).width = FixedText(kMeasuredDecimals, size.width);
  row(number).height = FixedText(kMeasuredDecimals, size.height);
  return KindChange::kResized;
}

BrowseStart DialogModel::StartBrowse() const {
  const std::string& path = settings_.jwsFile.empty() ? programDir_ : settings_.jwsFile;
  const std::string_view directory = DirectoryPart(path, kWindowsPathSeparators);
  return {std::string(directory), path.substr(directory.size())};
}

DialogModel::BrowseResult DialogModel::Browse(const std::string& chosenPath) {
  if (Busy()) return BrowseResult::kRefused;
  if (!HasJwsExtension(chosenPath)) return BrowseResult::kIgnored;
  settings_.jwsFile = chosenPath;
  const FigureSize size = Measure(1);
  if (!Measured(size)) {
    // No figure came out (jws.txt is gone too): a row showing the JWS figure would otherwise
    // keep the old file's size and OK would store it for a file it does not belong to.
    const std::string notGiven = NumberText(kSizeNotGiven);
    for (RowView& view : rows_) {
      if (view.figureKind != 1) continue;
      view.width = notGiven;
      view.height = notGiven;
    }
    return BrowseResult::kFailed;
  }
  for (int n = 1; n <= kPatternRows; ++n) {
    PatternRow& stored = settings_.rows[n - 1];
    if (stored.Kind() != FigureKind::kJws)
      continue;  // the kind loaded at show, not the one chosen since
    stored.width = size.width;
    stored.height = size.height;
    row(n).width = NumberText(size.width);
    row(n).height = NumberText(size.height);
  }
  return BrowseResult::kAccepted;
}

Settings DialogModel::Collect(const std::array<RowView, kPatternRows>& rows, int32_t windowLeft,
                              int32_t windowTop) const {
  Settings out = settings_;
  out.windowLeft = windowLeft;
  out.windowTop = windowTop;
  for (int n = 1; n <= kPatternRows; ++n) {
    const RowView& view = rows[n - 1];
    PatternRow& stored = out.rows[n - 1];
    // With no radio button on, the loaded selection stays.
    if (view.selected) out.selectedRow = n;
    stored.figureKind = view.figureKind;
    stored.width = SizeFromText(view.width);
    stored.height = SizeFromText(view.height);
    stored.arrangement = view.arrangement;
    stored.interval = IntervalFromText(view.interval);
    stored.referencePoint = view.referencePoint;
    stored.topLine = view.topLine;
    stored.middleLine = view.middleLine;
    stored.bottomLine = view.bottomLine;
  }
  return out;
}

DialogModel::OkResult DialogModel::Ok(int32_t windowLeft, int32_t windowTop) {
  // Rows half way through a measurement are not saved, nor anything after the close was asked.
  if (Busy() || closing_) return OkResult::kRefused;
  closing_ = true;
  return SaveSettings(fs_, settingsPath_, Collect(windowLeft, windowTop)) ? OkResult::kSaved
                                                                          : OkResult::kSaveFailed;
}

DialogModel::CloseResult DialogModel::RequestClose() {
  closing_ = true;
  if (!Busy()) return CloseResult::kNow;
  closePending_ = true;
  return CloseResult::kDeferred;
}

}  // namespace gara
