#include "commands/DayRulesDlg.h"

#include "commands/SettingsDlg.h"
#include "platform/framework/WinApp.h"
#include "util/FormatText.h"

#include <string>

namespace hg {
namespace {

// The field's text without the blanks and tabs around it, as the number
// fields take it.
std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return {};
  return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

void Refuse(CDataExchange* pDX, UINT messageId) {
  AfxMessageBox(pDX->m_pDlgWnd->GetPlatform(), pDX->m_pDlgWnd->m_hWnd, messageId);
  pDX->Fail();
}

// A weekday's limit: empty for the every-day limit, else minutes under the
// daily limit's rule and range.
void DDX_DayLimit(CDataExchange* pDX, int id, std::int32_t& value) {
  std::string text;
  if (!pDX->m_bSaveAndValidate && value != kNoDayLimit) {
    char digits[16];
    FormatText(digits, sizeof digits, "%d", value);
    text = digits;
  }
  DDX_Text(pDX, id, text);
  if (!pDX->m_bSaveAndValidate || pDX->m_bFailed)
    return;
  if (Trimmed(text).empty()) {
    value = kNoDayLimit;
    return;
  }
  UINT minutes = 0;
  if (!ParseUnsignedField(text.c_str(), &minutes))
    return Refuse(pDX, AFX_IDP_PARSE_UINT);
  DDV_MinMaxUInt(pDX, minutes, 0, kMaxSettingMinutes);
  if (!pDX->m_bFailed)
    value = static_cast<std::int32_t>(minutes);
}

// The bedtime as "HH:MM"; empty for none.
void DDX_Bedtime(CDataExchange* pDX, int id, std::int32_t& value) {
  std::string text;
  if (!pDX->m_bSaveAndValidate && value != kNoBedtime) {
    char hhmm[kBedtimeTextSize];
    FormatBedtime(value, hhmm);
    text = hhmm;
  }
  DDX_Text(pDX, id, text);
  if (!pDX->m_bSaveAndValidate || pDX->m_bFailed)
    return;
  text = Trimmed(text);
  std::int32_t minutes = kNoBedtime;
  if (!text.empty() && !ParseBedtime(text.c_str(), &minutes))
    return Refuse(pDX, IDS_BEDTIME_FORMAT);
  value = minutes;
}

} // namespace

void CDayRulesDlg::DoDataExchange(CDataExchange* pDX) {
  for (int day = 0; day < kWeekdays; ++day)
    DDX_DayLimit(pDX, IDC_LIMIT_SUN + day, m_rules.weekdayLimit[day]);
  DDX_Bedtime(pDX, IDC_BEDTIME, m_rules.bedtime);
}

} // namespace hg
