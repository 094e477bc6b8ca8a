// hgdriver: what a person at the PC, or another program on it, does to
// HourgaugeLite, as one command per call. It runs inside the same Wine prefix
// and desktop as the program, finds windows by title (dialogs by caption),
// posts messages, and reads and fills dialog controls. Titles and texts come
// in on the command line and go out on stdout as UTF-8; the window calls are
// the wide ones, so Japanese captions match whatever the code page.
//
// Exit codes: 0 done, 1 not found / timed out, 2 usage, 3 the call failed.
#include <windows.h>

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
      "  wait-no-window TITLE SECONDS       no top-level window with that title is left\n"
      "  window-exists TITLE                exit 0 when it exists, 1 otherwise\n"
      "  list-windows                       hwnd, pid, visible, class, title of each\n"
      "  post TITLE MESSAGE WPARAM LPARAM   PostMessage to the window (decimal or 0x hex)\n"
      "  send-command TITLE ID              post WM_COMMAND ID\n"
      "  tray-click TITLE [LPARAM]          post the tray callback (default WM_RBUTTONDOWN)\n"
      "  menu-open                          exit 0 while a popup menu is shown\n"
      "  create-window TITLE SECONDS [close|ignore] [LOGFILE]\n"
      "                                     own a window that logs each WM_CLOSE\n"
      "  wait-dialog CAPTION SECONDS        a dialog with that caption exists\n"
      "  dialog-set-text CAPTION ID TEXT    set a control's text\n"
      "  dialog-get-text CAPTION ID         print a control's text\n"
      "  dialog-click CAPTION ID            click a button\n"
      "  msgbox-text CAPTION                print a message box's text\n"
      "  msgbox-ok CAPTION                  press the message box's OK");
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
// and either goes away or stays.
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

HWND DialogControl(const std::wstring& caption, const wchar_t* idText, HWND* dialogOut) {
  long long id = 0;
  if (!ParseNumber(idText, &id))
    return nullptr;
  HWND dialog = FindTopLevel(caption, Kind::Dialog);
  if (dialog == nullptr)
    return nullptr;
  if (dialogOut != nullptr)
    *dialogOut = dialog;
  return GetDlgItem(dialog, static_cast<int>(id));
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

int Run(int argc, wchar_t** argv) {
  if (argc < 2)
    return Usage();
  const std::wstring cmd = argv[1];
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
  return Usage();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
  // Bytes out exactly as written: UTF-8, "\n" line ends.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return Run(argc, argv);
}
