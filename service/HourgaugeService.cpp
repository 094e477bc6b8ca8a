#include "service/HourgaugeService.h"

#include "commands/NoticeTexts.h"
#include "commands/Scramble.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "service/PasswordGate.h"
#include "service/PinnedZonePlatform.h"
#include "service/ServiceDisplay.h"
#include "service/ServiceUninstall.h"
#include "service/SessionPowerOff.h"
#include "store/RegistryStore.h"
#include "store/ValueNames.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>

namespace hg {
namespace {
constexpr std::int64_t kTickMs = 1000;
// A start at boot with nobody signed in waits for the first sign-in, so a
// spent day's minute of grace is one a parent can use; but no longer than
// this much awake time after the boot.
constexpr std::int64_t kBootGraceCapMs = 5 * 60 * 1000;
// No tray has asked for this long: warnings go to the sessions directly,
// and the tray is started again (at most every kTrayRestartEveryMs).
constexpr std::int64_t kTrayGoneMs = 3000;
constexpr std::int64_t kTrayRestartEveryMs = 30000;
// A stalled loop catches up at most this many seconds per wake.
constexpr int kMaxTicksPerWake = 3600;
constexpr DWORD kMaxSessions = 16;
constexpr DWORD kSessionMessageTimeoutSeconds = 60;
// A history is a recount of the event log: one made this recently answers
// the next request too, so a program asking in a loop costs a recount a
// second at most.
constexpr std::int64_t kHistoryReuseMs = 1000;

std::int32_t WireMinutes(std::int32_t minutes) {
  return std::clamp(minutes, 0, kMaxWireMinutes);
}

// The rules as the reply may carry them: a stored limit past what the wire
// holds is the largest it holds.
DayRules WireRules(const DayRules& rules) {
  DayRules wire = rules;
  for (std::int32_t& limit : wire.weekdayLimit)
    if (limit != kNoDayLimit)
      limit = WireMinutes(limit);
  if (wire.bedtime < 0 || wire.bedtime >= kMinutesPerDay)
    wire.bedtime = kNoBedtime;
  return wire;
}

} // namespace

class CServiceCore : public PowerOff {
public:
  explicit CServiceCore(Platform& platform) : m_platform(platform) {}

  void OnStart() {
    const std::int64_t now = NowMs();
    // The trays of the sessions have a moment to connect; one that does not
    // is started at once.
    m_nLastTrayMs = now;
    m_nLastTrayStartMs = now - kTrayRestartEveryMs;
    std::string zone = ReadText(reg::kTimeZone);
    m_zone.PinZone(zone.c_str());
    // Started with Windows and nobody signed in yet: wait for a sign-in.
    DWORD sessions[kMaxSessions];
    if (now < kBootGraceCapMs && m_platform.WTSEnumerateActiveSessions(sessions, kMaxSessions) == 0)
      m_bWaitingForSignIn = true;
    else
      StartAccounting();
  }

  DWORD OnWake() {
    const std::int64_t now = NowMs();
    if (m_bWaitingForSignIn && now >= kBootGraceCapMs)
      StartAccounting();
    if (m_accountant != nullptr) {
      int ticks = 0;
      while (now - m_nLastTickMs >= kTickMs && ticks < kMaxTicksPerWake) {
        m_nLastTickMs += kTickMs;
        Tick(now);
        ++ticks;
      }
      if (now - m_nLastTickMs >= kTickMs)
        m_nLastTickMs = now; // the rest of a long stall is not caught up
    }
    RestartTrayIfGone(now);
    if (m_accountant == nullptr)
      return static_cast<DWORD>(kTickMs);
    return static_cast<DWORD>(std::max<std::int64_t>(1, kTickMs - (now - m_nLastTickMs)));
  }

  DWORD OnControl(DWORD control, DWORD eventType, DWORD) {
    switch (control) {
    case kControlInterrogate:
      return NO_ERROR;
    case kControlStop:
      Save();
      m_bStop = true;
      return NO_ERROR;
    case kControlShutdown:
      Save();
      return NO_ERROR;
    case kControlPowerEvent:
      // Sleep is not charged: awake time stands still while the PC sleeps,
      // and the state is on disk before it does.
      if (eventType == kPowerSuspend)
        Save();
      return NO_ERROR;
    case kControlSessionChange:
      if (eventType == kSessionLogon && (m_bWaitingForSignIn || m_bPaused))
        StartAccounting();
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
    }
  }

