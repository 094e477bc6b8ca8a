#include "commands/LaterDayDlg.h"

#include "commands/Scramble.h"
#include "platform/framework/WinApp.h"
#include "store/RegistryStore.h"
#include "store/ValueNames.h"

namespace hg {

BOOL CLaterDayDlg::OnInitDialog() {
  char caption[128];
  m_platform.SetWindowTextW(m_hWnd, AfxLoadString(m_platform, IDS_LATER_DAY_CAPTION, caption));
  // Over the countdown's corner and in front: the minute is short.
  m_platform.SetForegroundWindow(m_hWnd);
  return CPasswordCheckDlg::OnInitDialog();
}

void CLaterDayDlg::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void AnswerLaterDay(Platform& platform, CAccountant& engine, const std::string& typed) {
  char stored[20];
  CopyPasswordText(stored,
                   ReadRegString(platform, kHkeyLocalMachine, reg::kProgramKey, reg::kPassword));
  if (ScramblePassword(stored) == typed)
    engine.AcceptToday();
  else
    engine.RefuseToday();
}

} // namespace hg
