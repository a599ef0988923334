#include "res/dialog_templates.h"

#include <iterator>

namespace res {
namespace {

#include "res/icon128.xpm"

constexpr uint32_t kEditStyle = kBorder | kAutoHScroll | kTabStop;
constexpr uint32_t kLogStyle =
    kBorder | kVScroll | kMultiline | kAutoVScroll | kAutoHScroll | kWantReturn | kTabStop;

// Template 102: the main dialog.
const DialogControl kMainControls[] = {
    {kIdOk, ControlKind::kDefaultPushButton, "Convert", kTabStop, 265, 26, 48, 14, 0},
    {kIdCancel, ControlKind::kPushButton, "Close", kTabStop, 263, 177, 50, 16, 0},
    {kIdStatic, ControlKind::kStaticText, "Source", 0, 7, 9, 23, 8, 0},
    {kIdSource, ControlKind::kEdit, "", kEditStyle, 31, 7, 282, 14, 0},
    {kIdBrowseSource, ControlKind::kPushButton, "Browse", kTabStop, 165, 26, 48, 14, 0},
    {kIdLog, ControlKind::kEdit, "", kLogStyle, 7, 95, 245, 98, 0},
    {kIdLength, ControlKind::kEdit, "", kEditStyle, 62, 72, 40, 14, 0},
    {kIdStatic, ControlKind::kStaticText, "Length", 0, 20, 75, 23, 8, 0},
    {kIdStatic, ControlKind::kStaticText, "metres", 0, 104, 75, 23, 8, 0},
    {kIdDecompress, ControlKind::kPushButton, "Decompress", kTabStop, 215, 26, 48, 14, 0},
    {kIdTwoFoot, ControlKind::kAutoRadioButton, "MSTS Std>2ft conversion", 0, 163, 76, 97, 10, 0},
    {kIdStatic, ControlKind::kStaticText, "Output Directory", 0, 7, 52, 55, 8, 0},
    {kIdOutputDirectory, ControlKind::kEdit, "", kEditStyle, 66, 49, 190, 14, 0},
    {kIdBrowseOutput, ControlKind::kPushButton, "Browse", kTabStop, 263, 49, 50, 14, 0},
};

// Template 100: the about box.
const DialogControl kAboutControls[] = {
    {kIdStatic, ControlKind::kStaticIcon, "", 0, 11, 17, 20, 20, kMainIcon},
    {kIdStatic, ControlKind::kStaticText, "Shapewright Version 1.0", kNoPrefix, 40, 10, 119, 8, 0},
    {kIdStatic, ControlKind::kStaticText, "Copyright (C) 2026 Ferrowind", 0, 40, 25, 119, 8, 0},
    {kIdOk, ControlKind::kDefaultPushButton, "OK", kTabStop | kGroup, 178, 7, 50, 16, 0},
};

const DialogTemplate kTemplates[] = {
    {kAboutDialog, 235, 55, "About Shapewright", "MS Shell Dlg", 8,
     kCaption | kSysMenu | kModalFrame, kAboutControls, std::size(kAboutControls)},
    {kMainDialog, 320, 200, "Shapewright", "MS Shell Dlg", 8,
     kCaption | kSysMenu | kModalFrame | kAppWindow, kMainControls, std::size(kMainControls)},
};

struct ResourceString {
  int id;
  const char* text;
};
const ResourceString kStrings[] = {
    {kAboutString, "&About Shapewright..."},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate& found : kTemplates) {
    if (found.id == id) return &found;
  }
  return nullptr;
}

const char* LoadResourceString(int id) {
  for (const ResourceString& found : kStrings) {
    if (found.id == id) return found.text;
  }
  return "";
}

const char* const* FindIconXpm(int id) { return id == kMainIcon ? icon128_xpm : nullptr; }

}  // namespace res
