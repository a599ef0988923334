// Builds Win32 dialogs from the dialog templates of res/: the in-memory DLGTEMPLATEEX that
// DialogBoxIndirectParamW takes, in the template's dialog units, font, ids and styles.
#pragma once

#include <windows.h>

#include <vector>

#include "res/dialog_templates.h"

namespace platform {

// The window styles a control kind and its ControlStyle flags stand for, with WS_CHILD and
// WS_VISIBLE.
DWORD ControlWindowStyle(const res::DialogControl& control);

// The DLGTEMPLATEEX of dialog_template, with its controls in template order (the tab order).
// Texts are UTF-8 in the template and UTF-16 here; a static icon names its icon resource.
std::vector<WORD> BuildDialogTemplate(const res::DialogTemplate& dialog_template);

// Runs the dialog of template_id modally over owner; the dialog procedure gets param with
// WM_INITDIALOG. Returns what EndDialog was given, -1 when the dialog could not be made.
INT_PTR RunTemplateDialog(int template_id, HWND owner, DLGPROC procedure, LPARAM param);

// The icon resource id of the running program at size pixels (the system's icon sizes:
// GetSystemMetrics(SM_CXICON), SM_CXSMICON); nullptr when there is none. Shared, not freed.
HICON LoadProgramIcon(int id, int size);

}  // namespace platform
