// hgdriver: what a person at the PC, or another program on it, does to
// HourgaugeLite, as one command per call. It runs inside the same Wine prefix
// and desktop as the program, finds windows by title (dialogs by caption),
// posts messages, and reads and fills dialog controls. Titles and texts come
// in on the command line and go out on stdout as UTF-8; the window calls are
// the wide ones, so Japanese captions match whatever the code page.
//
// Exit codes: 0 done, 1 not found / timed out, 2 usage, 3 the call failed.
// The questions (window-exists, window-visible, dialog-enabled,
// dialog-takes-input, menu-open, tray-icons) answer 0 for yes and 1 for no.
#include <windows.h>

#include "tests/e2e/driver/PipeCommands.h"

#include <commctrl.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kTrayCallback = 0x9F1; // the program's tray callback message
constexpr WPARAM kTrayIconId = 101;
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kMenuClass[] = L"#32768";
constexpr UINT kSendTimeoutMs = 5000;
constexpr DWORD kPollMs = 100;

std::string Utf8(const std::wstring& w) {
  if (w.empty())
    return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

void Out(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void Err(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

bool ParseNumber(const wchar_t* text, long long* value) {
  if (text == nullptr || *text == L'\0')
    return false;
  const wchar_t* p = text;
  bool negative = false;
  if (*p == L'-') {
    negative = true;
    ++p;
  }
  int base = 10;
  if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) {
    base = 16;
    p += 2;
  }
  if (*p == L'\0')
    return false;
  wchar_t* end = nullptr;
  unsigned long long magnitude = std::wcstoull(p, &end, base);
  if (end == nullptr || *end != L'\0')
    return false;
  *value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
  return true;
}

bool ParseSeconds(const wchar_t* text, DWORD* ms) {
  wchar_t* end = nullptr;
  double seconds = std::wcstod(text, &end);
  if (end == text || *end != L'\0' || seconds < 0 || seconds > 3600)
    return false;
  *ms = static_cast<DWORD>(seconds * 1000.0);
  return true;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

// The text of a window in this or another process, through WM_GETTEXT.
bool TextOf(HWND hwnd, std::wstring* text) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
    return false;
  std::vector<wchar_t> buffer(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &got))
    return false;
  text->assign(buffer.data(), got < buffer.size() ? got : buffer.size() - 1);
  return true;
}

// Top-level windows whose title is exactly `title`.
struct Search {
  std::wstring title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectByTitle(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  // "class:NAME" finds a window by its class instead (the history window's
  // title changes with its figures).
  if (search->title.rfind(L"class:", 0) == 0) {
    if (ClassOf(hwnd) == search->title.substr(6))
      search->found.push_back(hwnd);
    return TRUE;
  }
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  if (search->title == text)
    search->found.push_back(hwnd);
  return TRUE;
}

enum class Kind { Any, Dialog, NotDialog };

// Finds a top-level window by title. A message box may share the main
// window's title, so the commands aimed at a program window prefer one that
// is not a dialog, and the dialog commands take only dialogs.
HWND FindTopLevel(const std::wstring& title, Kind kind) {
  Search search{title, {}};
  EnumWindows(&CollectByTitle, reinterpret_cast<LPARAM>(&search));
  HWND fallback = nullptr;
  for (HWND hwnd : search.found) {
    const bool dialog = ClassOf(hwnd) == kDialogClass;
    if (kind == Kind::Any || (kind == Kind::Dialog && dialog) ||
        (kind == Kind::NotDialog && !dialog))
      return hwnd;
    if (kind == Kind::NotDialog && fallback == nullptr)
      fallback = hwnd;
  }
  return fallback;
}

HWND WaitFor(const std::wstring& title, Kind kind, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND hwnd = FindTopLevel(title, kind))
      return hwnd;
    if (GetTickCount() - start >= timeoutMs)
      return nullptr;
    Sleep(kPollMs);
  }
}

bool WaitGone(const std::wstring& title, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (FindTopLevel(title, Kind::Any) == nullptr)
      return true;
    if (GetTickCount() - start >= timeoutMs)
      return false;
    Sleep(kPollMs);
  }
}

int NotFound(const std::wstring& what) {
  Err("hgdriver: no window " + Utf8(what));
  return 1;
}

