// The previous session and the recount from the System log, on a started
// program.
#include "ProgramHarness.h"
#include "SystemLogBuilder.h"
#include "accounting/EventLogReader.h"

#include <gtest/gtest.h>

namespace hg::test {
namespace {

class UsageHistoryTest : public ::testing::Test {
protected:
  Program p;
  std::int64_t T(int hour, int minute, int second = 0, int day = 5, int month = 1) {
    return p.Local(2024, month, day, hour, minute, second);
  }
  void Today() { p.Set("LastDate", "752964"); }
};

TEST_F(UsageHistoryTest, OnlyTheCurrentRunInTheLog) {
  p.At(2024, 1, 5, 9, 15);
  Today();
  p.Set("LastTime", "3600");
  p.platform.SetEventLog({Start(T(8, 0))});
  p.Start();
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 4500);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 0);
  EXPECT_EQ(p.Get("LastTime"), "0");
  EXPECT_EQ(std::string(p.wnd->m_tray.TipSuffix()), "\n 5日(75min) 4日(0min) 3日(0min)");
}

TEST_F(UsageHistoryTest, SuffixShowsTodayAndTheTwoDaysBefore) {
  p.At(2024, 1, 5, 12, 0);
  Today();
  p.platform.SetEventLog({Start(T(10, 45)), Stop(T(10, 0)), Start(T(9, 0)), Stop(T(18, 15, 0, 4)),
                          Start(T(17, 45, 0, 4))});
  p.Start();
  p.wnd->m_accountant.RecountUsage();
  // 75 minutes today (60 + 75... : 09:00-10:00 and 10:45-12:00), 30 yesterday.
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 3600 + 4500);
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(1), 1800);
  EXPECT_EQ(std::string(p.wnd->m_tray.TipSuffix()), "\n 5日(135min) 4日(30min) 3日(0min)");
  // The day mark is the two CP932 bytes of 日.
  EXPECT_NE(std::string(p.wnd->m_tray.TipSuffix()).find("\x93\xfa"), std::string::npos);
}

TEST_F(UsageHistoryTest, CreditIsAddedToTheAllowance) {
  p.At(2024, 1, 5, 12, 0);
  Today();
  p.Set("LastTimeAdjust", "1800");
  p.platform.SetEventLog({Start(p.platform.Now() - 4000)});
  p.Start();
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 1400);
}

TEST_F(UsageHistoryTest, UnopenableLogGivesCreditPlusTheFullLimit) {
  p.At(2024, 1, 5, 12, 0);
  Today();
  p.Set("LastTimeAdjust", "100");
  p.Set("LimitTime", "30");
  p.platform.SetEventLog({Start(T(8, 0))});
  p.platform.MakeEventLogUnopenable();
  p.Start();
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 1900);
  for (int i = 0; i < kUsageDays; ++i)
    EXPECT_EQ(p.wnd->m_accountant.DayUsage(i), 0);
}

TEST_F(UsageHistoryTest, ReadFailingMidLogKeepsWhatWasCharged) {
  p.At(2024, 1, 5, 12, 0);
  Today();
  p.platform.SetEventLog({Start(T(11, 0)), Stop(T(10, 0)), Start(T(9, 0))});
  p.platform.FailEventReadAt(1);
  p.Start();
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 3600);
  EXPECT_EQ(p.platform.OpenEventLogs(), 0) << "the log is closed however the scan ends";
  EXPECT_EQ(p.platform.LiveAllocations(), 0);
}

TEST_F(UsageHistoryTest, FailedAllocationEndsTheScanWithoutLeaking) {
  p.At(2024, 1, 5, 12, 0);
  Today();
  p.platform.SetEventLog({Start(T(11, 0))});
  // An end record too large for the usual buffer: the scan needs a second.
  p.platform.AddRawEventRecord(sim::SimPlatform::EncodeEventRecord(Stop(T(10, 0)), 2, 70000));
  p.platform.AddRawEventRecord(sim::SimPlatform::EncodeEventRecord(Start(T(9, 0)), 1));
  p.Start();
  EXPECT_EQ(p.Get("DayTotal"), "\n01/05 09:00:00 - 01/05 10:00:00 (60min)");
  p.platform.FailAllocationAfter(1);
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 3600)
      << "11:00 to now; the scan ended at the large record";
  EXPECT_EQ(p.platform.LiveAllocations(), 0);
  EXPECT_EQ(p.platform.OpenEventLogs(), 0);

  p.platform.FailAllocationAfter(0); // not even the usual buffer
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 0);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 3600);
  EXPECT_EQ(p.platform.LiveAllocations(), 0);
  EXPECT_EQ(p.platform.OpenEventLogs(), 0);

  p.wnd->m_accountant.RecountUsage(); // memory again: both sessions
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 7200);
  EXPECT_EQ(p.platform.LiveAllocations(), 0);
}

