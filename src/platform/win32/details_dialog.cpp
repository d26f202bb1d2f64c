#include "platform/win32/details_dialog.h"

#include <array>
#include <exception>
#include <optional>
#include <string>

#include "dialog/dialog_layout.h"
#include "platform/win32/controls.h"
#include "platform/win32/preview_pane.h"
#include "scene/drawing.h"
#include "scene/preview.h"

namespace gara {

namespace {

constexpr char kWindowClass[] = "GaranarabeDetailsDialog";
constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr int kFirstControlId = 2000;
// The groups' controls first, figure by figure, then the sub-dialog's own.
constexpr int kFigureIds = static_cast<int>(kFigureDetailCount) * kFigureControls;

int FigureControlId(size_t figure, FigureControl which) {
  return kFirstControlId + static_cast<int>(figure) * kFigureControls + static_cast<int>(which);
}

int ControlId(DetailControl which) {
  if (which == DetailControl::kButtonOk) return IDOK;
  if (which == DetailControl::kButtonCancel) return IDCANCEL;
  return kFirstControlId + kFigureIds + static_cast<int>(which);
}

// A control of a figure's group, by its id.
struct FigureControlRef {
  size_t figure;
  FigureControl which;
};
std::optional<FigureControlRef> FigureControlOf(int id) {
  const int index = id - kFirstControlId;
  if (index < 0 || index >= kFigureIds) return std::nullopt;
  return FigureControlRef{static_cast<size_t>(index / kFigureControls),
                          static_cast<FigureControl>(index % kFigureControls)};
}

std::optional<DetailControl> ControlOf(int id) {
  if (id == IDOK) return DetailControl::kButtonOk;
  if (id == IDCANCEL) return DetailControl::kButtonCancel;
  const int index = id - kFirstControlId - kFigureIds;
  if (index < 0 || index >= kDetailControls) return std::nullopt;
  return static_cast<DetailControl>(index);
}

class DetailsDialog {
 public:
  DetailsDialog(DialogModel& model, HFONT font) : model_(model), font_(font) {}
  ~DetailsDialog() {
    if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
    if (whiteBrush_ != nullptr) DeleteObject(whiteBrush_);
  }
  DetailsDialog(const DetailsDialog&) = delete;
  DetailsDialog& operator=(const DetailsDialog&) = delete;

  void Run(HWND owner);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  bool Create(HWND owner);
  HWND Control(DetailControl which) const { return GetDlgItem(window_, ControlId(which)); }
  HWND Control(size_t figure, FigureControl which) const {
    return GetDlgItem(window_, FigureControlId(figure, which));
  }
  // Model -> controls: every group's radio buttons, .jws path, size and picture, and the bend.
  void Write();
  void WriteFigure(size_t figure);
  void OnCommand(int id, int code);
  void OnFigureCommand(size_t figure, FigureControl which);
  void OnBrowse(size_t figure);
  void End(bool keep);

  DialogModel& model_;
  HFONT font_;
  HWND window_ = nullptr;
  HBRUSH whiteBrush_ = nullptr;
  std::array<PreviewPane, kFigureDetailCount> pictures_;
  bool done_ = false;
  std::exception_ptr failure_;
};

bool DetailsDialog::Create(HWND owner) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterWindowClass(kWindowClass, &DetailsDialog::WindowProc,
                           static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)))) {
    return false;
  }
  whiteBrush_ = CreateSolidBrush(RGB(255, 255, 255));
  RECT frame{0, 0, kDetailClientWidth, kDetailClientHeight};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Over the middle of the settings dialog.
  RECT ownerPlace;
  GetWindowRect(owner, &ownerPlace);
  const int left = (ownerPlace.left + ownerPlace.right - width) / 2;
  const int top = (ownerPlace.top + ownerPlace.bottom - height) / 2;
  const std::string caption = DetailsCaption(model_.editedRow());
  window_ = CreateWindowExA(WS_EX_DLGMODALFRAME, kWindowClass, caption.c_str(), kWindowStyle, left,
                            top, width, height, owner, nullptr, instance, this);
  if (window_ == nullptr) return false;
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    for (int i = 0; i < kFigureControls; ++i) {
      const auto which = static_cast<FigureControl>(i);
      CreateLayoutControl(window_, font_, FigureControlLayout(figure, which),
                          FigureControlId(figure, which));
    }
    const PicturePlace place = FigurePicturePlace(figure);
    pictures_[figure].Create(
        window_, RECT{place.left, place.top, place.left + place.width, place.top + place.height},
        font_);
  }
  for (int i = 0; i < kDetailControls; ++i) {
    const auto which = static_cast<DetailControl>(i);
    CreateLayoutControl(window_, font_, DetailControlLayout(which), ControlId(which));
  }
  return true;
}

