// The tray program as the service's face: when the service is installed it
// counts nothing and writes nothing, but asks the service for its figures
// once a second and shows them, and sends the menu's commands there with
// the password the parent typed.
#pragma once
#include "app/HistoryWnd.h"
#include "app/TrayIcon.h"
#include "commands/ServiceClient.h"
#include "platform/framework/Wnd.h"

#include <cstdint>

namespace hg {

class CServiceFace : public HistorySource {
public:
  CServiceFace(Platform& platform, CWnd& owner, CTrayIcon& tray)
      : m_platform(platform), m_owner(owner), m_tray(tray) {}

  // Asks for the figures and shows them, or that the service does not run.
  void Poll();
  std::int32_t Remaining() const { return m_status.remaining; }
  bool PasswordSet() const { return (m_status.flags & kReplyPasswordSet) != 0; }
  // The later stored day's minute runs in the service.
  bool LaterDay() const { return m_bAnswered && (m_status.flags & kReplyLaterDay) != 0; }
  bool ReadHistory(UsageHistory* history) override;
  bool AcceptToday(const std::string& password);

  // The menu's commands; Exit and Uninstall are true once the service has
  // done them, and the program then ends.
  void ChangePassword();
  void Settings();
  void ExtraTime();
  bool Exit();
  bool Uninstall();

private:
  // The service answered the last poll; else the parent hears why nothing
  // can be done.
  bool Available();
  bool Confirm(std::string* password);
  // Shows why a command was refused (string id; 0: it was not).
  void Tell(UINT refusal);

  Platform& m_platform;
  CWnd& m_owner;
  CTrayIcon& m_tray;
  CServiceClient m_client{m_platform};
  ServiceReply m_status;
  bool m_bAnswered = false;
  bool m_bEverAnswered = false;
  std::uint32_t m_nNoticeSeen = 0;
  std::int32_t m_nShownDate[kUsageDays] = {};
  std::int32_t m_nShownUsage[kUsageDays] = {};
};

} // namespace hg
