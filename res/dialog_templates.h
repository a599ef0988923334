// The program's dialog templates, string table and icon, as plain data. The Qt layer builds
// its windows from these tables; ids, texts and positions are those of the resource script.
#pragma once

#include <cstddef>
#include <cstdint>

namespace res {

// Control and resource ids.
constexpr int kIdOk = 1;       // Convert in the main dialog, OK in the about box
constexpr int kIdCancel = 2;   // Close
constexpr int kIdStatic = -1;  // labels and the icon: no id of their own
constexpr int kIdSource = 1000;
constexpr int kIdBrowseSource = 1001;
constexpr int kIdOutputDirectory = 1003;
constexpr int kIdDecompress = 1004;
constexpr int kIdLog = 1005;
constexpr int kIdLength = 1006;
constexpr int kIdTwoFoot = 1008;
constexpr int kIdBrowseOutput = 1009;

constexpr int kAboutDialog = 100;
constexpr int kAboutString = 101;
constexpr int kMainDialog = 102;
constexpr int kMainIcon = 128;

enum class ControlKind : uint8_t {
  kPushButton,
  kDefaultPushButton,
  kStaticText,
  kStaticIcon,
  kEdit,
  kAutoRadioButton,
};

// Control styles, named after the window styles they stand for.
enum ControlStyle : uint32_t {
  kTabStop = 1u << 0,      // WS_TABSTOP
  kGroup = 1u << 1,        // WS_GROUP: starts a new tab group
  kBorder = 1u << 2,       // WS_BORDER
  kVScroll = 1u << 3,      // WS_VSCROLL: a vertical scroll bar
  kAutoHScroll = 1u << 4,  // ES_AUTOHSCROLL: no wrapping, the text scrolls sideways
  kAutoVScroll = 1u << 5,  // ES_AUTOVSCROLL
  kMultiline = 1u << 6,    // ES_MULTILINE
  kWantReturn = 1u << 7,   // ES_WANTRETURN: Enter starts a new line
  kNoPrefix = 1u << 8,     // SS_NOPREFIX: ampersands are shown as they are
};

// Dialog styles.
enum DialogStyle : uint32_t {
  kCaption = 1u << 0,     // WS_CAPTION
  kSysMenu = 1u << 1,     // WS_SYSMENU: the window menu and the close box
  kModalFrame = 1u << 2,  // DS_MODALFRAME: fixed size
  kAppWindow = 1u << 3,   // WS_EX_APPWINDOW: shown in the task bar
};

// One control; positions and sizes in dialog units.
struct DialogControl {
  int id;
  ControlKind kind;
  const char* text;  // for kStaticIcon unused: see image
  uint32_t style;
  int x, y, width, height;
  int image;  // icon resource of a kStaticIcon, 0 otherwise
};

struct DialogTemplate {
  int id;
  int width, height;  // dialog units
  const char* caption;
  const char* font;
  int point_size;
  uint32_t style;
  const DialogControl* controls;  // in template order, which is the tab order
  size_t control_count;
};

// The template with this id; nullptr when there is none.
const DialogTemplate* FindDialogTemplate(int id);
// The string with this id; "" when there is none.
const char* LoadResourceString(int id);
// The icon with this id as XPM lines (QPixmap reads them); nullptr when there is none.
const char* const* FindIconXpm(int id);

}  // namespace res
