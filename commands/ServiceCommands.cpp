#include "commands/ServiceCommands.h"

#include "commands/ExtraTimeDlg.h"
#include "commands/PasswordChangeDlg.h"
#include "commands/PasswordCheckDlg.h"
#include "commands/SettingsDlg.h"
#include "res/resource.h"

#include <cstring>

namespace hg {
namespace {
void CopyField(char (&field)[kWirePasswordSize], const std::string& text) {
  std::strncpy(field, text.c_str(), sizeof field - 1);
}

// Today's figures from the service: a fresh history.
TodayFigures AskToday(Platform& platform, CServiceClient& client) {
  ServiceRequest request;
  request.kind = RequestKind::History;
  ServiceReply reply;
  if (!client.Ask(request, &reply) || reply.result != ReplyResult::Ok)
    return {};
  return {platform.GetCurrentTime(), reply.credit, reply.history.usage[0], reply.history.weekday[0],
          reply.adjustMinutes};
}
} // namespace

UINT RefusalOf(bool answered, const ServiceReply& reply) {
  if (!answered)
    return IDS_SERVICE_REFUSED;
  switch (reply.result) {
  case ReplyResult::Ok:
    return 0;
  case ReplyResult::WrongPassword:
    return IDS_PASSWORD_WRONG;
  case ReplyResult::LockedOut:
    return IDS_PASSWORD_LOCKED;
  case ReplyResult::Failed:
    break;
  }
  return IDS_SERVICE_REFUSED;
}

UINT Carry(CServiceClient& client, ServiceRequest& request, const std::string& password) {
  CopyField(request.password, password);
  ServiceReply reply;
  const bool answered = client.Ask(request, &reply);
  return RefusalOf(answered, reply);
}

bool SendWithPassword(CServiceClient& client, RequestKind kind, const std::string& password,
                      ServiceReply* reply) {
  ServiceRequest request;
  request.kind = kind;
  CopyField(request.password, password);
  return client.Ask(request, reply);
}

bool HistoryFromService(CServiceClient& client, UsageHistory* history) {
  ServiceReply reply;
  if (!SendWithPassword(client, RequestKind::History, {}, &reply) ||
      reply.result != ReplyResult::Ok)
    return false;
  *history = reply.history;
  return true;
}

bool AcceptTodayWithService(CServiceClient& client, const std::string& password) {
  ServiceReply reply;
  return SendWithPassword(client, RequestKind::AcceptToday, password, &reply) &&
         reply.result == ReplyResult::Ok;
}

UINT CServicePasswords::CheckPassword(const std::string& typed) {
  ServiceReply reply;
  const bool answered = SendWithPassword(m_client, RequestKind::CheckPassword, typed, &reply);
  const UINT refusal = RefusalOf(answered, reply);
  if (refusal == 0)
    m_strAccepted = typed;
  return refusal;
}

UINT CServicePasswords::ChangePassword(const std::string& old, const std::string& typedNew) {
  ServiceRequest request;
  request.kind = RequestKind::ChangePassword;
  CopyField(request.password, old);
  CopyField(request.newPassword, typedNew);
  ServiceReply reply;
  const bool answered = m_client.Ask(request, &reply);
  if (answered && reply.result == ReplyResult::WrongPassword)
    return IDS_OLD_PASSWORD_WRONG;
  if (answered && reply.result == ReplyResult::Failed)
    return IDS_NEW_PASSWORD_REFUSED;
  return RefusalOf(answered, reply);
}

bool ConfirmPasswordWithService(Platform& platform, CServiceClient& client, bool passwordSet,
                                std::string* password) {
  password->clear();
  if (!passwordSet)
    return true;
  CServicePasswords judge(client);
  CPasswordCheckDlg dlg(platform);
  dlg.m_pAuthority = &judge;
  if (dlg.DoModal() != IDOK)
    return false;
  *password = judge.Accepted();
  return true;
}

void ChangePasswordWithService(Platform& platform, CServiceClient& client, bool passwordSet) {
  CServicePasswords judge(client);
  CPasswordChangeDlg dlg(platform);
  dlg.m_pAuthority = &judge;
  dlg.m_bPasswordSet = passwordSet;
  dlg.DoModal();
}

UINT ChangeSettingsWithService(Platform& platform, CServiceClient& client,
                               const ServiceReply& status, const std::string& password) {
  CSettingsDlg dlg(platform);
  dlg.m_nDailyLimit = static_cast<UINT>(status.everyDayLimit);
  dlg.m_nDayStartAdjust = static_cast<UINT>(status.adjustMinutes);
  dlg.m_rules = status.rules;
  dlg.m_today = AskToday(platform, client);
  if (dlg.DoModal() != IDOK)
    return 0;
  ServiceRequest request;
  request.kind = RequestKind::Settings;
  request.limitMinutes = static_cast<std::int32_t>(dlg.m_nDailyLimit);
  request.adjustMinutes = static_cast<std::int32_t>(dlg.m_nDayStartAdjust);
  request.resetToday = dlg.m_bResetToday;
  request.rules = dlg.m_rules;
  return Carry(client, request, password);
}

UINT GiveExtraTimeWithService(Platform& platform, CServiceClient& client,
                              const std::string& password) {
  CExtraTimeDlg dlg(platform);
  if (dlg.DoModal() != IDOK)
    return 0;
  ServiceRequest request;
  request.kind = RequestKind::ExtraTime;
  request.extraMinutes = static_cast<std::int32_t>(dlg.m_nMinutes);
  return Carry(client, request, password);
}

} // namespace hg