  bool HandleRequest(std::uint64_t connection, const std::uint8_t* bytes, std::size_t size,
                     std::uint8_t (&out)[kReplySize]) {
    ServiceRequest request;
    if (!DecodeRequest(bytes, size, &request))
      return false;
    const std::int64_t now = NowMs();
    ServiceReply reply;
    if (request.kind == RequestKind::Status) {
      m_nLastTrayMs = now;
    } else if (request.kind == RequestKind::History) {
      // No password: a child may look at the days too.
      FillHistory(now, reply);
    } else {
      auto found = m_connections.try_emplace(connection, kNeverTried).first;
      const std::string stored = ReadText(reg::kPassword);
      switch (m_gate.Check(now, found->second, request.password, stored)) {
      case PasswordVerdict::Right:
        Carry(request, reply);
        break;
      case PasswordVerdict::Wrong:
        reply.result = ReplyResult::WrongPassword;
        // The later stored day's minute ends at a wrong password as at no
        // password at all.
        if (request.kind == RequestKind::AcceptToday && m_accountant != nullptr &&
            m_accountant->LaterDayPending())
          m_accountant->RefuseToday();
        break;
      case PasswordVerdict::TooSoon:
      case PasswordVerdict::LockedOut:
        reply.result = ReplyResult::LockedOut;
        break;
      }
      reply.lockoutSeconds = static_cast<std::int32_t>((m_gate.LockoutLeftMs(now) + 999) / 1000);
    }
    FillStatus(reply);
    EncodeReply(reply, out);
    return true;
  }

  void OnDisconnect(std::uint64_t connection) { m_connections.erase(connection); }

  void Save() {
    if (m_accountant != nullptr)
      m_accountant->Save();
  }

  bool StopRequested() const { return m_bStop; }
  const CAccountant* Accountant() const { return m_accountant.get(); }

  // The accountant's power-off: the sessions hear why first when no tray
  // is there to show the countdown.
  void Request() override {
    m_bPowerOffThisTick = true;
    if (!m_bTimeUpSent && TrayGone(NowMs()))
      SendToSessions(IDS_NOTICE_TIME_UP);
    m_bTimeUpSent = true;
    m_powerOff.Request();
  }

private:
  std::int64_t NowMs() {
    return static_cast<std::int64_t>(m_platform.QueryUnbiasedInterruptTime() / 10000);
  }
  bool TrayGone(std::int64_t now) const { return now - m_nLastTrayMs > kTrayGoneMs; }

  std::string ReadText(const char* name) {
    return ReadRegString(m_platform, kHkeyLocalMachine, reg::kProgramKey, name);
  }

  // Starts (again) as a new tray program would: the stored state settled
  // on today, the previous session recorded.
  void StartAccounting() {
    m_bWaitingForSignIn = false;
    m_bPaused = false;
    m_accountant.reset(); // the display and power-off outlive it
    m_accountant = std::make_unique<CAccountant>(m_zone, *this, m_display);
    m_bHistoryValid = false;
    m_accountant->Start();
    m_nLastTickMs = NowMs();
  }

  void Tick(std::int64_t now) {
    const std::uint32_t notices = m_display.m_nNoticeNumber;
    m_bPowerOffThisTick = false;
    m_accountant->Tick();
    if (!m_bPowerOffThisTick)
      m_bTimeUpSent = false;
    if (m_display.m_nNoticeNumber != notices && TrayGone(now))
      SendToSessions(BalloonText(m_display.m_balloon));
    // The later stored day's minute: with no tray to ask for the password,
    // the sessions hear why the PC is about to go off, once.
    if (!m_display.m_bLaterDay)
      m_bLaterDaySent = false;
    else if (!m_bLaterDaySent && TrayGone(now)) {
      SendToSessions(IDS_NOTICE_LATER_DAY);
      m_bLaterDaySent = true;
    }
  }