TEST_F(UsageHistoryTest, SessionsAcrossMidnightWithAndWithoutAdjustment) {
  p.At(2024, 1, 6, 3, 0);
  p.Set("LastDate", "752965");
  p.platform.SetEventLog({Stop(T(1, 0, 0, 6)), Start(T(23, 0, 0, 5))});
  p.Start();
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 0);
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(1), 7200);

  Program q;
  q.At(2024, 1, 6, 3, 0);
  q.Set("LastDate", "752965");
  q.Set("AdjustTime", "60");
  q.platform.SetEventLog({Stop(q.Local(2024, 1, 6, 2, 0)), Start(q.Local(2024, 1, 6, 0, 30))});
  q.Start();
  q.wnd->m_accountant.RecountUsage();
  // 00:30 is 23:30 of the 5th in accounting time; "today" (the 6th) has nothing.
  EXPECT_EQ(q.wnd->m_accountant.DayUsage(0), 0);
  EXPECT_EQ(q.wnd->m_accountant.DayUsage(1), 5400);
}

TEST_F(UsageHistoryTest, RecountReadsOnlyTheLastTwoDays) {
  p.At(2024, 1, 10, 20, 0);
  p.Set("LastDate", "752969");
  std::int64_t now = p.platform.Now();
  std::vector<EventRecord> log;
  for (int hours : {10, 30, 47, 49, 60, 100, 200})
    log.push_back(Stop(now - hours * 3600 + 600)), log.push_back(Start(now - hours * 3600));
  p.platform.SetEventLog(log);
  p.Start();
  std::size_t before = p.platform.EventLogReads();
  p.wnd->m_accountant.RecountUsage();
  // The whole short log comes in one read; the scan takes what it needs.
  EXPECT_EQ(p.platform.EventLogReads() - before, 1u);
  int total = 0;
  for (int i = 0; i < kUsageDays; ++i)
    total += p.wnd->m_accountant.DayUsage(i);
  EXPECT_EQ(total, 4 * 600);
}

TEST_F(UsageHistoryTest, RecountStopsAfterAboutTwoDaysOfADailyLog) {
  p.At(2024, 1, 10, 20, 0);
  p.Set("LastDate", "752969");
  p.Set("LimitTime", "1440");
  std::int64_t now = p.platform.Now();
  std::vector<EventRecord> log = SystemLog(p.platform, now, 40000);
  ASSERT_EQ(log.size(), 40000u);
  p.platform.SetEventLog(log);
  p.Start();
  std::size_t readsBefore = p.platform.EventLogReads();
  std::size_t recordsBefore = p.platform.EventRecordsRead();
  p.wnd->m_accountant.RecountUsage();

  // Every day: 07:30:10 to 12:00 and 13:00 to 22:00; today's run is open.
  // The clock set at 10:00 and after every wake starts nothing.
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 16190 + 7 * 3600);
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(1), 16190 + 9 * 3600);
  // The session that started 55 hours ago is the last one counted.
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(2), 9 * 3600);
  for (int i = 3; i < kUsageDays; ++i)
    EXPECT_EQ(p.wnd->m_accountant.DayUsage(i), 0) << i;

  // The scan read as far as that session's start and at most one buffer on.
  SystemLogDay stopDay = SystemLogDayOf(p.platform, now, 2);
  std::size_t stop = 0;
  while (!(log[stop].timeGenerated == stopDay.wake && log[stop].eventId == 1))
    ++stop;
  std::size_t records = p.platform.EventRecordsRead() - recordsBefore;
  EXPECT_GT(records, stop);
  EXPECT_LE(records, stop + 1 + kEventReadBufferSize / kEventRecordFixedSize);
  EXPECT_LT(records, log.size() / 3);
  std::size_t reads = p.platform.EventLogReads() - readsBefore;
  EXPECT_LE(reads, records * 128 / (kEventReadBufferSize - 512) + 2) << records;
  EXPECT_EQ(p.platform.LiveAllocations(), 0);
  EXPECT_EQ(p.platform.OpenEventLogs(), 0);
}

