// The real platform: every method is the Win32 call of the same name, in its
// 8-bit "A" form, with the program's own module for resources and classes;
// the program's shown texts go to the "W" calls as UTF-16 (Win32Text.h).
// Compiled only by the Windows toolchain.
#pragma once
#include <windows.h>
// <windows.h> maps GetCurrentTime() to GetTickCount(); the platform's
// GetCurrentTime is the CTime one (seconds since 1970).
#undef GetCurrentTime

#include "platform/Platform.h"

#include <utility>
#include <vector>

namespace hg {

class Win32Platform final : public Platform {
public:
  explicit Win32Platform(HINSTANCE instance) : m_instance(instance) {}
  explicit Win32Platform(Handle instance) : m_instance(reinterpret_cast<HINSTANCE>(instance)) {}

  LONG RegOpenKeyExA(Hkey root, const char* subKey, DWORD access, Hkey* result) override;
  LONG RegCreateKeyExA(Hkey root, const char* subKey, DWORD access, Hkey* result) override;
  LONG RegQueryValueExA(Hkey key, const char* name, DWORD* type, std::uint8_t* data,
                        DWORD* cbData) override;
  LONG RegSetValueExA(Hkey key, const char* name, DWORD type, const std::uint8_t* data,
                      DWORD cbData) override;
  LONG RegDeleteValueA(Hkey key, const char* name) override;
  LONG RegDeleteKeyA(Hkey root, const char* subKey) override;
  LONG RegCloseKey(Hkey key) override;

  std::int64_t GetCurrentTime() override;
  bool GetLocalTm(std::int64_t t, LocalTm* out) override;
  std::int64_t MakeLocalTime(const LocalTm& fields) override;

  Handle OpenEventLogA(const char* server, const char* source) override;
  BOOL ReadEventLogA(Handle log, DWORD flags, DWORD offset, void* buffer, DWORD size, DWORD* read,
                     DWORD* needed) override;
  BOOL CloseEventLog(Handle log) override;
  DWORD GetLastError() override;
  void* LocalAlloc(std::size_t bytes) override;
  void LocalFree(void* block) override;

  BOOL OpenProcessToken(DWORD access, Handle* token) override;
  BOOL LookupPrivilegeValueA(const char* system, const char* name, Luid* luid) override;
  BOOL AdjustTokenPrivileges(Handle token, BOOL disableAll, const Luid& luid,
                             DWORD attributes) override;
  BOOL CloseHandle(Handle object) override;
  BOOL ExitWindowsEx(UINT flags, DWORD reason) override;

  DWORD GetModuleFileNameA(char* buffer, DWORD size) override;
  BOOL MoveFileExA(const char* existing, const char* replacement, DWORD flags) override;
  void Sleep(DWORD milliseconds) override;
  Handle CreateMutexA(const char* name) override;

  Handle OpenSCManagerW(DWORD access) override;
  Handle OpenServiceW(Handle manager, const char* name, DWORD access) override;
  BOOL QueryServiceStatusEx(Handle service, ServiceStatusProcess* status) override;
  BOOL DeleteService(Handle service) override;
  BOOL CloseServiceHandle(Handle object) override;
  Handle CreatePipeClientW(const char* name) override;
  BOOL GetNamedPipeServerProcessId(Handle pipe, DWORD* processId) override;
  BOOL TransactNamedPipe(Handle pipe, const void* request, DWORD requestSize, void* reply,
                         DWORD replySize, DWORD* read, DWORD timeoutMs) override;
  std::uint64_t QueryUnbiasedInterruptTime() override;
  DWORD InitiateShutdownW(DWORD flags, DWORD reason) override;
  DWORD WTSEnumerateActiveSessions(DWORD* ids, DWORD max) override;
  BOOL WTSSendMessageW(DWORD session, const char* title, const char* text, DWORD style,
                       DWORD timeoutSeconds) override;
  BOOL WTSQueryUserToken(DWORD session, Handle* token) override;
  BOOL CreateProcessAsUserW(Handle token, const char* commandLine) override;
  bool GetZoneLocalTm(const char* zone, std::int64_t t, LocalTm* out) override;
  std::int64_t MakeZoneLocalTime(const char* zone, const LocalTm& fields) override;

