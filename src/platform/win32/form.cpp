// The settings dialog in raw Win32 (ANSI functions, Shift-JIS texts). The controls come from
// the layout table; values move between them and the DialogModel, which holds all behaviour.
#include "platform/win32/form.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/outcome_message.h"
#include "dialog/dialog_layout.h"
#include "dialog/dialog_model.h"
#include "dialog/help_text.h"
#include "platform/run_message.h"
#include "platform/win32/controls.h"
#include "platform/win32/details_dialog.h"
#include "platform/win32/preview_pane.h"
#include "scene/preview.h"

namespace gara {

namespace {

constexpr char kWindowClass[] = "GaranarabeSettingsForm";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMemoColour = RGB(kMemoRed, kMemoGreen, kMemoBlue);
// Posted by a figure-kind box so that the measurement runs after the box has finished its own
// handling of the click or key (wParam: the row number).
constexpr UINT kMeasureRowMessage = WM_APP + 1;
constexpr int kFirstControlId = 1000;
constexpr int kGridControls = kPatternRows * kRowColumns;
constexpr int kMaxPathBytes = 1024;
// The preview is rebuilt once typing has paused this long: a large figure takes longer to draw
// than the time between two keys, and every key would wait for it.
constexpr UINT_PTR kPreviewTimer = 1;
constexpr UINT kPreviewDelayMs = 250;
// The preview pane's caption, followed by the number of the row it shows.
constexpr std::string_view kPreviewCaption = "プレビュー　パターン";

int GridIndex(int row, RowColumn column) {
  return (row - 1) * kRowColumns + static_cast<int>(column);
}
int OtherIndex(OtherControl which) { return kGridControls + static_cast<int>(which); }

// OK and Cancel carry the ids the dialog keys (Enter, Esc) send.
int ControlId(int index) {
  if (index == OtherIndex(OtherControl::kButton1)) return IDOK;
  if (index == OtherIndex(OtherControl::kButton2)) return IDCANCEL;
  return kFirstControlId + index;
}
int ControlIndex(int id) {
  if (id == IDOK) return OtherIndex(OtherControl::kButton1);
  if (id == IDCANCEL) return OtherIndex(OtherControl::kButton2);
  return id - kFirstControlId;
}

class SettingsForm {
 public:
  explicit SettingsForm(SettingsDialogInput& input)
      : input_(input),
        model_(input.settings, input.fs, input.settingsPath, input.programDir,
               [this](int kind, const std::string& jwsPath) {
                 return MeasureFigure(kind, input_.fs, &input_.runner, input_.programDir, jwsPath);
               }) {
    model_.UseRowDetails(input.rowDetails, input.detailsPath,
                         [this](const std::string& jwsPath, const std::string& outputPath) {
                           return RunConverterInto(input_.fs, input_.runner, input_.programDir,
                                                   jwsPath, outputPath);
                         });
  }
  ~SettingsForm();
  SettingsForm(const SettingsForm&) = delete;
  SettingsForm& operator=(const SettingsForm&) = delete;

