// "Limits by day": a limit of its own for each weekday and the bedtime.
// The settings dialog opens it and keeps what it gives until its own OK.
#pragma once
#include "accounting/DayRules.h"
#include "platform/framework/Dialog.h"
#include "res/resource.h"

namespace hg {

class CDayRulesDlg : public CDialog {
public:
  explicit CDayRulesDlg(Platform& platform) : CDialog(platform, IDD_DAY_RULES) {}

  DayRules m_rules;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
};

} // namespace hg
