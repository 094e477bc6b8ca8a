#include "app/NoticeWnd.h"

#include "res/resource.h"
#include "util/FormatText.h"

#include <algorithm>

namespace hg {
namespace {
// Sizes at 96 DPI, scaled to the screen's.
constexpr int kWidth = 320;
constexpr int kHeight = 64;
constexpr int kMargin = 12;
constexpr int kFontHeight = 22;
constexpr int kMessageFontHeight = 15;
constexpr int kMessageMargin = 6;
constexpr UINT kIdcArrow = 32512;

int Scaled(int pixels, int dpi) {
  return pixels * dpi / 96;
}
} // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CNoticeWnd, CWnd)
  ON_WM_PAINT()
END_MESSAGE_MAP()
// clang-format on

CNoticeWnd::~CNoticeWnd() {
  if (m_hWnd != 0)
    DestroyWindow();
  if (m_hFont != 0)
    m_platform.DeleteObject(m_hFont);
  if (m_hMessageFont != 0)
    m_platform.DeleteObject(m_hMessageFont);
}

bool CNoticeWnd::Create() {
  if (!m_platform.IsClassRegistered(kNoticeWndClass)) {
    WndClassA wc;
    wc.lpfnWndProc = &CWnd::StaticWndProc;
    wc.hCursor = m_platform.LoadCursorA(kIdcArrow);
    wc.hbrBackground = m_platform.GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = kNoticeWndClass;
    m_platform.RegisterClassA(wc);
  }
  const int dpi = m_platform.GetScreenDpi();
  Rect work;
  if (!m_platform.GetWorkArea(&work))
    work = Rect{0, 0, m_platform.GetSystemMetrics(SM_CXSCREEN),
                m_platform.GetSystemMetrics(SM_CYSCREEN)};
  const int width = Scaled(kWidth, dpi);
  const int height = Scaled(kHeight, dpi);
  // Bottom right of the work area: beside the notification area on a
  // taskbar at the bottom, and inside the screen wherever the taskbar is.
  const int x = work.right - width - Scaled(kMargin, dpi);
  const int y = work.bottom - height - Scaled(kMargin, dpi);
  if (!CreateEx(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kNoticeWndClass, "",
                WS_POPUP | WS_BORDER, x, y, width, height, 0, 0))
    return false;
  char face[32] = {}; // LF_FACESIZE
  m_platform.LoadStringA(IDS_NOTICE_FONT, face, sizeof face);
  m_hFont = m_platform.CreateFontW(-Scaled(kFontHeight, dpi), FW_BOLD, face);
  m_hMessageFont = m_platform.CreateFontW(-Scaled(kMessageFontHeight, dpi), FW_BOLD, face);
  return true;
}

// Shown, or painted anew, and raised above every other topmost window: a
// full-screen program that came up since may have covered it.
void CNoticeWnd::Show() {
  // The title carries the text too, for screen readers and for a look from
  // another program.
  m_platform.SetWindowTextW(m_hWnd, m_szText);
  if (!m_platform.IsWindowVisible(m_hWnd)) {
    ShowWindow(SW_SHOWNOACTIVATE);
    m_platform.RaiseTopmost(m_hWnd);
  }
  // Painted now: the text must not wait behind other messages.
  InvalidateRect(nullptr, TRUE);
  UpdateWindow();
}

void CNoticeWnd::ShowMessage(UINT textId) {
  if (m_hWnd == 0 && !Create())
    return;
  m_platform.LoadStringA(textId, m_szText, sizeof m_szText);
  m_nSeconds = -1;
  m_bMessage = true;
  // A message shown again (the five minutes after the ten) comes to the
  // top again.
  if (m_platform.IsWindowVisible(m_hWnd))
    m_platform.RaiseTopmost(m_hWnd);
  Show();
}

void CNoticeWnd::ShowCountdown(std::int64_t seconds) {
  if (seconds < 0) {
    if (IsShown() && m_hWnd != 0)
      ShowWindow(SW_HIDE);
    m_nSeconds = -1;
    m_bMessage = false;
    return;
  }
  if (seconds == m_nSeconds)
    return;
  if (m_hWnd == 0 && !Create())
    return;
  char format[96] = {};
  m_platform.LoadStringA(IDS_COUNTDOWN, format, sizeof format);
  FormatText(m_szText, sizeof m_szText, format,
             static_cast<int>(std::min<std::int64_t>(seconds, 999)));
  m_nSeconds = seconds;
  m_bMessage = false;
  Show();
}

void CNoticeWnd::OnPaint() {
  PaintStruct paint;
  Handle dc = m_platform.BeginPaint(m_hWnd, &paint);
  Rect client;
  m_platform.GetClientRect(m_hWnd, &client);
  const Handle font = m_bMessage ? m_hMessageFont : m_hFont;
  Handle oldFont = font != 0 ? m_platform.SelectObject(dc, font) : 0;
  m_platform.SetBkMode(dc, TRANSPARENT);
  if (m_bMessage) {
    const int margin = Scaled(kMessageMargin, m_platform.GetScreenDpi());
    Rect text{client.left + margin, client.top + margin, client.right - margin,
              client.bottom - margin};
    m_platform.DrawTextW(dc, m_szText, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  } else {
    m_platform.DrawTextW(dc, m_szText, &client,
                         DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (oldFont != 0)
    m_platform.SelectObject(dc, oldFont);
  m_platform.EndPaint(m_hWnd, &paint);
}

} // namespace hg