int Usage() {
  Err("usage: hgdriver COMMAND ARGS\n"
      "  wait-window TITLE SECONDS          a top-level window with that title exists\n"
      "  (a TITLE of the form class:NAME names a window by its class)\n"
      "  wait-no-window TITLE SECONDS       no top-level window with that title is left\n"
      "  window-exists TITLE                exit 0 when it exists, 1 otherwise\n"
      "  list-windows                       hwnd, pid, visible, class, title of each\n"
      "  foreground                         the same for the foreground window\n"
      "  post TITLE MESSAGE WPARAM LPARAM   PostMessage to the window (decimal or 0x hex)\n"
      "  send-command TITLE ID              post WM_COMMAND ID\n"
      "  tray-click TITLE [LPARAM]          post the tray callback (default WM_RBUTTONDOWN)\n"
      "  menu-open                          exit 0 while a popup menu is shown\n"
      "  create-window TITLE SECONDS [close|ignore] [LOGFILE]\n"
      "                                     own a window that logs each WM_CLOSE and WM_COMMAND\n"
      "  hold-file PATH SECONDS             keep a file open, shared with nobody (as a signed-in\n"
      "                                     account's hive is); prints \"held\" once it is\n"
      "  wait-dialog CAPTION SECONDS        a dialog with that caption exists\n"
      "  balloon                            a tray balloon is shown: its rect and process\n"
      "  countdown                          the countdown window: styles, rect and text\n"
      "  taskbar-created TITLE              post \"TaskbarCreated\", as a new shell does\n"
      "  dialog-set-text CAPTION ID TEXT    set a control's text\n"
      "  dialog-get-text CAPTION ID         print a control's text\n"
      "  dialog-click CAPTION ID            click a button\n"
      "  dialog-enabled CAPTION ID          exit 0 when the control takes input, 1 when disabled\n"
      "  dialog-takes-input CAPTION         exit 0 when the dialog itself is enabled, 1 while\n"
      "                                     another modal dialog it owns is open\n"
      "  msgbox-text CAPTION                print a message box's text\n"
      "  msgbox-ok CAPTION                  press the message box's OK\n"
      "  window-visible TITLE               exit 0 when shown, 1 when hidden (or missing)\n"
      "  window-rect TITLE                  print X Y WIDTH HEIGHT of the window on screen\n"
      "  dialog-rect CAPTION                the same for a dialog or message box\n"
      "  menu-rect                          print X Y WIDTH HEIGHT of the shown popup menu\n"
      "  tray-icons                         the tray's X Y WIDTH HEIGHT, its number of icons;\n"
      "                                     exit 0 when there is one or more\n"
      "  tooltip-text                       print the text of each shown tooltip\n"
      "  tooltip-rect                       print X Y WIDTH HEIGHT of the shown tooltip\n"
      "  send TITLE MESSAGE WPARAM LPARAM   SendMessage (5 s timeout); prints the result\n"
      "  file-version PATH                  print the exe's FileVersion text and fixed version\n"
      "  manifest PATH                      print the exe's manifest (RT_MANIFEST 1) as it is\n"
      "  reg-bytes KEY VALUE                TYPE SIZE HEX of a value as the ANSI call reads it;\n"
      "                                     KEY starts with HKLM\\ or HKCU\\\n"
      "  reg-sddl KEY                       the DACL of an HKLM\\ key (32-bit view) as SDDL\n"
      "  reg-sd KEY                         its owner and DACL as SDDL\n"
      "  reg-set-sd KEY SDDL                set the owner and/or DACL the SDDL holds (as a\n"
      "                                     user who took the key over would)\n"
      "  service-config NAME                a service's configuration and state, one a line\n"
      "  wts-sessions                       what the service's calls for starting the tray in a\n"
      "                                     session return here: WTSEnumerateSessionsW, then for\n"
      "                                     each active session WTSQueryUserToken\n"
      "  wts-start COMMANDLINE              the service's start of a program for the console\n"
      "                                     session: WTSGetActiveConsoleSessionId,\n"
      "                                     WTSQueryUserToken, CreateProcessAsUserW on\n"
      "                                     winsta0\\default; prints each result");
  Err(kPipeCommandsUsage);
  return 2;
}

// --- commands --------------------------------------------------------------

BOOL CALLBACK ListOne(HWND hwnd, LPARAM) {
  wchar_t title[512] = {};
  GetWindowTextW(hwnd, title, 512);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char head[96];
  std::snprintf(head, sizeof head, "0x%08lx pid=%lu visible=%d class=",
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hwnd)),
                static_cast<unsigned long>(pid), IsWindowVisible(hwnd) ? 1 : 0);
  Out(head + Utf8(ClassOf(hwnd)) + " title=" + Utf8(title));
  return TRUE;
}

int Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!PostMessageW(hwnd, msg, wParam, lParam)) {
    Err("hgdriver: PostMessage failed");
    return 3;
  }
  return 0;
}

// The companion window another program keeps open: it logs each WM_CLOSE
// and either goes away or stays, and logs each WM_COMMAND it is sent or
// posted (a command meant for another program's window of the same title).
struct Companion {
  bool closeOnRequest = true;
  FILE* log = nullptr;
  int closes = 0;
};
Companion g_companion;
constexpr UINT_PTR kLifetimeTimer = 1;

LRESULT CALLBACK CompanionProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
  case WM_CLOSE: {
    ++g_companion.closes;
    char line[64];
    std::snprintf(line, sizeof line, "WM_CLOSE %d %s", g_companion.closes,
                  g_companion.closeOnRequest ? "closing" : "ignored");
    Out(line);
    if (g_companion.log != nullptr) {
      std::fprintf(g_companion.log, "%s\n", line);
      std::fflush(g_companion.log);
    }
    if (g_companion.closeOnRequest)
      DestroyWindow(hwnd);
    return 0;
  }
  case WM_COMMAND: {
    char line[64];
    std::snprintf(line, sizeof line, "WM_COMMAND %u", static_cast<unsigned>(LOWORD(wParam)));
    Out(line);
    if (g_companion.log != nullptr) {
      std::fprintf(g_companion.log, "%s\n", line);
      std::fflush(g_companion.log);
    }
    return 0;
  }
  case WM_TIMER:
    if (wParam == kLifetimeTimer) {
      Out("lifetime over");
      DestroyWindow(hwnd);
      return 0;
    }
    break;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int CreateCompanion(const std::wstring& title, DWORD lifetimeMs, bool closeOnRequest,
                    const wchar_t* logPath) {
  g_companion.closeOnRequest = closeOnRequest;
  if (logPath != nullptr) {
    g_companion.log = _wfopen(logPath, L"ab");
    if (g_companion.log == nullptr) {
      Err("hgdriver: cannot open the log file");
      return 3;
    }
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = &CompanionProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"HgDriverCompanion";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  if (!RegisterClassW(&wc))
    return 3;
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 240,
                              120, nullptr, nullptr, wc.hInstance, nullptr);
  if (hwnd == nullptr)
    return 3;
  SetTimer(hwnd, kLifetimeTimer, lifetimeMs == 0 ? 1 : lifetimeMs, nullptr);
  Out("created");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (g_companion.log != nullptr)
    std::fclose(g_companion.log);
  return 0;
}

