// The daily limit, the day-start adjustment and the reset of today's use.
#pragma once
#include "platform/framework/Dialog.h"
#include "res/resource.h"

namespace hg {

// The largest number of minutes whose seconds still fit a signed 32-bit
// number: the rest of the program counts in seconds.
inline constexpr UINT kMaxSettingMinutes = 0x7FFFFFFF / 60;

class CSettingsDlg : public CDialog {
public:
  explicit CSettingsDlg(Platform& platform) : CDialog(platform, IDD_SETTINGS) {}

  UINT m_nDailyLimit = 0;     // minutes
  UINT m_nDayStartAdjust = 0; // minutes
  bool m_bResetToday = false;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnResetToday();

  DECLARE_MESSAGE_MAP()
};

} // namespace hg
