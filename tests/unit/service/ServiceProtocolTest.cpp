// The pipe's messages: what goes in comes out, and the service takes no
// request it has not checked field by field. The offsets below are the
// wire layout both programs must agree on.
#include "commands/ServiceProtocol.h"

#include <gtest/gtest.h>

#include <cstring>

namespace hg {
namespace {

// Request fields.
constexpr std::size_t kAtVersion = 4, kAtKind = 6, kAtAdjust = 16, kAtPassword = 20,
                      kAtNewPassword = 52, kAtWeekdays = 84, kAtBedtime = 112, kAtExtra = 116;
// Reply fields.
constexpr std::size_t kAtEveryDay = 124, kAtCredit = 128, kAtReplyWeekdays = 132,
                      kAtReplyBedtime = 160, kAtHistory = 164, kAtHistoryWeekday = kAtHistory + 80,
                      kAtHistoryLimit = kAtHistory + 120, kAtToday = kAtHistory + 164,
                      kAtYesterday = kAtToday + 257, kAtReplyEnd = kAtYesterday + 257;

void PutInt(std::uint8_t* at, std::int32_t v) {
  for (int i = 0; i < 4; ++i)
    at[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
}

ServiceRequest Settings() {
  ServiceRequest r;
  r.kind = RequestKind::Settings;
  r.resetToday = true;
  r.limitMinutes = 90;
  r.adjustMinutes = 30;
  std::strcpy(r.password, "pass word");
  r.rules.weekdayLimit[0] = 180;             // Sunday
  r.rules.weekdayLimit[3] = 0;               // Wednesday: none at all
  r.rules.weekdayLimit[6] = kMaxWireMinutes; // Saturday
  r.rules.bedtime = 21 * 60 + 30;
  return r;
}

ServiceRequest ExtraTime(std::int32_t minutes) {
  ServiceRequest r;
  r.kind = RequestKind::ExtraTime;
  r.extraMinutes = minutes;
  std::strcpy(r.password, "pw");
  return r;
}

ServiceReply FullReply() {
  ServiceReply reply;
  reply.result = ReplyResult::LockedOut;
  reply.flags = kReplyPasswordSet | kReplyCounting | kReplyLaterDay;
  reply.remaining = -3;
  reply.limitMinutes = kMaxWireMinutes;
  reply.adjustMinutes = 1439;
  reply.noticeNumber = 7;
  reply.balloon = 4;
  reply.countdown = 59;
  reply.lockoutSeconds = 300;
  reply.usage[9] = 3600;
  reply.date[0] = 20241231;
  reply.everyDayLimit = 60;
  reply.credit = -120;
  reply.rules.weekdayLimit[5] = 45;
  reply.rules.bedtime = 0;
  for (int i = 0; i < kUsageDays; ++i) {
    reply.history.usage[i] = 100 * i;
    reply.history.date[i] = 20241231 - i;
    reply.history.weekday[i] = (9 - i) % 7;
    reply.history.limit[i] = 30 + i;
  }
  reply.history.remaining = -5;
  std::memset(reply.history.today, 'x', 256); // the longest a list read holds
  std::strcpy(reply.history.yesterday, "12/30 08:00:00-12/30 09:15:00 ");
  return reply;
}

TEST(ServiceProtocolTest, RequestsAndRepliesComeBackAsSent) {
  std::uint8_t bytes[kRequestSize];
  EncodeRequest(Settings(), bytes);
  ServiceRequest back;
  ASSERT_TRUE(DecodeRequest(bytes, sizeof bytes, &back));
  EXPECT_EQ(back.kind, RequestKind::Settings);
  EXPECT_TRUE(back.resetToday);
  EXPECT_EQ(back.limitMinutes, 90);
  EXPECT_EQ(back.adjustMinutes, 30);
  EXPECT_STREQ(back.password, "pass word");
  EXPECT_STREQ(back.newPassword, "");
  EXPECT_EQ(back.rules, Settings().rules);
  EXPECT_EQ(back.extraMinutes, 0);

  for (std::int32_t minutes : {kMinExtraMinutes, 15, kMaxExtraMinutes}) {
    EncodeRequest(ExtraTime(minutes), bytes);
    ASSERT_TRUE(DecodeRequest(bytes, sizeof bytes, &back)) << minutes;
    EXPECT_EQ(back.kind, RequestKind::ExtraTime);
    EXPECT_EQ(back.extraMinutes, minutes);
  }
  for (RequestKind kind : {RequestKind::AcceptToday, RequestKind::History}) {
    ServiceRequest r;
    r.kind = kind;
    EncodeRequest(r, bytes);
    ASSERT_TRUE(DecodeRequest(bytes, sizeof bytes, &back));
    EXPECT_EQ(back.kind, kind);
    EXPECT_EQ(back.rules, DayRules{}) << "no rules: every weekday takes the every-day limit";
  }

  const ServiceReply reply = FullReply();
  std::uint8_t out[kReplySize];
  EncodeReply(reply, out);
  ServiceReply got;
  ASSERT_TRUE(DecodeReply(out, sizeof out, &got));
  EXPECT_EQ(got.result, ReplyResult::LockedOut);
  EXPECT_EQ(got.flags, reply.flags);
  EXPECT_EQ(got.remaining, -3);
  EXPECT_EQ(got.limitMinutes, kMaxWireMinutes);
  EXPECT_EQ(got.adjustMinutes, 1439);
  EXPECT_EQ(got.noticeNumber, 7u);
  EXPECT_EQ(got.balloon, 4);
  EXPECT_EQ(got.countdown, 59);
  EXPECT_EQ(got.lockoutSeconds, 300);
  EXPECT_EQ(got.usage[9], 3600);
  EXPECT_EQ(got.date[0], 20241231);
  EXPECT_EQ(got.everyDayLimit, 60);
  EXPECT_EQ(got.credit, -120);
  EXPECT_EQ(got.rules, reply.rules);
  for (int i = 0; i < kUsageDays; ++i) {
    EXPECT_EQ(got.history.usage[i], reply.history.usage[i]) << i;
    EXPECT_EQ(got.history.date[i], reply.history.date[i]) << i;
    EXPECT_EQ(got.history.weekday[i], reply.history.weekday[i]) << i;
    EXPECT_EQ(got.history.limit[i], reply.history.limit[i]) << i;
  }
  EXPECT_EQ(got.history.remaining, -5);
  EXPECT_EQ(std::strlen(got.history.today), 256u);
  EXPECT_STREQ(got.history.yesterday, reply.history.yesterday);
}

TEST(ServiceProtocolTest, TextsAreCutToLeaveTheirTerminator) {
  ServiceRequest r = Settings();
  std::memset(r.password, 'x', sizeof r.password); // no terminator at all
  std::uint8_t bytes[kRequestSize];
  EncodeRequest(r, bytes);
  ServiceRequest back;
  ASSERT_TRUE(DecodeRequest(bytes, sizeof bytes, &back));
  EXPECT_EQ(std::strlen(back.password), kWirePasswordSize - 1);

  ServiceReply reply;
  std::memset(reply.history.today, 'y', sizeof reply.history.today);
  std::uint8_t out[kReplySize];
  EncodeReply(reply, out);
  ServiceReply got;
  ASSERT_TRUE(DecodeReply(out, sizeof out, &got));
  EXPECT_EQ(std::strlen(got.history.today), std::size_t{kSessionListSize - 1});
}

// A well-formed request changed in one way; the decoder must refuse it.
struct Damage {
  std::size_t at;
  std::int32_t value; // written as 32 bits at `at`, or as one byte when `byte`
  bool byte;
  const char* what;
};

void ExpectRefused(const ServiceRequest& request, const Damage& d) {
  std::uint8_t bytes[kRequestSize];
  EncodeRequest(request, bytes);
  if (d.byte)
    bytes[d.at] = static_cast<std::uint8_t>(d.value);
  else
    PutInt(bytes + d.at, d.value);
  ServiceRequest r;
  EXPECT_FALSE(DecodeRequest(bytes, sizeof bytes, &r)) << d.what;
}

TEST(ServiceProtocolTest, EveryMalformedRequestIsRefused) {
  std::uint8_t good[kRequestSize];
  EncodeRequest(Settings(), good);
  ServiceRequest r;
  EXPECT_FALSE(DecodeRequest(good, kRequestSize - 1, &r)) << "short";
  EXPECT_FALSE(DecodeRequest(good, 96, &r)) << "the first version's size";
  EXPECT_FALSE(DecodeRequest(nullptr, kRequestSize, &r));
  const Damage damages[] = {
      {0, 0x00, true, "magic"},
      {kAtVersion, 1, true, "the first version"},
      {kAtVersion, 3, true, "a later version"},
      {kAtKind, 0x00, true, "kind 0"},
      {kAtKind, 10, true, "kind past the last"},
      {8, 0x03, true, "unknown flag"},
      {12, -1, false, "negative limit"},
      {12, kMaxWireMinutes + 1, false, "limit past the largest"},
      {kAtAdjust, -1, false, "negative adjustment"},
      {kAtAdjust, kMaxAdjustMinutes + 1, false, "an adjustment past the day's last minute"},
      {kAtPassword + 10, 'y', true, "a byte after the password's terminator"},
      {kAtWeekdays, -2, false, "Sunday's limit below none"},
      {kAtWeekdays + 4 * 6, kMaxWireMinutes + 1, false, "Saturday's limit past the largest"},
      {kAtWeekdays + 4 * 3, INT32_MIN, false, "Wednesday's limit the smallest number"},
      {kAtBedtime, kMinutesPerDay, false, "bedtime at 24:00"},
      {kAtBedtime, -2, false, "bedtime below none"},
      {kAtExtra, 5, false, "extra minutes in a request for settings"},
      {kAtExtra, -1, false, "negative extra minutes in a request for settings"},
      {120, 0x01, true, "reserved byte"},
      {kRequestSize - 1, 0x01, true, "the last reserved byte"},
  };
  for (const Damage& d : damages)
    ExpectRefused(Settings(), d);
  // The texts filled to their last byte have no terminator.
  for (std::size_t at : {kAtPassword, kAtNewPassword}) {
    std::uint8_t bytes[kRequestSize];
    std::memcpy(bytes, good, sizeof bytes);
    std::memset(bytes + at, 'p', kWirePasswordSize);
    EXPECT_FALSE(DecodeRequest(bytes, sizeof bytes, &r)) << "unterminated text at " << at;
  }
}

TEST(ServiceProtocolTest, ExtraTimeTakesADaysMinutesAtMost) {
  for (std::int32_t minutes : {0, -1, kMaxExtraMinutes + 1, kMaxWireMinutes})
    ExpectRefused(ExtraTime(15), {kAtExtra, minutes, false, "out-of-range extra minutes"});
  for (std::int32_t minutes : {1, 60, 1440}) {
    ServiceRequest history;
    history.kind = RequestKind::History;
    ExpectRefused(history, {kAtExtra, minutes, false, "extra minutes with a history request"});
  }
}

TEST(ServiceProtocolTest, ReplyOutOfRangeIsRefusedByTheTray) {
  std::uint8_t good[kReplySize];
  EncodeReply(FullReply(), good);
  ServiceReply got;
  ASSERT_TRUE(DecodeReply(good, sizeof good, &got));
  EXPECT_FALSE(DecodeReply(good, 128, &got)) << "the first version's size";
  struct ReplyDamage {
    std::size_t at;
    std::int32_t value;
    bool byte;
  };
  const ReplyDamage damages[] = {
      {kAtVersion, 1, true},
      {6, 9, true},                              // result
      {8, 0x10, true},                           // an unknown flag
      {32, 5, true},                             // balloon
      {34, 1, true},                             // the padding after the balloon
      {36, -2, false},                           // countdown
      {40, -1, false},                           // lockout
      {44, -1, false},                           // today's use
      {kAtEveryDay, -1, false},                  //
      {kAtEveryDay, kMaxWireMinutes + 1, false}, //
      {kAtReplyWeekdays + 8, -5, false},         // Tuesday's limit
      {kAtReplyBedtime, 1440, false},            //
      {kAtHistory, -1, false},                   // a day's use
      {kAtHistoryWeekday + 4, 7, false},         // a weekday
      {kAtHistoryWeekday, -1, false},            //
      {kAtHistoryLimit + 36, -1, false},         // a day's limit
      {kAtYesterday + 40, 'z', true},            // a byte after the list's terminator
      {kAtReplyEnd, 1, true},                    // reserved
      {static_cast<std::size_t>(kReplySize - 1), 1, true},
  };
  for (const ReplyDamage& d : damages) {
    std::uint8_t bytes[kReplySize];
    std::memcpy(bytes, good, sizeof bytes);
    if (d.byte)
      bytes[d.at] = static_cast<std::uint8_t>(d.value);
    else
      PutInt(bytes + d.at, d.value);
    EXPECT_FALSE(DecodeReply(bytes, sizeof bytes, &got)) << "byte " << d.at;
  }
  // A session list filled to its last byte has no terminator.
  std::uint8_t bytes[kReplySize];
  std::memcpy(bytes, good, sizeof bytes);
  bytes[kAtToday + 256] = 'x';
  EXPECT_FALSE(DecodeReply(bytes, sizeof bytes, &got));
  // What none of the checks care about is still taken.
  std::memcpy(bytes, good, sizeof bytes);
  PutInt(bytes + kAtCredit, INT32_MIN);
  EXPECT_TRUE(DecodeReply(bytes, sizeof bytes, &got));
  EXPECT_EQ(got.credit, INT32_MIN);
}

} // namespace
} // namespace hg