// A control anywhere below a window: a wizard keeps its page's controls in
// a child dialog.
struct ControlSearch {
  int id = 0;
  HWND found = nullptr;
};

BOOL CALLBACK MatchControlId(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<ControlSearch*>(lParam);
  if (GetDlgCtrlID(hwnd) != search->id)
    return TRUE;
  search->found = hwnd;
  return FALSE;
}

HWND DialogControl(const std::wstring& caption, const wchar_t* idText, HWND* dialogOut) {
  long long id = 0;
  if (!ParseNumber(idText, &id))
    return nullptr;
  HWND dialog = FindTopLevel(caption, Kind::Dialog);
  if (dialog == nullptr)
    return nullptr;
  if (dialogOut != nullptr)
    *dialogOut = dialog;
  HWND control = GetDlgItem(dialog, static_cast<int>(id));
  if (control != nullptr)
    return control;
  ControlSearch search;
  search.id = static_cast<int>(id);
  EnumChildWindows(dialog, &MatchControlId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int ClickButton(HWND button) {
  if (!IsWindowEnabled(button)) {
    Err("hgdriver: the button is disabled");
    return 3;
  }
  // Posted, not sent: the click may open a modal message box in the
  // program, and the driver must not wait for it to be answered.
  return Post(button, BM_CLICK, 0, 0);
}

// The message text of a message box: Windows and Wine give it the id 0xFFFF;
// failing that, the first static control with text.
struct StaticSearch {
  HWND found = nullptr;
};

BOOL CALLBACK FirstStaticWithText(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<StaticSearch*>(lParam);
  std::wstring text;
  if (_wcsicmp(ClassOf(hwnd).c_str(), L"Static") == 0 && TextOf(hwnd, &text) && !text.empty()) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// A window's rectangle on the screen as "X Y WIDTH HEIGHT", the order an
// image cropper wants it in.
int PrintRect(HWND hwnd) {
  RECT r{};
  if (!GetWindowRect(hwnd, &r))
    return 3;
  char line[96];
  std::snprintf(line, sizeof line, "%ld %ld %ld %ld", static_cast<long>(r.left),
                static_cast<long>(r.top), static_cast<long>(r.right - r.left),
                static_cast<long>(r.bottom - r.top));
  Out(line);
  return 0;
}

// The popup menu on the screen, if one is shown.
HWND ShownMenu() {
  HWND menu = FindWindowW(kMenuClass, nullptr);
  return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
}

struct WindowList {
  std::vector<HWND> found;
};

// Shown tooltip windows anywhere on the desktop.
BOOL CALLBACK CollectTooltip(HWND hwnd, LPARAM lParam) {
  if (_wcsicmp(ClassOf(hwnd).c_str(), L"tooltips_class32") == 0 && IsWindowVisible(hwnd))
    reinterpret_cast<WindowList*>(lParam)->found.push_back(hwnd);
  return TRUE;
}

// A balloon from the tray: a shown topmost tooltip window with the balloon
// style.
BOOL CALLBACK CollectBalloon(HWND hwnd, LPARAM lParam) {
  if (_wcsicmp(ClassOf(hwnd).c_str(), L"tooltips_class32") == 0 && IsWindowVisible(hwnd) &&
      (GetWindowLongW(hwnd, GWL_STYLE) & TTS_BALLOON) != 0 &&
      (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0)
    reinterpret_cast<WindowList*>(lParam)->found.push_back(hwnd);
  return TRUE;
}

// The notification area of Wine's desktop draws its icons itself and gives
// each one a tool in a tooltip control it owns (in later Wine versions, in
// one owned by the icon's own child window). The tools, counted through
// messages that carry no pointers, are the icons that have a tooltip.
struct TrayTools {
  HWND tray = nullptr;
  int count = 0;
  bool failed = false;
};

BOOL CALLBACK CountToolsOf(HWND hwnd, LPARAM lParam) {
  auto* tools = reinterpret_cast<TrayTools*>(lParam);
  if (_wcsicmp(ClassOf(hwnd).c_str(), L"tooltips_class32") != 0)
    return TRUE;
  HWND owner = GetWindow(hwnd, GW_OWNER);
  if (owner != tools->tray && GetParent(owner) != tools->tray)
    return TRUE;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(hwnd, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count))
    tools->failed = true;
  else
    tools->count += static_cast<int>(count);
  return TRUE;
}

int CountTrayTools(HWND tray) {
  TrayTools tools;
  tools.tray = tray;
  EnumWindows(&CountToolsOf, reinterpret_cast<LPARAM>(&tools));
  return tools.failed ? -1 : tools.count;
}

// The manifest the loader reads: resource 1 of type RT_MANIFEST, found the
// way Windows finds it, through the resource calls on the exe loaded as data.
int Manifest(const wchar_t* path) {
  HMODULE module = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) {
    Err("hgdriver: cannot load " + Utf8(path));
    return 3;
  }
  int status = 1;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)); // RT_MANIFEST
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes != nullptr) {
    std::fwrite(bytes, 1, SizeofResource(module, found), stdout);
    std::fflush(stdout);
    status = 0;
  } else {
    Err("hgdriver: no manifest in " + Utf8(path));
  }
  FreeLibrary(module);
  return status;
}

