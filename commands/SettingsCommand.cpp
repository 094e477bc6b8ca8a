#include "commands/SettingsCommand.h"

#include "commands/SettingsDlg.h"

namespace hg {
void ChangeSettings(Platform& platform, CAccountant& accountant) {
  CSettingsDlg dlg(platform);
  // The every-day limit: the weekdays' own are in the limits by day.
  dlg.m_nDailyLimit = static_cast<UINT>(accountant.EveryDayLimit());
  dlg.m_nDayStartAdjust = static_cast<UINT>(accountant.AdjustTime());
  dlg.m_rules = accountant.Rules();
  LocalTm today;
  if (platform.GetLocalTm(accountant.AccountingNow(), &today))
    dlg.m_today = {platform.GetCurrentTime(), accountant.LastTimeAdjust(), accountant.TodayUse(),
                   WeekdayOf(today.year, today.month, today.day), accountant.AdjustTime()};
  if (dlg.DoModal() != IDOK)
    return;
  // The dialog keeps both within what a signed 32-bit count of seconds holds.
  accountant.ApplySettings(static_cast<std::int32_t>(dlg.m_nDailyLimit),
                           static_cast<std::int32_t>(dlg.m_nDayStartAdjust), dlg.m_bResetToday,
                           dlg.m_rules);
}

} // namespace hg