TEST_F(UsageHistoryTest, ClockSetDuringTheRunStartsNoSession) {
  p.At(2024, 1, 5, 12, 0);
  Today();
  p.Set("LimitTime", "300");
  // Read as a start, the time synchronisation at 10:00 would leave 08:00 to
  // 10:00 uncharged.
  p.platform.SetEventLog({TimeChanged(T(10, 0)), Start(T(8, 0))});
  p.Start();
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 4 * 3600);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 3600);
  EXPECT_EQ(std::string(p.wnd->m_tray.TipSuffix()), "\n 5日(240min) 4日(0min) 3日(0min)");
}

TEST_F(UsageHistoryTest, PreviousSessionRunsOverAClockSet) {
  p.At(2024, 1, 5, 13, 30);
  Today();
  p.platform.SetEventLog({Start(T(13, 0)), TimeChanged(T(13, 0, 5)), Stop(T(12, 0)),
                          TimeChanged(T(10, 0)), Start(T(8, 0)), TimeChanged(T(7, 59, 55))});
  p.Start();
  EXPECT_EQ(p.Get("DayTotal"), "\n01/05 08:00:00 - 01/05 12:00:00 (240min)");
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 1800 + 4 * 3600);
}

TEST_F(UsageHistoryTest, ModernStandbyNightIsNotCharged) {
  p.At(2024, 1, 6, 8, 0);
  p.Set("LastDate", "752965");
  p.Set("LimitTime", "120");
  // The lid closed at 22:00 and opened at 07:00: Kernel-Power's 506 and 507.
  p.platform.SetEventLog(
      {StandbyExit(T(7, 0, 0, 6)), StandbyEnter(T(22, 0, 0, 5)), Start(T(18, 0, 0, 5))});
  p.Start();
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 3600) << "07:00 to now";
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(1), 4 * 3600) << "18:00 to 22:00, not to 07:00";
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 3600);
  EXPECT_EQ(std::string(p.wnd->m_tray.TipSuffix()), "\n 6日(60min) 5日(240min) 4日(0min)");
  EXPECT_EQ(p.Get("DayTotal"), "\n01/05 18:00:00 - 01/05 22:00:00 (240min)");
}

TEST_F(UsageHistoryTest, StandbyIdentifiersOfOtherSourcesAreIgnored) {
  p.At(2024, 1, 5, 12, 0);
  Today();
  p.Set("LimitTime", "300");
  p.platform.SetEventLog({EventRecord{507, T(11, 0), "SomeVendorService"},
                          EventRecord{506, T(10, 0), "SomeVendorService"}, Start(T(8, 0))});
  p.Start();
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 4 * 3600);
}

TEST_F(UsageHistoryTest, PreviousSessionFromTheLog) {
  p.At(2024, 1, 5, 10, 30);
  Today();
  // Sleep 09:00, resume 10:00 (current run); before that 08:00-09:00.
  p.platform.SetEventLog({Resume(T(10, 0)), Sleep(T(9, 0)), Start(T(8, 0))});
  p.Start();
  EXPECT_EQ(p.Get("EndTime"), "01/05 09:00:00");
  EXPECT_EQ(p.Get("DayTotal"), "\n01/05 08:00:00 - 01/05 09:00:00 (60min)");
  EXPECT_EQ(p.Get("StartTime"), "01/05 10:30:00");
}

TEST_F(UsageHistoryTest, PreviousSessionEndsAtTheOldestOfSeveralEndRecords) {
  p.At(2024, 1, 5, 10, 30);
  Today();
  p.platform.SetEventLog({Stop(T(9, 30)), Sleep(T(9, 0)), Start(T(8, 0))});
  p.Start();
  EXPECT_EQ(p.Get("DayTotal"), "\n01/05 08:00:00 - 01/05 09:00:00 (60min)");
}

TEST_F(UsageHistoryTest, DayTotalLineFromStoredTimesWhenTheLogHasNone) {
  p.At(2024, 1, 5, 10, 0);
  Today();
  p.Set("StartTime", "01/05 08:00:00");
  p.Set("EndTime", "01/05 09:15:30");
  p.Start();
  EXPECT_EQ(p.Get("DayTotal"), "\n01/05 08:00:00 - 01/05 09:15:30 (75min)");
  EXPECT_EQ(p.Get("StartTime"), "01/05 10:00:00");
}

