// The daily limit, the day-start adjustment and the reset of today's use;
// the limits by day and the bedtime through their own dialog.
#pragma once
#include "accounting/DayRules.h"
#include "platform/framework/Dialog.h"
#include "res/resource.h"

#include <cstdint>

namespace hg {

// The largest number of minutes whose seconds still fit a signed 32-bit
// number: the rest of the program counts in seconds.
inline constexpr UINT kMaxSettingMinutes = 0x7FFFFFFF / 60;

// Today as the accounting counts it when the dialog opens, for the
// question before OK; the PC is in use while the dialog is open.
struct TodayFigures {
  std::int64_t asOf = 0;   // seconds since 1970; 0: unknown, and OK asks nothing
  std::int32_t credit = 0; // seconds (LastTimeAdjust)
  std::int32_t use = 0;    // seconds used today up to `asOf`
  int weekday = 0;         // of today's accounting day, 0 = Sunday
  std::int32_t adjust = 0; // the day-start adjustment in force, minutes
};

class CSettingsDlg : public CDialog {
public:
  explicit CSettingsDlg(Platform& platform) : CDialog(platform, IDD_SETTINGS) {}

  UINT m_nDailyLimit = 0;     // minutes: the every-day limit
  UINT m_nDayStartAdjust = 0; // minutes after midnight
  bool m_bResetToday = false;
  DayRules m_rules; // kept from the limits-by-day dialog until OK
  TodayFigures m_today;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;
  void OnResetToday();
  void OnDayRules();
  // Whether the settings as they stand would power the PC off at once.
  bool EndsToday();

  DECLARE_MESSAGE_MAP()
};

} // namespace hg
