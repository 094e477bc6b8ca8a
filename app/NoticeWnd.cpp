#include "app/NoticeWnd.h"

#include "res/resource.h"

#include <algorithm>
#include <cstdio>

namespace hg {
namespace {
// Sizes at 96 DPI, scaled to the screen's.
constexpr int kWidth = 320;
constexpr int kHeight = 64;
constexpr int kMargin = 12;
constexpr int kFontHeight = 22;
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
  return true;
}

void CNoticeWnd::ShowCountdown(std::int64_t seconds) {
  if (seconds < 0) {
    if (m_nSeconds >= 0 && m_hWnd != 0)
      ShowWindow(SW_HIDE);
    m_nSeconds = -1;
    return;
  }
  if (seconds == m_nSeconds)
    return;
  if (m_hWnd == 0 && !Create())
    return;
  char format[96] = {};
  m_platform.LoadStringA(IDS_COUNTDOWN, format, sizeof format);
  std::snprintf(m_szText, sizeof m_szText, format,
                static_cast<int>(std::min<std::int64_t>(seconds, 999)));
  // The title carries the text too, for screen readers and for a look from
  // another program.
  m_platform.SetWindowTextW(m_hWnd, m_szText);
  if (m_nSeconds < 0)
    ShowWindow(SW_SHOWNOACTIVATE);
  m_nSeconds = seconds;
  // Painted now: the number must not wait behind other messages.
  InvalidateRect(nullptr, TRUE);
  UpdateWindow();
}

void CNoticeWnd::OnPaint() {
  PaintStruct paint;
  Handle dc = m_platform.BeginPaint(m_hWnd, &paint);
  Rect client;
  m_platform.GetClientRect(m_hWnd, &client);
  Handle oldFont = m_hFont != 0 ? m_platform.SelectObject(dc, m_hFont) : 0;
  m_platform.SetBkMode(dc, TRANSPARENT);
  m_platform.DrawTextW(dc, m_szText, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (oldFont != 0)
    m_platform.SelectObject(dc, oldFont);
  m_platform.EndPaint(m_hWnd, &paint);
}

} // namespace hg
