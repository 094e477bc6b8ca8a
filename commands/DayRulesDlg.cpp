#include "commands/DayRulesDlg.h"

#include "commands/SettingsDlg.h"
#include "platform/framework/WinApp.h"

namespace hg {
namespace {

// Longer than any bedtime or number with room for blanks around it.
constexpr int kFieldChars = 32;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The edit's text without the blanks and tabs around it; false when the
// text does not fit, which no value the fields take needs.
bool ReadTrimmed(CDataExchange* pDX, int id, char (&text)[kFieldChars], const char** start) {
  Platform& platform = pDX->m_pDlgWnd->GetPlatform();
  Hwnd edit = pDX->PrepareEditCtrl(id);
  text[0] = '\0';
  if (platform.GetWindowTextLengthA(edit) >= kFieldChars)
    return false;
  int n = platform.GetWindowTextA(edit, text, kFieldChars);
  while (n > 0 && IsBlank(text[n - 1]))
    text[--n] = '\0';
  *start = text;
  while (IsBlank(**start))
    ++*start;
  return true;
}

// A weekday's limit: empty for the every-day limit, else minutes under the
// daily limit's rule and range, refused with the same messages.
void DDX_DayLimit(CDataExchange* pDX, int id, std::int32_t& value) {
  if (pDX->m_bFailed)
    return;
  char text[kFieldChars];
  const char* start = text;
  if (pDX->m_bSaveAndValidate && ReadTrimmed(pDX, id, text, &start) && *start == '\0') {
    value = kNoDayLimit;
    return;
  }
  if (!pDX->m_bSaveAndValidate && value == kNoDayLimit) {
    pDX->m_pDlgWnd->GetPlatform().SetWindowTextA(pDX->PrepareEditCtrl(id), "");
    return;
  }
  UINT minutes = static_cast<UINT>(value);
  DDX_Text(pDX, id, minutes);
  DDV_MinMaxUInt(pDX, minutes, 0, kMaxSettingMinutes);
  if (!pDX->m_bFailed)
    value = static_cast<std::int32_t>(minutes);
}

// The bedtime as "HH:MM", blanks around allowed; empty for none.
void DDX_Bedtime(CDataExchange* pDX, int id, std::int32_t& value) {
  if (pDX->m_bFailed)
    return;
  if (!pDX->m_bSaveAndValidate) {
    char hhmm[kBedtimeTextSize] = "";
    if (value != kNoBedtime)
      FormatBedtime(value, hhmm);
    pDX->m_pDlgWnd->GetPlatform().SetWindowTextA(pDX->PrepareEditCtrl(id), hhmm);
    return;
  }
  char text[kFieldChars];
  const char* start = text;
  std::int32_t minutes = kNoBedtime;
  if (!ReadTrimmed(pDX, id, text, &start) || (*start != '\0' && !ParseBedtime(start, &minutes))) {
    AfxMessageBox(pDX->m_pDlgWnd->GetPlatform(), pDX->m_pDlgWnd->m_hWnd, IDS_BEDTIME_FORMAT);
    pDX->Fail();
    return;
  }
  value = minutes;
}

} // namespace

void CDayRulesDlg::DoDataExchange(CDataExchange* pDX) {
  for (int day = 0; day < kWeekdays; ++day)
    DDX_DayLimit(pDX, IDC_LIMIT_SUN + day, m_rules.weekdayLimit[day]);
  DDX_Bedtime(pDX, IDC_BEDTIME, m_rules.bedtime);
}

} // namespace hg
