#include "app/TrayIcon.h"

#include "accounting/TipSuffix.h"
#include "commands/NoticeTexts.h"
#include "platform/framework/WinApp.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "util/FormatText.h"

namespace hg {
namespace {
constexpr UINT kBalloonTimeoutMs = 10000;
// The ten- and five-minute warnings stay in the notice window this many
// ticks (about 15 s).
constexpr int kWarningTicks = 15;

} // namespace

CTrayIcon::~CTrayIcon() {
  if (m_hTrayIcon != 0)
    m_platform.DestroyIcon(m_hTrayIcon);
}

void CTrayIcon::Load() {
  AfxLoadString(m_platform, IDS_TIP_FORMAT, m_szTipFormat);
  m_hTrayIcon =
      m_platform.LoadImageA(IDR_MAINFRAME, IMAGE_ICON, m_platform.GetSystemMetrics(SM_CXSMICON),
                            m_platform.GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
  // Before the window exists: a removal before it went to the tray names no
  // window.
  BuildRecord(m_owner.m_hWnd, NIF_MESSAGE | NIF_ICON);
}

void CTrayIcon::BuildRecord(Hwnd hwnd, UINT flags) {
  m_nid = NotifyIconDataA{};
  m_nid.cbSize = kNotifyIconDataV2Size;
  m_nid.hWnd = hwnd;
  m_nid.uID = kTrayIconId;
  m_nid.uFlags = flags;
  m_nid.uCallbackMessage = WM_TRAYNOTIFY;
  m_nid.hIcon = m_hTrayIcon;
}

void CTrayIcon::Add(std::int32_t remaining) {
  m_nShownTime = remaining;
  m_bTrayWanted = true;
  AddIcon();
}

void CTrayIcon::AddIcon() {
  BuildRecord(m_owner.m_hWnd, NIF_MESSAGE | NIF_ICON | NIF_TIP);
  FormatTooltip(m_nid.szTip, sizeof m_nid.szTip);
  m_bTrayAdded = m_platform.Shell_NotifyIconA(NIM_ADD, &m_nid);
  // An icon the shell already holds (it came back before this add) refuses
  // the add; the whole record then goes as a modify.
  if (!m_bTrayAdded)
    m_bTrayAdded = m_platform.Shell_NotifyIconA(NIM_MODIFY, &m_nid);
}

void CTrayIcon::OnTaskbarCreated(std::int32_t remaining) {
  m_nShownTime = remaining;
  if (m_bTrayWanted)
    AddIcon();
}

void CTrayIcon::ShowRemaining(std::int32_t seconds) {
  m_nShownTime = seconds;
  m_szTipText[0] = '\0';
  Refresh();
}

void CTrayIcon::ShowText(UINT textId) {
  AfxLoadString(m_platform, textId, m_szTipText);
  Refresh();
}

void CTrayIcon::ShowUsage(const DayTable& days, const std::int32_t (&seconds)[kUsageDays]) {
  char format[64];
  char marks[64];
  AfxLoadString(m_platform, IDS_TIP_DAYS, format);
  AfxLoadString(m_platform, IDS_DAY_MARKS, marks);
  const int minutes[3] = {seconds[0] / 60, seconds[1] / 60, seconds[2] / 60};
  FormatTipSuffix(m_szTipSuffix, sizeof m_szTipSuffix, format, marks, days.dayOfMonth, minutes);
}

void CTrayIcon::ShowNotice(const Notice& notice) {
  if (notice.balloon != Balloon::None)
    ShowBalloon(BalloonText(notice.balloon));
  // The balloon may be held back (Focus assist, a full-screen program): the
  // ten and five minutes show in the program's own window too. The last
  // minute's countdown comes before any of it.
  if (notice.countdown >= 0) {
    m_nWarningTicks = 0;
    m_wndNotice.ShowCountdown(notice.countdown);
  } else if (notice.balloon == Balloon::TenMinutes || notice.balloon == Balloon::FiveMinutes) {
    m_nWarningTicks = kWarningTicks;
    m_wndNotice.ShowMessage(BalloonText(notice.balloon));
  } else if (m_nWarningTicks > 0) {
    if (--m_nWarningTicks == 0)
      m_wndNotice.ShowCountdown(-1);
  } else {
    m_wndNotice.ShowCountdown(-1);
  }
}

void CTrayIcon::ShowBalloon(UINT textId) {
  if (!m_bTrayAdded)
    return;
  m_nid.uFlags = NIF_INFO;
  m_platform.LoadStringA(textId, m_nid.szInfo, sizeof m_nid.szInfo);
  FormatText(m_nid.szInfoTitle, sizeof m_nid.szInfoTitle, "%s", text::kWindowTitle);
  m_nid.dwInfoFlags = NIIF_WARNING;
  m_nid.uTimeoutOrVersion = kBalloonTimeoutMs;
  if (!m_platform.Shell_NotifyIconA(NIM_MODIFY, &m_nid))
    Lost();
}

void CTrayIcon::FormatTooltip(char* tip, std::size_t size) const {
  // Whole minutes truncated toward zero: -1 s shows 00, -60 s shows -1.
  // The text (at most about 80 bytes) always fits the tip; were it ever
  // longer it would be cut, as the shell cuts a long tip.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
  if (m_szTipText[0] != '\0')
    FormatText(tip, size, "%s", m_szTipText);
  else
    FormatText(tip, size, m_szTipFormat, m_nShownTime / 60, m_szTipSuffix);
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
}

void CTrayIcon::Refresh() {
  // An add the shell refused (not ready yet at logon) is tried again.
  if (m_bTrayWanted && !m_bTrayAdded) {
    AddIcon();
    return;
  }
  FormatTooltip(m_nid.szTip, sizeof m_nid.szTip);
  // Once the icon is in the tray it keeps its image and callback: the tick
  // sends the tip alone, so the shell does not copy the icon every second.
  if (m_bTrayAdded)
    m_nid.uFlags = NIF_TIP;
  if (!m_platform.Shell_NotifyIconA(NIM_MODIFY, &m_nid) && m_bTrayAdded)
    Lost();
}

// A modify the shell refuses for an icon it held: the icon is gone (a new
// Explorer whose message never came), and is added again.
void CTrayIcon::Lost() {
  m_bTrayAdded = false;
  if (m_bTrayWanted)
    AddIcon();
}

} // namespace hg