int FileVersion(const wchar_t* path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) {
    Err("hgdriver: no version information in " + Utf8(path));
    return 1;
  }
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(path, 0, size, block.data()))
    return 3;
  // The first language and code page the block names.
  struct Translation {
    WORD language;
    WORD codePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof *translation)
    return 3;
  wchar_t query[64];
  std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation->language,
                translation->codePage);
  wchar_t* text = nullptr;
  if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &length) ||
      text == nullptr)
    return 3;
  VS_FIXEDFILEINFO* fixed = nullptr;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr)
    return 3;
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "%u.%u.%u.%u",
                static_cast<unsigned>(HIWORD(fixed->dwFileVersionMS)),
                static_cast<unsigned>(LOWORD(fixed->dwFileVersionMS)),
                static_cast<unsigned>(HIWORD(fixed->dwFileVersionLS)),
                static_cast<unsigned>(LOWORD(fixed->dwFileVersionLS)));
  Out("FileVersion " + Utf8(text));
  Out(std::string("fixed ") + numbers);
  return 0;
}

// A registry value exactly as the program sees it through RegQueryValueExA:
// the command-line reg tool shows a value of no bytes with leftovers of the
// value before it, and cannot tell how many bytes a value has.
int RegBytes(const std::wstring& keyPath, const wchar_t* valueName) {
  HKEY root = nullptr;
  std::wstring rest;
  if (keyPath.rfind(L"HKLM\\", 0) == 0) {
    root = HKEY_LOCAL_MACHINE;
    rest = keyPath.substr(5);
  } else if (keyPath.rfind(L"HKCU\\", 0) == 0) {
    root = HKEY_CURRENT_USER;
    rest = keyPath.substr(5);
  } else {
    return Usage();
  }
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, rest.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    Err("hgdriver: no key " + Utf8(keyPath));
    return 1;
  }
  // The value name goes through the ANSI call too, as the program's does.
  const std::string name = [&] {
    int n = WideCharToMultiByte(CP_ACP, 0, valueName, -1, nullptr, 0, nullptr, nullptr);
    std::string a(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, valueName, -1, a.data(), n, nullptr, nullptr);
    return std::string(a.c_str());
  }();
  DWORD type = 0, size = 0;
  LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
  std::vector<unsigned char> data(size + 1, 0);
  if (status == ERROR_SUCCESS)
    status = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) {
    Err("hgdriver: no value " + Utf8(valueName));
    return 1;
  }
  const char* typeName = type == REG_SZ          ? "REG_SZ"
                         : type == REG_EXPAND_SZ ? "REG_EXPAND_SZ"
                         : type == REG_MULTI_SZ  ? "REG_MULTI_SZ"
                         : type == REG_DWORD     ? "REG_DWORD"
                         : type == REG_BINARY    ? "REG_BINARY"
                                                 : "REG_OTHER";
  std::string line = std::string(typeName) + " " + std::to_string(size) + " ";
  for (DWORD i = 0; i < size; ++i) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", data[i]);
    line += hex;
  }
  Out(line);
  return 0;
}

// The DACL of a key of the 32-bit view, as the setup program left it.
int RegSddl(const std::wstring& keyPath) {
  if (keyPath.rfind(L"HKLM\\", 0) != 0)
    return Usage();
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.substr(5).c_str(), 0,
                    READ_CONTROL | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) {
    Err("hgdriver: no key " + Utf8(keyPath));
    return 1;
  }
  DWORD size = 0;
  LONG status = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
  std::vector<unsigned char> sd(size > 0 ? size : 1);
  if (status == ERROR_INSUFFICIENT_BUFFER)
    status = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, sd.data(), &size);
  RegCloseKey(key);
  wchar_t* text = nullptr;
  if (status != ERROR_SUCCESS ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorW(
          sd.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    Err("hgdriver: no security descriptor for " + Utf8(keyPath));
    return 3;
  }
  Out(Utf8(text));
  LocalFree(text);
  return 0;
}

// The owner and DACL of a key of the 32-bit view: who may take it over, and
// who may change it.
int RegSd(const std::wstring& keyPath) {
  if (keyPath.rfind(L"HKLM\\", 0) != 0)
    return Usage();
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.substr(5).c_str(), 0,
                    READ_CONTROL | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) {
    Err("hgdriver: no key " + Utf8(keyPath));
    return 1;
  }
  const SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  LONG status = RegGetKeySecurity(key, parts, nullptr, &size);
  std::vector<unsigned char> sd(size > 0 ? size : 1);
  if (status == ERROR_INSUFFICIENT_BUFFER)
    status = RegGetKeySecurity(key, parts, sd.data(), &size);
  RegCloseKey(key);
  wchar_t* text = nullptr;
  if (status != ERROR_SUCCESS || !ConvertSecurityDescriptorToStringSecurityDescriptorW(
                                     sd.data(), SDDL_REVISION_1, parts, &text, nullptr)) {
    Err("hgdriver: no security descriptor for " + Utf8(keyPath));
    return 3;
  }
  Out(Utf8(text));
  LocalFree(text);
  return 0;
}

