// The picture of a model just converted, in a window of its own on Win32, drawn through a DIB:
// drag to turn it, the wheel to zoom (app/preview_control.h).
#pragma once

#include <windows.h>

#include <string>

// Opens the window over owner, not modal; it goes when it is closed or its owner goes.
void OpenPreviewWindow(HWND owner, const std::string& model_path);
