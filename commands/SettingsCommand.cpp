#include "commands/SettingsCommand.h"

#include "commands/SettingsDlg.h"

namespace hg {

void ChangeSettings(Platform& platform, CAccountant& accountant) {
  CSettingsDlg dlg(platform);
  dlg.m_nDailyLimit = static_cast<UINT>(accountant.LimitTime());
  dlg.m_nDayStartAdjust = static_cast<UINT>(accountant.AdjustTime());
  if (dlg.DoModal() != IDOK)
    return;
  // The dialog keeps both within what a signed 32-bit count of seconds holds.
  accountant.ApplySettings(static_cast<std::int32_t>(dlg.m_nDailyLimit),
                           static_cast<std::int32_t>(dlg.m_nDayStartAdjust), dlg.m_bResetToday);
}

} // namespace hg
