// A parent's week through the service's pipe: extra time and the way back
// from a later stored day behind the password, the history open to anyone,
// weekday limits and the bedtime in the settings and in every status, all
// in the zone the parent chose.
#include "ProgramHarness.h"
#include "ServiceHarness.h"
#include "commands/Scramble.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace hg::test {
namespace {

constexpr char kToday[] = "752964"; // 2024-01-05, a Friday
constexpr char kLaterDay[] = "752970";
constexpr int kFriday = 5;

class ServiceWeekCommandsTest : public ::testing::Test {
protected:
  ServiceRun s;
  void SetUp() override {
    s.At(2024, 1, 5, 9, 0);
    s.Set("LimitTime", "60");
    s.Set("PASSWORD", ScramblePassword("pw"));
  }
  void StartSignedIn() {
    s.platform.SetActiveSessions({1});
    s.service.OnStart();
  }
  std::optional<ServiceReply> ExtraTime(std::int32_t minutes, const char* password,
                                        std::uint64_t connection = 1) {
    ServiceRequest request;
    request.kind = RequestKind::ExtraTime;
    request.extraMinutes = minutes;
    std::strcpy(request.password, password);
    return s.Ask(request, connection);
  }
  std::optional<ServiceReply> Settings(std::int32_t limit, const DayRules& rules,
                                       const char* password = "pw") {
    ServiceRequest request;
    request.kind = RequestKind::Settings;
    request.limitMinutes = limit;
    request.rules = rules;
    std::strcpy(request.password, password);
    return s.Ask(request);
  }
  int MessagesWith(UINT id) {
    char text[512];
    s.platform.LoadStringA(id, text, sizeof text);
    int n = 0;
    for (const sim::SessionMessage& m : s.platform.SessionMessages())
      n += m.text == text ? 1 : 0;
    return n;
  }
  std::int64_t T(int hour, int minute, int day = 5) {
    return s.platform.LocalTime(2024, 1, day, hour, minute);
  }
};

TEST_F(ServiceWeekCommandsTest, ExtraTimeNeedsThePasswordAndRaisesTheRemainingTimeAtOnce) {
  s.Set("LastDate", kToday);
  s.Set("LastTime", "1000");
  StartSignedIn();
  s.Run(3);
  const auto creditBefore = s.Get("LastTimeAdjust");
  auto reply = ExtraTime(15, "guess");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->result, ReplyResult::WrongPassword);
  EXPECT_EQ(reply->remaining, 997);
  EXPECT_EQ(reply->credit, 0);
  EXPECT_EQ(s.Get("LastTimeAdjust"), creditBefore);

  s.Run(2);
  reply = ExtraTime(15, "pw");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->result, ReplyResult::Ok);
  EXPECT_EQ(reply->remaining, 995 + 15 * 60) << "at once, not at the next tick";
  EXPECT_EQ(reply->credit, 15 * 60);
  EXPECT_EQ(s.Get("LastTimeAdjust"), "900");
  s.Run(5);
  EXPECT_EQ(s.Get("LastTime"), "1890");
  // A second gift adds to the first.
  reply = ExtraTime(1, "pw", 2);
  EXPECT_EQ(reply->credit, 16 * 60);
  EXPECT_EQ(reply->remaining, 1890 + 60);
}

TEST_F(ServiceWeekCommandsTest, ExtraTimeOnASpentDayKeepsThePcOn) {
  s.Set("LastDate", kToday);
  s.Set("LimitTime", "0");
  s.Set("LastTime", "0");
  StartSignedIn();
  s.RunWithTray(30);
  ASSERT_EQ(ExtraTime(10, "pw")->result, ReplyResult::Ok);
  s.RunWithTray(300);
  EXPECT_TRUE(s.platform.ShutdownRequests().empty());
  EXPECT_GT(s.Ask(RequestKind::Status, "")->remaining, 0);
}

