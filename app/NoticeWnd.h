// The last minute before a forced power-off, in sight over everything: a
// small window near the notification area with the seconds left. Always on
// top, never active, no taskbar button, so a full-screen program does not
// hide it and typing goes on where it was.
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
  bool IsShown() const { return m_nSeconds >= 0; }

protected:
  void OnPaint();
  DECLARE_MESSAGE_MAP()

private:
  bool Create();

  std::int64_t m_nSeconds = -1; // shown; -1: hidden
  Handle m_hFont = 0;
  char m_szText[128] = {};
};

} // namespace hg
