#include "app/win32/preview_window.h"

#include <windowsx.h>

#include <utility>

#include "app/preview_control.h"
#include "platform/win/wide.h"

namespace {

constexpr wchar_t kWindowClass[] = L"ShapewrightPreview";

struct PreviewWindow {
  PreviewModel preview;
  preview::Picture picture;  // BGRA rows, as the DIB takes them
  POINT last_drag{};
};

void Redraw(HWND window, PreviewWindow& state) {
  RECT client{};
  GetClientRect(window, &client);
  state.picture =
      DrawPreviewPicture(state.preview, uint32_t(client.right), uint32_t(client.bottom));
  std::vector<uint8_t>& pixels = state.picture.pixels;
  for (size_t i = 0; i + 3 < pixels.size(); i += 4) std::swap(pixels[i], pixels[i + 2]);
  InvalidateRect(window, nullptr, FALSE);
}

void Paint(HWND window, const PreviewWindow& state) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  RECT client{};
  GetClientRect(window, &client);
  const preview::Picture& picture = state.picture;
  if (!state.preview.failure.empty() || picture.pixels.empty()) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    std::wstring text = platform::WideFromUtf8(state.preview.failure);
    DrawTextW(dc, text.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
  } else {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = LONG(picture.width);
    info.bmiHeader.biHeight = -LONG(picture.height);  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, picture.width, picture.height, 0, 0, 0, picture.height,
                      picture.pixels.data(), &info, DIB_RGB_COLORS);
    if (!state.preview.note.empty()) {
      RECT margin{client.left + 8, client.top + 8, client.right - 8, client.bottom - 8};
      SetBkMode(dc, TRANSPARENT);
      std::wstring note = platform::WideFromUtf8(state.preview.note);
      DrawTextW(dc, note.c_str(), -1, &margin, DT_LEFT | DT_TOP | DT_WORDBREAK);
    }
  }
  EndPaint(window, &paint);
}

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* state = reinterpret_cast<PreviewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (state == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_SIZE:
      Redraw(window, *state);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the picture or the message fills the window
    case WM_PAINT:
      Paint(window, *state);
      return 0;
    case WM_LBUTTONDOWN:
      SetCapture(window);
      state->last_drag = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      return 0;
    case WM_MOUSEMOVE:
      if (wparam & MK_LBUTTON) {
        POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        TurnPreview(state->preview.view, at.x - state->last_drag.x, at.y - state->last_drag.y);
        state->last_drag = at;
        Redraw(window, *state);
      }
      return 0;
    case WM_LBUTTONUP:
      ReleaseCapture();
      return 0;
    case WM_MOUSEWHEEL:
      ZoomPreview(state->preview.view, GET_WHEEL_DELTA_WPARAM(wparam));
      Redraw(window, *state);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete state;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void RegisterPreviewClass(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = PreviewProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = kWindowClass;
  RegisterClassExW(&window_class);  // fails harmlessly once registered
}

}  // namespace

void OpenPreviewWindow(HWND owner, const std::string& model_path) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterPreviewClass(instance);
  auto* state = new PreviewWindow{OpenPreviewModel(model_path), {}, {}};
  std::wstring title = platform::WideFromUtf8(state->preview.title);
  HWND window = CreateWindowExW(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 960, 540, owner, nullptr, instance, state);
  if (window == nullptr) {
    delete state;
    return;
  }
  ShowWindow(window, SW_SHOWNORMAL);
}
