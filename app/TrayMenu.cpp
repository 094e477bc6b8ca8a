// The popup menu a button press on the tray icon opens.
#include "app/LimitWnd.h"
#include "platform/framework/WinApp.h"
#include "res/resource.h"
#include "store/RegistryStore.h"
#include "store/ValueNames.h"

#include <cstring>

namespace hg {
namespace {
constexpr int kMenuAboveCursor = 10;
} // namespace

Lresult CLimitWnd::OnTrayNotify(Wparam wParam, Lparam lParam) {
  if (wParam != kTrayIconId)
    return 1;
  if (lParam != WM_LBUTTONDOWN && lParam != WM_RBUTTONDOWN)
    return 1;

  // A fresh menu on every press, so a password set or cleared since the
  // last one shows in the first item's label.
  Hmenu menu = m_platform.LoadMenuA(IDR_MAINFRAME);
  const bool passwordSet =
      m_pFace
          ? m_pFace->PasswordSet()
          : !ReadRegString(m_platform, kHkeyLocalMachine, reg::kProgramKey, reg::kPassword).empty();
  if (!passwordSet) {
    char label[64];
    AfxLoadString(m_platform, IDS_SET_PASSWORD_ITEM, label);
    MenuItemInfoA info;
    info.fMask = MIIM_TYPE;
    info.fType = MFT_STRING;
    info.dwTypeData = label;
    info.cch = static_cast<UINT>(std::strlen(label));
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
