#include "dialog/dialog_model.h"

#include <optional>
#include <utility>

#include "figure/figure_format.h"
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

std::string FigureNoFigureMessage(std::string_view jwsPath) {
  std::string text = "図形ファイル「";
  text += jwsPath;
  text += "」から図形を作れませんでした。";
  return text;
}

std::string NoFigureMessage(std::string_view jwsPath) {
  return FigureNoFigureMessage(jwsPath) + "\r\n「JWS 図形」の行の幅と高さは " +
         NumberText(kSizeNotGiven) + " になります。";
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
  // The row figure files and the details first: the settings name nothing of them.
  const bool details = SaveDetails();
  const bool settings = SaveSettings(fs_, settingsPath_, Collect(windowLeft, windowTop));
  return details && settings ? OkResult::kSaved : OkResult::kSaveFailed;
}

DialogModel::CloseResult DialogModel::RequestClose() {
  closing_ = true;
  if (!Busy()) return CloseResult::kNow;
  closePending_ = true;
  return CloseResult::kDeferred;
}

// The 詳細 sub-dialog: a row's figure details and its bend switch, edited in memory and written
// only by OK.

std::string DetailsCaption(int row) { return "柄 " + std::to_string(row) + " の詳細"; }

std::string FigureSizeText(std::string_view figure) {
  if (figure.empty()) return {};
  const FigureSize size = MeasureFigureBytes(figure);
  return NumberText(size.width) + " × " + NumberText(size.height);
}

std::string DetailsUnreadableMessage(std::string_view path) {
  std::string text = "柄の詳細のファイル「";
  text += path;
  text +=
      "」を読めません。\r\n"
      "詳細は変更できません。このファイルはそのまま残ります。";
  return text;
}

void DialogModel::UseRowDetails(LoadedRowDetails loaded, std::string path, JwsConverter convert) {
  details_ = std::move(loaded);
  detailsPath_ = std::move(path);
  convert_ = std::move(convert);
}

std::string DialogModel::RowFigurePath(int row, size_t figure) const {
  return programDir_ + RowFigureFileName(row, kFigureDetailKeys[figure].key);
}

// The figure as the main dialog holds it: chosen since it opened, else as the file names it.
FigureDetail DialogModel::StoredFigure(int row, size_t figure) {
  if (const auto it = pendingDetails_.find(row); it != pendingDetails_.end()) {
    if (const std::optional<FigureDetail>& pending = it->second.figures[figure]) return *pending;
  }
  FigureDetail detail;
  if (!details_) return detail;
  const FigureDetailKey& key = kFigureDetailKeys[figure];
  const DetailFigure file = CheckedDetailFigure(details_->details, row, key.key, fs_, programDir_);
  if (file.file.empty()) return detail;
  detail.figure = fs_.ReadFile(programDir_ + file.file).value_or("");
  if (detail.figure.empty()) return detail;
  const std::optional<std::string> source = details_->details.Get(row, key.sourceKey);
  detail.source = source ? FigureSource::kJws : FigureSource::kSelection;
  if (source) detail.jwsPath = *source;
  return detail;
}

bool DialogModel::StoredBend(int row) const {
  if (const auto it = pendingDetails_.find(row); it != pendingDetails_.end() && it->second.bend) {
    return *it->second.bend;
  }
  return details_ && details_->details.Get(row, kBendKey) == "1";
}

DialogModel::DetailsOpen DialogModel::OpenDetails() {
  const int row = FocusRow();
  if (Busy() || closing_ || row == 0 || !details_) return DetailsOpen::kRefused;
  if (details_->unreadable) return DetailsOpen::kUnreadable;
  DetailEdit edit;
  edit.row = row;
  for (size_t i = 0; i < kFigureDetailCount; ++i) {
    FigureEdit& figure = edit.figures[i];
    figure.initial = StoredFigure(row, i);
    figure.source = figure.initial.source;
    if (figure.source == FigureSource::kJws) {
      figure.jwsPath = figure.initial.jwsPath;
      figure.jwsFigure = figure.initial.figure;
    } else {
      figure.selectionFigure = figure.initial.figure;
    }
  }
  edit.initialBend = edit.bend = StoredBend(row);
  edit_ = std::move(edit);
  return DetailsOpen::kOpened;
}

FigureDetail DialogModel::edited(size_t figure) const {
  FigureDetail detail;
  if (!edit_ || figure >= kFigureDetailCount) return detail;
  const FigureEdit& edit = edit_->figures[figure];
  detail.source = edit.source;
  switch (edit.source) {
    case FigureSource::kNone:
      break;
    case FigureSource::kSelection:
      detail.figure = edit.selectionFigure;
      break;
    case FigureSource::kJws:
      detail.jwsPath = edit.jwsPath;
      detail.figure = edit.jwsFigure;
      break;
  }
  return detail;
}

void DialogModel::ChooseFigure(size_t figure, FigureSource source) {
  if (!edit_ || busy_ > 0 || figure >= kFigureDetailCount) return;
  FigureEdit& edit = edit_->figures[figure];
  edit.source = source;
  // A copy of the selection as it is now: registering another one later leaves the row's own.
  if (source == FigureSource::kSelection) {
    edit.selectionFigure =
        fs_.ReadFile(programDir_ + std::string(FigureFileName(FigureKind::kSelected))).value_or("");
  }
}

