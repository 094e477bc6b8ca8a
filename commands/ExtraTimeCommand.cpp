#include "commands/ExtraTimeCommand.h"

#include "commands/ExtraTimeDlg.h"

namespace hg {

void GiveExtraTime(Platform& platform, CAccountant& accountant) {
  CExtraTimeDlg dlg(platform);
  if (dlg.DoModal() == IDOK)
    accountant.AddExtraTime(static_cast<std::int32_t>(dlg.m_nMinutes));
}

} // namespace hg
