#include "platform/win_dialog.h"

#include <string>

#include "platform/win/wide.h"

namespace platform {
namespace {

// The predefined window classes, by their atoms, as resource compilers write them.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

void AddDword(std::vector<WORD>& out, DWORD value) {
  out.push_back(LOWORD(value));
  out.push_back(HIWORD(value));
}

void AddText(std::vector<WORD>& out, const char* text) {
  std::wstring wide = WideFromUtf8(text);
  out.insert(out.end(), wide.begin(), wide.end());
  out.push_back(0);
}

// An ordinal in place of a class name or a text: 0xFFFF and the number.
void AddOrdinal(std::vector<WORD>& out, WORD ordinal) {
  out.push_back(0xFFFF);
  out.push_back(ordinal);
}

// Each control starts on a DWORD boundary.
void AlignToDword(std::vector<WORD>& out) {
  if (out.size() % 2 != 0) out.push_back(0);
}

DWORD DialogWindowStyle(uint32_t style) {
  DWORD window = WS_POPUP | DS_SETFONT;
  if (style & res::kCaption) window |= WS_CAPTION;
  if (style & res::kSysMenu) window |= WS_SYSMENU;
  if (style & res::kModalFrame) window |= DS_MODALFRAME;
  return window;
}

WORD ControlClass(res::ControlKind kind) {
  switch (kind) {
    case res::ControlKind::kEdit:
      return kEditClass;
    case res::ControlKind::kStaticText:
    case res::ControlKind::kStaticIcon:
      return kStaticClass;
    default:
      return kButtonClass;
  }
}

void AddControl(std::vector<WORD>& out, const res::DialogControl& control) {
  AlignToDword(out);
  AddDword(out, 0);  // help id
  AddDword(out, 0);  // extended style
  AddDword(out, ControlWindowStyle(control));
  for (int value : {control.x, control.y, control.width, control.height}) {
    out.push_back(static_cast<WORD>(static_cast<short>(value)));
  }
  AddDword(out, static_cast<DWORD>(control.id));
  AddOrdinal(out, ControlClass(control.kind));
  if (control.kind == res::ControlKind::kStaticIcon) {
    AddOrdinal(out, static_cast<WORD>(control.image));
  } else {
    AddText(out, control.text);
  }
  out.push_back(0);  // no creation data
}

}  // namespace

DWORD ControlWindowStyle(const res::DialogControl& control) {
  DWORD window = WS_CHILD | WS_VISIBLE;
  switch (control.kind) {
    case res::ControlKind::kPushButton:
      window |= BS_PUSHBUTTON;
      break;
    case res::ControlKind::kDefaultPushButton:
      window |= BS_DEFPUSHBUTTON;
      break;
    case res::ControlKind::kStaticText:
      window |= SS_LEFT;
      break;
    case res::ControlKind::kStaticIcon:
      window |= SS_ICON;
      break;
    case res::ControlKind::kEdit:
      window |= ES_LEFT;
      break;
    case res::ControlKind::kAutoRadioButton:
      window |= BS_AUTORADIOBUTTON;
      break;
  }
  const struct {
    uint32_t flag;
    DWORD style;
  } flags[] = {
      {res::kTabStop, WS_TABSTOP},         {res::kGroup, WS_GROUP},
      {res::kBorder, WS_BORDER},           {res::kVScroll, WS_VSCROLL},
      {res::kAutoHScroll, ES_AUTOHSCROLL}, {res::kAutoVScroll, ES_AUTOVSCROLL},
      {res::kMultiline, ES_MULTILINE},     {res::kWantReturn, ES_WANTRETURN},
      {res::kNoPrefix, SS_NOPREFIX},
  };
  for (const auto& f : flags) {
    if (control.style & f.flag) window |= f.style;
  }
  return window;
}

std::vector<WORD> BuildDialogTemplate(const res::DialogTemplate& dialog_template) {
  std::vector<WORD> out;
  out.push_back(1);       // version
  out.push_back(0xFFFF);  // signature: the extended template
  AddDword(out, 0);       // help id
  AddDword(out, (dialog_template.style & res::kAppWindow) ? WS_EX_APPWINDOW : 0);
  AddDword(out, DialogWindowStyle(dialog_template.style));
  out.push_back(static_cast<WORD>(dialog_template.control_count));
  for (int value : {0, 0, dialog_template.width, dialog_template.height}) {
    out.push_back(static_cast<WORD>(static_cast<short>(value)));
  }
  out.push_back(0);  // no menu
  out.push_back(0);  // the dialog class
  AddText(out, dialog_template.caption);
  out.push_back(static_cast<WORD>(dialog_template.point_size));
  out.push_back(FW_NORMAL);
  out.push_back(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, character set
  AddText(out, dialog_template.font);
  for (size_t i = 0; i < dialog_template.control_count; ++i) {
    AddControl(out, dialog_template.controls[i]);
  }
  return out;
}

INT_PTR RunTemplateDialog(int template_id, HWND owner, DLGPROC procedure, LPARAM param) {
  const res::DialogTemplate* found = res::FindDialogTemplate(template_id);
  if (found == nullptr) return -1;
  std::vector<WORD> bytes = BuildDialogTemplate(*found);
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                 reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), owner, procedure,
                                 param);
}

HICON LoadProgramIcon(int id, int size) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                       size, size, LR_SHARED));
}

}  // namespace platform