bool EnablePrivilege(const wchar_t* name) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
    return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool enabled = LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid) &&
                 AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                 GetLastError() == ERROR_SUCCESS;
  CloseHandle(token);
  return enabled;
}

// What a child's account could do to a key that granted it KEY_ALL_ACCESS:
// make itself the owner and write a DACL that shuts everyone else out. Only
// the parts the SDDL names are set (the owner needs SeRestorePrivilege when
// it is not the caller).
int RegSetSd(const std::wstring& keyPath, const wchar_t* sddl) {
  if (keyPath.rfind(L"HKLM\\", 0) != 0)
    return Usage();
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) {
    Err("hgdriver: not a security descriptor");
    return 2;
  }
  SECURITY_INFORMATION parts = 0;
  PSID owner = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  PACL dacl = nullptr;
  if (GetSecurityDescriptorOwner(sd, &owner, &defaulted) && owner != nullptr)
    parts |= OWNER_SECURITY_INFORMATION;
  if (GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) && present)
    parts |= DACL_SECURITY_INFORMATION;
  EnablePrivilege(SE_TAKE_OWNERSHIP_NAME);
  EnablePrivilege(SE_RESTORE_NAME);
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.substr(5).c_str(), 0, nullptr, 0,
                                KEY_WOW64_32KEY | WRITE_OWNER | WRITE_DAC | READ_CONTROL, nullptr,
                                &key, nullptr);
  if (status == ERROR_SUCCESS) {
    // The owner first: the DACL may then leave the caller without WRITE_OWNER.
    if ((parts & OWNER_SECURITY_INFORMATION) != 0)
      status = RegSetKeySecurity(key, OWNER_SECURITY_INFORMATION, sd);
    if (status == ERROR_SUCCESS && (parts & DACL_SECURITY_INFORMATION) != 0)
      status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
    RegCloseKey(key);
  }
  LocalFree(sd);
  if (status != ERROR_SUCCESS) {
    Err("hgdriver: could not set the security of " + Utf8(keyPath) + ": " + std::to_string(status));
    return 3;
  }
  return 0;
}

// A service as the service manager has it: QueryServiceConfigW, its
// description, QueryServiceStatusEx.
int ServiceConfig(const wchar_t* name) {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) {
    Err("hgdriver: OpenSCManagerW failed");
    return 3;
  }
  SC_HANDLE service = OpenServiceW(manager, name, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS);
  if (service == nullptr) {
    const DWORD error = GetLastError();
    CloseServiceHandle(manager);
    Err("hgdriver: no service " + Utf8(name) + ": " + std::to_string(error));
    return 1;
  }
  std::vector<unsigned char> buffer(8192);
  DWORD needed = 0;
  int result = 0;
  if (QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                          static_cast<DWORD>(buffer.size()), &needed)) {
    const auto* config = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data());
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "type 0x%lx\nstart %lu\nerror-control %lu",
                  static_cast<unsigned long>(config->dwServiceType),
                  static_cast<unsigned long>(config->dwStartType),
                  static_cast<unsigned long>(config->dwErrorControl));
    Out(numbers);
    Out("path " + Utf8(config->lpBinaryPathName ? config->lpBinaryPathName : L""));
    Out("account " + Utf8(config->lpServiceStartName ? config->lpServiceStartName : L""));
    Out("display " + Utf8(config->lpDisplayName ? config->lpDisplayName : L""));
  } else {
    result = 3;
  }
  if (QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, buffer.data(),
                           static_cast<DWORD>(buffer.size()), &needed)) {
    const auto* description = reinterpret_cast<const SERVICE_DESCRIPTIONW*>(buffer.data());
    Out("description " + Utf8(description->lpDescription ? description->lpDescription : L""));
  } else {
    result = 3;
  }
  SERVICE_STATUS_PROCESS status{};
  if (QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                           sizeof status, &needed)) {
    Out("state " + std::to_string(status.dwCurrentState));
    Out("process " + std::to_string(status.dwProcessId));
  } else {
    result = 3;
  }
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return result;
}

// The calls the service makes to start the tray in each active session,
// made the same way (wtsapi32.dll loaded at run time): whether the session
// list and the user's token can be had here at all. Exit 0 when at least
// one active session gave a token.
int WtsSessions() {
  using Enumerate = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOW*, DWORD*);
  using Free = void(WINAPI*)(PVOID);
  using Query = BOOL(WINAPI*)(ULONG, PHANDLE);
  HMODULE module = LoadLibraryW(L"wtsapi32.dll");
  if (module == nullptr) {
    Out("wtsapi32 missing");
    return 1;
  }
  auto enumerate = reinterpret_cast<Enumerate>(
      reinterpret_cast<void*>(GetProcAddress(module, "WTSEnumerateSessionsW")));
  auto release =
      reinterpret_cast<Free>(reinterpret_cast<void*>(GetProcAddress(module, "WTSFreeMemory")));
  auto query =
      reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(module, "WTSQueryUserToken")));
  if (enumerate == nullptr || release == nullptr || query == nullptr) {
    Out(std::string("exports enumerate=") + (enumerate ? "1" : "0") +
        " free=" + (release ? "1" : "0") + " query-user-token=" + (query ? "1" : "0"));
    return 1;
  }
  PWTS_SESSION_INFOW sessions = nullptr;
  DWORD count = 0;
  SetLastError(0);
  const BOOL listed = enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count);
  const DWORD error = GetLastError();
  char line[160];
  std::snprintf(line, sizeof line, "enumerate %d error %lu count %lu", listed ? 1 : 0,
                static_cast<unsigned long>(error), static_cast<unsigned long>(listed ? count : 0));
  Out(line);
  int tokens = 0;
  for (DWORD i = 0; listed && i < count; ++i) {
    std::snprintf(line, sizeof line, "session %lu state %d name ",
                  static_cast<unsigned long>(sessions[i].SessionId),
                  static_cast<int>(sessions[i].State));
    Out(line + Utf8(sessions[i].pWinStationName ? sessions[i].pWinStationName : L""));
    if (sessions[i].State != WTSActive)
      continue;
    HANDLE token = nullptr;
    SetLastError(0);
    const BOOL got = query(sessions[i].SessionId, &token);
    std::snprintf(line, sizeof line, "query-user-token %lu %d error %lu",
                  static_cast<unsigned long>(sessions[i].SessionId), got ? 1 : 0,
                  static_cast<unsigned long>(got ? 0 : GetLastError()));
    Out(line);
    if (got) {
      ++tokens;
      CloseHandle(token);
    }
  }
  if (listed && sessions != nullptr)
    release(sessions);
  return tokens > 0 ? 0 : 1;
}

