// The about box on Win32: template 100 with the program's version line.
#pragma once

#include <windows.h>

#include <string>

// Shows the about box modally over owner until OK, Enter, Escape or the close box; an empty
// version_line keeps the template's.
void RunAboutBox(HWND owner, const std::string& version_line);
