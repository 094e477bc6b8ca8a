// The last minute before a forced power-off, in sight over everything: a
// small window near the notification area with the seconds left; and the
// warnings ten and five minutes before, which Windows 10 and 11 show as
// notifications that Focus assist and full-screen programs hold back. Always
// on top (raised again each time it shows), never active, no taskbar button,
// so a full-screen program does not hide it and typing goes on where it was.
#pragma once
#include "platform/framework/Wnd.h"

#include <cstdint>

namespace hg {

inline constexpr char kNoticeWndClass[] = "HourgaugeLiteCountdown";

class CNoticeWnd : public CWnd {
public:
  explicit CNoticeWnd(Platform& platform) : CWnd(platform) {}
  ~CNoticeWnd() override;

  // Shows `seconds` left, creating the window the first time; a negative
  // number hides it.
  void ShowCountdown(std::int64_t seconds);
  // Shows a text of the string table instead, in a smaller type over as
  // many lines as it takes; ShowCountdown(-1) hides it too.
  void ShowMessage(UINT textId);
  bool IsShown() const { return m_nSeconds >= 0 || m_bMessage; }

protected:
  void OnPaint();
  DECLARE_MESSAGE_MAP()

private:
  bool Create();
  void Show();

  std::int64_t m_nSeconds = -1; // shown; -1: hidden
  bool m_bMessage = false;      // a message is shown
  Handle m_hFont = 0;
  Handle m_hMessageFont = 0;
  char m_szText[256] = {};
};

} // namespace hg