// What the service does for a session, here for the console's: the
// user's token, then the program started with it on the interactive
// desktop, with the same arguments the service passes.
int WtsStart(const wchar_t* commandLine) {
  using Query = BOOL(WINAPI*)(ULONG, PHANDLE);
  HMODULE module = LoadLibraryW(L"wtsapi32.dll");
  auto query = module != nullptr ? reinterpret_cast<Query>(reinterpret_cast<void*>(
                                       GetProcAddress(module, "WTSQueryUserToken")))
                                 : nullptr;
  if (query == nullptr) {
    Out("query-user-token missing");
    return 1;
  }
  const DWORD session = WTSGetActiveConsoleSessionId();
  char line[160];
  std::snprintf(line, sizeof line, "console-session %lu", static_cast<unsigned long>(session));
  Out(line);
  HANDLE token = nullptr;
  SetLastError(0);
  if (!query(session, &token)) {
    std::snprintf(line, sizeof line, "query-user-token 0 error %lu",
                  static_cast<unsigned long>(GetLastError()));
    Out(line);
    return 1;
  }
  Out("query-user-token 1");
  std::vector<wchar_t> command(commandLine, commandLine + std::wcslen(commandLine) + 1);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = const_cast<wchar_t*>(L"winsta0\\default");
  PROCESS_INFORMATION process{};
  SetLastError(0);
  const BOOL started =
      CreateProcessAsUserW(token, nullptr, command.data(), nullptr, nullptr, FALSE,
                           CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr, &startup, &process);
  std::snprintf(line, sizeof line, "create-process-as-user %d error %lu pid %lu", started ? 1 : 0,
                static_cast<unsigned long>(started ? 0 : GetLastError()),
                static_cast<unsigned long>(started ? process.dwProcessId : 0));
  Out(line);
  if (started) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(token);
  return started ? 0 : 3;
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2)
    return Usage();
  const std::wstring cmd = argv[1];
  if (const int result = RunPipeCommand(cmd, argc, argv); result >= 0)
    return result == 2 ? Usage() : result;
  auto arg = [&](int i) -> const wchar_t* { return i < argc ? argv[i] : nullptr; };
  DWORD ms = 0;
  long long a = 0, b = 0, c = 0;

  if (cmd == L"wait-window" || cmd == L"wait-dialog") {
    if (argc != 4 || !ParseSeconds(argv[3], &ms))
      return Usage();
    const Kind kind = cmd == L"wait-dialog" ? Kind::Dialog : Kind::Any;
    return WaitFor(argv[2], kind, ms) != nullptr ? 0 : NotFound(argv[2]);
  }
  if (cmd == L"wait-no-window") {
    if (argc != 4 || !ParseSeconds(argv[3], &ms))
      return Usage();
    if (WaitGone(argv[2], ms))
      return 0;
    Err("hgdriver: still there: " + Utf8(argv[2]));
    return 1;
  }
  if (cmd == L"window-exists") {
    if (argc != 3)
      return Usage();
    return FindTopLevel(argv[2], Kind::Any) != nullptr ? 0 : 1;
  }
  if (cmd == L"foreground") {
    if (argc != 2)
      return Usage();
    HWND hwnd = GetForegroundWindow();
    if (hwnd == nullptr)
      return NotFound(L"in the foreground");
    ListOne(hwnd, 0);
    return 0;
  }
  if (cmd == L"list-windows") {
    EnumWindows(&ListOne, 0);
    return 0;
  }
  if (cmd == L"post") {
    if (argc != 6 || !ParseNumber(argv[3], &a) || !ParseNumber(argv[4], &b) ||
        !ParseNumber(argv[5], &c))
      return Usage();
    HWND hwnd = FindTopLevel(argv[2], Kind::NotDialog);
    if (hwnd == nullptr)
      return NotFound(argv[2]);
    return Post(hwnd, static_cast<UINT>(a), static_cast<WPARAM>(b), static_cast<LPARAM>(c));
  }
  if (cmd == L"send-command") {
    if (argc != 4 || !ParseNumber(argv[3], &a))
      return Usage();
    HWND hwnd = FindTopLevel(argv[2], Kind::NotDialog);
    if (hwnd == nullptr)
      return NotFound(argv[2]);
    return Post(hwnd, WM_COMMAND, static_cast<WPARAM>(a & 0xFFFF), 0);
  }
  if (cmd == L"tray-click") {
    if (argc < 3 || argc > 4)
      return Usage();
    c = WM_RBUTTONDOWN;
    if (argc == 4 && !ParseNumber(argv[3], &c))
      return Usage();
    HWND hwnd = FindTopLevel(argv[2], Kind::NotDialog);
    if (hwnd == nullptr)
      return NotFound(argv[2]);
    return Post(hwnd, kTrayCallback, kTrayIconId, static_cast<LPARAM>(c));
  }
  if (cmd == L"menu-open") {
    HWND menu = FindWindowW(kMenuClass, nullptr);
    return menu != nullptr && IsWindowVisible(menu) ? 0 : 1;
  }
  if (cmd == L"create-window") {
    if (argc < 4 || argc > 6 || !ParseSeconds(argv[3], &ms))
      return Usage();
    bool closeOnRequest = true;
    if (argc >= 5) {
      const std::wstring mode = argv[4];
      if (mode != L"close" && mode != L"ignore")
        return Usage();
      closeOnRequest = mode == L"close";
    }
    return CreateCompanion(argv[2], ms, closeOnRequest, arg(5));
  }
  if (cmd == L"hold-file") {
    if (argc != 4 || !ParseSeconds(argv[3], &ms))
      return Usage();
    HANDLE file = CreateFileW(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      Err("hgdriver: CreateFileW failed, GetLastError = " + std::to_string(GetLastError()));
      return 3;
    }
    Out("held");
    Sleep(ms);
    CloseHandle(file);
    return 0;
  }
  if (cmd == L"dialog-set-text") {
    if (argc != 5)
      return Usage();
    HWND control = DialogControl(argv[2], argv[3], nullptr);
    if (control == nullptr)
      return NotFound(std::wstring(argv[2]) + L" / " + argv[3]);
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored))
      return 3;
    return 0;
  }
  if (cmd == L"dialog-get-text") {
    if (argc != 4)
      return Usage();
    HWND control = DialogControl(argv[2], argv[3], nullptr);
    if (control == nullptr)
      return NotFound(std::wstring(argv[2]) + L" / " + argv[3]);
    std::wstring text;
    if (!TextOf(control, &text))
      return 3;
    Out(Utf8(text));
    return 0;
  }
  if (cmd == L"dialog-click") {
    if (argc != 4)
      return Usage();
    HWND control = DialogControl(argv[2], argv[3], nullptr);
    if (control == nullptr)
      return NotFound(std::wstring(argv[2]) + L" / " + argv[3]);
    return ClickButton(control);
  }
  if (cmd == L"dialog-takes-input") {
    if (argc != 3)
      return Usage();
    HWND dialog = FindTopLevel(argv[2], Kind::Dialog);
    if (dialog == nullptr)
      return NotFound(argv[2]);
    return IsWindowEnabled(dialog) ? 0 : 1;
  }
  if (cmd == L"dialog-enabled") {
    if (argc != 4)
      return Usage();
    HWND control = DialogControl(argv[2], argv[3], nullptr);
    if (control == nullptr)
      return NotFound(std::wstring(argv[2]) + L" / " + argv[3]);
    return IsWindowEnabled(control) ? 0 : 1;
  }
  if (cmd == L"msgbox-text") {
    if (argc != 3)
      return Usage();
    HWND box = FindTopLevel(argv[2], Kind::Dialog);
    if (box == nullptr)
      return NotFound(argv[2]);
    HWND text = GetDlgItem(box, 0xFFFF);
    if (text == nullptr) {
      StaticSearch search;
      EnumChildWindows(box, &FirstStaticWithText, reinterpret_cast<LPARAM>(&search));
      text = search.found;
    }
    std::wstring value;
    if (text == nullptr || !TextOf(text, &value))
      return 3;
    Out(Utf8(value));
    return 0;
  }
  if (cmd == L"msgbox-ok") {
    if (argc != 3)
      return Usage();
    HWND box = FindTopLevel(argv[2], Kind::Dialog);
    if (box == nullptr)
      return NotFound(argv[2]);
    HWND ok = GetDlgItem(box, IDOK);
    if (ok == nullptr)
      return NotFound(std::wstring(argv[2]) + L" / OK");
    return ClickButton(ok);
  }
  if (cmd == L"window-visible") {
    if (argc != 3)
      return Usage();
    HWND hwnd = FindTopLevel(argv[2], Kind::NotDialog);
    if (hwnd == nullptr)
      return NotFound(argv[2]);
    const bool visible = IsWindowVisible(hwnd) != FALSE;
    Out(visible ? (IsIconic(hwnd) ? "visible minimized" : "visible") : "hidden");
    return visible ? 0 : 1;
  }
  if (cmd == L"window-rect") {
    if (argc != 3)
      return Usage();
    HWND hwnd = FindTopLevel(argv[2], Kind::NotDialog);
    if (hwnd == nullptr)
      return NotFound(argv[2]);
    return PrintRect(hwnd);
  }
  if (cmd == L"dialog-rect") {
    if (argc != 3)
      return Usage();
    HWND hwnd = FindTopLevel(argv[2], Kind::Dialog);
    if (hwnd == nullptr)
      return NotFound(argv[2]);
    return PrintRect(hwnd);
  }
  if (cmd == L"menu-rect") {
    if (argc != 2)
      return Usage();
    HWND menu = ShownMenu();
    if (menu == nullptr)
      return NotFound(L"popup menu");
    return PrintRect(menu);
  }
  if (cmd == L"tray-icons") {
    if (argc != 2)
      return Usage();
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (tray == nullptr)
      return NotFound(L"Shell_TrayWnd");
    const int icons = CountTrayTools(tray);
    if (icons < 0)
      return 3;
    RECT r{};
    GetWindowRect(tray, &r);
    char line[128];
    std::snprintf(line, sizeof line, "tray %ld %ld %ld %ld\nicons %d", static_cast<long>(r.left),
                  static_cast<long>(r.top), static_cast<long>(r.right - r.left),
                  static_cast<long>(r.bottom - r.top), icons);
    Out(line);
    return icons > 0 ? 0 : 1;
  }
  if (cmd == L"tooltip-text") {
    if (argc != 2)
      return Usage();
    WindowList tips;
    EnumWindows(&CollectTooltip, reinterpret_cast<LPARAM>(&tips));
    int printed = 0;
    for (HWND tip : tips.found) {
      std::wstring text;
      if (TextOf(tip, &text) && !text.empty()) {
        Out(Utf8(text));
        ++printed;
      }
    }
    return printed > 0 ? 0 : 1;
  }
  if (cmd == L"tooltip-rect") {
    if (argc != 2)
      return Usage();
    WindowList tips;
    EnumWindows(&CollectTooltip, reinterpret_cast<LPARAM>(&tips));
    if (tips.found.empty())
      return NotFound(L"tooltip");
    return PrintRect(tips.found.front());
  }
  if (cmd == L"balloon") {
    if (argc != 2)
      return Usage();
    WindowList balloons;
    EnumWindows(&CollectBalloon, reinterpret_cast<LPARAM>(&balloons));
    if (balloons.found.empty())
      return NotFound(L"balloon");
    DWORD pid = 0;
    GetWindowThreadProcessId(balloons.found.front(), &pid);
    RECT r{};
    GetWindowRect(balloons.found.front(), &r);
    char line[128];
    std::snprintf(line, sizeof line, "%ld %ld %ld %ld pid=%lu", static_cast<long>(r.left),
                  static_cast<long>(r.top), static_cast<long>(r.right - r.left),
                  static_cast<long>(r.bottom - r.top), static_cast<unsigned long>(pid));
    Out(line);
    return 0;
  }
  if (cmd == L"countdown") {
    if (argc != 2)
      return Usage();
    HWND hwnd = FindWindowW(L"HourgaugeLiteCountdown", nullptr);
    if (hwnd == nullptr || !IsWindowVisible(hwnd))
      return NotFound(L"countdown window");
    std::wstring text;
    TextOf(hwnd, &text);
    const LONG exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    RECT r{};
    GetWindowRect(hwnd, &r);
    char line[200];
    std::snprintf(line, sizeof line,
                  "topmost=%d noactivate=%d toolwindow=%d active=%d rect=%ld %ld %ld %ld text=",
                  (exStyle & WS_EX_TOPMOST) != 0, (exStyle & WS_EX_NOACTIVATE) != 0,
                  (exStyle & WS_EX_TOOLWINDOW) != 0,
                  GetForegroundWindow() == hwnd || GetActiveWindow() == hwnd,
                  static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right - r.left), static_cast<long>(r.bottom - r.top));
    Out(line + Utf8(text));
    return 0;
  }
  if (cmd == L"taskbar-created") {
    if (argc != 3)
      return Usage();
    HWND hwnd = FindTopLevel(argv[2], Kind::NotDialog);
    if (hwnd == nullptr)
      return NotFound(argv[2]);
    return Post(hwnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  }
  if (cmd == L"reg-bytes") {
    if (argc != 4)
      return Usage();
    return RegBytes(argv[2], argv[3]);
  }
  if (cmd == L"manifest") {
    if (argc != 3)
      return Usage();
    return Manifest(argv[2]);
  }
  if (cmd == L"send") {
    if (argc != 6 || !ParseNumber(argv[3], &a) || !ParseNumber(argv[4], &b) ||
        !ParseNumber(argv[5], &c))
      return Usage();
    HWND hwnd = FindTopLevel(argv[2], Kind::NotDialog);
    if (hwnd == nullptr)
      return NotFound(argv[2]);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, static_cast<UINT>(a), static_cast<WPARAM>(b),
                             static_cast<LPARAM>(c), SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
      Err("hgdriver: SendMessage failed or timed out");
      return 3;
    }
    Out(std::to_string(static_cast<unsigned long long>(result)));
    return 0;
  }
  if (cmd == L"reg-sddl") {
    if (argc != 3)
      return Usage();
    return RegSddl(argv[2]);
  }
  if (cmd == L"reg-sd") {
    if (argc != 3)
      return Usage();
    return RegSd(argv[2]);
  }
  if (cmd == L"reg-set-sd") {
    if (argc != 4)
      return Usage();
    return RegSetSd(argv[2], argv[3]);
  }
  if (cmd == L"service-config") {
    if (argc != 3)
      return Usage();
    return ServiceConfig(argv[2]);
  }
  if (cmd == L"wts-sessions") {
    if (argc != 2)
      return Usage();
    return WtsSessions();
  }
  if (cmd == L"wts-start") {
    if (argc != 3)
      return Usage();
    return WtsStart(argv[2]);
  }
  if (cmd == L"file-version") {
    if (argc != 3)
      return Usage();
    return FileVersion(argv[2]);
  }
  return Usage();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
  // Bytes out exactly as written: UTF-8, "\n" line ends.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return Run(argc, argv);
}