  void SendToSessions(UINT textId) {
    char text[512];
    if (textId == 0 || m_platform.LoadStringA(textId, text, sizeof text) <= 0)
      return;
    DWORD sessions[kMaxSessions];
    DWORD n = m_platform.WTSEnumerateActiveSessions(sessions, kMaxSessions);
    for (DWORD i = 0; i < n; ++i)
      m_platform.WTSSendMessageW(sessions[i], text::kWindowTitle, text,
                                 MB_OK | MB_ICONWARNING | MB_SETFOREGROUND,
                                 kSessionMessageTimeoutSeconds);
  }

  // The tray program is the service's face in every session: one that
  // ended (killed, or never started) is started again.
  void RestartTrayIfGone(std::int64_t now) {
    if (m_bPaused || m_bStop || !TrayGone(now) || now - m_nLastTrayStartMs < kTrayRestartEveryMs)
      return;
    m_nLastTrayStartMs = now;
    char self[300] = {};
    DWORD length = m_platform.GetModuleFileNameA(self, sizeof self);
    self[length < sizeof self ? length : sizeof self - 1] = '\0';
    char* slash = std::strrchr(self, '\\');
    if (slash == nullptr)
      return;
    slash[1] = '\0';
    char command[320];
    if (std::strlen(self) + std::strlen(kTrayExeName) + 3 > sizeof command)
      return;
    std::strcpy(command, "\"");
    std::strcat(command, self);
    std::strcat(command, kTrayExeName);
    std::strcat(command, "\"");
    DWORD sessions[kMaxSessions];
    DWORD n = m_platform.WTSEnumerateActiveSessions(sessions, kMaxSessions);
    for (DWORD i = 0; i < n; ++i) {
      Handle token = 0;
      if (!m_platform.WTSQueryUserToken(sessions[i], &token))
        continue;
      m_platform.CreateProcessAsUserW(token, command);
      m_platform.CloseHandle(token);
    }
  }

  void Carry(const ServiceRequest& request, ServiceReply& reply) {
    DWORD error = ERROR_SUCCESS;
    switch (request.kind) {
    case RequestKind::Status:
    case RequestKind::CheckPassword:
    case RequestKind::History:
      break;
    case RequestKind::Settings:
      if (m_accountant == nullptr)
        StartAccounting();
      m_accountant->ApplySettings(request.limitMinutes, request.adjustMinutes, request.resetToday,
                                  request.rules);
      break;
    case RequestKind::ExtraTime:
      if (m_accountant == nullptr)
        StartAccounting();
      m_accountant->AddExtraTime(request.extraMinutes);
      break;
    case RequestKind::AcceptToday:
      // Only within the minute: afterwards the day is settled either way.
      if (m_accountant != nullptr && m_accountant->LaterDayPending())
        m_accountant->AcceptToday();
      else
        error = ERROR_NOT_READY;
      break;
    case RequestKind::ChangePassword:
      error = ChangePassword(request.newPassword);
      break;
    case RequestKind::Exit:
      Save();
      m_accountant.reset();
      m_bPaused = true;
      break;
    case RequestKind::Uninstall:
      Save();
      error = RemoveServiceInstallation(m_platform);
      if (error == ERROR_SUCCESS) {
        m_accountant.reset();
        m_bStop = true;
      }
      break;
    }
    m_bHistoryValid = false;
    if (error != ERROR_SUCCESS) {
      reply.result = ReplyResult::Failed;
      reply.error = error;
    }
  }

  void FillHistory(std::int64_t now, ServiceReply& reply) {
    if (m_accountant == nullptr) {
      reply.result = ReplyResult::Failed;
      reply.error = ERROR_NOT_READY; // paused, or nobody signed in yet
      return;
    }
    if (!m_bHistoryValid || now - m_nHistoryMs >= kHistoryReuseMs) {
      m_history = UsageHistory{};
      m_accountant->History(&m_history);
      m_nHistoryMs = now;
      m_bHistoryValid = true;
    }
    reply.history = m_history;
    for (int i = 0; i < kUsageDays; ++i) {
      reply.history.usage[i] = std::max(reply.history.usage[i], 0);
      reply.history.weekday[i] = std::clamp(reply.history.weekday[i], 0, kWeekdays - 1);
      reply.history.limit[i] = WireMinutes(reply.history.limit[i]);
    }
  }

