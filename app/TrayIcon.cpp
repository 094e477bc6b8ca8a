// The tray icon: its record, the tooltip, and the popup menu a button press
// on it opens.
#include "app/LimitWnd.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "store/ValueNames.h"

#include <cstdio>

namespace hg {
namespace {
constexpr int kMenuAboveCursor = 10;
constexpr UINT kBalloonTimeoutMs = 10000;
} // namespace

void CLimitWnd::BuildTrayRecord(Hwnd hwnd, UINT flags) {
  m_nid = NotifyIconDataA{};
  m_nid.cbSize = kNotifyIconDataV2Size;
  m_nid.hWnd = hwnd;
  m_nid.uID = kTrayIconId;
  m_nid.uFlags = flags;
  m_nid.uCallbackMessage = WM_TRAYNOTIFY;
  m_nid.hIcon = m_hTrayIcon;
}

void CLimitWnd::AddTrayIcon() {
  BuildTrayRecord(m_hWnd, NIF_MESSAGE | NIF_ICON | NIF_TIP);
  FormatTooltip(m_nid.szTip, sizeof m_nid.szTip);
  m_bTrayAdded = m_platform.Shell_NotifyIconA(NIM_ADD, &m_nid);
  // An icon the shell already holds (it came back before this add) refuses
  // the add; the whole record then goes as a modify.
  if (!m_bTrayAdded)
    m_bTrayAdded = m_platform.Shell_NotifyIconA(NIM_MODIFY, &m_nid);
}

Lresult CLimitWnd::OnTaskbarCreated(Wparam, Lparam) {
  if (m_bTrayWanted)
    AddTrayIcon();
  return 0;
}

void CLimitWnd::ShowBalloon(UINT textId) {
  if (!m_bTrayAdded)
    return;
  m_nid.uFlags = NIF_INFO;
  m_platform.LoadStringA(textId, m_nid.szInfo, sizeof m_nid.szInfo);
  std::snprintf(m_nid.szInfoTitle, sizeof m_nid.szInfoTitle, "%s", text::kWindowTitle);
  m_nid.dwInfoFlags = NIIF_WARNING;
  m_nid.uTimeoutOrVersion = kBalloonTimeoutMs;
  m_platform.Shell_NotifyIconA(NIM_MODIFY, &m_nid);
}

void CLimitWnd::FormatTooltip(char* tip, std::size_t size) const {
  // Whole minutes truncated toward zero: -1 s shows 00, -60 s shows -1.
  // The text (at most about 80 bytes) always fits the tip. The suffix's
  // buffer is larger, so an optimising GCC warns that it might not: were it
  // ever longer it would be cut, as the shell cuts a long tip.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-truncation"
#endif
  std::snprintf(tip, size, text::kTipFormat, m_nLastTime / 60, m_szTipSuffix);
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
}

void CLimitWnd::RefreshTooltip() {
  // An add the shell refused (not ready yet at logon) is tried again.
  if (m_bTrayWanted && !m_bTrayAdded) {
    AddTrayIcon();
    return;
  }
  FormatTooltip(m_nid.szTip, sizeof m_nid.szTip);
  // Once the icon is in the tray it keeps its image and callback: the tick
  // sends the tip alone, so the shell does not copy the icon every second.
  if (m_bTrayAdded)
    m_nid.uFlags = NIF_TIP;
  m_platform.Shell_NotifyIconA(NIM_MODIFY, &m_nid);
}

Lresult CLimitWnd::OnTrayNotify(Wparam wParam, Lparam lParam) {
  if (wParam != kTrayIconId)
    return 1;
  if (lParam != WM_LBUTTONDOWN && lParam != WM_RBUTTONDOWN)
    return 1;

  // A fresh menu on every press, so a password set or cleared since the
  // last one shows in the first item's label.
  Hmenu menu = m_platform.LoadMenuA(IDR_MAINFRAME);
  if (ReadRegString(kHkeyLocalMachine, reg::kProgramKey, reg::kPassword).empty()) {
    char label[sizeof text::kSetPasswordItem];
    std::snprintf(label, sizeof label, "%s", text::kSetPasswordItem);
    MenuItemInfoA info;
    info.fMask = MIIM_TYPE;
    info.fType = MFT_STRING;
    info.dwTypeData = label;
    info.cch = sizeof label - 1;
    m_platform.SetMenuItemInfoA(menu, ID_CHANGE_PASSWORD, FALSE, info);
  }
  Point cursor;
  m_platform.GetCursorPos(&cursor);
  m_platform.SetForegroundWindow(m_hWnd);
  m_platform.TrackPopupMenu(m_platform.GetSubMenu(menu, 0), TPM_RIGHTBUTTON, cursor.x,
                            cursor.y - kMenuAboveCursor, m_hWnd);
  // Without a message after the menu, its next showing can close at once.
  m_platform.PostMessageA(m_hWnd, WM_NULL, 0, 0);
  m_platform.DestroyMenu(menu);
  return 1;
}

} // namespace hg