  Hicon LoadImageA(UINT resourceId, UINT type, int cx, int cy, UINT flags) override;
  Hicon LoadIconA(UINT resourceId) override;
  Handle LoadCursorA(UINT systemCursorId) override;
  Handle GetStockObject(int object) override;
  int LoadStringA(UINT id, char* buffer, int size) override;
  Hmenu LoadMenuA(UINT resourceId) override;
  BOOL DestroyIcon(Hicon icon) override;

  int GetSystemMetrics(int index) override;
  BOOL RegisterClassA(const WndClassA& wc) override;
  BOOL IsClassRegistered(const char* className) override;
  Hwnd CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                       int y, int width, int height, Hwnd parent, Hmenu menu, void* param) override;
  Lresult DefWindowProcA(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) override;
  BOOL DestroyWindow(Hwnd hwnd) override;
  BOOL ShowWindow(Hwnd hwnd, int command) override;
  BOOL UpdateWindow(Hwnd hwnd) override;
  BOOL IsWindowVisible(Hwnd hwnd) override;
  BOOL GetWindowRect(Hwnd hwnd, Rect* rect) override;
  BOOL SetWindowPos(Hwnd hwnd, int x, int y) override;
  BOOL RaiseTopmost(Hwnd hwnd) override;
  BOOL InvalidateRect(Hwnd hwnd, const Rect* rect, BOOL erase) override;
  Handle BeginPaint(Hwnd hwnd, PaintStruct* paint) override;
  BOOL EndPaint(Hwnd hwnd, const PaintStruct* paint) override;
  std::uintptr_t SetTimer(Hwnd hwnd, std::uintptr_t id, UINT elapse) override;
  BOOL KillTimer(Hwnd hwnd, std::uintptr_t id) override;
  BOOL PostMessageA(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) override;
  Lresult SendMessageA(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) override;
  BOOL GetMessageA(Msg* msg) override;
  Lresult DispatchMessageA(const Msg& msg) override;
  void PostQuitMessage(int exitCode) override;
  UINT RegisterWindowMessageA(const char* name) override;
  BOOL ChangeWindowMessageFilterEx(Hwnd hwnd, UINT message) override;
  Hwnd FindWindowA(const char* className, const char* title) override;
  BOOL SetForegroundWindow(Hwnd hwnd) override;
  BOOL GetCursorPos(Point* point) override;
  int MessageBoxA(Hwnd owner, const char* text, const char* caption, UINT type) override;

  Hmenu GetSubMenu(Hmenu menu, int position) override;
  BOOL SetMenuItemInfoA(Hmenu menu, UINT item, BOOL byPosition, const MenuItemInfoA& info) override;
  BOOL TrackPopupMenu(Hmenu menu, UINT flags, int x, int y, Hwnd owner) override;
  BOOL DestroyMenu(Hmenu menu) override;

  BOOL Shell_NotifyIconA(DWORD message, NotifyIconDataA* data) override;

  std::intptr_t DialogBoxParamA(UINT templateId, Hwnd parent, DlgProc proc, Lparam param) override;
  BOOL EndDialog(Hwnd dialog, std::intptr_t result) override;
  Hwnd GetDlgItem(Hwnd dialog, int id) override;
  BOOL EnableWindow(Hwnd hwnd, BOOL enable) override;
  Hwnd SetFocus(Hwnd hwnd) override;
  int GetWindowTextLengthA(Hwnd hwnd) override;
  int GetWindowTextA(Hwnd hwnd, char* buffer, int size) override;
  BOOL SetWindowTextA(Hwnd hwnd, const char* text) override;

  BOOL GetWorkArea(Rect* rect) override;
  int GetScreenDpi() override;
  BOOL GetClientRect(Hwnd hwnd, Rect* rect) override;
  Handle CreateFontW(int height, int weight, const char* face) override;
  Handle SelectObject(Handle dc, Handle object) override;
  BOOL DeleteObject(Handle object) override;
  int SetBkMode(Handle dc, int mode) override;
  int DrawTextW(Handle dc, const char* text, Rect* rect, UINT format) override;
  BOOL SetWindowTextW(Hwnd hwnd, const char* text) override;
  Handle CreateSolidBrush(DWORD color) override;
  int FillRect(Handle dc, const Rect* rect, Handle brush) override;

private:
  HINSTANCE m_instance;
  // The message GetMessageA last returned, with its time and cursor
  // position, so that DispatchMessageA hands Windows the complete record.
  MSG m_lastMsg{};
};

} // namespace hg