TEST_F(ServiceWeekCommandsTest, HistoryIsOpenToAnyoneAndLiveForToday) {
  s.At(2024, 1, 5, 12, 0);
  s.Set("LastDate", kToday);
  s.Set("LimitTime", "200");
  s.Set("LimitTimeFri", "240");
  s.Set("DayTotal2", "01/04 17:45:00-01/04 18:15:00 ");
  // Today 09:00-10:00 and 10:45 on, yesterday 17:45-18:15.
  s.platform.SetEventLog(
      {Start(T(10, 45)), Stop(T(10, 0)), Start(T(9, 0)), Stop(T(18, 15, 4)), Start(T(17, 45, 4))});
  StartSignedIn();
  s.Run(2);

  auto status = s.Ask(RequestKind::Status, "");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->history.date[0], 0) << "a status carries no history";
  EXPECT_STREQ(status->history.yesterday, "");

  auto reply = s.Ask(RequestKind::History, "not the password");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->result, ReplyResult::Ok);
  const UsageHistory& h = reply->history;
  EXPECT_EQ(h.usage[0], 3600 + 4500 + 2);
  EXPECT_EQ(h.usage[1], 1800);
  EXPECT_EQ(h.date[0], 20240105);
  EXPECT_EQ(h.date[1], 20240104);
  EXPECT_EQ(h.weekday[0], kFriday);
  EXPECT_EQ(h.weekday[1], kFriday - 1);
  EXPECT_EQ(h.limit[0], 240) << "Friday's own limit";
  EXPECT_EQ(h.limit[1], 200) << "Thursday has the every-day limit";
  EXPECT_EQ(h.remaining, s.service.Accountant()->LastTime());
  EXPECT_EQ(std::string(h.today), s.Get("DayTotal"));
  EXPECT_STREQ(h.yesterday, "01/04 17:45:00-01/04 18:15:00 ");
  EXPECT_EQ(s.platform.SessionMessages().size(), 0u);

  s.Run(3);
  reply = s.Ask(RequestKind::History, "", 2);
  EXPECT_EQ(reply->history.usage[0], 3600 + 4500 + 5) << "today up to now";
}

TEST_F(ServiceWeekCommandsTest, HistoryAskedInALoopIsOneRecountASecond) {
  s.Set("LastDate", kToday);
  s.platform.SetEventLog({Start(T(8, 0))});
  StartSignedIn();
  s.Run(1);
  auto first = s.Ask(RequestKind::History, "");
  const std::size_t reads = s.platform.EventLogReads();
  for (int i = 0; i < 50; ++i)
    EXPECT_EQ(s.Ask(RequestKind::History, "")->history.usage[0], first->history.usage[0]);
  EXPECT_EQ(s.platform.EventLogReads(), reads);
  s.Run(1);
  EXPECT_EQ(s.Ask(RequestKind::History, "")->history.usage[0], first->history.usage[0] + 1);
}

TEST_F(ServiceWeekCommandsTest, HistoryWhilePausedIsRefused) {
  s.Set("LastDate", kToday);
  StartSignedIn();
  ASSERT_EQ(s.Ask(RequestKind::Exit, "pw")->result, ReplyResult::Ok);
  auto reply = s.Ask(RequestKind::History, "");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->result, ReplyResult::Failed);
  EXPECT_EQ(reply->history.date[0], 0);
}

TEST_F(ServiceWeekCommandsTest, SettingsStoreTheWeekdayLimitsAndTheBedtime) {
  s.Set("LastDate", kToday);
  s.Set("LastTime", "1000");
  StartSignedIn();
  DayRules rules;
  rules.weekdayLimit[0] = 180; // Sunday
  rules.weekdayLimit[3] = 0;   // Wednesday
  rules.weekdayLimit[kFriday] = 45;
  rules.bedtime = 21 * 60 + 30;
  auto reply = Settings(90, rules, "guess");
  EXPECT_EQ(reply->result, ReplyResult::WrongPassword);
  EXPECT_FALSE(s.Get("LimitTimeSun"));
  EXPECT_FALSE(s.Get("Bedtime"));

  s.Run(2);
  reply = Settings(90, rules);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->result, ReplyResult::Ok);
  EXPECT_EQ(s.Get("LimitTime"), "90");
  EXPECT_EQ(s.Get("LimitTimeSun"), "180");
  EXPECT_EQ(s.Get("LimitTimeMon"), "");
  EXPECT_EQ(s.Get("LimitTimeWed"), "0");
  EXPECT_EQ(s.Get("LimitTimeFri"), "45");
  EXPECT_EQ(s.Get("LimitTimeSat"), "");
  EXPECT_EQ(s.Get("Bedtime"), "21:30");
  EXPECT_EQ(reply->limitMinutes, 45) << "today's limit: Friday's";
  EXPECT_EQ(reply->everyDayLimit, 90);
  EXPECT_EQ(reply->rules, rules);

  // Every day the same again: the weekday values and the bedtime go empty.
  s.Run(2);
  reply = Settings(90, DayRules{});
  EXPECT_EQ(s.Get("LimitTimeFri"), "");
  EXPECT_EQ(s.Get("Bedtime"), "");
  EXPECT_EQ(reply->limitMinutes, 90);
  EXPECT_EQ(reply->rules, DayRules{});
}

