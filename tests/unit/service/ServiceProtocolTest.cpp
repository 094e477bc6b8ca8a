// The pipe's messages: what goes in comes out, and the service takes no
// request it has not checked field by field.
#include "commands/ServiceProtocol.h"

#include <gtest/gtest.h>

#include <cstring>

namespace hg {
namespace {

ServiceRequest Settings() {
  ServiceRequest r;
  r.kind = RequestKind::Settings;
  r.resetToday = true;
  r.limitMinutes = 90;
  r.adjustMinutes = 30;
  std::strcpy(r.password, "pass word");
  return r;
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

  ServiceReply reply;
  reply.result = ReplyResult::LockedOut;
  reply.flags = kReplyPasswordSet | kReplyCounting;
  reply.remaining = -3;
  reply.limitMinutes = kMaxWireMinutes;
  reply.noticeNumber = 7;
  reply.balloon = 4;
  reply.countdown = 59;
  reply.lockoutSeconds = 300;
  reply.usage[9] = 3600;
  reply.date[0] = 20241231;
  std::uint8_t out[kReplySize];
  EncodeReply(reply, out);
  ServiceReply got;
  ASSERT_TRUE(DecodeReply(out, sizeof out, &got));
  EXPECT_EQ(got.result, ReplyResult::LockedOut);
  EXPECT_EQ(got.flags, reply.flags);
  EXPECT_EQ(got.remaining, -3);
  EXPECT_EQ(got.limitMinutes, kMaxWireMinutes);
  EXPECT_EQ(got.noticeNumber, 7u);
  EXPECT_EQ(got.balloon, 4);
  EXPECT_EQ(got.countdown, 59);
  EXPECT_EQ(got.lockoutSeconds, 300);
  EXPECT_EQ(got.usage[9], 3600);
  EXPECT_EQ(got.date[0], 20241231);
}

TEST(ServiceProtocolTest, LongPasswordsAreCutToLeaveTheirTerminator) {
  ServiceRequest r = Settings();
  std::memset(r.password, 'x', sizeof r.password); // no terminator at all
  std::uint8_t bytes[kRequestSize];
  EncodeRequest(r, bytes);
  ServiceRequest back;
  ASSERT_TRUE(DecodeRequest(bytes, sizeof bytes, &back));
  EXPECT_EQ(std::strlen(back.password), kWirePasswordSize - 1);
}

// Each field out of what it may hold, one at a time.
TEST(ServiceProtocolTest, EveryMalformedRequestIsRefused) {
  std::uint8_t good[kRequestSize];
  EncodeRequest(Settings(), good);
  ServiceRequest r;
  EXPECT_FALSE(DecodeRequest(good, kRequestSize - 1, &r)) << "short";
  EXPECT_FALSE(DecodeRequest(nullptr, kRequestSize, &r));
  struct Damage {
    std::size_t at;
    std::uint8_t value;
    const char* what;
  };
  const Damage damages[] = {
      {0, 0x00, "magic"},
      {4, 0x02, "version"},
      {6, 0x00, "kind 0"},
      {6, 0x07, "kind past the last"},
      {8, 0x03, "unknown flag"},
      {15, 0x80, "negative limit"},
      {15, 0x08, "limit past the largest"},
      {19, 0x80, "negative adjustment"},
      {20 + 10, 'y', "a byte after the password's terminator"},
      {52 + 31, 'z', "a new password without terminator"},
      {90, 0x01, "reserved byte"},
  };
  for (const Damage& d : damages) {
    std::uint8_t bytes[kRequestSize];
    std::memcpy(bytes, good, sizeof bytes);
    bytes[d.at] = d.value;
    if (d.at == 52 + 31)
      std::memset(bytes + 52, 'z', 32);
    EXPECT_FALSE(DecodeRequest(bytes, sizeof bytes, &r)) << d.what;
  }
  // The password field filled to its last byte has no terminator.
  std::uint8_t bytes[kRequestSize];
  std::memcpy(bytes, good, sizeof bytes);
  std::memset(bytes + 20, 'p', 32);
  EXPECT_FALSE(DecodeRequest(bytes, sizeof bytes, &r));
}

TEST(ServiceProtocolTest, ReplyOutOfRangeIsRefusedByTheTray) {
  ServiceReply reply;
  std::uint8_t out[kReplySize];
  EncodeReply(reply, out);
  ServiceReply got;
  ASSERT_TRUE(DecodeReply(out, sizeof out, &got));
  for (auto [at, value] : {std::pair<std::size_t, std::uint8_t>{6, 9},
                           {8, 0x08},
                           {32, 5},
                           {39, 0x80},
                           {43, 0x80},
                           {47, 0x80},
                           {127, 1}}) {
    std::uint8_t bytes[kReplySize];
    std::memcpy(bytes, out, sizeof bytes);
    bytes[at] = value;
    EXPECT_FALSE(DecodeReply(bytes, sizeof bytes, &got)) << "byte " << at;
  }
}

} // namespace
} // namespace hg
