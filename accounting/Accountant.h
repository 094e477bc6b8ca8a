// The accounting engine: today's allowance counted down second by second,
// the use of the last days from the System event log, the day change, the
// clock turned back and the power-off that ends a spent day. It owns no
// window: the host gives it the calls that need no desktop, a power-off and
// a display, and calls Start once and Tick every second.
#pragma once
#include "accounting/AccountingDisplay.h"
#include "accounting/AccountingTime.h"
#include "accounting/DayRules.h"
#include "accounting/PowerOff.h"
#include "accounting/PowerOffNotice.h"
#include "accounting/SessionScan.h"
#include "accounting/UsageHistory.h"
#include "platform/SystemPlatform.h"

#include <cstdint>
#include <string>

namespace hg {

class CAccountant {
public:
  CAccountant(SystemPlatform& platform, PowerOff& powerOff, AccountingDisplay& display)
      : m_platform(platform), m_powerOff(powerOff), m_display(display) {}
  CAccountant(const CAccountant&) = delete;
  CAccountant& operator=(const CAccountant&) = delete;

  // Start-up: the stored state loaded and settled on today, the previous
  // session recorded.
  void Start();
  // One second of the countdown.
  void Tick();
  // Today's use from the System log, and the remaining time from it.
  void RecountUsage();
  // A parent's settings: the daily limit and the day-start adjustment, in
  // minutes, and whether today's use so far is forgiven.
  void ApplySettings(std::int32_t limitMinutes, std::int32_t adjustMinutes, bool resetToday);
  // The same with the weekday limits and the bedtime.
  void ApplySettings(std::int32_t limitMinutes, std::int32_t adjustMinutes, bool resetToday,
                     const DayRules& rules);
  // Extra time for today only (kMinExtraMinutes..kMaxExtraMinutes): the
  // credit grows, and the remaining time with it at once.
  void AddExtraTime(std::int32_t minutes);
  // A later day than today was stored (a clock set back, a mistyped date):
  // the PC is on for a minute's countdown, in which a parent's password
  // takes today as the day (AcceptToday); a wrong password (RefuseToday) or
  // the minute's end powers it off.
  bool LaterDayPending() const { return m_laterDay == LaterDay::Minute; }
  void AcceptToday();
  void RefuseToday();
  // The last days' use as the event log shows it up to now, with the
  // stored session lists. Writes nothing.
  void History(UsageHistory* history);
  // Today's use as the event log shows it up to now. Writes nothing.
  std::int32_t TodayUse();
  // Stores the day and the remaining time (at a close or a session's end).
  void Save();

  // Today's limit (the weekday's own, or the every-day one).
  std::int32_t LimitTime() const { return m_nLimitTime; }
  // The stored every-day limit, LimitTime.
  std::int32_t EveryDayLimit() const { return m_nEveryDayLimit; }
  const DayRules& Rules() const { return m_dayRules; }
  std::int32_t LastDate() const { return m_nLastDate; }
  std::int32_t LastTime() const { return m_nLastTime; }
  std::int32_t LastTimeAdjust() const { return m_nLastTimeAdjust; }
  std::int32_t AdjustTime() const { return m_nAdjustTime; }
  std::int32_t TickCount() const { return m_nTickCount; }
  std::int32_t DayUsage(int day) const { return m_nDayUsage[day]; }

  std::int64_t AccountingNow();
  std::int64_t SettleAccountingDay();
  void RecordPreviousSession(std::int64_t t);
  // Stores the day as spent and asks for the power-off.
  void ForceShutdown();

private:
  // The later stored day's minute: none, counting down, or over (refused).
  enum class LaterDay { None, Minute, Refused };
  // Where the bedtime of the day `key` falls, in accounting time.
  struct BedtimeCache {
    std::int32_t key = 0;
    std::int32_t bedtime = kNoBedtime;
    std::int32_t adjust = 0;
    std::int64_t at = -1;
  };

  void Refuse();
  void TickLaterDay(std::int64_t t, std::int32_t key, std::int64_t gap);
  // Seconds from accounting time t to the bedtime of its day (not above
  // zero inside it); kNoPowerOff without a bedtime.
  std::int64_t SecondsToBedtime(std::int64_t t, std::int32_t key);
  // The remaining time no later than the bedtime; nothing left inside it.
  std::int32_t CapToBedtime(std::int32_t remaining, std::int64_t t);
  // The tick's bedtime: the countdown meets it, and a tick that finds it
  // begun (late, after sleep) leaves a minute.
  void TickBedtime(std::int64_t t, std::int32_t key, bool late);
  // The limit of the accounting day of t, by the weekday rules.
  std::int32_t LimitOfDay(std::int64_t t);
  void LoadDayRules();
  void StoreDayRules();
  // The use of the last days from the System log, up to now.
  void ScanDays(DayTable& days, std::int32_t (&usage)[kUsageDays]);
  void ShowDueNotice(std::int64_t t, std::int32_t key, bool poweringOff);
  void WriteNumber(const char* valueName, std::int32_t value);
  void WriteText(const char* valueName, const char* text);
  std::string ReadText(const char* valueName);

  SystemPlatform& m_platform;
  PowerOff& m_powerOff;
  AccountingDisplay& m_display;

  std::int32_t m_nLimitTime = 60;     // minutes
  std::int32_t m_nLastDate = 0;       // day key
  std::int32_t m_nLastTime = 0;       // remaining seconds
  std::int32_t m_nLastTimeAdjust = 0; // credit, seconds
  std::int32_t m_nAdjustTime = 0;     // day-start adjustment, minutes
  std::int32_t m_nTickCount = 0;
  std::int32_t m_nDayUsage[kUsageDays] = {};
  std::int32_t m_nEveryDayLimit = 60; // minutes, LimitTime
  DayRules m_dayRules;
  LaterDay m_laterDay = LaterDay::None;
  bool m_bFirstDay = false;  // no day was stored at the start
  bool m_bInBedtime = false; // at the last look
  BedtimeCache m_bedtimeCache;
  // Notices before a power-off.
  NoticeState m_noticeState;
  DayEnd m_dayEnd;
  NoticeClock m_noticeClock;

  // Tests and benchmarks set the remaining time directly.
  friend struct AccountantTestAccess;
};

} // namespace hg