  // The same rules as the tray's dialog: at most eight characters, and none
  // that would not survive the scramble.
  DWORD ChangePassword(const char* password) {
    if (std::strlen(password) > 8)
      return ERROR_INVALID_PARAMETER;
    std::string scrambled = ScramblePassword(password);
    if (ScramblePassword(scrambled) != password)
      return ERROR_INVALID_PARAMETER;
    WriteRegString(m_platform, kHkeyLocalMachine, reg::kProgramKey, reg::kPassword,
                   scrambled.c_str());
    return ERROR_SUCCESS;
  }

  void FillStatus(ServiceReply& reply) {
    if (!ReadText(reg::kPassword).empty())
      reply.flags |= kReplyPasswordSet;
    if (m_bPaused)
      reply.flags |= kReplyPaused;
    if (m_accountant != nullptr) {
      reply.flags |= kReplyCounting;
      reply.remaining = m_display.m_nRemaining;
      reply.limitMinutes = WireMinutes(m_accountant->LimitTime());
      reply.adjustMinutes = WireMinutes(m_accountant->AdjustTime());
      reply.everyDayLimit = WireMinutes(m_accountant->EveryDayLimit());
      reply.credit = m_accountant->LastTimeAdjust();
      reply.rules = WireRules(m_accountant->Rules());
      if (m_accountant->LaterDayPending())
        reply.flags |= kReplyLaterDay;
    }
    reply.noticeNumber = m_display.m_nNoticeNumber;
    reply.balloon = static_cast<std::uint16_t>(m_display.m_balloon);
    reply.countdown = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        m_display.m_nCountdown, -1, std::numeric_limits<std::int32_t>::max()));
    for (int i = 0; i < kUsageDays; ++i) {
      reply.usage[i] = std::max(m_display.m_nUsage[i], 0);
      reply.date[i] = m_display.m_nDate[i];
    }
  }

  Platform& m_platform;
  CPinnedZonePlatform m_zone{m_platform};
  CSessionPowerOff m_powerOff{m_platform};
  CServiceDisplay m_display;
  std::unique_ptr<CAccountant> m_accountant;
  CPasswordGate m_gate;
  std::map<std::uint64_t, std::int64_t> m_connections; // each one's time of its last try
  std::int64_t m_nLastTickMs = 0;
  std::int64_t m_nLastTrayMs = 0;
  std::int64_t m_nLastTrayStartMs = 0;
  bool m_bWaitingForSignIn = false;
  bool m_bPaused = false;
  bool m_bStop = false;
  bool m_bPowerOffThisTick = false;
  bool m_bTimeUpSent = false;
  bool m_bLaterDaySent = false;
  // The last history made, and when (awake milliseconds).
  UsageHistory m_history;
  std::int64_t m_nHistoryMs = 0;
  bool m_bHistoryValid = false;
};

CHourgaugeService::CHourgaugeService(Platform& platform)
    : m_core(std::make_unique<CServiceCore>(platform)) {}
CHourgaugeService::~CHourgaugeService() = default;

void CHourgaugeService::OnStart() {
  m_core->OnStart();
}
DWORD CHourgaugeService::OnWake() {
  return m_core->OnWake();
}
DWORD CHourgaugeService::OnControl(DWORD control, DWORD eventType, DWORD sessionId) {
  return m_core->OnControl(control, eventType, sessionId);
}
bool CHourgaugeService::StopRequested() const {
  return m_core->StopRequested();
}
bool CHourgaugeService::HandleRequest(std::uint64_t connection, const std::uint8_t* bytes,
                                      std::size_t size, std::uint8_t (&reply)[kReplySize]) {
  return m_core->HandleRequest(connection, bytes, size, reply);
}
void CHourgaugeService::OnDisconnect(std::uint64_t connection) {
  m_core->OnDisconnect(connection);
}
void CHourgaugeService::Save() {
  m_core->Save();
}
const CAccountant* CHourgaugeService::Accountant() const {
  return m_core->Accountant();
}

} // namespace hg
