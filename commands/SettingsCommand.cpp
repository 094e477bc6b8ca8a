#include "commands/SettingsCommand.h"

#include "commands/SettingsDlg.h"

namespace hg {
namespace {

// Today's figures from the accountant this program runs.
class CTraySettingsDlg : public CSettingsDlg {
public:
  CTraySettingsDlg(Platform& platform, CAccountant& accountant)
      : CSettingsDlg(platform), m_accountant(accountant) {}

protected:
  bool ReadToday(TodayFigures* today) override {
    LocalTm tm;
    if (!m_platform.GetLocalTm(m_accountant.AccountingNow(), &tm))
      return false;
    today->credit = m_accountant.LastTimeAdjust();
    today->use = m_accountant.TodayUse();
    today->weekday = WeekdayOf(tm.year, tm.month, tm.day);
    today->adjust = m_accountant.AdjustTime();
    return true;
  }

  CAccountant& m_accountant;
};

} // namespace

void ChangeSettings(Platform& platform, CAccountant& accountant) {
  CTraySettingsDlg dlg(platform, accountant);
  // The every-day limit: the weekdays' own are in the limits by day.
  dlg.m_nDailyLimit = static_cast<UINT>(accountant.EveryDayLimit());
  dlg.m_nDayStartAdjust = static_cast<UINT>(accountant.AdjustTime());
  dlg.m_rules = accountant.Rules();
  if (dlg.DoModal() != IDOK)
    return;
  // The dialog keeps both within what a signed 32-bit count of seconds holds.
  accountant.ApplySettings(static_cast<std::int32_t>(dlg.m_nDailyLimit),
                           static_cast<std::int32_t>(dlg.m_nDayStartAdjust), dlg.m_bResetToday,
                           dlg.m_rules);
}

} // namespace hg
