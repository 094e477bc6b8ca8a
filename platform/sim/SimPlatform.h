// An in-memory Windows for the tests: registry, clock and time zone, event
// log, windows with a message queue and timers, tray, menus, modal dialogs
// run by a scripted user, message boxes, and the power-off, privilege and
// file requests, recorded and never performed.
#pragma once
#include "platform/EventRecord.h"
#include "platform/Platform.h"

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace hg::sim {

struct CaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

// ---- Registry ----------------------------------------------------------
struct RegValue {
  DWORD type = REG_SZ;
  std::string data; // raw bytes
};
struct RegKeyNode {
  std::map<std::string, RegValue, CaseLess> values;
};
enum class RegOp { Open, Create, Query, Set, DeleteValue, DeleteKey };
struct RegAccess {
  RegOp op = RegOp::Open;
  std::string key;  // full path below the root, e.g. SOFTWARE\Hourgauge
  std::string name; // value name
  std::string data; // data set
  DWORD access = 0;
  LONG result = 0;
};

// ---- Scripted user -----------------------------------------------------
struct UserAction {
  enum Kind { Type, Click, Enter, Escape, CloseBox, Wait, Answer, ChooseMenu } kind = Click;
  int id = 0;       // control id, command id, message-box answer, seconds
  std::string text; // typed text (CP932 bytes)
};

struct MessageBoxRecord {
  Hwnd owner = 0;
  std::string text;
  std::string caption;
  UINT type = 0;
};
struct PopupRecord {
  std::vector<std::pair<UINT, std::string>> items; // (command id, text); id 0: separator
  UINT flags = 0;
  int x = 0, y = 0;
  Hwnd owner = 0;
};
struct TrayCall {
  DWORD message = 0;
  NotifyIconDataA data;
  BOOL result = FALSE;
};
struct PrivilegeAdjustment {
  Handle token = 0;
  std::string privilege;
  DWORD attributes = 0;
  BOOL disableAll = FALSE;
};
// Every ExitWindowsEx call: a power-off or, when that is refused, a logoff.
struct PowerOffRequest {
  UINT flags = 0;
  DWORD reason = 0;
  std::int64_t time = 0;
  BOOL granted = FALSE;
};
struct FileMove {
  std::string existing;
  std::optional<std::string> replacement;
  DWORD flags = 0;
};
struct DialogRecord {
  UINT templateId = 0;
  std::intptr_t result = 0;
};

// InitiateShutdownW calls.
struct ShutdownRequest {
  DWORD flags = 0;
  DWORD reason = 0;
  std::int64_t time = 0;
  DWORD result = 0;
};
// WTSSendMessageW calls.
struct SessionMessage {
  DWORD session = 0;
  std::string title;
  std::string text;
  DWORD style = 0;
  DWORD timeoutSeconds = 0;
};
// CreateProcessAsUserW calls that started a program.
struct UserProcess {
  DWORD session = 0;
  std::string commandLine;
  std::int64_t time = 0;
};
// A pipe server: takes one request, writes the reply into `reply` (at most
// replySize bytes) and returns its size, or -1 to drop the connection.
using SimPipeServer = int (*)(void* context, std::uint64_t connection, const std::uint8_t* request,
                              std::size_t size, std::uint8_t* reply, std::size_t replySize);

struct SimControl;
struct SimWindow;

class SimPlatform : public Platform {
public:
  SimPlatform();
  ~SimPlatform() override;

  // ---- set-up and inspection used by the tests ----
  // Clock (seconds since 1970) and zone, such as "Asia/Tokyo" or "Europe/Berlin".
  // SetTime moves the wall clock only, as a user setting the clock does;
  // timers count elapsed time (Windows' tick count), which only the passing
  // of time (AdvanceSeconds, the message loop) moves, together with the
  // wall clock.
  void SetTime(std::int64_t t);
  std::int64_t ElapsedMs() const { return m_elapsedMs; }
  std::int64_t Now() const { return m_nowMs / 1000; }
  void SetTimeZone(const std::string& zone);
  // The time of local fields in the chosen zone (test convenience).
  std::int64_t LocalTime(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0);

  // Registry paths are below HKEY_LOCAL_MACHINE.
  void SetRegText(const std::string& key, const std::string& name, const std::string& text);
  void SetRegRaw(const std::string& key, const std::string& name, DWORD type,
                 const std::string& bytes);
  std::optional<std::string> RegText(const std::string& key, const std::string& name) const;
  std::optional<RegValue> RegRaw(const std::string& key, const std::string& name) const;
  bool RegKeyExists(const std::string& key) const;
  void MakeKeyUnreadable(const std::string& key, bool on = true);
  void MakeKeyReadOnly(const std::string& key, bool on = true);
  void MakeKeyUncreatable(const std::string& key, bool on = true);
  const std::vector<RegAccess>& RegJournal() const { return m_regJournal; }
  std::vector<RegAccess> RegWrites() const; // Set, DeleteValue, DeleteKey, Create
  void ClearRegJournal() { m_regJournal.clear(); }
  // Off for benchmarks: no journal, no call records. Stays on when a
  // journal digest is asked for (HG_SIM_JOURNAL_LOG).
  void SetRecording(bool on) { m_recording = on || JournalRequested(); }
  // Every journal as one text (SimJournal.cpp).
  std::string JournalText() const;
  static bool JournalRequested();

  // Event log, newest first. A record without a source gets the one Windows
  // writes for its identifier (DefaultEventSource).
  void SetEventLog(const std::vector<EventRecord>& newestFirst);
  void AddRawEventRecord(const std::string& bytes); // appended as the oldest
  void MakeEventLogUnopenable(bool on = true) { m_logUnopenable = on; }
  // The record at `index` (0: the newest) cannot be read: reads return the
  // records before it, and the read that would begin with it fails.
  void FailEventReadAt(std::optional<std::size_t> index) { m_failReadAt = index; }
  // An EVENTLOGRECORD as Windows lays it out, with `dataBytes` bytes of event
  // data (to make a record of any size).
  static std::string EncodeEventRecord(const EventRecord& record, std::uint32_t recordNumber,
                                       std::size_t dataBytes = 0);
  static std::string_view DefaultEventSource(std::uint32_t eventId);
  std::size_t EventRecordCount() const { return m_eventStarts.size() - 1; }
  std::size_t EventRecordsRead() const { return m_recordsRead; } // records returned
  std::size_t EventLogReads() const { return m_eventLogReads; }  // ReadEventLogA calls
  int OpenEventLogs() const { return m_openLogs; }

  // Allocation failures: the n-th allocation from now fails (0: the next).
  void FailAllocationAfter(std::optional<int> n) { m_failAllocAfter = n; }
  int LiveAllocations() const { return m_liveAllocs; }
  std::size_t AllocationsMade() const { return m_allocsMade; }

  // Shutdown calls. A refused privilege is Windows' usual answer for an
  // account without it: AdjustTokenPrivileges succeeds with
  // ERROR_NOT_ALL_ASSIGNED. FailPrivilegeAdjustment makes the call itself
  // fail. A power-off (or restart) needs the privilege enabled; a logoff
  // needs none.
  void RefuseProcessToken(bool on = true) { m_refuseToken = on; }
  void RefusePrivilege(bool on = true) { m_refusePrivilege = on; }
  void FailPrivilegeAdjustment(bool on = true) { m_failAdjust = on; }
  // The power-off fails with `error` (ERROR_PRIVILEGE_NOT_HELD, as for an
  // account without the right; any other, as while a shutdown is under way).
  void RefusePowerOff(bool on = true, DWORD error = ERROR_PRIVILEGE_NOT_HELD) {
    m_refusePowerOff = on;
    m_powerOffError = error;
  }
  bool ShutdownPrivilegeEnabled() const { return m_privilegeEnabled; }
  const std::vector<PrivilegeAdjustment>& PrivilegeAdjustments() const { return m_privileges; }
  const std::vector<PowerOffRequest>& PowerOffRequests() const { return m_powerOffs; }
  int OpenTokens() const { return m_openTokens; }

  // Files.
  void SetModulePath(const std::string& path) { m_modulePath = path; }
  // Moves scheduled; a refused one is not.
  const std::vector<FileMove>& FileMoves() const { return m_fileMoves; }
  // MoveFileExA fails with this error (0: it succeeds). A delayed move needs
  // an administrator: a standard account gets ERROR_ACCESS_DENIED.
  void RefuseFileMoves(DWORD error) { m_fileMoveError = error; }
  DWORD SleptMilliseconds() const { return m_sleptMs; }

  // Screen, cursor, failures of window services.
  void SetScreenSize(int width, int height) {
    m_screenWidth = width;
    m_screenHeight = height;
  }
  void SetCursor(int x, int y) { m_cursor = Point{x, y}; }
  void FailSetTimer(bool on = true) { m_failSetTimer = on; }
  // What SetTimer returns for a window's timer (0: its identifier).
  void SetTimerResult(std::uintptr_t result) { m_setTimerResult = result; }
  // GetSystemMetrics(SM_SHUTTINGDOWN): a shutdown is under way.
  void SetShuttingDown(bool on = true) { m_shuttingDown = on; }
  void FailTrayAdd(bool on = true) { m_failTrayAdd = on; }
  void FailCreateWindow(bool on = true) { m_failCreateWindow = on; }
  void FailDialogs(bool on = true) { m_failDialogs = on; }

  // The service: installed or not, its state and process (QueryServiceStatusEx).
  void SetService(bool installed, DWORD state = SERVICE_RUNNING, DWORD processId = 0x4D0);
  bool ServiceDeleted() const { return m_serviceDeleted; }
  int OpenServiceHandles() const { return m_openServiceHandles; }
  // The named pipe's server (nullptr: none listens), and the process id
  // GetNamedPipeServerProcessId reports for it.
  void SetPipeServer(const std::string& name, SimPipeServer server, void* context, DWORD processId);
  int OpenPipes() const { return static_cast<int>(m_pipes.size()); }
  std::size_t PipeTransactions() const { return m_pipeTransactions; }
  // InitiateShutdownW answers with this error (0: the shutdown begins).
  void SetInitiateShutdownResult(DWORD error) { m_initiateShutdownResult = error; }
  const std::vector<ShutdownRequest>& ShutdownRequests() const { return m_shutdowns; }
  // Signed-in sessions that are active (WTSEnumerateSessionsW).
  void SetActiveSessions(const std::vector<DWORD>& ids) { m_activeSessions = ids; }
  void FailSessionMessages(bool on = true) { m_failSessionMessages = on; }
  const std::vector<SessionMessage>& SessionMessages() const { return m_sessionMessages; }
  const std::vector<UserProcess>& UserProcesses() const { return m_userProcesses; }
  // The PC sleeps: the wall clock moves on, awake time does not.
  void SleepFor(int seconds) { SetTime(Now() + seconds); }

  // Windows.
  Hwnd FindTopLevel(const std::string& title) const;
  bool IsWindowAlive(Hwnd hwnd) const;
  bool IsVisible(Hwnd hwnd) const;
  bool IsMinimized(Hwnd hwnd) const;
  Rect WindowRect(Hwnd hwnd) const;
  std::string ClassOf(Hwnd hwnd) const;
  DWORD StyleOf(Hwnd hwnd) const;
  DWORD ExStyleOf(Hwnd hwnd) const;
  std::string TitleOf(Hwnd hwnd) const;
  // Top-level windows of the program (not foreign, not destroyed) of a class.
  std::vector<Hwnd> WindowsOfClass(const std::string& className) const;
  // How often a window was raised to the top of the topmost windows.
  int RaisesOf(Hwnd hwnd) const;
  // Show commands a window received, in order.
  std::vector<int> ShowCommandsOf(Hwnd hwnd) const;
  // The texts the window's last paint drew, and the rectangles it filled.
  std::vector<std::string> PaintedTexts(Hwnd hwnd) const;
  std::vector<Rect> FilledRects(Hwnd hwnd) const;
  // Icons loaded and not destroyed; GDI objects created and not deleted.
  int LiveIcons() const { return m_liveIcons; }
  int LiveGdiObjects() const { return m_liveGdiObjects; }
  void SetScreenDpi(int dpi) { m_dpi = dpi; }
  // Windows' display language, which chooses the resources (0x0411 Japanese).
  void SetUiLanguage(int language) { m_uiLanguage = language; }
  // A window of another program, found by title. It closes on its
  // closeAfterPosts-th WM_CLOSE (0: never).
  Hwnd AddForeignWindow(const std::string& title, int closeAfterPosts);
  int ClosePostsReceived(Hwnd foreign) const;
  bool HasTimer(Hwnd hwnd, std::uintptr_t id) const;
  int ForegroundCalls() const { return m_foregroundCalls; }
  int InvalidateCalls() const { return m_invalidateCalls; }

  // Messages: dispatch what is queued; let seconds pass with their ticks.
  void Pump();
  void AdvanceSeconds(int seconds);
  bool QuitPosted() const { return m_quitPosted; }
  // GetMessageA fails once the clock would pass this time (a bound for Run()).
  void SetRunLimit(std::int64_t t) { m_runLimitMs = t * 1000; }

  // Scripted user: dialogs, message boxes and the popup menu consume these.
  SimPlatform& Type(int controlId, const std::string& text);
  SimPlatform& Click(int controlId);
  SimPlatform& PressEnter();
  SimPlatform& PressEscape();
  SimPlatform& PressCloseBox();
  SimPlatform& WaitSeconds(int seconds);
  SimPlatform& AnswerMessageBox(int result);
  SimPlatform& ChooseMenuItem(UINT commandId);
  bool ScriptDone() const { return m_script.empty(); }
  const std::vector<std::string>& ScriptErrors() const { return m_scriptErrors; }

  const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_messageBoxes; }
  const std::vector<PopupRecord>& Popups() const { return m_popups; }
  const std::vector<TrayCall>& TrayCalls() const { return m_trayCalls; }
  const std::vector<DialogRecord>& Dialogs() const { return m_dialogs; }
  int LiveMenus() const { return m_liveMenus; }
  bool TrayIconShown(Hwnd hwnd, UINT id) const;
  // Explorer ends and starts again: every icon is gone, and each top-level
  // window gets the registered "TaskbarCreated" message (when the program
  // runs elevated, only a window that allowed the message from lower levels).
  void RestartShell();
  void SetElevated(bool on = true) { m_elevated = on; }
  // The shell forgets every icon and says nothing.
  void DropTrayIcons() { m_trayIcons.clear(); }
  // Messages posted through PostMessageA, in order (while recording).
  const std::vector<Msg>& PostedMessages() const { return m_posted; }
  const NotifyIconDataA* TrayIcon(Hwnd hwnd, UINT id) const;
  // State of a control of the open dialog (inside a script step or a hook).
  struct ControlState {
    std::string text;
    bool enabled = true;
    bool focused = false;
    bool selectedAll = false;
    int limit = 0;
  };
  std::optional<ControlState> OpenDialogControl(UINT templateId, int id) const;
  // Called after each scripted step while a dialog is open (for inspection).
  void SetDialogObserver(void (*observer)(SimPlatform&, UINT templateId, void*), void* context) {
    m_dialogObserver = observer;
    m_dialogObserverContext = context;
  }

  // ---- Platform ----
  LONG RegOpenKeyExA(Hkey root, const char* subKey, DWORD access, Hkey* result) override;
  LONG RegCreateKeyExA(Hkey root, const char* subKey, DWORD access, Hkey* result) override;
  LONG RegQueryValueExA(Hkey key, const char* name, DWORD* type, std::uint8_t* data,
                        DWORD* cbData) override;
  LONG RegSetValueExA(Hkey key, const char* name, DWORD type, const std::uint8_t* data,
                      DWORD cbData) override;
  LONG RegDeleteValueA(Hkey key, const char* name) override;
  LONG RegDeleteKeyA(Hkey root, const char* subKey) override;
  LONG RegCloseKey(Hkey key) override;

  std::int64_t GetCurrentTime() override { return Now(); }
  bool GetLocalTm(std::int64_t t, LocalTm* out) override;
  std::int64_t MakeLocalTime(const LocalTm& fields) override;

  Handle OpenEventLogA(const char* server, const char* source) override;
  BOOL ReadEventLogA(Handle log, DWORD flags, DWORD offset, void* buffer, DWORD size, DWORD* read,
                     DWORD* needed) override;
  BOOL CloseEventLog(Handle log) override;
  DWORD GetLastError() override { return m_lastError; }
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
  void Sleep(DWORD milliseconds) override { m_sleptMs += milliseconds; }
  Handle CreateMutexA(const char* name) override;

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
  BOOL IsWindowVisible(Hwnd hwnd) override { return IsVisible(hwnd) ? TRUE : FALSE; }
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

  Handle OpenSCManagerW(DWORD access) override;
  Handle OpenServiceW(Handle manager, const char* name, DWORD access) override;
  BOOL QueryServiceStatusEx(Handle service, ServiceStatusProcess* status) override;
  BOOL DeleteService(Handle service) override;
  BOOL CloseServiceHandle(Handle object) override;
  Handle CreatePipeClientW(const char* name) override;
  BOOL GetNamedPipeServerProcessId(Handle pipe, DWORD* processId) override;
  BOOL TransactNamedPipe(Handle pipe, const void* request, DWORD requestSize, void* reply,
                         DWORD replySize, DWORD* read, DWORD timeoutMs) override;
  std::uint64_t QueryUnbiasedInterruptTime() override {
    return static_cast<std::uint64_t>(m_elapsedMs) * 10000;
  }
  DWORD InitiateShutdownW(DWORD flags, DWORD reason) override;
  DWORD WTSEnumerateActiveSessions(DWORD* ids, DWORD max) override;
  BOOL WTSSendMessageW(DWORD session, const char* title, const char* text, DWORD style,
                       DWORD timeoutSeconds) override;
  BOOL WTSQueryUserToken(DWORD session, Handle* token) override;
  BOOL CreateProcessAsUserW(Handle token, const char* commandLine) override;
  bool GetZoneLocalTm(const char* zone, std::int64_t t, LocalTm* out) override;
  std::int64_t MakeZoneLocalTime(const char* zone, const LocalTm& fields) override;

  BOOL GetWorkArea(Rect* rect) override;
  int GetScreenDpi() override { return m_dpi; }
  BOOL GetClientRect(Hwnd hwnd, Rect* rect) override;
  Handle CreateFontW(int height, int weight, const char* face) override;
  Handle SelectObject(Handle dc, Handle object) override;
  BOOL DeleteObject(Handle object) override;
  int SetBkMode(Handle dc, int mode) override;
  int DrawTextW(Handle dc, const char* text, Rect* rect, UINT format) override;
  Handle CreateSolidBrush(DWORD color) override;
  int FillRect(Handle dc, const Rect* rect, Handle brush) override;
  BOOL SetWindowTextW(Hwnd hwnd, const char* text) override;

private:
  void WriteJournalDigest() const;
  static void ApplyZone(const std::string& zone);
  // Pipe and session-token handles; false for any other handle.
  bool CloseSimHandle(Handle object);

  // Open key handles are slots that are used again, their path buffers
  // kept: opening a key costs no allocation once the slots exist.
  struct OpenKey {
    bool open = false;
    std::string path;
    DWORD access = 0;
  };
  struct Timer {
    Hwnd hwnd = 0;
    std::uintptr_t id = 0;
    std::int64_t periodMs = 0;
    std::int64_t dueMs = 0;
  };
  struct MenuItem {
    UINT id = 0;
    std::string text;
    bool separator = false;
    Hmenu popup = 0;
  };
  struct Menu {
    std::vector<MenuItem> items;
    Hmenu root = 0; // the loaded menu this one belongs to
    bool destroyed = false;
  };
  struct OpenDialog;

  void Record(RegAccess access);
  int KeyFlags(std::string_view key) const;
  Hkey OpenSlot(const char* path, DWORD access);
  OpenKey* FindOpenKey(Hkey key);
  bool PopMessage(Msg* msg);
  bool TimerMessagePending(Hwnd hwnd, std::uintptr_t id) const;
  SimWindow* Window(Hwnd hwnd);
  const SimWindow* Window(Hwnd hwnd) const;
  Lresult Deliver(SimWindow& window, UINT msg, Wparam wParam, Lparam lParam);
  void FireDueTimers();
  bool NextAction(UserAction* action);
  void RunDialogStep(OpenDialog& dialog, const UserAction& action);
  MenuItem* FindMenuItem(Hmenu menu, UINT id);
  void ApplyTimeZone() const;
  Hmenu BuildMenu(const void* rcItems, Hmenu root);

  bool m_recording = true;
  std::map<std::string, RegKeyNode, CaseLess> m_keys;
  std::vector<OpenKey> m_openKeys;
  std::map<std::string, int, CaseLess> m_keyFlags; // 1 unreadable, 2 read-only, 4 uncreatable
  std::vector<RegAccess> m_regJournal;

  std::int64_t m_nowMs = 0;
  std::int64_t m_elapsedMs = 0;
  std::uintptr_t m_setTimerResult = 0;
  bool m_shuttingDown = false;
  std::string m_zone = "Asia/Tokyo";

  // Encoded records back to back, newest first; record i is the bytes from
  // m_eventStarts[i] to m_eventStarts[i + 1].
  std::string m_eventBytes;
  std::vector<std::size_t> m_eventStarts = {0};
  std::map<Handle, std::size_t> m_openLogPositions;
  Handle m_nextLog = 0x2000;
  bool m_logUnopenable = false;
  std::optional<std::size_t> m_failReadAt;
  std::size_t m_recordsRead = 0;
  std::size_t m_eventLogReads = 0;
  int m_openLogs = 0;
  DWORD m_lastError = 0;
  std::optional<int> m_failAllocAfter;
  int m_liveAllocs = 0;
  std::size_t m_allocsMade = 0;

  bool m_refuseToken = false, m_refusePrivilege = false, m_refusePowerOff = false;
  bool m_failAdjust = false;
  DWORD m_powerOffError = ERROR_PRIVILEGE_NOT_HELD;
  bool m_privilegeEnabled = false;
  std::vector<PrivilegeAdjustment> m_privileges;
  std::vector<PowerOffRequest> m_powerOffs;
  int m_openTokens = 0;
  Handle m_nextToken = 0x3000;

  std::string m_modulePath = "C:\\Program Files\\Hourgauge\\hourgauge.exe";
  std::vector<FileMove> m_fileMoves;
  DWORD m_fileMoveError = 0;
  DWORD m_sleptMs = 0;

  int m_screenWidth = 1024, m_screenHeight = 768;
  Point m_cursor{500, 700};
  bool m_failSetTimer = false, m_failTrayAdd = false, m_failCreateWindow = false,
       m_failDialogs = false;

  std::map<std::string, WndClassA, CaseLess> m_classes;
  std::vector<std::string> m_classNames;
  std::map<Hwnd, std::unique_ptr<SimWindow>> m_windows;
  // Shared by every instance: the framework maps handles to objects globally.
  static inline Hwnd s_nextHwnd = 0x10000;
  std::vector<Timer> m_timers;
  // Posted messages from m_queueHead on; the buffer is kept between uses.
  std::vector<Msg> m_queue;
  std::size_t m_queueHead = 0;
  bool m_quitPosted = false;
  bool m_quitDelivered = false;
  std::int64_t m_runLimitMs = -1;
  int m_foregroundCalls = 0;
  std::map<std::string, UINT, CaseLess> m_registeredMessages;
  std::map<Handle, bool> m_icons; // loaded icon handles: true while not destroyed
  int m_liveIcons = 0;
  Handle m_nextGdiObject = 0xA0000;
  int m_liveGdiObjects = 0;
  int m_dpi = 96;
  int m_uiLanguage = 0x0411;
  Hwnd m_painting = 0; // the window between BeginPaint and EndPaint
  int m_invalidateCalls = 0;
  Hwnd m_focus = 0;

  bool m_serviceInstalled = false;
  DWORD m_serviceState = 0;
  DWORD m_serviceProcessId = 0;
  bool m_serviceDeleted = false;
  int m_openServiceHandles = 0;
  Handle m_nextServiceHandle = 0x6000;
  std::string m_pipeName;
  SimPipeServer m_pipeServer = nullptr;
  void* m_pipeContext = nullptr;
  DWORD m_pipeProcessId = 0;
  std::map<Handle, std::uint64_t> m_pipes; // open client ends: their connection number
  std::uint64_t m_nextConnection = 1;
  Handle m_nextPipe = 0x7000;
  std::size_t m_pipeTransactions = 0;
  DWORD m_initiateShutdownResult = 0;
  std::vector<ShutdownRequest> m_shutdowns;
  std::vector<DWORD> m_activeSessions;
  bool m_failSessionMessages = false;
  std::vector<SessionMessage> m_sessionMessages;
  std::map<Handle, DWORD> m_sessionTokens; // token: its session
  std::map<Handle, std::string> m_mutexes; // open handles of named mutexes
  Handle m_nextMutex = 0x9000;
  Handle m_nextSessionToken = 0x8000;
  std::vector<UserProcess> m_userProcesses;

  std::map<Hmenu, Menu> m_menus;
  Hmenu m_nextMenu = 0x5000;
  int m_liveMenus = 0;

  std::vector<TrayCall> m_trayCalls;
  std::vector<Msg> m_posted;
  std::map<std::pair<Hwnd, UINT>, NotifyIconDataA> m_trayIcons;
  bool m_elevated = false;
  std::set<std::pair<Hwnd, UINT>> m_allowedMessages; // ChangeWindowMessageFilterEx

  std::deque<UserAction> m_script;
  std::vector<std::string> m_scriptErrors;
  std::vector<MessageBoxRecord> m_messageBoxes;
  std::vector<PopupRecord> m_popups;
  std::vector<DialogRecord> m_dialogs;
  std::vector<OpenDialog*> m_openDialogs;
  void (*m_dialogObserver)(SimPlatform&, UINT, void*) = nullptr;
  void* m_dialogObserverContext = nullptr;
};

} // namespace hg::sim
