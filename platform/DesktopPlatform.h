// The desktop calls: resources, windows and messages, menus, the
// notification area, dialogs, the screen and painting.
//
// Texts: the program's own texts are code page 932 bytes. Where one is
// shown (message boxes, menu labels, the tray's tip and balloon, painted
// text, resource strings), the real platform hands it to Windows as UTF-16,
// so it shows right whatever the system's code page for non-Unicode programs.
#pragma once
#include "platform/WinDefs.h"

#include <cstdint>

namespace hg {

class DesktopPlatform {
public:
  virtual ~DesktopPlatform() = default;

  // Resources of the program's own module.
  virtual Hicon LoadImageA(UINT resourceId, UINT type, int cx, int cy, UINT flags) = 0;
  virtual Hicon LoadIconA(UINT resourceId) = 0;
  virtual Handle LoadCursorA(UINT systemCursorId) = 0; // 32512: the arrow
  virtual Handle GetStockObject(int object) = 0;
  // The string in the user's display language, as code page 932 bytes.
  virtual int LoadStringA(UINT id, char* buffer, int size) = 0;
  virtual Hmenu LoadMenuA(UINT resourceId) = 0;
  virtual BOOL DestroyIcon(Hicon icon) = 0;

  // Windows and messages.
  virtual int GetSystemMetrics(int index) = 0;
  virtual BOOL RegisterClassA(const WndClassA& wc) = 0;
  virtual BOOL IsClassRegistered(const char* className) = 0; // GetClassInfoA
  // Sends WM_CREATE to the class's procedure before it returns; 0 on failure.
  virtual Hwnd CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style,
                               int x, int y, int width, int height, Hwnd parent, Hmenu menu,
                               void* param) = 0;
  virtual Lresult DefWindowProcA(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) = 0;
  virtual BOOL DestroyWindow(Hwnd hwnd) = 0;
  virtual BOOL ShowWindow(Hwnd hwnd, int command) = 0;
  virtual BOOL UpdateWindow(Hwnd hwnd) = 0;
  virtual BOOL IsWindowVisible(Hwnd hwnd) = 0;
  virtual BOOL GetWindowRect(Hwnd hwnd, Rect* rect) = 0;
  // Moves a window without sizing it, changing its Z order or activating it.
  virtual BOOL SetWindowPos(Hwnd hwnd, int x, int y) = 0;
  // SetWindowPos(HWND_TOPMOST) without moving, sizing or activating it: back
  // above every other topmost window (a full-screen program's among them).
  virtual BOOL RaiseTopmost(Hwnd hwnd) = 0;
  virtual BOOL InvalidateRect(Hwnd hwnd, const Rect* rect, BOOL erase) = 0;
  virtual Handle BeginPaint(Hwnd hwnd, PaintStruct* paint) = 0;
  virtual BOOL EndPaint(Hwnd hwnd, const PaintStruct* paint) = 0;
  // Returns the timer's identifier, 0 on failure.
  virtual std::uintptr_t SetTimer(Hwnd hwnd, std::uintptr_t id, UINT elapse) = 0;
  virtual BOOL KillTimer(Hwnd hwnd, std::uintptr_t id) = 0;
  virtual BOOL PostMessageA(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) = 0;
  virtual Lresult SendMessageA(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) = 0;
  // 1 for a message, 0 for WM_QUIT, -1 on error.
  virtual BOOL GetMessageA(Msg* msg) = 0;
  virtual Lresult DispatchMessageA(const Msg& msg) = 0;
  virtual void PostQuitMessage(int exitCode) = 0;
  // A message id shared by every program that registers the name; 0 on failure.
  virtual UINT RegisterWindowMessageA(const char* name) = 0;
  // ChangeWindowMessageFilterEx(MSGFLT_ALLOW): the message reaches the
  // window from programs of a lower integrity level too (Explorer's
  // "TaskbarCreated" reaches a copy run as administrator).
  virtual BOOL ChangeWindowMessageFilterEx(Hwnd hwnd, UINT message) = 0;
  // Top-level window by class (nullptr: any) and title.
  virtual Hwnd FindWindowA(const char* className, const char* title) = 0;
  virtual BOOL SetForegroundWindow(Hwnd hwnd) = 0;
  virtual BOOL GetCursorPos(Point* point) = 0;
  virtual int MessageBoxA(Hwnd owner, const char* text, const char* caption, UINT type) = 0;

  // Menus.
  virtual Hmenu GetSubMenu(Hmenu menu, int position) = 0;
  virtual BOOL SetMenuItemInfoA(Hmenu menu, UINT item, BOOL byPosition,
                                const MenuItemInfoA& info) = 0;
  // Without TPM_RETURNCMD: the chosen command is posted to the owner as WM_COMMAND.
  virtual BOOL TrackPopupMenu(Hmenu menu, UINT flags, int x, int y, Hwnd owner) = 0;
  virtual BOOL DestroyMenu(Hmenu menu) = 0;

  // The notification area.
  virtual BOOL Shell_NotifyIconA(DWORD message, NotifyIconDataA* data) = 0;

  // Modal dialogs from the program's templates. DialogBoxParamA returns the
  // EndDialog result, or -1 when the dialog cannot be created.
  virtual std::intptr_t DialogBoxParamA(UINT templateId, Hwnd parent, DlgProc proc,
                                        Lparam param) = 0;
  virtual BOOL EndDialog(Hwnd dialog, std::intptr_t result) = 0;
  virtual Hwnd GetDlgItem(Hwnd dialog, int id) = 0;
  virtual BOOL EnableWindow(Hwnd hwnd, BOOL enable) = 0;
  virtual Hwnd SetFocus(Hwnd hwnd) = 0;
  virtual int GetWindowTextLengthA(Hwnd hwnd) = 0;
  virtual int GetWindowTextA(Hwnd hwnd, char* buffer, int size) = 0;
  virtual BOOL SetWindowTextA(Hwnd hwnd, const char* text) = 0;

  // The screen and painting, for the program's own small windows.
  // SystemParametersInfoA(SPI_GETWORKAREA): the screen less the taskbar.
  virtual BOOL GetWorkArea(Rect* rect) = 0;
  // GetDeviceCaps(LOGPIXELSY) of the screen: 96 at 100 % scaling.
  virtual int GetScreenDpi() = 0;
  virtual BOOL GetClientRect(Hwnd hwnd, Rect* rect) = 0;
  // CreateFontW: character height in pixels (negative, as LOGFONT takes it),
  // weight (400 normal, 700 bold), face name.
  virtual Handle CreateFontW(int height, int weight, const char* face) = 0;
  virtual Handle SelectObject(Handle dc, Handle object) = 0;
  virtual BOOL DeleteObject(Handle object) = 0;
  virtual int SetBkMode(Handle dc, int mode) = 0;
  virtual int DrawTextW(Handle dc, const char* text, Rect* rect, UINT format) = 0;
  // CreateSolidBrush: a brush of one colour (0x00BBGGRR, as COLORREF).
  virtual Handle CreateSolidBrush(DWORD color) = 0;
  // FillRect: the rectangle, its right and bottom edges excluded.
  virtual int FillRect(Handle dc, const Rect* rect, Handle brush) = 0;
  // A window title in the program's text (the controls of the dialogs keep
  // SetWindowTextA: their texts are what the parent typed).
  virtual BOOL SetWindowTextW(Hwnd hwnd, const char* text) = 0;
};

} // namespace hg
