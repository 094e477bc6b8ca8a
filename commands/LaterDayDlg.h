// The later stored day's minute, the parent's side: the password check
// dialog under a caption of its own, which ends at the first password
// typed, right or wrong (a wrong one powers the PC off: no second try), and
// the tray's own judgement of it when no service runs.
#pragma once
#include "accounting/Accountant.h"
#include "commands/PasswordCheckDlg.h"

namespace hg {

class CLaterDayDlg : public CPasswordCheckDlg {
public:
  explicit CLaterDayDlg(Platform& platform) : CPasswordCheckDlg(platform) {}

protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
};

// The tray alone: the stored password (none stored: the empty text) takes
// today as the day; any other powers the PC off.
void AnswerLaterDay(Platform& platform, CAccountant& engine, const std::string& typed);

} // namespace hg
