// Asks how many minutes today gets on top of its allowance.
#pragma once
#include "accounting/DayRules.h"
#include "platform/framework/Dialog.h"
#include "res/resource.h"

namespace hg {

// What the field offers: "15 more minutes" is what parents give most.
inline constexpr UINT kDefaultExtraMinutes = 15;

class CExtraTimeDlg : public CDialog {
public:
  explicit CExtraTimeDlg(Platform& platform) : CDialog(platform, IDD_EXTRA_TIME) {}

  UINT m_nMinutes = kDefaultExtraMinutes;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
};

} // namespace hg
