// The about box on Win32: template 100, its version line read from the program's VERSIONINFO
// resource through the system's version calls.
#pragma once

#include <windows.h>

// Shows the about box modally over owner until OK, Enter, Escape or the close box.
void RunAboutBox(HWND owner);
