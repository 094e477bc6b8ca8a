#include "app/LaterDayPrompt.h"

#include "res/resource.h"

namespace hg {

bool CLaterDayPrompt::Pending() const {
  return m_face ? m_face->LaterDay() : m_engine.LaterDayPending();
}

void CLaterDayPrompt::Check() {
  if (!Pending()) {
    m_bAsked = false;
    if (m_pDialog != nullptr)
      m_pDialog->EndDialog(IDCANCEL);
    return;
  }
  if (!m_bAsked) {
    m_bAsked = true;
    m_owner.PostMessage(WM_COMMAND, ID_LATER_DAY);
  }
}

void CLaterDayPrompt::Ask() {
  // Also what another program might post: only in the minute, only once.
  if (m_pDialog != nullptr || !Pending())
    return;
  CLaterDayDlg dlg(m_platform);
  m_pDialog = &dlg;
  const bool typed = dlg.DoModal() == IDOK;
  m_pDialog = nullptr;
  // The minute may have ended while the parent typed.
  if (!typed || !Pending())
    return;
  if (m_face)
    m_face->AcceptToday(dlg.m_strPassword);
  else
    AnswerLaterDay(m_platform, m_engine, dlg.m_strPassword);
}

} // namespace hg