TEST_F(UsageHistoryTest, FirstRunWithEmptyLogAddsNoLine) {
  p.At(2024, 1, 5, 10, 0);
  p.Start();
  EXPECT_EQ(p.Get("DayTotal"), "");
  EXPECT_EQ(p.Get("StartTime"), "01/05 10:00:00");
  EXPECT_FALSE(p.Get("EndTime"));
}

TEST_F(UsageHistoryTest, StartTimeIsInAccountingTime) {
  p.At(2024, 1, 5, 10, 0);
  Today();
  p.Set("AdjustTime", "180");
  p.Start();
  EXPECT_EQ(p.Get("StartTime"), "01/05 07:00:00");
}

TEST_F(UsageHistoryTest, SessionOverTheTurnOfTheYearGetsItsTrueLength) {
  p.At(2024, 1, 1, 9, 0);
  p.Set("LastDate", "752962");
  p.Set("StartTime", "12/31 23:00:00");
  p.Set("EndTime", "01/01 01:00:00");
  p.Start();
  EXPECT_EQ(p.Get("DayTotal"), "\n12/31 23:00:00 - 01/01 01:00:00 (120min)");
}

TEST_F(UsageHistoryTest, SessionOfLastYearRecordedInTheNewYear) {
  p.At(2024, 1, 1, 9, 0);
  p.Set("StartTime", "12/30 20:00:00");
  p.Set("EndTime", "12/30 21:30:00");
  p.Start();
  EXPECT_EQ(p.Get("DayTotal"), "\n12/30 20:00:00 - 12/30 21:30:00 (90min)");
}

TEST_F(UsageHistoryTest, TimeTextsNotInTheirFormAddNoLine) {
  for (const char* bad : {"yesterday", "13/05 08:00:00", "01/05 25:00:00", "01/05"}) {
    Program q;
    q.At(2024, 1, 5, 10, 0);
    q.Set("LastDate", "752964");
    q.Set("DayTotal", "\nold");
    q.Set("StartTime", bad);
    q.Set("EndTime", "01/05 09:00:00");
    q.Start();
    EXPECT_EQ(q.Get("DayTotal"), "\nold") << bad;
  }
}

TEST_F(UsageHistoryTest, DayTotalDropsItsOldestLinesToStayReadable) {
  p.At(2024, 1, 5, 10, 0);
  Today();
  std::string list;
  for (int i = 0; i < 6; ++i)
    list +=
        "\n01/05 0" + std::to_string(i) + ":00:00 - 01/05 0" + std::to_string(i) + ":30:00 (30min)";
  ASSERT_EQ(list.size(), 6u * 40);
  p.Set("DayTotal", list);
  p.Set("StartTime", "01/05 08:00:00");
  p.Set("EndTime", "01/05 09:00:00");
  p.Start();
  std::string stored = *p.Get("DayTotal");
  EXPECT_LE(stored.size(), 256u);
  EXPECT_EQ(stored.substr(0, 15), "\n01/05 01:00:00") << "the oldest line went";
  EXPECT_EQ(stored.substr(stored.size() - 40), "\n01/05 08:00:00 - 01/05 09:00:00 (60min)");
  // And it reads back whole at the next start of the same day, then rolls over.
  Program next;
  next.At(2024, 1, 6, 10, 0);
  next.Set("LastDate", "752964");
  next.Set("DayTotal", stored);
  next.Start();
  EXPECT_EQ(next.Get("DayTotal2"), stored);
}

// With Fast Startup the log service writes neither its stop nor its start:
// the kernel's start record begins the day's first session (ten seconds
// before the log service would have), and the hybrid shutdown's entry into
// sleep ends the last.
TEST_F(UsageHistoryTest, FastStartupDaysAreChargedAsFullStartsAre) {
  p.At(2024, 1, 10, 20, 0);
  p.Set("LastDate", "752969");
  p.Set("LimitTime", "1440");
  std::int64_t now = p.platform.Now();
  p.platform.SetEventLog(SystemLog(p.platform, now, 40000, 4000, true));
  p.Start();
  p.wnd->m_accountant.RecountUsage();
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(0), 10 + 16190 + 7 * 3600);
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(1), 10 + 16190 + 9 * 3600);
  EXPECT_EQ(p.wnd->m_accountant.DayUsage(2), 9 * 3600);
}

} // namespace
} // namespace hg::test