// A weekday value typed into the registry by hand past what the pipe
// carries still leaves the tray a reply it takes.
TEST_F(ServiceWeekCommandsTest, StatusCarriesTheStoredRulesWithinTheWiresRanges) {
  s.Set("LastDate", kToday);
  s.Set("LimitTimeFri", "99999999");
  s.Set("LimitTimeSat", "30");
  s.Set("Bedtime", "22:15");
  s.Set("LastTimeAdjust", "600");
  StartSignedIn();
  auto reply = s.Ask(RequestKind::Status, "");
  ASSERT_TRUE(reply) << "the reply decodes";
  EXPECT_EQ(reply->limitMinutes, kMaxWireMinutes);
  EXPECT_EQ(reply->rules.weekdayLimit[kFriday], kMaxWireMinutes);
  EXPECT_EQ(reply->rules.weekdayLimit[6], 30);
  EXPECT_EQ(reply->rules.weekdayLimit[0], kNoDayLimit);
  EXPECT_EQ(reply->rules.bedtime, 22 * 60 + 15);
  EXPECT_EQ(reply->everyDayLimit, 60);
  EXPECT_EQ(reply->credit, 600);
}

TEST_F(ServiceWeekCommandsTest, FirstStartGivesTodaysAllowanceFromThatMoment) {
  s.platform.SetEventLog({Start(T(7, 0))}); // two hours of use before the setup
  StartSignedIn();
  s.Run(1);
  auto reply = s.Ask(RequestKind::Status, "");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->credit, 2 * 3600);
  EXPECT_EQ(reply->remaining, 3600 - 1);
  EXPECT_EQ(reply->flags & kReplyLaterDay, 0u);
  s.Run(120);
  EXPECT_TRUE(s.platform.ShutdownRequests().empty());
}

// A service whose parent chose Tokyo, on a PC a child moved to Berlin's
// zone (pinned: the parent's zone kept; empty: none kept), started at a
// time given in Tokyo with no day stored yet, so neither zone sees a later
// one.
struct ZoneRun {
  ServiceRun run;
  ZoneRun(const char* pinned, int day, int hour, int minute) {
    run.At(2024, 1, day, hour, minute);
    run.Set("LimitTime", "60");
    run.Set("LimitTimeSat", "30");
    run.Set("Bedtime", "21:00");
    run.Set("TimeZone", pinned);
    run.platform.SetTimeZone("Europe/Berlin");
    run.platform.SetActiveSessions({1});
    run.service.OnStart();
    run.RunWithTray(1);
  }
};

TEST_F(ServiceWeekCommandsTest, WeekdayFollowsTheParentsZone) {
  // Saturday 01:05 in Tokyo, Friday 17:05 in Berlin.
  ZoneRun pinned("Tokyo Standard Time", 6, 1, 5);
  EXPECT_EQ(pinned.run.Ask(RequestKind::Status, "")->limitMinutes, 30);
  EXPECT_EQ(pinned.run.Ask(RequestKind::History, "")->history.weekday[0], 6);
  ZoneRun unpinned("", 6, 1, 5);
  EXPECT_EQ(unpinned.run.Ask(RequestKind::Status, "")->limitMinutes, 60)
      << "Friday in Berlin, which has no limit of its own";
  EXPECT_EQ(unpinned.run.Ask(RequestKind::History, "")->history.weekday[0], kFriday);
}

