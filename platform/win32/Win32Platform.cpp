#include <windows.h>

#include <shellapi.h>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Text.h"

#include "platform/CalendarFields.h"

#include <cstddef>
#include <ctime>

namespace hg {

// The tray record goes to the shell as it is: it must be the Windows record
// of the version-2 size, field for field.
static_assert(sizeof(NotifyIconDataA) == NOTIFYICONDATAA_V2_SIZE);
static_assert(kNotifyIconDataV2Size == NOTIFYICONDATAA_V2_SIZE);
#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V2_SIZE == 488, "the i686 record is 488 bytes");
#endif
#define HG_SAME_OFFSET(field)                                                                      \
  static_assert(offsetof(NotifyIconDataA, field) == offsetof(NOTIFYICONDATAA, field),              \
                "NotifyIconDataA::" #field " is not where Windows expects it")
HG_SAME_OFFSET(cbSize);
HG_SAME_OFFSET(hWnd);
HG_SAME_OFFSET(uID);
HG_SAME_OFFSET(uFlags);
HG_SAME_OFFSET(uCallbackMessage);
HG_SAME_OFFSET(hIcon);
HG_SAME_OFFSET(szTip);
HG_SAME_OFFSET(dwState);
HG_SAME_OFFSET(dwStateMask);
HG_SAME_OFFSET(szInfo);
// Windows' uTimeout/uVersion union.
static_assert(offsetof(NotifyIconDataA, uTimeoutOrVersion) == offsetof(NOTIFYICONDATAA, uVersion));
HG_SAME_OFFSET(szInfoTitle);
HG_SAME_OFFSET(dwInfoFlags);
#undef HG_SAME_OFFSET
static_assert(sizeof(NotifyIconDataA::szTip) == sizeof(NOTIFYICONDATAA::szTip));
static_assert(sizeof(NotifyIconDataA::szInfo) == sizeof(NOTIFYICONDATAA::szInfo));
static_assert(sizeof(NotifyIconDataA::szInfoTitle) == sizeof(NOTIFYICONDATAA::szInfoTitle));
static_assert(sizeof(Handle) == sizeof(HWND) && sizeof(Handle) == sizeof(HICON));

namespace {

// Window classes registered through the platform: Windows calls one
// __stdcall trampoline, which finds the framework procedure by class atom.
struct ClassProc {
  ATOM atom;
  WndProc proc;
};
std::vector<ClassProc>& ClassProcs() {
  static std::vector<ClassProc> procs;
  return procs;
}

LRESULT CALLBACK WndProcTrampoline(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const ATOM atom = static_cast<ATOM>(::GetClassWord(hwnd, GCW_ATOM));
  for (const ClassProc& c : ClassProcs())
    if (c.atom == atom)
      return c.proc(From(hwnd), msg, wParam, lParam);
  return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Modal dialogs: the procedure handed to DialogBoxParamA waits on a stack
// until the dialog's first message names its window; from then on it is
// found by window until WM_NCDESTROY. A dialog opened from another's handler
// pushes its own procedure on top, so nesting works.
struct DialogProc {
  HWND hwnd;
  DlgProc proc;
};
std::vector<DlgProc>& PendingDialogProcs() {
  static std::vector<DlgProc> pending;
  return pending;
}
std::vector<DialogProc>& DialogProcs() {
  static std::vector<DialogProc> procs;
  return procs;
}

INT_PTR CALLBACK DlgProcTrampoline(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto& procs = DialogProcs();
  DlgProc proc = nullptr;
  for (const DialogProc& d : procs)
    if (d.hwnd == hwnd)
      proc = d.proc;
  if (proc == nullptr) {
    auto& pending = PendingDialogProcs();
    if (pending.empty())
      return FALSE;
    proc = pending.back();
    pending.pop_back();
    procs.push_back({hwnd, proc});
  }
  const INT_PTR result = proc(From(hwnd), msg, wParam, lParam);
  if (msg == WM_NCDESTROY)
    std::erase_if(procs, [hwnd](const DialogProc& d) { return d.hwnd == hwnd; });
  return result;
}

} // namespace

// Registry.

LONG Win32Platform::RegOpenKeyExA(Hkey root, const char* subKey, DWORD access, Hkey* result) {
  HKEY key = nullptr;
  const LONG status = ::RegOpenKeyExA(To<HKEY>(root), subKey, 0, access, &key);
  *result = status == ERROR_SUCCESS ? From(key) : 0;
  return status;
}

LONG Win32Platform::RegCreateKeyExA(Hkey root, const char* subKey, DWORD access, Hkey* result) {
  HKEY key = nullptr;
  const LONG status = ::RegCreateKeyExA(To<HKEY>(root), subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        access, nullptr, &key, nullptr);
  *result = status == ERROR_SUCCESS ? From(key) : 0;
  return status;
}

LONG Win32Platform::RegQueryValueExA(Hkey key, const char* name, DWORD* type, std::uint8_t* data,
                                     DWORD* cbData) {
  // Windows leaves what it does not report untouched: start from the
  // caller's values.
  ::DWORD t = type != nullptr ? *type : 0;
  ::DWORD cb = cbData != nullptr ? *cbData : 0;
  const LONG status = ::RegQueryValueExA(To<HKEY>(key), name, nullptr, type ? &t : nullptr, data,
                                         cbData ? &cb : nullptr);
  if (type != nullptr)
    *type = t;
  if (cbData != nullptr)
    *cbData = cb;
  return status;
}

LONG Win32Platform::RegSetValueExA(Hkey key, const char* name, DWORD type, const std::uint8_t* data,
                                   DWORD cbData) {
  return ::RegSetValueExA(To<HKEY>(key), name, 0, type, data, cbData);
}

LONG Win32Platform::RegDeleteValueA(Hkey key, const char* name) {
  return ::RegDeleteValueA(To<HKEY>(key), name);
}

LONG Win32Platform::RegDeleteKeyA(Hkey root, const char* subKey) {
  return ::RegDeleteKeyA(To<HKEY>(root), subKey);
}

LONG Win32Platform::RegCloseKey(Hkey key) {
  return ::RegCloseKey(To<HKEY>(key));
}

// Clock.

std::int64_t Win32Platform::GetCurrentTime() {
  return _time64(nullptr);
}

bool Win32Platform::GetLocalTm(std::int64_t t, LocalTm* out) {
  const __time64_t time = t;
  struct tm fields {};
  if (_localtime64_s(&fields, &time) != 0)
    return false;
  *out = FromCalendarFields(fields);
  return true;
}

std::int64_t Win32Platform::MakeLocalTime(const LocalTm& in) {
  struct tm fields = ToCalendarFields(in);
  const __time64_t time = _mktime64(&fields);
  return time == static_cast<__time64_t>(-1) ? -1 : static_cast<std::int64_t>(time);
}

// Event log.

Handle Win32Platform::OpenEventLogA(const char* server, const char* source) {
  return From(::OpenEventLogA(server, source));
}

BOOL Win32Platform::ReadEventLogA(Handle log, DWORD flags, DWORD offset, void* buffer, DWORD size,
                                  DWORD* read, DWORD* needed) {
  // Wine fails without writing either count: report 0 for what it leaves out.
  ::DWORD bytesRead = 0;
  ::DWORD bytesNeeded = 0;
  const BOOL ok =
      ::ReadEventLogA(To<HANDLE>(log), flags, offset, buffer, size, &bytesRead, &bytesNeeded);
  const ::DWORD error = ::GetLastError();
  if (read != nullptr)
    *read = bytesRead;
  if (needed != nullptr)
    *needed = bytesNeeded;
  ::SetLastError(error);
  return ok;
}

BOOL Win32Platform::CloseEventLog(Handle log) {
  return ::CloseEventLog(To<HANDLE>(log));
}

DWORD Win32Platform::GetLastError() {
  return ::GetLastError();
}

void* Win32Platform::LocalAlloc(std::size_t bytes) {
  return ::LocalAlloc(LMEM_FIXED, bytes);
}

void Win32Platform::LocalFree(void* block) {
  ::LocalFree(block);
}

// Shutdown.

BOOL Win32Platform::OpenProcessToken(DWORD access, Handle* token) {
  HANDLE h = nullptr;
  const BOOL ok = ::OpenProcessToken(::GetCurrentProcess(), access, &h);
  *token = ok ? From(h) : 0;
  return ok;
}

BOOL Win32Platform::LookupPrivilegeValueA(const char* system, const char* name, Luid* luid) {
  LUID value{};
  const BOOL ok = ::LookupPrivilegeValueA(system, name, &value);
  if (ok) {
    luid->LowPart = value.LowPart;
    luid->HighPart = value.HighPart;
  }
  return ok;
}

BOOL Win32Platform::AdjustTokenPrivileges(Handle token, BOOL disableAll, const Luid& luid,
                                          DWORD attributes) {
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid.LowPart = luid.LowPart;
  privileges.Privileges[0].Luid.HighPart = luid.HighPart;
  privileges.Privileges[0].Attributes = attributes;
  return ::AdjustTokenPrivileges(To<HANDLE>(token), disableAll, &privileges, 0, nullptr, nullptr);
}

BOOL Win32Platform::CloseHandle(Handle object) {
  return ::CloseHandle(To<HANDLE>(object));
}

BOOL Win32Platform::ExitWindowsEx(UINT flags, DWORD reason) {
  return ::ExitWindowsEx(flags, reason);
}

// Files and the module.

DWORD Win32Platform::GetModuleFileNameA(char* buffer, DWORD size) {
  return ::GetModuleFileNameA(nullptr, buffer, size);
}

BOOL Win32Platform::MoveFileExA(const char* existing, const char* replacement, DWORD flags) {
  return ::MoveFileExA(existing, replacement, flags);
}

void Win32Platform::Sleep(DWORD milliseconds) {
  ::Sleep(milliseconds);
}

// Resources.

Hicon Win32Platform::LoadImageA(UINT resourceId, UINT type, int cx, int cy, UINT flags) {
  return From(::LoadImageA(m_instance, MAKEINTRESOURCEA(resourceId), type, cx, cy, flags));
}

Hicon Win32Platform::LoadIconA(UINT resourceId) {
  return From(::LoadIconA(m_instance, MAKEINTRESOURCEA(resourceId)));
}

Handle Win32Platform::LoadCursorA(UINT systemCursorId) {
  return From(::LoadCursorA(nullptr, MAKEINTRESOURCEA(systemCursorId)));
}

Handle Win32Platform::GetStockObject(int object) {
  return From(::GetStockObject(object));
}

int Win32Platform::LoadStringA(UINT id, char* buffer, int size) {
  // LoadStringA would convert with the system's code page; the program's
  // texts are code page 932 everywhere.
  wchar_t wide[1024];
  int units = ::LoadStringW(m_instance, id, wide, 1024);
  if (size > 0)
    buffer[0] = '\0';
  return units > 0 ? FromUtf16(wide, units, buffer, size) : 0;
}

Hmenu Win32Platform::LoadMenuA(UINT resourceId) {
  return From(::LoadMenuA(m_instance, MAKEINTRESOURCEA(resourceId)));
}

// Windows and messages.

int Win32Platform::GetSystemMetrics(int index) {
  return ::GetSystemMetrics(index);
}

BOOL Win32Platform::RegisterClassA(const WndClassA& wc) {
  WNDCLASSA cls{};
  cls.style = wc.style;
  cls.lpfnWndProc = &WndProcTrampoline;
  cls.hInstance = m_instance;
  cls.hIcon = To<HICON>(wc.hIcon);
  cls.hCursor = To<HCURSOR>(wc.hCursor);
  cls.hbrBackground = To<HBRUSH>(wc.hbrBackground);
  cls.lpszClassName = wc.lpszClassName;
  const ATOM atom = ::RegisterClassA(&cls);
  if (atom == 0)
    return FALSE;
  ClassProcs().push_back({atom, wc.lpfnWndProc});
  return TRUE;
}

BOOL Win32Platform::IsClassRegistered(const char* className) {
  WNDCLASSA cls{};
  return ::GetClassInfoA(m_instance, className, &cls) ? TRUE : FALSE;
}

Hwnd Win32Platform::CreateWindowExA(DWORD exStyle, const char* className, const char* title,
                                    DWORD style, int x, int y, int width, int height, Hwnd parent,
                                    Hmenu menu, void* param) {
  return From(::CreateWindowExA(exStyle, className, title, style, x, y, width, height,
                                To<HWND>(parent), To<HMENU>(menu), m_instance, param));
}

Lresult Win32Platform::DefWindowProcA(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) {
  return ::DefWindowProcA(To<HWND>(hwnd), msg, wParam, lParam);
}

BOOL Win32Platform::DestroyWindow(Hwnd hwnd) {
  return ::DestroyWindow(To<HWND>(hwnd));
}

BOOL Win32Platform::ShowWindow(Hwnd hwnd, int command) {
  return ::ShowWindow(To<HWND>(hwnd), command);
}

BOOL Win32Platform::UpdateWindow(Hwnd hwnd) {
  return ::UpdateWindow(To<HWND>(hwnd));
}

BOOL Win32Platform::IsWindowVisible(Hwnd hwnd) {
  return ::IsWindowVisible(To<HWND>(hwnd));
}

BOOL Win32Platform::GetWindowRect(Hwnd hwnd, Rect* rect) {
  RECT r{};
  if (!::GetWindowRect(To<HWND>(hwnd), &r))
    return FALSE;
  *rect = Rect{r.left, r.top, r.right, r.bottom};
  return TRUE;
}

BOOL Win32Platform::RaiseTopmost(Hwnd hwnd) {
  return ::SetWindowPos(To<HWND>(hwnd), HWND_TOPMOST, 0, 0, 0, 0,
                        SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

BOOL Win32Platform::SetWindowPos(Hwnd hwnd, int x, int y) {
  return ::SetWindowPos(To<HWND>(hwnd), nullptr, x, y, 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL Win32Platform::InvalidateRect(Hwnd hwnd, const Rect* rect, BOOL erase) {
  if (rect == nullptr)
    return ::InvalidateRect(To<HWND>(hwnd), nullptr, erase);
  const RECT r{rect->left, rect->top, rect->right, rect->bottom};
  return ::InvalidateRect(To<HWND>(hwnd), &r, erase);
}

Handle Win32Platform::BeginPaint(Hwnd hwnd, PaintStruct* paint) {
  PAINTSTRUCT ps{};
  const HDC dc = ::BeginPaint(To<HWND>(hwnd), &ps);
  paint->hdc = From(ps.hdc);
  paint->fErase = ps.fErase;
  paint->rcPaint = Rect{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom};
  return From(dc);
}

BOOL Win32Platform::EndPaint(Hwnd hwnd, const PaintStruct* paint) {
  PAINTSTRUCT ps{};
  ps.hdc = To<HDC>(paint->hdc);
  ps.fErase = paint->fErase;
  ps.rcPaint =
      RECT{paint->rcPaint.left, paint->rcPaint.top, paint->rcPaint.right, paint->rcPaint.bottom};
  return ::EndPaint(To<HWND>(hwnd), &ps);
}

std::uintptr_t Win32Platform::SetTimer(Hwnd hwnd, std::uintptr_t id, UINT elapse) {
  return ::SetTimer(To<HWND>(hwnd), id, elapse, nullptr);
}

BOOL Win32Platform::KillTimer(Hwnd hwnd, std::uintptr_t id) {
  return ::KillTimer(To<HWND>(hwnd), id);
}

BOOL Win32Platform::PostMessageA(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) {
  return ::PostMessageA(To<HWND>(hwnd), msg, wParam, lParam);
}

Lresult Win32Platform::SendMessageA(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) {
  return ::SendMessageA(To<HWND>(hwnd), msg, wParam, lParam);
}

BOOL Win32Platform::GetMessageA(Msg* msg) {
  const BOOL result = ::GetMessageA(&m_lastMsg, nullptr, 0, 0);
  msg->hwnd = From(m_lastMsg.hwnd);
  msg->message = m_lastMsg.message;
  msg->wParam = m_lastMsg.wParam;
  msg->lParam = m_lastMsg.lParam;
  return result;
}

Lresult Win32Platform::DispatchMessageA(const Msg& msg) {
  MSG m{};
  if (From(m_lastMsg.hwnd) == msg.hwnd && m_lastMsg.message == msg.message &&
      m_lastMsg.wParam == msg.wParam && m_lastMsg.lParam == msg.lParam) {
    m = m_lastMsg;
  } else {
    m.hwnd = To<HWND>(msg.hwnd);
    m.message = msg.message;
    m.wParam = msg.wParam;
    m.lParam = msg.lParam;
    m.time = static_cast<::DWORD>(::GetMessageTime());
    const ::DWORD pos = ::GetMessagePos();
    m.pt.x = static_cast<short>(LOWORD(pos));
    m.pt.y = static_cast<short>(HIWORD(pos));
  }
  ::TranslateMessage(&m);
  return ::DispatchMessageA(&m);
}

void Win32Platform::PostQuitMessage(int exitCode) {
  ::PostQuitMessage(exitCode);
}

Hwnd Win32Platform::FindWindowA(const char* className, const char* title) {
  return From(::FindWindowA(className, title));
}

BOOL Win32Platform::SetForegroundWindow(Hwnd hwnd) {
  return ::SetForegroundWindow(To<HWND>(hwnd));
}

BOOL Win32Platform::GetCursorPos(Point* point) {
  POINT p{};
  const BOOL ok = ::GetCursorPos(&p);
  point->x = p.x;
  point->y = p.y;
  return ok;
}

int Win32Platform::MessageBoxA(Hwnd owner, const char* text, const char* caption, UINT type) {
  wchar_t wideText[1024];
  wchar_t wideCaption[256];
  ToUtf16(text, wideText, 1024);
  ToUtf16(caption, wideCaption, 256);
  return ::MessageBoxW(To<HWND>(owner), wideText, wideCaption, type);
}

// Menus.

Hmenu Win32Platform::GetSubMenu(Hmenu menu, int position) {
  return From(::GetSubMenu(To<HMENU>(menu), position));
}

BOOL Win32Platform::SetMenuItemInfoA(Hmenu menu, UINT item, BOOL byPosition,
                                     const MenuItemInfoA& info) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof(MENUITEMINFOW);
  mii.fMask = info.fMask;
  mii.fType = info.fType;
  mii.fState = info.fState;
  mii.wID = info.wID;
  mii.hSubMenu = To<HMENU>(info.hSubMenu);
  mii.hbmpChecked = To<HBITMAP>(info.hbmpChecked);
  mii.hbmpUnchecked = To<HBITMAP>(info.hbmpUnchecked);
  mii.dwItemData = info.dwItemData;
  // A label is the program's text: shown through the W call.
  wchar_t label[256];
  if (info.dwTypeData != nullptr) {
    ToUtf16(info.dwTypeData, label, 256);
    mii.dwTypeData = label;
    mii.cch = static_cast<UINT>(lstrlenW(label));
  }
  return ::SetMenuItemInfoW(To<HMENU>(menu), item, byPosition, &mii);
}

BOOL Win32Platform::TrackPopupMenu(Hmenu menu, UINT flags, int x, int y, Hwnd owner) {
  return ::TrackPopupMenu(To<HMENU>(menu), flags, x, y, 0, To<HWND>(owner), nullptr);
}

BOOL Win32Platform::DestroyMenu(Hmenu menu) {
  return ::DestroyMenu(To<HMENU>(menu));
}

// The notification area.

BOOL Win32Platform::Shell_NotifyIconA(DWORD message, NotifyIconDataA* data) {
  // The program keeps the 488-byte record of code page 932 texts; the shell
  // gets the same record in its UTF-16 form of the same version.
  NOTIFYICONDATAW wide{};
  wide.cbSize = NOTIFYICONDATAW_V2_SIZE;
  wide.hWnd = To<HWND>(data->hWnd);
  wide.uID = data->uID;
  wide.uFlags = data->uFlags;
  wide.uCallbackMessage = data->uCallbackMessage;
  wide.hIcon = To<HICON>(data->hIcon);
  ToUtf16(data->szTip, wide.szTip, ARRAYSIZE(wide.szTip));
  wide.dwState = data->dwState;
  wide.dwStateMask = data->dwStateMask;
  ToUtf16(data->szInfo, wide.szInfo, ARRAYSIZE(wide.szInfo));
  wide.uTimeout = data->uTimeoutOrVersion;
  ToUtf16(data->szInfoTitle, wide.szInfoTitle, ARRAYSIZE(wide.szInfoTitle));
  wide.dwInfoFlags = data->dwInfoFlags;
  return ::Shell_NotifyIconW(message, &wide);
}

// Dialogs.

std::intptr_t Win32Platform::DialogBoxParamA(UINT templateId, Hwnd parent, DlgProc proc,
                                             Lparam param) {
  auto& pending = PendingDialogProcs();
  pending.push_back(proc);
  const std::size_t depth = pending.size();
  const INT_PTR result = ::DialogBoxParamA(m_instance, MAKEINTRESOURCEA(templateId),
                                           To<HWND>(parent), &DlgProcTrampoline, param);
  // A dialog that could not be created never took its procedure.
  if (pending.size() >= depth)
    pending.resize(depth - 1);
  return result;
}

BOOL Win32Platform::EndDialog(Hwnd dialog, std::intptr_t result) {
  return ::EndDialog(To<HWND>(dialog), result);
}

Hwnd Win32Platform::GetDlgItem(Hwnd dialog, int id) {
  return From(::GetDlgItem(To<HWND>(dialog), id));
}

BOOL Win32Platform::EnableWindow(Hwnd hwnd, BOOL enable) {
  return ::EnableWindow(To<HWND>(hwnd), enable);
}

Hwnd Win32Platform::SetFocus(Hwnd hwnd) {
  return From(::SetFocus(To<HWND>(hwnd)));
}

int Win32Platform::GetWindowTextLengthA(Hwnd hwnd) {
  return ::GetWindowTextLengthA(To<HWND>(hwnd));
}

int Win32Platform::GetWindowTextA(Hwnd hwnd, char* buffer, int size) {
  return ::GetWindowTextA(To<HWND>(hwnd), buffer, size);
}

BOOL Win32Platform::SetWindowTextA(Hwnd hwnd, const char* text) {
  return ::SetWindowTextA(To<HWND>(hwnd), text);
}

} // namespace hg