void DetailsDialog::Write() {
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) WriteFigure(figure);
  SendMessageA(Control(DetailControl::kCheckBend), BM_SETCHECK,
               model_.bend() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DetailsDialog::WriteFigure(size_t figure) {
  const FigureDetail detail = model_.edited(figure);
  for (size_t i = 0; i < kFigureRadios.size(); ++i) {
    const bool on = static_cast<size_t>(detail.source) == i;
    SendMessageA(Control(figure, kFigureRadios[i]), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED,
                 0);
  }
  SetWindowTextA(Control(figure, FigureControl::kEditJws), detail.jwsPath.c_str());
  std::string size = FigureSizeText(detail.figure);
  if (size.empty() && detail.source != FigureSource::kNone) {
    size = scene::PreviewNoteText(scene::PreviewNote::kFigureMissing);
  }
  SetWindowTextA(Control(figure, FigureControl::kTextSize), size.c_str());
  scene::Drawing drawing;
  scene::AddFigure(detail.figure, drawing);
  pictures_[figure].Show(drawing, "");
}

void DetailsDialog::OnBrowse(size_t figure) {
  std::optional<std::string> chosen;
  {
    // The file dialog runs its own message loop: the main dialog stays held meanwhile.
    DialogModel::BusyScope busy(model_);
    chosen = ChooseJwsFile(window_, model_.StartFigureBrowse(figure));
  }
  if (!chosen) return;
  // The converter runs with the messages flowing: no click may reach this window meanwhile.
  EnableWindow(window_, FALSE);
  const DialogModel::BrowseResult result = model_.BrowseFigure(figure, *chosen);
  EnableWindow(window_, TRUE);
  SetForegroundWindow(window_);
  SetFocus(Control(figure, FigureControl::kButtonBrowse));
  WriteFigure(figure);
  if (result == DialogModel::BrowseResult::kFailed) {
    const std::string message = FigureNoFigureMessage(*chosen);
    const std::string title(kApplicationTitle);
    MessageBoxA(window_, message.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
  }
}

void DetailsDialog::End(bool keep) {
  model_.CloseDetails(keep);
  done_ = true;
}

void DetailsDialog::OnFigureCommand(size_t figure, FigureControl which) {
  if (which == FigureControl::kButtonBrowse) {
    OnBrowse(figure);
    return;
  }
  for (size_t i = 0; i < kFigureRadios.size(); ++i) {
    if (kFigureRadios[i] != which) continue;
    model_.ChooseFigure(figure, static_cast<FigureSource>(i));
    WriteFigure(figure);
  }
}

void DetailsDialog::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (const std::optional<FigureControlRef> control = FigureControlOf(id)) {
    OnFigureCommand(control->figure, control->which);
    return;
  }
  const std::optional<DetailControl> which = ControlOf(id);
  if (!which) return;
  switch (*which) {
    case DetailControl::kCheckBend:
      model_.SetBend(SendMessageA(Control(DetailControl::kCheckBend), BM_GETCHECK, 0, 0) ==
                     BST_CHECKED);
      break;
    case DetailControl::kButtonOk:
      End(true);
      break;
    case DetailControl::kButtonCancel:
      End(false);
      break;
  }
}

LRESULT CALLBACK DetailsDialog::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* dialog = reinterpret_cast<DetailsDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (dialog == nullptr || dialog->window_ != window || dialog->failure_) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  // No exception may unwind through the system's frames: it ends the sub-dialog and is thrown
  // again once its loop is left.
  try {
    return dialog->Handle(message, wParam, lParam);
  } catch (...) {
    dialog->failure_ = std::current_exception();
    dialog->done_ = true;
  }
  return 0;
}

LRESULT DetailsDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case DM_GETDEFID: {
      // Enter presses the focused push button, OK otherwise.
      const std::optional<FigureControlRef> figure = FigureControlOf(GetDlgCtrlID(GetFocus()));
      if ((figure && figure->which == FigureControl::kButtonBrowse) ||
          GetFocus() == Control(DetailControl::kButtonCancel)) {
        return MAKELRESULT(GetDlgCtrlID(GetFocus()), DC_HASDEFID);
      }
      return MAKELRESULT(IDOK, DC_HASDEFID);
    }
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(whiteBrush_);
    case WM_CLOSE:
      End(false);
      return 0;
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

void DetailsDialog::Run(HWND owner) {
  EnableWindow(owner, FALSE);
  if (Create(owner)) {
    Write();
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    SetFocus(Control(0, kFigureRadios[static_cast<size_t>(model_.edited(0).source)]));
    MSG message;
    while (!done_) {
      const BOOL got = GetMessageA(&message, nullptr, 0, 0);
      if (got <= 0) {
        // The program is ending: the quit message is the main loop's to see.
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      if (IsDialogMessageA(window_, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  if (model_.editedRow() != 0) model_.CloseDetails(false);
  // The owner is enabled before this window goes, so that it becomes the active one again.
  EnableWindow(owner, TRUE);
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
  SetForegroundWindow(owner);
  if (failure_) std::rethrow_exception(failure_);
}

}  // namespace

void RunDetailsDialog(HWND owner, HFONT font, DialogModel& model) {
  DetailsDialog dialog(model, font);
  dialog.Run(owner);
}

}  // namespace gara
