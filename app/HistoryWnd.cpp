#include "app/HistoryWnd.h"

#include "accounting/SessionTimes.h"
#include "app/HistoryChart.h"
#include "platform/framework/WinApp.h"
#include "res/resource.h"
#include "util/FormatText.h"

#include <cstring>

// The formats come from the string table, in the display language.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif

namespace hg {
namespace {
// Sizes at 96 DPI, scaled to the screen's.
constexpr int kWidth = 560;
constexpr int kHeight = 400;
constexpr int kFontHeight = 12;
constexpr UINT kIdcArrow = 32512;
constexpr UINT kRefreshTimerId = 1;
constexpr int kMostSessions = 8;
// Colours as COLORREF (0x00BBGGRR).
constexpr DWORD kBarColour = 0x00B48246;   // steel blue
constexpr DWORD kTodayColour = 0x00008CFF; // orange
constexpr DWORD kTodayMark = 0x00D8F4FF;   // a pale yellow behind today
constexpr DWORD kLimitColour = 0x002020D0; // red
constexpr DWORD kBaseColour = 0x00808080;
constexpr UINT kCentred = DT_CENTER | DT_NOPREFIX;

int Scaled(int pixels, int dpi) {
  return pixels * dpi / 96;
}
} // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CHistoryWnd, CWnd)
  ON_WM_PAINT()
  ON_WM_TIMER()
  ON_WM_KEYDOWN()
END_MESSAGE_MAP()
// clang-format on

CHistoryWnd::~CHistoryWnd() {
  if (m_hWnd != 0)
    DestroyWindow();
}

void CHistoryWnd::Open(HistorySource& source) {
  m_pSource = &source;
  if (m_hWnd == 0 && !Create())
    return;
  Refresh();
  // Shown, or back from the taskbar, and in front: the menu's command made
  // this program the foreground one, so it may.
  ShowWindow(SW_RESTORE);
  UpdateWindow();
  m_platform.SetForegroundWindow(m_hWnd);
}

bool CHistoryWnd::Create() {
  if (!m_platform.IsClassRegistered(kHistoryWndClass)) {
    WndClassA wc;
    wc.lpfnWndProc = &CWnd::StaticWndProc;
    wc.hIcon = m_platform.LoadIconA(IDR_MAINFRAME);
    wc.hCursor = m_platform.LoadCursorA(kIdcArrow);
    wc.hbrBackground = m_platform.GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = kHistoryWndClass;
    m_platform.RegisterClassA(wc);
  }
  const int dpi = m_platform.GetScreenDpi();
  // Where Windows puts a new window: in sight, out of the taskbar's way.
  if (!CreateEx(0, kHistoryWndClass, "", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                CW_USEDEFAULT, Scaled(kWidth, dpi), Scaled(kHeight, dpi), 0, 0))
    return false;
  char face[32] = {}; // LF_FACESIZE
  m_platform.LoadStringA(IDS_NOTICE_FONT, face, sizeof face);
  m_hFont = m_platform.CreateFontW(-Scaled(kFontHeight, dpi), FW_NORMAL, face);
  m_platform.SetTimer(m_hWnd, kRefreshTimerId, kRefreshMs);
  return true;
}

// Today's figures anew, and the title that says them.
void CHistoryWnd::Refresh() {
  UsageHistory fresh;
  if (m_pSource != nullptr && m_pSource->ReadHistory(&fresh))
    m_history = fresh;
  char format[160];
  char title[256];
  AfxLoadString(m_platform, IDS_HISTORY_SUMMARY, format);
  FormatText(title, sizeof title, format, m_history.usage[0] / 60, m_history.limit[0],
             m_history.usage[1] / 60, m_history.usage[2] / 60);
  m_platform.SetWindowTextW(m_hWnd, title);
  // Painted now: a window behind others gets its paint when it shows.
  InvalidateRect(nullptr, TRUE);
  UpdateWindow();
}

void CHistoryWnd::OnTimer(UINT nIDEvent) {
  if (nIDEvent == kRefreshTimerId)
    Refresh();
}

void CHistoryWnd::OnKeyDown(UINT key) {
  if (key == VK_ESCAPE)
    DestroyWindow();
}

void CHistoryWnd::PostNcDestroy() {
  if (m_hFont != 0)
    m_platform.DeleteObject(m_hFont);
  m_hFont = 0;
  m_pSource = nullptr;
}

void CHistoryWnd::OnPaint() {
  PaintStruct paint;
  const Handle dc = m_platform.BeginPaint(m_hWnd, &paint);
  Rect client;
  m_platform.GetClientRect(m_hWnd, &client);
  const Handle oldFont = m_hFont != 0 ? m_platform.SelectObject(dc, m_hFont) : 0;
  m_platform.SetBkMode(dc, TRANSPARENT);
  ChartMetrics metrics;
  metrics.dpi = m_platform.GetScreenDpi();

  int used[kUsageDays];
  int limit[kUsageDays];
  for (int i = 0; i < kUsageDays; ++i) {
    used[i] = m_history.usage[i] > 0 ? m_history.usage[i] / 60 : 0;
    limit[i] = m_history.limit[i] > 0 ? m_history.limit[i] : 0;
  }
  const int top = ChartTopMinutes(used, limit);
  char weekdays[64], dayFormat[32], minutesFormat[32], text[64], weekday[16];
  AfxLoadString(m_platform, IDS_HISTORY_WEEKDAYS, weekdays);
  AfxLoadString(m_platform, IDS_HISTORY_DAY, dayFormat);
  AfxLoadString(m_platform, IDS_HISTORY_MINUTES, minutesFormat);
  for (int day = kUsageDays - 1; day >= 0; --day) {
    const int date = m_history.date[day];
    if (date == 0)
      continue;
    DayColumn c = ChartColumn(client, metrics, day, used[day], limit[day], top);
    if (day == 0)
      Fill(dc, c.column, kTodayMark);
    if (c.bar.top < c.bar.bottom)
      Fill(dc, c.bar, day == 0 ? kTodayColour : kBarColour);
    if (limit[day] > 0)
      Fill(dc, c.limit, kLimitColour);
    FormatText(text, sizeof text, minutesFormat, used[day]);
    m_platform.DrawTextW(dc, text, &c.figure, kCentred | DT_SINGLELINE);
    ListField(weekdays, m_history.weekday[day], weekday, sizeof weekday);
    FormatText(text, sizeof text, dayFormat, weekday, date / 100 % 100, date % 100);
    m_platform.DrawTextW(dc, text, &c.label, kCentred);
  }
  Fill(dc, ChartBaseline(client, metrics), kBaseColour);

  Rect below = ChartBelow(client, metrics);
  const int middle = (below.left + below.right) / 2;
  DrawSessions(dc, m_history.today, IDS_HISTORY_TODAY,
               Rect{below.left, below.top, middle, below.bottom});
  DrawSessions(dc, m_history.yesterday, IDS_HISTORY_YESTERDAY,
               Rect{middle, below.top, below.right, below.bottom});
  if (oldFont != 0)
    m_platform.SelectObject(dc, oldFont);
  m_platform.EndPaint(m_hWnd, &paint);
}

void CHistoryWnd::Fill(Handle dc, const Rect& rect, DWORD colour) {
  const Handle brush = m_platform.CreateSolidBrush(colour);
  m_platform.FillRect(dc, &rect, brush);
  m_platform.DeleteObject(brush);
}

// A heading and the list's sessions as times of day, one a line.
void CHistoryWnd::DrawSessions(Handle dc, const char* list, UINT headingId, Rect area) {
  SessionTime sessions[kMostSessions];
  const int count = ReadSessionTimes(list, sessions, kMostSessions);
  char format[64], line[64], text[512];
  AfxLoadString(m_platform, headingId, text);
  AfxLoadString(m_platform, count == 0 ? IDS_HISTORY_NONE : IDS_HISTORY_SESSION, format);
  // "(none)" takes no figures: the zeros of an empty session go unread.
  for (int i = 0; i < count || (count == 0 && i == 0); ++i) {
    const SessionTime& s = sessions[count == 0 ? 0 : i];
    FormatText(line, sizeof line, format, s.startHour, s.startMinute, s.endHour, s.endMinute,
               s.minutes);
    const std::size_t used = std::strlen(text);
    FormatText(text + used, sizeof text - used, "\n%s", line);
  }
  m_platform.DrawTextW(dc, text, &area, DT_NOPREFIX);
}

} // namespace hg