BrowseStart DialogModel::StartFigureBrowse(size_t figure) const {
  const bool own = edit_ && figure < kFigureDetailCount && !edit_->figures[figure].jwsPath.empty();
  const std::string& jws = own ? edit_->figures[figure].jwsPath : settings_.jwsFile;
  const std::string& path = jws.empty() ? programDir_ : jws;
  const std::string_view directory = DirectoryPart(path, kWindowsPathSeparators);
  return {std::string(directory), path.substr(directory.size())};
}

DialogModel::BrowseResult DialogModel::BrowseFigure(size_t figure, const std::string& chosenPath) {
  if (!edit_ || busy_ > 0 || figure >= kFigureDetailCount) return BrowseResult::kRefused;
  if (!HasJwsExtension(chosenPath)) return BrowseResult::kIgnored;
  FigureEdit& edit = edit_->figures[figure];
  edit.source = FigureSource::kJws;
  edit.jwsPath = chosenPath;
  edit.jwsFigure.clear();
  // The converter writes a file of its own beside the row's figure, whose bytes are taken and
  // the file removed: the row's figure itself changes only on OK.
  const std::string output = RowFigurePath(edit_->row, figure) + ".tmp";
  bool converted = false;
  {
    BusyScope busy(*this);
    converted = convert_ && convert_(chosenPath, output);
  }
  if (converted) {
    edit.jwsFigure = fs_.ReadFile(output).value_or("");
    if (fs_.IsFile(output)) (void)fs_.Remove(output);
  }
  return Measured(MeasureFigureBytes(edit.jwsFigure)) ? BrowseResult::kAccepted
                                                      : BrowseResult::kFailed;
}

void DialogModel::SetBend(bool on) {
  if (edit_ && busy_ == 0) edit_->bend = on;
}

void DialogModel::CloseDetails(bool keep) {
  if (!edit_ || busy_ > 0) return;
  std::array<FigureDetail, kFigureDetailCount> chosen;
  for (size_t i = 0; i < kFigureDetailCount; ++i) {
    chosen[i] = edited(i);
    // A choice that gives no figure (JWS ファイル without a file) is none.
    if (chosen[i].figure.empty()) chosen[i] = {};
  }
  const DetailEdit edit = std::move(*edit_);
  edit_.reset();
  if (!keep) return;
  for (size_t i = 0; i < kFigureDetailCount; ++i) {
    if (chosen[i] == edit.figures[i].initial) continue;
    pendingDetails_[edit.row].figures[i] = chosen[i];
    if (chosen[i].figure.empty()) {
      previewFs_.Drop(RowFigurePath(edit.row, i));
    } else {
      previewFs_.Put(RowFigurePath(edit.row, i), chosen[i].figure);
    }
  }
  if (edit.bend != edit.initialBend) pendingDetails_[edit.row].bend = edit.bend;
}

RowExtras DialogModel::PreviewExtras(int number) {
  if (!ValidRow(number) || !details_) return {};
  RowExtras extras = CheckedRowExtras(details_->details, number, fs_, programDir_);
  const auto it = pendingDetails_.find(number);
  if (it == pendingDetails_.end()) return extras;
  for (size_t i = 0; i < kFigureDetailCount; ++i) {
    const std::optional<FigureDetail>& pending = it->second.figures[i];
    if (!pending) continue;
    const FigureDetailKey& key = kFigureDetailKeys[i];
    extras.*key.file = pending->figure.empty() ? std::string() : RowFigureFileName(number, key.key);
  }
  return extras;
}

bool DialogModel::SaveFigure(int row, size_t figure, const FigureDetail& detail) {
  RowDetails& details = details_->details;
  const FigureDetailKey& key = kFigureDetailKeys[figure];
  if (detail.figure.empty()) {
    details.Erase(row, key.key);
    details.Erase(row, key.sourceKey);
    return true;
  }
  // A figure that cannot be written is not named: the row keeps what it had.
  if (!ReplaceFile(fs_, RowFigurePath(row, figure), detail.figure, OnWriteFailure::kKeepOld)) {
    return false;
  }
  details.Set(row, key.key, RowFigureFileName(row, key.key));
  // A path the file cannot hold (in a UTF-8 file, one Shift-JIS writes with an unusual code) is
  // better gone than left naming the previous figure's source.
  if (detail.source != FigureSource::kJws || !details.Set(row, key.sourceKey, detail.jwsPath)) {
    details.Erase(row, key.sourceKey);
  }
  return true;
}

bool DialogModel::SaveDetails() {
  if (!details_ || details_->unreadable || pendingDetails_.empty()) return true;
  bool complete = true;
  for (const auto& [row, pending] : pendingDetails_) {
    for (size_t i = 0; i < kFigureDetailCount; ++i) {
      if (pending.figures[i] && !SaveFigure(row, i, *pending.figures[i])) complete = false;
    }
    if (!pending.bend) continue;
    if (*pending.bend) {
      details_->details.Set(row, kBendKey, "1");
    } else {
      details_->details.Erase(row, kBendKey);
    }
  }
  return SaveRowDetails(fs_, detailsPath_, details_->details) && complete;
}

}  // namespace gara
