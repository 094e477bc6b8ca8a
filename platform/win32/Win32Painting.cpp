// The real platform's screen and painting calls, and the registered tray
// message: the program's own small windows and the icon's return after
// Explorer restarts.
#include <windows.h>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Text.h"

namespace hg {
BOOL Win32Platform::ChangeWindowMessageFilterEx(Hwnd hwnd, UINT message) {
  return ::ChangeWindowMessageFilterEx(To<HWND>(hwnd), message, MSGFLT_ALLOW, nullptr);
}

UINT Win32Platform::RegisterWindowMessageA(const char* name) {
  return ::RegisterWindowMessageA(name);
}

BOOL Win32Platform::DestroyIcon(Hicon icon) {
  return ::DestroyIcon(To<HICON>(icon));
}

BOOL Win32Platform::GetWorkArea(Rect* rect) {
  RECT r{};
  if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0))
    return FALSE;
  *rect = Rect{r.left, r.top, r.right, r.bottom};
  return TRUE;
}

int Win32Platform::GetScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr)
    ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

BOOL Win32Platform::GetClientRect(Hwnd hwnd, Rect* rect) {
  RECT r{};
  if (!::GetClientRect(To<HWND>(hwnd), &r))
    return FALSE;
  *rect = Rect{r.left, r.top, r.right, r.bottom};
  return TRUE;
}

Handle Win32Platform::CreateFontW(int height, int weight, const char* face) {
  wchar_t name[LF_FACESIZE];
  ToUtf16(face, name, LF_FACESIZE);
  return From(::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, name));
}

Handle Win32Platform::SelectObject(Handle dc, Handle object) {
  return From(::SelectObject(To<HDC>(dc), To<HGDIOBJ>(object)));
}

BOOL Win32Platform::DeleteObject(Handle object) {
  return ::DeleteObject(To<HGDIOBJ>(object));
}

int Win32Platform::SetBkMode(Handle dc, int mode) {
  return ::SetBkMode(To<HDC>(dc), mode);
}

int Win32Platform::DrawTextW(Handle dc, const char* text, Rect* rect, UINT format) {
  wchar_t wide[256];
  ToUtf16(text, wide, 256);
  RECT r{rect->left, rect->top, rect->right, rect->bottom};
  int height = ::DrawTextW(To<HDC>(dc), wide, -1, &r, format);
  *rect = Rect{r.left, r.top, r.right, r.bottom};
  return height;
}

Handle Win32Platform::CreateSolidBrush(DWORD color) {
  return From(::CreateSolidBrush(color));
}

int Win32Platform::FillRect(Handle dc, const Rect* rect, Handle brush) {
  RECT r{rect->left, rect->top, rect->right, rect->bottom};
  return ::FillRect(To<HDC>(dc), &r, To<HBRUSH>(brush));
}

BOOL Win32Platform::SetWindowTextW(Hwnd hwnd, const char* text) {
  wchar_t wide[256];
  ToUtf16(text, wide, 256);
  return ::SetWindowTextW(To<HWND>(hwnd), wide);
}

} // namespace hg
