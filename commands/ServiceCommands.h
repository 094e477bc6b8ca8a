// The protected commands of a tray program that is the service's face: the
// same dialogs as ever, the password judged and the command carried out by
// the service, which alone may read and write the program key.
#pragma once
#include "commands/PasswordAuthority.h"
#include "commands/ServiceClient.h"
#include "platform/Platform.h"

#include <string>

namespace hg {

// The service as the dialogs' judge; the password it accepted is kept for
// the command that follows.
class CServicePasswords : public PasswordAuthority {
public:
  explicit CServicePasswords(CServiceClient& client) : m_client(client) {}
  UINT CheckPassword(const std::string& typed) override;
  UINT ChangePassword(const std::string& old, const std::string& typedNew) override;
  const std::string& Accepted() const { return m_strAccepted; }

private:
  CServiceClient& m_client;
  std::string m_strAccepted;
};

// The string id of the refusal a reply means (0: done). `answered` false:
// the service did not answer.
UINT RefusalOf(bool answered, const ServiceReply& reply);

// The password step: true with the accepted password (empty when none is
// set), false when the parent cancelled.
bool ConfirmPasswordWithService(Platform& platform, CServiceClient& client, bool passwordSet,
                                std::string* password);
// Command 32771 through the service.
void ChangePasswordWithService(Platform& platform, CServiceClient& client, bool passwordSet);
// Command 32772: the settings dialog with the service's figures; 0, or the
// refusal to show.
UINT ChangeSettingsWithService(Platform& platform, CServiceClient& client,
                               const ServiceReply& status, const std::string& password);
// Command 32781: the extra-time dialog, the minutes sent with the password;
// 0, or the refusal to show.
UINT GiveExtraTimeWithService(Platform& platform, CServiceClient& client,
                              const std::string& password);
// Sends a command's request with the password; 0, or the refusal to show.
UINT Carry(CServiceClient& client, ServiceRequest& request, const std::string& password);
// The history window's figures from the service (a History request); false
// when it does not answer.
bool HistoryFromService(CServiceClient& client, UsageHistory* history);
// The later stored day's minute: the service judges the password (a wrong
// one powers the PC off there); true once it took today as the day.
bool AcceptTodayWithService(CServiceClient& client, const std::string& password);
// A command that needs nothing but the password (exit, uninstall).
bool SendWithPassword(CServiceClient& client, RequestKind kind, const std::string& password,
                      ServiceReply* reply);

} // namespace hg
