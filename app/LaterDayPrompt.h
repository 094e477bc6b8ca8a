// The later stored day's minute, the tray's side. The engine (or the
// service) counts the minute down in the countdown window; this asks a
// parent for the password meanwhile: the right one takes today as the day,
// a wrong one powers the PC off at once, none lets the minute run out. One
// prompt per minute, closed as soon as the minute is over.
#pragma once
#include "accounting/Accountant.h"
#include "app/ServiceFace.h"
#include "commands/LaterDayDlg.h"
#include "platform/framework/Wnd.h"

#include <memory>

namespace hg {

class CLaterDayPrompt {
public:
  // `owner` gets the command ID_LATER_DAY that opens the prompt.
  CLaterDayPrompt(Platform& platform, CWnd& owner, CAccountant& engine,
                  const std::unique_ptr<CServiceFace>& face)
      : m_platform(platform), m_owner(owner), m_engine(engine), m_face(face) {}

  // After every tick: the prompt asked for once the minute runs (posted,
  // so that the tick does not wait for the parent), closed once it is over.
  void Check();
  // ID_LATER_DAY: the prompt, and its answer.
  void Ask();

private:
  bool Pending() const;

  Platform& m_platform;
  CWnd& m_owner;
  CAccountant& m_engine;
  const std::unique_ptr<CServiceFace>& m_face;
  CLaterDayDlg* m_pDialog = nullptr; // while the prompt is open
  bool m_bAsked = false;             // in this minute
};

} // namespace hg
