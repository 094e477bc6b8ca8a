#include "app/ServiceFace.h"

#include "commands/ServiceCommands.h"
#include "res/resource.h"

#include <algorithm>

namespace hg {

void CServiceFace::Poll() {
  ServiceRequest request;
  ServiceReply reply;
  m_bAnswered = m_client.Ask(request, &reply);
  if (!m_bAnswered) {
    m_tray.ShowText(IDS_SERVICE_NOT_RUNNING);
    m_tray.ShowNotice(Notice{});
    return;
  }
  // The days are formatted again only when they changed (at a recount).
  if (!std::equal(reply.date, reply.date + kUsageDays, m_nShownDate) ||
      !std::equal(reply.usage, reply.usage + kUsageDays, m_nShownUsage)) {
    DayTable days;
    for (int i = 0; i < kUsageDays; ++i) {
      days.date[i] = m_nShownDate[i] = reply.date[i];
      days.dayOfMonth[i] = reply.date[i] % 100;
      m_nShownUsage[i] = reply.usage[i];
    }
    m_tray.ShowUsage(days, m_nShownUsage);
  }
  m_tray.ShowRemaining(reply.remaining);
  Notice notice;
  notice.countdown = reply.countdown;
  // A balloon once for each new notice; not one given before this program
  // started.
  if (m_bEverAnswered && reply.noticeNumber != m_nNoticeSeen)
    notice.balloon = static_cast<Balloon>(reply.balloon);
  m_nNoticeSeen = reply.noticeNumber;
  m_tray.ShowNotice(notice);
  m_status = reply;
  m_bEverAnswered = true;
}

bool CServiceFace::ReadHistory(UsageHistory* history) {
  return HistoryFromService(m_client, history);
}

bool CServiceFace::AcceptToday(const std::string& password) {
  return AcceptTodayWithService(m_client, password);
}

bool CServiceFace::Available() {
  if (!m_bAnswered)
    Tell(IDS_SERVICE_REFUSED);
  return m_bAnswered;
}

void CServiceFace::Tell(UINT refusal) {
  if (refusal != 0)
    m_owner.MessageBox(refusal, IDS_UNINSTALL_CAPTION, MB_ICONEXCLAMATION | MB_OK);
}

bool CServiceFace::Confirm(std::string* password) {
  return Available() && ConfirmPasswordWithService(m_platform, m_client, PasswordSet(), password);
}

void CServiceFace::ChangePassword() {
  if (Available())
    ChangePasswordWithService(m_platform, m_client, PasswordSet());
}

void CServiceFace::Settings() {
  std::string password;
  if (!Confirm(&password))
    return;
  Tell(ChangeSettingsWithService(m_platform, m_client, m_status, password));
}

void CServiceFace::ExtraTime() {
  std::string password;
  if (!Confirm(&password))
    return;
  Tell(GiveExtraTimeWithService(m_platform, m_client, password));
}

bool CServiceFace::Exit() {
  std::string password;
  if (!Confirm(&password))
    return false;
  ServiceReply reply;
  const UINT refusal =
      RefusalOf(SendWithPassword(m_client, RequestKind::Exit, password, &reply), reply);
  Tell(refusal);
  return refusal == 0;
}

bool CServiceFace::Uninstall() {
  std::string password;
  if (!Confirm(&password))
    return false;
  ServiceReply reply;
  const bool answered = SendWithPassword(m_client, RequestKind::Uninstall, password, &reply);
  if (answered && reply.result == ReplyResult::Ok)
    return true;
  const UINT refusal = answered && reply.result == ReplyResult::Failed ? IDS_UNINSTALL_FAILED
                                                                       : RefusalOf(answered, reply);
  Tell(refusal);
  return false;
}

} // namespace hg