TEST_F(ServiceWeekCommandsTest, BedtimeFollowsTheParentsZone) {
  // 21:05 in Tokyo, 13:05 in Berlin: the start gets the spent day's grace.
  ZoneRun pinned("Tokyo Standard Time", 5, 21, 5);
  ZoneRun unpinned("", 5, 21, 5);
  pinned.run.RunWithTray(120);
  unpinned.run.RunWithTray(120);
  EXPECT_FALSE(pinned.run.platform.ShutdownRequests().empty()) << "past the bedtime in Tokyo";
  EXPECT_TRUE(unpinned.run.platform.ShutdownRequests().empty()) << "13:05 in Berlin";
}

class ServiceLaterDayTest : public ServiceWeekCommandsTest {
protected:
  void SetUp() override {
    ServiceWeekCommandsTest::SetUp();
    s.Set("LastDate", kLaterDay); // a mistyped year, a wrong firmware clock
    s.Set("LastTime", "1000");
  }
};

TEST_F(ServiceLaterDayTest, RightPasswordTakesTodayAsTheDay) {
  StartSignedIn();
  s.RunWithTray(3);
  auto status = s.Ask(RequestKind::Status, "");
  ASSERT_TRUE(status);
  EXPECT_NE(status->flags & kReplyLaterDay, 0u);
  EXPECT_GT(status->countdown, 0);
  EXPECT_LE(status->countdown, 60);

  auto reply = s.Ask(RequestKind::AcceptToday, "pw");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->result, ReplyResult::Ok);
  EXPECT_EQ(reply->flags & kReplyLaterDay, 0u);
  EXPECT_EQ(s.Get("LastDate"), kToday);
  s.RunWithTray(120);
  EXPECT_TRUE(s.platform.ShutdownRequests().empty());
  EXPECT_EQ(s.Ask(RequestKind::Status, "")->countdown, -1);
  EXPECT_EQ(MessagesWith(IDS_NOTICE_LATER_DAY), 0) << "the tray was there to ask";
}

TEST_F(ServiceLaterDayTest, WrongPasswordPowersOffAtOnce) {
  StartSignedIn();
  s.RunWithTray(3);
  auto reply = s.Ask(RequestKind::AcceptToday, "guess");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->result, ReplyResult::WrongPassword);
  EXPECT_FALSE(s.platform.ShutdownRequests().empty());
}

TEST_F(ServiceLaterDayTest, NoPasswordEndsInThePowerOffAfterTheMinute) {
  StartSignedIn();
  s.RunWithTray(50);
  EXPECT_TRUE(s.platform.ShutdownRequests().empty());
  s.RunWithTray(15);
  EXPECT_FALSE(s.platform.ShutdownRequests().empty());
}

TEST_F(ServiceLaterDayTest, LockedOutPasswordIsNoWayBack) {
  StartSignedIn();
  for (std::uint64_t c = 1; c <= 10; ++c)
    ASSERT_EQ(s.Ask(RequestKind::CheckPassword, "guess", c)->result, ReplyResult::WrongPassword);
  auto reply = s.Ask(RequestKind::AcceptToday, "pw", 11);
  EXPECT_EQ(reply->result, ReplyResult::LockedOut);
  EXPECT_NE(reply->flags & kReplyLaterDay, 0u) << "still the later day's minute";
  EXPECT_EQ(s.Get("LastDate"), kLaterDay);
  s.RunWithTray(65);
  EXPECT_FALSE(s.platform.ShutdownRequests().empty());
}

TEST_F(ServiceLaterDayTest, WithoutATrayTheSessionsAreToldOnce) {
  StartSignedIn();
  s.Run(30);
  EXPECT_EQ(MessagesWith(IDS_NOTICE_LATER_DAY), 1);
}

TEST_F(ServiceWeekCommandsTest, AcceptTodayOnAnOrdinaryDayChangesNothing) {
  s.Set("LastDate", kToday);
  s.Set("LastTime", "1000");
  StartSignedIn();
  auto reply = s.Ask(RequestKind::AcceptToday, "guess");
  EXPECT_EQ(reply->result, ReplyResult::WrongPassword);
  s.Run(2);
  reply = s.Ask(RequestKind::AcceptToday, "pw");
  EXPECT_EQ(reply->result, ReplyResult::Failed);
  s.Run(10);
  EXPECT_TRUE(s.platform.ShutdownRequests().empty()) << "a wrong password is no power-off here";
  EXPECT_EQ(s.Get("LastDate"), kToday);
  EXPECT_EQ(s.Get("LastTime"), "988");
}

} // namespace
} // namespace hg::test
