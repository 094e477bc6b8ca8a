// Simulated windows: classes, creation and destruction, show states,
// painting, timers on the simulated clock, the message queue, the tray and
// the program's resources.
#include "platform/sim/RcResources.h"
#include "platform/sim/SimWindow.h"

#include <algorithm>
#include <cstring>

namespace hg::sim {

SimWindow* SimPlatform::Window(Hwnd hwnd) {
  auto it = m_windows.find(hwnd);
  return it == m_windows.end() ? nullptr : it->second.get();
}
const SimWindow* SimPlatform::Window(Hwnd hwnd) const {
  auto it = m_windows.find(hwnd);
  return it == m_windows.end() ? nullptr : it->second.get();
}

Lresult SimPlatform::Deliver(SimWindow& window, UINT msg, Wparam wParam, Lparam lParam) {
  if (window.destroyed && msg != WM_NCDESTROY)
    return 0;
  if (window.dlgProc != nullptr)
    return window.dlgProc(window.hwnd, msg, wParam, lParam);
  if (window.proc != nullptr)
    return window.proc(window.hwnd, msg, wParam, lParam);
  return 0;
}

// ---- Resources ------------------------------------------------------------

Hicon SimPlatform::LoadImageA(UINT resourceId, UINT type, int cx, int cy, UINT) {
  const RcResources& rc = LoadRcResources();
  if (type != IMAGE_ICON || rc.icons.count(resourceId) == 0)
    return 0;
  // Every load is a new icon of its own, as LoadImage without LR_SHARED.
  static Hicon s_next = 0x70000;
  Hicon icon = (s_next += 0x100) + static_cast<Hicon>(cx + cy);
  m_icons[icon] = true;
  ++m_liveIcons;
  return icon;
}
BOOL SimPlatform::DestroyIcon(Hicon icon) {
  auto it = m_icons.find(icon);
  if (it == m_icons.end() || !it->second)
    return FALSE;
  it->second = false;
  --m_liveIcons;
  return TRUE;
}
Hicon SimPlatform::LoadIconA(UINT resourceId) {
  return LoadRcResources().icons.count(resourceId) ? 0x60000 + resourceId : 0;
}
Handle SimPlatform::LoadCursorA(UINT systemCursorId) {
  return 0x50000 + systemCursorId;
}
Handle SimPlatform::GetStockObject(int object) {
  return 0x40000 + static_cast<Handle>(object);
}

int SimPlatform::LoadStringA(UINT id, char* buffer, int size) {
  if (size <= 0)
    return 0;
  const auto& strings = LoadRcResources().ForLanguage(m_uiLanguage).strings;
  auto it = strings.find(id);
  std::string text = it == strings.end() ? std::string() : it->second;
  int n = std::min(static_cast<int>(text.size()), size - 1);
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

// ---- Windows ------------------------------------------------------------

int SimPlatform::GetSystemMetrics(int index) {
  if (index == SM_CXSCREEN)
    return m_screenWidth;
  if (index == SM_CYSCREEN)
    return m_screenHeight;
  if (index == SM_SHUTTINGDOWN)
    return m_shuttingDown ? 1 : 0;
  if (index == SM_CXSMICON || index == SM_CYSMICON)
    return 16 * m_dpi / 96;
  return 0;
}

BOOL SimPlatform::RegisterClassA(const WndClassA& wc) {
  if (wc.lpszClassName == nullptr || wc.lpfnWndProc == nullptr ||
      m_classes.count(wc.lpszClassName) > 0)
    return FALSE;
  auto [it, inserted] = m_classes.emplace(wc.lpszClassName, wc);
  it->second.lpszClassName = it->first.c_str();
  return TRUE;
}

BOOL SimPlatform::IsClassRegistered(const char* className) {
  return m_classes.count(className) > 0 ? TRUE : FALSE;
}

Hwnd SimPlatform::CreateWindowExA(DWORD exStyle, const char* className, const char* title,
                                  DWORD style, int x, int y, int width, int height, Hwnd parent,
                                  Hmenu, void*) {
  auto cls = m_classes.find(className);
  if (m_failCreateWindow || cls == m_classes.end())
    return 0;
  auto window = std::make_unique<SimWindow>();
  window->hwnd = s_nextHwnd++;
  window->className = className;
  window->title = title != nullptr ? title : "";
  window->style = style;
  window->exStyle = exStyle;
  // CW_USEDEFAULT: Windows' cascade starts near the top left.
  if (x == CW_USEDEFAULT)
    x = y = 26;
  window->rect = Rect{x, y, x + width, y + height};
  window->proc = cls->second.lpfnWndProc;
  window->parent = parent;
  window->visible = (style & WS_VISIBLE) != 0;
  SimWindow& w = *window;
  m_windows[w.hwnd] = std::move(window);
  if (Deliver(w, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(w.hwnd);
    return 0;
  }
  return w.hwnd;
}

Lresult SimPlatform::DefWindowProcA(Hwnd hwnd, UINT msg, Wparam, Lparam) {
  switch (msg) {
  case WM_CLOSE:
    DestroyWindow(hwnd);
    return 0;
  case WM_QUERYENDSESSION:
    return TRUE;
  default:
    return 0;
  }
}

BOOL SimPlatform::DestroyWindow(Hwnd hwnd) {
  SimWindow* w = Window(hwnd);
  if (w == nullptr || w->destroyed)
    return FALSE;
  for (Hwnd control : w->controls)
    if (SimWindow* c = Window(control))
      c->destroyed = true;
  std::erase_if(m_timers, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
  Deliver(*w, WM_DESTROY, 0, 0);
  w->destroyed = true;
  w->visible = false;
  Deliver(*w, WM_NCDESTROY, 0, 0);
  return TRUE;
}

BOOL SimPlatform::ShowWindow(Hwnd hwnd, int command) {
  SimWindow* w = Window(hwnd);
  if (w == nullptr || w->destroyed)
    return FALSE;
  bool wasVisible = w->visible;
  w->showCommands.push_back(command);
  switch (command) {
  case SW_HIDE:
    w->visible = false;
    break;
  case SW_SHOWMINIMIZED:
  case SW_MINIMIZE:
    w->visible = true;
    if (!w->minimized) {
      w->minimized = true;
      w->needsPaint = true;
      Deliver(*w, WM_SIZE, SIZE_MINIMIZED, 0);
    }
    break;
  default:
    w->visible = true;
    w->needsPaint = true;
    if (w->minimized) {
      w->minimized = false;
      Deliver(*w, WM_SIZE, SIZE_RESTORED,
              (w->rect.right - w->rect.left) | ((w->rect.bottom - w->rect.top) << 16));
    }
    break;
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL SimPlatform::UpdateWindow(Hwnd hwnd) {
  SimWindow* w = Window(hwnd);
  if (w == nullptr || w->destroyed)
    return FALSE;
  if (w->visible && w->needsPaint)
    Deliver(*w, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL SimPlatform::GetWindowRect(Hwnd hwnd, Rect* rect) {
  const SimWindow* w = Window(hwnd);
  if (w == nullptr || w->destroyed)
    return FALSE;
  *rect = w->rect;
  return TRUE;
}

BOOL SimPlatform::RaiseTopmost(Hwnd hwnd) {
  SimWindow* w = Window(hwnd);
  if (w == nullptr || w->destroyed)
    return FALSE;
  ++w->raises;
  return TRUE;
}

int SimPlatform::RaisesOf(Hwnd hwnd) const {
  const SimWindow* w = Window(hwnd);
  return w != nullptr ? w->raises : 0;
}

BOOL SimPlatform::SetWindowPos(Hwnd hwnd, int x, int y) {
  SimWindow* w = Window(hwnd);
  if (w == nullptr || w->destroyed)
    return FALSE;
  w->rect = Rect{x, y, x + (w->rect.right - w->rect.left), y + (w->rect.bottom - w->rect.top)};
  return TRUE;
}

BOOL SimPlatform::InvalidateRect(Hwnd hwnd, const Rect*, BOOL) {
  ++m_invalidateCalls;
  SimWindow* w = Window(hwnd);
  if (w == nullptr || w->destroyed)
    return FALSE;
  if (w->visible)
    w->needsPaint = true;
  return TRUE;
}

Handle SimPlatform::BeginPaint(Hwnd hwnd, PaintStruct* paint) {
  if (SimWindow* w = Window(hwnd)) {
    w->needsPaint = false;
    w->painted.clear();
    w->filled.clear();
  }
  m_painting = hwnd;
  *paint = PaintStruct{};
  paint->hdc = 0xDC;
  return paint->hdc;
}

BOOL SimPlatform::EndPaint(Hwnd, const PaintStruct*) {
  m_painting = 0;
  return TRUE;
}

// ---- Timers and the message queue -------------------------------------------

std::uintptr_t SimPlatform::SetTimer(Hwnd hwnd, std::uintptr_t id, UINT elapse) {
  SimWindow* w = Window(hwnd);
  if (m_failSetTimer || w == nullptr || w->destroyed)
    return 0;
  KillTimer(hwnd, id);
  m_timers.push_back(Timer{hwnd, id, elapse, m_elapsedMs + elapse});
  // Windows promises only a non-zero result for a window's timer.
  return m_setTimerResult != 0 ? m_setTimerResult : id;
}

BOOL SimPlatform::KillTimer(Hwnd hwnd, std::uintptr_t id) {
  auto removed =
      std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  auto pending = std::remove_if(
      m_queue.begin() + static_cast<std::ptrdiff_t>(m_queueHead), m_queue.end(),
      [&](const Msg& m) { return m.hwnd == hwnd && m.message == WM_TIMER && m.wParam == id; });
  m_queue.erase(pending, m_queue.end());
  return removed > 0 ? TRUE : FALSE;
}

bool SimPlatform::HasTimer(Hwnd hwnd, std::uintptr_t id) const {
  return std::any_of(m_timers.begin(), m_timers.end(),
                     [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
}

bool SimPlatform::PopMessage(Msg* msg) {
  if (m_queueHead == m_queue.size())
    return false;
  *msg = m_queue[m_queueHead++];
  if (m_queueHead == m_queue.size()) {
    m_queue.clear();
    m_queueHead = 0;
  }
  return true;
}

bool SimPlatform::TimerMessagePending(Hwnd hwnd, std::uintptr_t id) const {
  return std::any_of(
      m_queue.begin() + static_cast<std::ptrdiff_t>(m_queueHead), m_queue.end(),
      [&](const Msg& m) { return m.hwnd == hwnd && m.message == WM_TIMER && m.wParam == id; });
}

void SimPlatform::FireDueTimers() {
  for (Timer& t : m_timers) {
    if (t.dueMs > m_elapsedMs)
      continue;
    t.dueMs += t.periodMs;
    if (t.dueMs <= m_elapsedMs)
      t.dueMs = m_elapsedMs + t.periodMs;
    // Like WM_TIMER in Windows: at most one waits in the queue per timer.
    if (!TimerMessagePending(t.hwnd, t.id))
      m_queue.push_back(Msg{t.hwnd, WM_TIMER, t.id, 0});
  }
}

BOOL SimPlatform::PostMessageA(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) {
  if (m_recording)
    m_posted.push_back(Msg{hwnd, msg, wParam, lParam});
  SimWindow* w = Window(hwnd);
  if (w == nullptr || w->destroyed)
    return FALSE;
  if (w->foreign) {
    if (msg == WM_CLOSE) {
      ++w->closePosts;
      if (w->closeAfterPosts > 0 && w->closePosts >= w->closeAfterPosts)
        w->destroyed = true;
    }
    return TRUE;
  }
  m_queue.push_back(Msg{hwnd, msg, wParam, lParam});
  return TRUE;
}

Lresult SimPlatform::SendMessageA(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) {
  SimWindow* w = Window(hwnd);
  if (w == nullptr || w->destroyed)
    return 0;
  if (w->isControl) {
    if (msg == EM_LIMITTEXT && w->isEdit) {
      w->limit = wParam == 0 ? 0x7FFFFFFE : static_cast<int>(wParam);
      return 0;
    }
    if (msg == EM_SETSEL && w->isEdit) {
      w->selectedAll = wParam == 0 && lParam == -1;
      return 0;
    }
    return 0;
  }
  return Deliver(*w, msg, wParam, lParam);
}

BOOL SimPlatform::GetMessageA(Msg* msg) {
  for (;;) {
    if (PopMessage(msg))
      return TRUE;
    if (m_quitPosted && !m_quitDelivered) {
      m_quitDelivered = true;
      *msg = Msg{0, WM_QUIT, 0, 0};
      return FALSE;
    }
    for (auto& [hwnd, w] : m_windows) {
      if (!w->destroyed && w->visible && w->needsPaint && !w->isControl) {
        *msg = Msg{hwnd, WM_PAINT, 0, 0};
        return TRUE;
      }
    }
    if (m_timers.empty())
      return -1; // nothing could ever arrive: a real loop would hang here
    std::int64_t next = m_timers.front().dueMs;
    for (const Timer& t : m_timers)
      next = std::min(next, t.dueMs);
    // Both clocks move on together while time passes.
    const std::int64_t wait = std::max<std::int64_t>(0, next - m_elapsedMs);
    if (m_runLimitMs >= 0 && m_nowMs + wait > m_runLimitMs)
      return -1;
    m_nowMs += wait;
    m_elapsedMs += wait;
    FireDueTimers();
  }
}

Lresult SimPlatform::DispatchMessageA(const Msg& msg) {
  SimWindow* w = Window(msg.hwnd);
  if (w == nullptr || w->destroyed)
    return 0;
  if (msg.message == WM_PAINT && !w->needsPaint)
    return 0;
  return Deliver(*w, msg.message, msg.wParam, msg.lParam);
}

void SimPlatform::PostQuitMessage(int) {
  m_quitPosted = true;
}

void SimPlatform::Pump() {
  Msg msg;
  while (PopMessage(&msg))
    DispatchMessageA(msg);
}

void SimPlatform::AdvanceSeconds(int seconds) {
  for (int s = 0; s < seconds; ++s) {
    m_nowMs += 1000;
    m_elapsedMs += 1000;
    FireDueTimers();
    Pump();
  }
}

// ---- Looking at windows ---------------------------------------------------

Hwnd SimPlatform::FindWindowA(const char* className, const char* title) {
  for (const auto& [hwnd, w] : m_windows) {
    if (w->destroyed || w->isControl || w->parent != 0)
      continue;
    if (title != nullptr && w->title != title)
      continue;
    if (className != nullptr && w->className != className)
      continue;
    return hwnd;
  }
  return 0;
}

Hwnd SimPlatform::FindTopLevel(const std::string& title) const {
  return const_cast<SimPlatform*>(this)->FindWindowA(nullptr, title.c_str());
}

bool SimPlatform::IsWindowAlive(Hwnd hwnd) const {
  const SimWindow* w = Window(hwnd);
  return w != nullptr && !w->destroyed;
}
bool SimPlatform::IsVisible(Hwnd hwnd) const {
  const SimWindow* w = Window(hwnd);
  return w != nullptr && !w->destroyed && w->visible;
}
bool SimPlatform::IsMinimized(Hwnd hwnd) const {
  const SimWindow* w = Window(hwnd);
  return w != nullptr && w->minimized;
}
Rect SimPlatform::WindowRect(Hwnd hwnd) const {
  const SimWindow* w = Window(hwnd);
  return w != nullptr ? w->rect : Rect{};
}
std::string SimPlatform::ClassOf(Hwnd hwnd) const {
  const SimWindow* w = Window(hwnd);
  return w != nullptr ? w->className : std::string();
}
DWORD SimPlatform::StyleOf(Hwnd hwnd) const {
  const SimWindow* w = Window(hwnd);
  return w != nullptr ? w->style : 0;
}

Hwnd SimPlatform::AddForeignWindow(const std::string& title, int closeAfterPosts) {
  auto window = std::make_unique<SimWindow>();
  window->hwnd = s_nextHwnd++;
  window->title = title;
  window->className = "ForeignWindow";
  window->foreign = true;
  window->visible = true;
  window->closeAfterPosts = closeAfterPosts;
  Hwnd hwnd = window->hwnd;
  m_windows[hwnd] = std::move(window);
  return hwnd;
}

int SimPlatform::ClosePostsReceived(Hwnd foreign) const {
  const SimWindow* w = Window(foreign);
  return w != nullptr ? w->closePosts : 0;
}

BOOL SimPlatform::SetForegroundWindow(Hwnd) {
  ++m_foregroundCalls;
  return TRUE;
}

BOOL SimPlatform::GetCursorPos(Point* point) {
  *point = m_cursor;
  return TRUE;
}

// ---- Tray -----------------------------------------------------------------

BOOL SimPlatform::Shell_NotifyIconA(DWORD message, NotifyIconDataA* data) {
  BOOL result = FALSE;
  auto key = std::make_pair(data->hWnd, data->uID);
  bool known = m_trayIcons.count(key) > 0;
  bool validWindow = IsWindowAlive(data->hWnd) && data->cbSize == kNotifyIconDataV2Size;
  switch (message) {
  case NIM_ADD:
    if (validWindow && !known && !m_failTrayAdd) {
      m_trayIcons[key] = *data;
      result = TRUE;
    }
    break;
  case NIM_MODIFY:
    if (validWindow && known) {
      // The shell takes only the members the flags name; the rest stay.
      NotifyIconDataA& icon = m_trayIcons[key];
      if (data->uFlags & NIF_MESSAGE)
        icon.uCallbackMessage = data->uCallbackMessage;
      if (data->uFlags & NIF_ICON)
        icon.hIcon = data->hIcon;
      if (data->uFlags & NIF_TIP)
        std::memcpy(icon.szTip, data->szTip, sizeof icon.szTip);
      icon.uFlags |= data->uFlags;
      result = TRUE;
    }
    break;
  case NIM_DELETE:
    result = m_trayIcons.erase(key) > 0 ? TRUE : FALSE;
    break;
  default:
    break;
  }
  if (m_recording)
    m_trayCalls.push_back(TrayCall{message, *data, result});
  return result;
}

void SimPlatform::RestartShell() {
  m_trayIcons.clear();
  UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  std::vector<Hwnd> topLevel;
  for (const auto& [hwnd, w] : m_windows)
    if (!w->destroyed && !w->foreign && !w->isControl && w->parent == 0)
      topLevel.push_back(hwnd);
  for (Hwnd hwnd : topLevel)
    if (!m_elevated || m_allowedMessages.count(std::make_pair(hwnd, taskbarCreated)) > 0)
      SendMessageA(hwnd, taskbarCreated, 0, 0);
}

BOOL SimPlatform::ChangeWindowMessageFilterEx(Hwnd hwnd, UINT message) {
  if (!IsWindowAlive(hwnd))
    return FALSE;
  m_allowedMessages.insert(std::make_pair(hwnd, message));
  return TRUE;
}

bool SimPlatform::TrayIconShown(Hwnd hwnd, UINT id) const {
  return m_trayIcons.count(std::make_pair(hwnd, id)) > 0;
}

const NotifyIconDataA* SimPlatform::TrayIcon(Hwnd hwnd, UINT id) const {
  auto it = m_trayIcons.find(std::make_pair(hwnd, id));
  return it == m_trayIcons.end() ? nullptr : &it->second;
}

} // namespace hg::sim
