#include "platform/win32/controls.h"

#include <commdlg.h>
#include <imm.h>

#include <array>

namespace gara {

namespace {

constexpr int kDropDownListHeight = 160;   // the open list below a drop-down box
constexpr int kComboSelectionHeight = 15;  // closed box 21 pixels high, as the edit fields
constexpr int kCheckMarkWidth = 20;        // the box and the gap before the caption
constexpr int kMaxPathBytes = 1024;

struct Win32Control {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

Win32Control Win32Kind(const ControlLayout& c) {
  const DWORD tab = c.tabStop ? WS_TABSTOP : 0;
  switch (c.kind) {
    case ControlKind::kRadioButton:
      return {"BUTTON", BS_RADIOBUTTON | tab, 0};
    case ControlKind::kDropDownList:
      return {"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | tab, 0};
    case ControlKind::kEdit:
      return {"EDIT", ES_AUTOHSCROLL | (c.readOnly ? ES_READONLY : 0) | tab, WS_EX_CLIENTEDGE};
    case ControlKind::kMemo:
      return {"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | ES_READONLY,
              WS_EX_CLIENTEDGE};
    case ControlKind::kLabel:
      return {"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::kButton:
      return {"BUTTON", (c.role == ButtonRole::kDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | tab,
              0};
    case ControlKind::kCheckBox:
      return {"BUTTON", BS_AUTOCHECKBOX | tab, 0};
    case ControlKind::kGroupBox:
      return {"BUTTON", BS_GROUPBOX, 0};
  }
  return {"STATIC", 0, 0};
}

}  // namespace

bool RegisterWindowClass(const char* name, WNDPROC procedure, HBRUSH background) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (GetClassInfoExA(instance, name, &windowClass)) return true;
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  return RegisterClassExA(&windowClass) != 0;
}

SIZE TextSize(HWND window, HFONT font, std::string_view text) {
  SIZE size{0, 0};
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return size;
}

HWND CreateLayoutControl(HWND parent, HFONT font, const ControlLayout& c, int id) {
  const Win32Control kind = Win32Kind(c);
  int width = c.width;
  int height = c.height;
  if (width == 0) {
    // Labels and check boxes are as wide as their caption.
    const SIZE text = TextSize(parent, font, c.caption);
    width = text.cx + (c.kind == ControlKind::kCheckBox ? kCheckMarkWidth : 0);
    if (height == 0) height = text.cy;
  }
  if (c.kind == ControlKind::kDropDownList) height += kDropDownListHeight;
  const std::string caption(c.caption);
  HWND control = CreateWindowExA(kind.exStyle, kind.className, caption.c_str(),
                                 WS_CHILD | WS_VISIBLE | kind.style | (c.enabled ? 0 : WS_DISABLED),
                                 c.left, c.top, width, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  if (control == nullptr) return nullptr;
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (c.textLimit > 0) SendMessageA(control, EM_SETLIMITTEXT, c.textLimit, 0);
  if (c.imeOff) ImmAssociateContext(control, nullptr);
  if (c.kind == ControlKind::kDropDownList) {
    for (std::string_view item : c.items) {
      const std::string text(item);
      SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageA(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kComboSelectionHeight);
  }
  return control;
}

std::optional<std::string> ChooseJwsFile(HWND owner, const BrowseStart& start) {
  std::array<char, kMaxPathBytes> file{};
  start.fileName.copy(file.data(), file.size() - 1);
  const std::string filter = FileDialogFilter(kJwsFilter);
  const std::string extension(kJwsDefaultExtension);

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = start.directory.empty() ? nullptr : start.directory.c_str();
  dialog.lpstrDefExt = extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                 OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&dialog)) return std::nullopt;
  return std::string(file.data());
}

}  // namespace gara
