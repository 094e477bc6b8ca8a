#include "commands/SettingsDlg.h"

#include "accounting/AccountingTime.h"
#include "commands/DayRulesDlg.h"

namespace hg {

// clang-format off
BEGIN_MESSAGE_MAP(CSettingsDlg, CDialog)
  ON_BN_CLICKED(IDC_RESET_TODAY, OnResetToday)
  ON_BN_CLICKED(IDC_DAY_RULES, OnDayRules)
END_MESSAGE_MAP()
// clang-format on

void CSettingsDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, IDC_DAILY_LIMIT, m_nDailyLimit);
  DDV_MinMaxUInt(pDX, m_nDailyLimit, 0, kMaxSettingMinutes);
  DDX_Text(pDX, IDC_ADJUST_TIME, m_nDayStartAdjust);
  // The accounting day starts at a time of day.
  DDV_MinMaxUInt(pDX, m_nDayStartAdjust, 0, kMaxAdjustMinutes);
}

bool CSettingsDlg::EndsToday() {
  const TodayFigures& today = m_today;
  if (today.asOf == 0)
    return false;
  const auto adjust = static_cast<std::int32_t>(m_nDayStartAdjust);
  LocalTm now;
  if (!m_platform.GetLocalTm(AccountingNow(m_platform, adjust), &now))
    return false;
  // A day start that moves now into another accounting day ends this one
  // at the next second, as a day change does.
  if (adjust != today.adjust &&
      MakeDayKey(now) != MakeDayKey(m_platform, AccountingNow(m_platform, today.adjust)))
    return true;
  // So does a bedtime already past.
  if (m_rules.bedtime != kNoBedtime &&
      now.hour * 60 + now.minute >= BedtimeOnAccountingClock(m_rules.bedtime, adjust))
    return true;
  const std::int32_t limit =
      LimitForWeekday(m_rules, static_cast<std::int32_t>(m_nDailyLimit), today.weekday);
  const std::int64_t since = m_platform.GetCurrentTime() - today.asOf;
  return SettingsSpendToday(today.credit, limit, SaturatingSum(today.use, since), m_bResetToday);
}

void CSettingsDlg::OnOK() {
  if (!UpdateData(TRUE))
    return;
  // A parent who answers No stays in the dialog to change the figures,
  // and has not reset today's use either.
  if (EndsToday() && MessageBox(IDS_SETTINGS_POWER_OFF, IDS_UNINSTALL_CAPTION,
                                MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES) {
    m_bResetToday = false;
    return;
  }
  EndDialog(IDOK);
}

void CSettingsDlg::OnResetToday() {
  // Stays set even when this press ends in a refused field.
  m_bResetToday = true;
  OnOK();
}

void CSettingsDlg::OnDayRules() {
  CDayRulesDlg dlg(m_platform);
  dlg.m_hWndParent = m_hWnd;
  dlg.m_rules = m_rules;
  if (dlg.DoModal() == IDOK)
    m_rules = dlg.m_rules;
}

} // namespace hg