  bool Create(HINSTANCE instance);
  // Measures, fills the controls, moves the window to its stored place and shows it.
  void Show();
  int RunMessageLoop();
  // Set when a failure ended the dialog: nothing was saved, the user is yet to be told.
  std::optional<RunFailure> failure() const { return failure_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Abandon(RunFailure failure);
  void OnCommand(int id, int code);

  HWND RowControl(int row, RowColumn column) const { return controls_[GridIndex(row, column)]; }
  HWND Other(OtherControl which) const { return controls_[OtherIndex(which)]; }

  // Model -> controls.
  void WriteRow(int row);
  void WriteRowSizes(int row);
  void WriteRadios();
  void WriteSwitches();
  // Controls -> rows: the model's for OK, a copy for the preview.
  void ReadRows(std::array<RowView, kPatternRows>& rows) const;

  // Builds the preview of the selected row from the values the controls show now, as OK would
  // store them. While a figure is measured (jws.txt may be half written) it waits for the end.
  void RefreshPreview();
  // The same once typing has paused.
  void SchedulePreview();

  void OnFigureKindChange(int row);
  void OnBrowse();
  void OnDetails();
  void OnOk();
  void OnClose();
  template <typename Work>
  auto WhileWaiting(Work work);
  void CloseIfPending();
  void MoveToStoredPlace();

  SettingsDialogInput& input_;
  DialogModel model_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH whiteBrush_ = nullptr;
  HBRUSH memoBrush_ = nullptr;
  HWND lastFocus_ = nullptr;  // the control that had the keyboard when the form lost it
  PreviewPane preview_;
  bool filling_ = false;        // Show is writing the controls: the preview waits for the end
  std::vector<HWND> controls_;  // in creation order: the grid row by row, then the others
  std::optional<RunFailure> failure_;
};

SettingsForm::~SettingsForm() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
  if (whiteBrush_ != nullptr) DeleteObject(whiteBrush_);
  if (memoBrush_ != nullptr) DeleteObject(memoBrush_);
}

bool SettingsForm::Create(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &SettingsForm::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExA(&windowClass);

  const std::string fontName(kFontName);
  font_ = CreateFontA(-kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      FIXED_PITCH | FF_MODERN, fontName.c_str());
  whiteBrush_ = CreateSolidBrush(kWhite);
  memoBrush_ = CreateSolidBrush(kMemoColour);

  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  const std::string caption(kFormCaption);
  window_ = CreateWindowExA(0, kWindowClass, caption.c_str(), kWindowStyle, kResourceLeft,
                            kResourceTop, frame.right - frame.left, frame.bottom - frame.top,
                            nullptr, nullptr, instance, this);
  if (window_ == nullptr) return false;

  // Creation order is tab order.
  const std::vector<ControlLayout> layout = AllControls();
  controls_.resize(layout.size());
  for (size_t i = 0; i < layout.size(); ++i) {
    controls_[i] = CreateLayoutControl(window_, font_, layout[i], ControlId(static_cast<int>(i)));
  }
  SetWindowTextA(Other(OtherControl::kMemo1), HelpText().c_str());
  // Made after every control, so that it takes no place in their order.
  const RECT pane{kPreviewLeft, kPreviewTop, kPreviewLeft + kPreviewWidth,
                  kPreviewTop + kPreviewHeight};
  preview_.Create(window_, pane, font_);
  return true;
}

void SettingsForm::WriteRowSizes(int row) {
  const RowView& view = model_.row(row);
  SetWindowTextA(RowControl(row, RowColumn::kWidth), view.width.c_str());
  SetWindowTextA(RowControl(row, RowColumn::kHeight), view.height.c_str());
}

void SettingsForm::WriteRow(int row) {
  const RowView& view = model_.row(row);
  for (int column = 0; column < kRowColumns; ++column) {
    const RowBinding binding = RowColumnBinding(static_cast<RowColumn>(column));
    HWND control = RowControl(row, static_cast<RowColumn>(column));
    if (control == nullptr) continue;  // a control that could not be made is skipped
    if (binding.selection != nullptr) {
      SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(view.*binding.selection), 0);
    } else if (binding.text != nullptr) {
      SetWindowTextA(control, (view.*binding.text).c_str());
    }
  }
}

void SettingsForm::WriteRadios() {
  for (int row = 1; row <= kPatternRows; ++row) {
    SendMessageA(RowControl(row, RowColumn::kRadio), BM_SETCHECK,
                 model_.row(row).selected ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void SettingsForm::ReadRows(std::array<RowView, kPatternRows>& rows) const {
  std::array<char, kMaxPathBytes> buffer{};
  for (int row = 1; row <= kPatternRows; ++row) {
    RowView& view = rows[row - 1];
    for (int column = 0; column < kRowColumns; ++column) {
      const RowBinding binding = RowColumnBinding(static_cast<RowColumn>(column));
      HWND control = RowControl(row, static_cast<RowColumn>(column));
      if (control == nullptr) continue;
      if (binding.selection != nullptr) {
        view.*binding.selection = static_cast<int32_t>(SendMessageA(control, CB_GETCURSEL, 0, 0));
      } else if (binding.text != nullptr) {
        buffer[0] = '\0';
        GetWindowTextA(control, buffer.data(), static_cast<int>(buffer.size()));
        view.*binding.text = buffer.data();
      }
    }
  }
}

void SettingsForm::WriteSwitches() {
  const Settings& s = model_.settings();
  const std::array<bool, kSwitchCount> on{s.useWritingLayerGroup, s.useWritingLayer,
                                          s.useWritingColour, s.useWritingLineType};
  for (int i = 0; i < kSwitchCount; ++i) {
    SendMessageA(Other(SwitchControl(static_cast<Switch>(i))), BM_SETCHECK,
                 on[i] ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void SettingsForm::Show() {
  filling_ = true;
  model_.Show(input_.paperScale);
  SetWindowTextA(Other(OtherControl::kLabelU), model_.unitLabel().c_str());
  SetWindowTextA(Other(OtherControl::kEdit1), model_.settings().jwsFile.c_str());
  // The unit label was created as wide as "[]".
  const SIZE unit = TextSize(window_, font_, model_.unitLabel());
  SetWindowPos(Other(OtherControl::kLabelU), nullptr, 0, 0, unit.cx, unit.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  WriteSwitches();
  WriteRadios();
  for (int row = 1; row <= kPatternRows; ++row) {
    WriteRow(row);
    EnableWindow(RowControl(row, RowColumn::kFigureKind), TRUE);
  }
  filling_ = false;
  RefreshPreview();
  MoveToStoredPlace();
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  if (const int focus = model_.FocusRow(); focus != 0) {
    SetFocus(RowControl(focus, RowColumn::kRadio));
  }
  CloseIfPending();
}

// The stored place, unless it lies off every monitor (a screen since removed): then the nearest
// monitor's corner, so that the dialog can always be reached.
void SettingsForm::MoveToStoredPlace() {
  const Settings& s = model_.settings();
  RECT bounds;
  GetWindowRect(window_, &bounds);
  // Far beyond any screen either way; keeps the right and bottom edges from overflowing.
  constexpr int32_t kFar = 1 << 20;
  int left = std::clamp(s.windowLeft, -kFar, kFar);
  int top = std::clamp(s.windowTop, -kFar, kFar);
  const RECT wanted{left, top, left + (bounds.right - bounds.left),
                    top + (bounds.bottom - bounds.top)};
  if (MonitorFromRect(&wanted, MONITOR_DEFAULTTONULL) == nullptr) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor)) {
      left = monitor.rcWork.left;
      top = monitor.rcWork.top;
    }
  }
  SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Runs `work`, which may wait for the converter while the messages keep flowing, with the
// window disabled so that no click or key reaches it meanwhile. A nested call (a message
// handled during the wait) leaves the window disabled.
template <typename Work>
auto SettingsForm::WhileWaiting(Work work) {
  const bool outermost = IsWindowEnabled(window_) != 0;
  // Right after the file dialog closes the form may not have the keyboard back yet: then the
  // control that had it before the form lost it is the one to return to.
  HWND focus = GetFocus();
  if (focus == nullptr || !IsChild(window_, focus)) focus = lastFocus_;
  if (outermost) EnableWindow(window_, FALSE);
  auto result = work();
  if (outermost) {
    // Disabling the form took the keyboard from it; the user goes on working here.
    EnableWindow(window_, TRUE);
    SetForegroundWindow(window_);
    if (focus != nullptr && IsWindow(focus)) SetFocus(focus);
  }
  return result;
}

// A close asked for during a wait is carried out once nothing waits any more.
void SettingsForm::CloseIfPending() {
  if (model_.ClosePending() && !model_.Busy() && IsWindow(window_)) DestroyWindow(window_);
}

void SettingsForm::SchedulePreview() {
  if (IsWindow(window_)) SetTimer(window_, kPreviewTimer, kPreviewDelayMs, nullptr);
}

void SettingsForm::RefreshPreview() {
  if (!IsWindow(window_)) return;
  KillTimer(window_, kPreviewTimer);
  if (filling_ || model_.Busy() || model_.ClosePending()) return;
  std::array<RowView, kPatternRows> rows = model_.rows();
  ReadRows(rows);
  const Settings edited = model_.Collect(rows, 0, 0);
  // The figures chosen in 詳細 are read from memory until OK writes them.
  const scene::Preview preview =
      scene::BuildPreview(edited, edited.selectedRow, input_.drawing, model_.previewFileSystem(),
                          input_.programDir, model_.PreviewExtras(edited.selectedRow));
  std::string caption(kPreviewCaption);
  if (edited.Row(edited.selectedRow) != nullptr) caption += std::to_string(edited.selectedRow);
  preview_.Show(preview.drawing, caption);
}

void SettingsForm::OnFigureKindChange(int row) {
  HWND box = RowControl(row, RowColumn::kFigureKind);
  if (box == nullptr) return;
  const auto index = static_cast<int32_t>(SendMessageA(box, CB_GETCURSEL, 0, 0));
  const DialogModel::KindChange change =
      WhileWaiting([&] { return model_.ChangeFigureKind(row, index); });
  switch (change) {
    case DialogModel::KindChange::kRefused:
      // Another figure is being measured: the box goes back to what the row holds.
      SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(model_.row(row).figureKind), 0);
      break;
    case DialogModel::KindChange::kResized:
      WriteRowSizes(row);
      break;
    case DialogModel::KindChange::kUnchanged:
      break;
  }
  // Also after a refused change: edits made during the measurement wait for its end.
  RefreshPreview();
  CloseIfPending();
}

void SettingsForm::OnBrowse() {
  if (model_.Busy()) return;
  std::optional<std::string> chosen;
  {
    // The file dialog runs its own message loop: a close arriving meanwhile waits for it.
    DialogModel::BusyScope busy(model_);
    chosen = ChooseJwsFile(window_, model_.StartBrowse());
  }
  if (chosen) {
    const std::string& path = *chosen;
    const DialogModel::BrowseResult result = WhileWaiting([&] { return model_.Browse(path); });
    if (result == DialogModel::BrowseResult::kAccepted ||
        result == DialogModel::BrowseResult::kFailed) {
      SetWindowTextA(Other(OtherControl::kEdit1), model_.settings().jwsFile.c_str());
      for (int row = 1; row <= kPatternRows; ++row) WriteRowSizes(row);
    }
    if (result == DialogModel::BrowseResult::kFailed && !model_.ClosePending()) {
      const std::string message = NoFigureMessage(path);
      const std::string title(kApplicationTitle);
      // Like the file dialog, the message box runs its own loop: a close waits for it.
      DialogModel::BusyScope busy(model_);
      MessageBoxA(window_, message.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
    }
  }
  RefreshPreview();
  CloseIfPending();
}

void SettingsForm::OnDetails() {
  switch (model_.OpenDetails()) {
    case DialogModel::DetailsOpen::kRefused:
      return;
    case DialogModel::DetailsOpen::kUnreadable: {
      const std::string message = DetailsUnreadableMessage(input_.detailsPath);
      const std::string title(kApplicationTitle);
      DialogModel::BusyScope busy(model_);
      MessageBoxA(window_, message.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
      break;
    }
    case DialogModel::DetailsOpen::kOpened:
      RunDetailsDialog(window_, font_, model_);
      break;
  }
  if (lastFocus_ != nullptr && IsWindow(lastFocus_)) SetFocus(lastFocus_);
  RefreshPreview();
  CloseIfPending();
}

void SettingsForm::OnOk() {
  if (model_.Busy()) return;
  ReadRows(model_.rows());
  RECT bounds;
  GetWindowRect(window_, &bounds);
  if (model_.Ok(bounds.left, bounds.top) != DialogModel::OkResult::kRefused) {
    DestroyWindow(window_);
  }
}

void SettingsForm::OnClose() {
  if (model_.RequestClose() == DialogModel::CloseResult::kNow) DestroyWindow(window_);
}

void SettingsForm::OnCommand(int id, int code) {
  const int index = ControlIndex(id);
  if (index >= 0 && index < kGridControls) {
    const int row = index / kRowColumns + 1;
    const auto column = static_cast<RowColumn>(index % kRowColumns);
    if (column == RowColumn::kRadio && code == BN_CLICKED) {
      model_.SelectRow(row);
      WriteRadios();
      RefreshPreview();
    } else if (column == RowColumn::kFigureKind && code == CBN_SELCHANGE) {
      PostMessageA(window_, kMeasureRowMessage, static_cast<WPARAM>(row), 0);
    } else if (code == CBN_SELCHANGE && model_.row(row).selected) {
      RefreshPreview();
    } else if (code == EN_CHANGE && model_.row(row).selected) {
      SchedulePreview();
    }
    return;
  }
  if (code != BN_CLICKED || index < kGridControls || index >= kGridControls + kOtherControls) {
    return;
  }
  switch (const auto which = static_cast<OtherControl>(index - kGridControls)) {
    case OtherControl::kButton1:
      OnOk();
      break;
    case OtherControl::kButton2:
      OnClose();
      break;
    case OtherControl::kButton3:
      OnBrowse();
      break;
    case OtherControl::kButton5:
      OnDetails();
      break;
    case OtherControl::kButton4:
      model_.ClearSwitches();
      WriteSwitches();
      RefreshPreview();
      break;
    case OtherControl::kCheckBox1:
    case OtherControl::kCheckBox2:
    case OtherControl::kCheckBox3:
    case OtherControl::kCheckBox4:
      for (int i = 0; i < kSwitchCount; ++i) {
        const auto sw = static_cast<Switch>(i);
        if (SwitchControl(sw) == which) {
          model_.SetSwitch(sw, SendMessageA(Other(which), BM_GETCHECK, 0, 0) == BST_CHECKED);
        }
      }
      WriteSwitches();
      RefreshPreview();
      break;
    default:
      break;
  }
}

LRESULT CALLBACK SettingsForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<SettingsForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  // After a failure the form takes no more part: its window is on its way out.
  if (form == nullptr || form->window_ != window || form->failure_) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  // No exception may unwind through the system's frames that called this: a failure ends the
  // dialog here, and the user is told once its window is gone.
  try {
    return form->Handle(message, wParam, lParam);
  } catch (const std::bad_alloc&) {
    form->Abandon(RunFailure::kOutOfMemory);
  } catch (...) {
    form->Abandon(RunFailure::kUnexpected);
  }
  return 0;
}

// Closes the dialog without saving. Handlers still running below a wait for the converter find
// the window gone; the message loop ends on the quit message, which a wait passes on.
void SettingsForm::Abandon(RunFailure failure) {
  failure_ = failure;
  if (IsWindow(window_)) DestroyWindow(window_);
  PostQuitMessage(0);
}

LRESULT SettingsForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case kMeasureRowMessage:
      OnFigureKindChange(static_cast<int>(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kPreviewTimer) RefreshPreview();
      return 0;
    case DM_GETDEFID: {
      // Enter presses the focused push button, otherwise OK.
      HWND focus = GetFocus();
      for (OtherControl button : {OtherControl::kButton2, OtherControl::kButton3,
                                  OtherControl::kButton4, OtherControl::kButton5}) {
        if (focus != nullptr && focus == Other(button)) {
          return MAKELRESULT(ControlId(OtherIndex(button)), DC_HASDEFID);
        }
      }
      return MAKELRESULT(IDOK, DC_HASDEFID);
    }
    case WM_CTLCOLORSTATIC: {
      auto dc = reinterpret_cast<HDC>(wParam);
      if (reinterpret_cast<HWND>(lParam) == Other(OtherControl::kMemo1)) {
        SetBkColor(dc, kMemoColour);
        return reinterpret_cast<LRESULT>(memoBrush_);
      }
      SetBkColor(dc, kWhite);
      return reinterpret_cast<LRESULT>(whiteBrush_);
    }
    case WM_ACTIVATE:
      // Like a dialog, the form gives the keyboard back to the control that had it.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) lastFocus_ = focus;
      } else if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
        SetFocus(lastFocus_);
        return 0;
      }
      return DefWindowProcA(window_, message, wParam, lParam);
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

int SettingsForm::RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsWindow(window_) && IsDialogMessageA(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

}  // namespace

int RunSettingsDialog(HINSTANCE instance, SettingsDialogInput input) {
  std::optional<RunFailure> failure;
  {
    SettingsForm form(input);
    if (!form.Create(instance)) return 1;
    form.Show();
    form.RunMessageLoop();
    failure = form.failure();
  }
  if (!failure) return 0;
  ShowRunMessage(DialogFailureMessage(*failure));
  return kAbortedExit;
}

}  // namespace gara
