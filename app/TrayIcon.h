// The program's face in the notification area: the icon with its tooltip
// (remaining minutes and the use of the last three days), the balloons
// before a power-off and the last minute's countdown window. It shows what
// the accounting hands it.
#pragma once
#include "accounting/AccountingDisplay.h"
#include "app/NoticeWnd.h"
#include "platform/Platform.h"
#include "platform/framework/Wnd.h"

#include <cstddef>
#include <cstdint>

namespace hg {

// The tray icon's identity.
inline constexpr UINT kTrayIconId = 101;
inline constexpr UINT WM_TRAYNOTIFY = 0x9F1;

class CTrayIcon : public AccountingDisplay {
public:
  // The icon of window `owner`, whose messages it sends there.
  CTrayIcon(Platform& platform, const CWnd& owner) : m_platform(platform), m_owner(owner) {}
  ~CTrayIcon() override;
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // The tooltip's format and the icon at the system's small-icon size.
  void Load();
  // Puts the icon into the tray and keeps it there, its tooltip with
  // `remaining` seconds.
  void Add(std::int32_t remaining);
  void Remove() { m_platform.Shell_NotifyIconA(NIM_DELETE, &m_nid); }
  // Explorer started again and lost every icon.
  void OnTaskbarCreated(std::int32_t remaining);

  void ShowRemaining(std::int32_t seconds) override;
  void ShowUsage(const DayTable& days, const std::int32_t (&seconds)[kUsageDays]) override;
  void ShowNotice(const Notice& notice) override;
  // A text from the string table as the whole tooltip, until the next
  // remaining time.
  void ShowText(UINT textId);

  const char* TipSuffix() const { return m_szTipSuffix; }

private:
  void BuildRecord(Hwnd hwnd, UINT flags);
  void AddIcon();
  void Refresh();
  void Lost();
  void FormatTooltip(char* tip, std::size_t size) const;
  void ShowBalloon(UINT textId);

  Platform& m_platform;
  // Its window as it is at each call: a window destroyed while one of its
  // handlers still runs has no handle any more.
  const CWnd& m_owner;
  // The tray icon record; the 488-byte form on the Windows build.
  NotifyIconDataA m_nid;
  Hicon m_hTrayIcon = 0;
  bool m_bTrayWanted = false; // the window went to the tray
  bool m_bTrayAdded = false;  // the shell holds the icon
  std::int32_t m_nShownTime = 0;
  int m_nWarningTicks = 0; // left of a warning in the notice window
  char m_szTipSuffix[1000] = {};
  char m_szTipFormat[64] = {}; // the tooltip's format in the display language
  char m_szTipText[128] = {};  // shown instead of the figures while not empty
  CNoticeWnd m_wndNotice{m_platform};
};

} // namespace hg
