#include "platform/framework/Wnd.h"

#include "platform/framework/WinApp.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace hg {
namespace {
// Handle-to-object map. A handful of windows live at once, so a vector is
// the simplest thing that works.
std::vector<std::pair<Hwnd, CWnd*>>& HandleMap() {
  static std::vector<std::pair<Hwnd, CWnd*>> map;
  return map;
}
// The object whose window is being created: its first messages arrive before
// CreateWindowExA returns the handle.
CWnd* s_pWndInit = nullptr;
} // namespace

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

CWnd::~CWnd() {
  Detach();
}

CWnd* CWnd::FromHandle(Hwnd hwnd) {
  for (auto& [h, w] : HandleMap())
    if (h == hwnd)
      return w;
  return nullptr;
}

void CWnd::Attach(Hwnd hwnd) {
  m_hWnd = hwnd;
  HandleMap().emplace_back(hwnd, this);
}

void CWnd::Detach() {
  auto& map = HandleMap();
  std::erase_if(map, [this](const auto& entry) { return entry.second == this; });
  m_hWnd = 0;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                    int y, int width, int height, Hwnd parent, Hmenu menu) {
  s_pWndInit = this;
  Hwnd hwnd = m_platform.CreateWindowExA(exStyle, className, title, style, x, y, width, height,
                                         parent, menu, nullptr);
  s_pWndInit = nullptr;
  if (hwnd == 0) {
    Detach();
    return FALSE;
  }
  if (m_hWnd != hwnd) {
    Detach();
    Attach(hwnd);
  }
  return TRUE;
}

Lresult CWnd::StaticWndProc(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) {
  CWnd* wnd = FromHandle(hwnd);
  if (wnd == nullptr && s_pWndInit != nullptr) {
    wnd = s_pWndInit;
    wnd->Attach(hwnd);
  }
  if (wnd == nullptr)
    return 0;
  Msg saved = std::exchange(wnd->m_currentMsg, Msg{hwnd, msg, wParam, lParam});
  ++wnd->m_nMsgDepth;
  Lresult result = wnd->WindowProc(msg, wParam, lParam);
  if (msg == WM_NCDESTROY)
    wnd->OnNcDestroy();
  wnd->m_currentMsg = saved;
  if (--wnd->m_nMsgDepth == 0 && wnd->m_bEndPending)
    wnd->PostNcDestroy(); // may delete the object: touch nothing after it
  return result;
}

bool CWnd::DispatchThroughMap(UINT msg, Wparam wParam, Lparam lParam, Lresult* result) {
  for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
       map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn != nullptr; ++e) {
      if (e->pnRegistered != nullptr ? (*e->pnRegistered == 0 || *e->pnRegistered != msg)
                                     : e->nMessage != msg)
        continue;
      // Menu commands and button clicks carry notification code 0.
      if (msg == WM_COMMAND && (e->nID != LoWord(wParam) || HiWord(wParam) != 0))
        continue;
      *result = e->pfn(this, wParam, lParam);
      return true;
    }
  }
  return false;
}

Lresult CWnd::WindowProc(UINT msg, Wparam wParam, Lparam lParam) {
  Lresult result = 0;
  if (DispatchThroughMap(msg, wParam, lParam, &result))
    return result;
  return Default();
}

Lresult CWnd::Default() {
  return m_platform.DefWindowProcA(m_currentMsg.hwnd, m_currentMsg.message, m_currentMsg.wParam,
                                   m_currentMsg.lParam);
}

void CWnd::OnNcDestroy() {
  // Destroying the application's main window ends its message loop.
  CWinApp* app = AfxGetApp();
  if (app != nullptr && app->m_pMainWnd == this) {
    app->m_pMainWnd = nullptr;
    m_platform.PostQuitMessage(0);
  }
  Detach();
  m_bEndPending = true; // PostNcDestroy once the outermost message returns
}

} // namespace hg
