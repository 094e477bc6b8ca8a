// What the tray program and the service say to each other over the pipe
// \\.\pipe\HourgaugeLite: one request of kRequestSize bytes, one reply of
// kReplySize bytes, little-endian, each with a magic number and the
// protocol's version. The service runs as LocalSystem and reads bytes any
// signed-in account may write: DecodeRequest takes nothing it has not
// checked, and anything else ends the connection.
#pragma once
#include "accounting/DayRules.h"
#include "accounting/SessionScan.h"
#include "accounting/UsageHistory.h"

#include <cstddef>
#include <cstdint>

namespace hg {

inline constexpr char kServiceName[] = "HourgaugeLite";
inline constexpr char kServicePipeName[] = "\\\\.\\pipe\\HourgaugeLite";

// Version 2 added the weekday limits, the bedtime, extra time, the later
// day's way back and the history; a tray and a service of different
// versions refuse each other's messages.
inline constexpr std::uint16_t kProtocolVersion = 2;
inline constexpr std::uint32_t kRequestMagic = 0x51474748; // "HGGQ"
inline constexpr std::uint32_t kReplyMagic = 0x52474748;   // "HGGR"
inline constexpr std::size_t kRequestSize = 128;
// One size for every reply, the history's included (zeros in the others):
// a status once a second costs the pipe a kilobyte, and the plumbing
// never has to know what was asked.
inline constexpr std::size_t kReplySize = 1024;
// A password field: the typed text, NUL-terminated, zeros after it.
inline constexpr std::size_t kWirePasswordSize = 32;
// The largest number of minutes whose seconds fit a signed 32-bit number.
inline constexpr std::int32_t kMaxWireMinutes = 0x7FFFFFFF / 60;

enum class RequestKind : std::uint16_t {
  Status = 1,         // the figures the tray shows, once a second
  CheckPassword = 2,  // the password step before a command's dialog
  Settings = 3,       // limit, day-start adjustment, reset today
  ChangePassword = 4, // password: the old one; newPassword: the new (empty: none)
  Exit = 5,           // the count pauses until the next sign-in or start
  Uninstall = 6,      // the service removes the program and itself
  ExtraTime = 7,      // extraMinutes more for today
  AcceptToday = 8,    // the later stored day's minute: today becomes the day
  History = 9,        // the reply carries `history`
};
inline constexpr std::uint16_t kLastRequestKind = 9;

struct ServiceRequest {
  RequestKind kind = RequestKind::Status;
  bool resetToday = false;
  std::int32_t limitMinutes = 0;  // 0..kMaxWireMinutes
  std::int32_t adjustMinutes = 0; // a time of day: 0..kMaxAdjustMinutes
  char password[kWirePasswordSize] = {};
  char newPassword[kWirePasswordSize] = {};
  // Settings: the weekday limits and the bedtime (each kNoDayLimit /
  // kNoBedtime or in range: 0..kMaxWireMinutes, 0..1439).
  DayRules rules;
  std::int32_t extraMinutes = 0; // ExtraTime: kMinExtraMinutes..kMaxExtraMinutes; else 0
};

enum class ReplyResult : std::uint16_t {
  Ok = 0,
  WrongPassword = 1,
  LockedOut = 2, // too many wrong passwords, or a second try too soon
  Failed = 3,    // the command could not be carried out (error in `error`)
};
inline constexpr std::uint16_t kLastReplyResult = 3;

// Reply flags.
inline constexpr std::uint32_t kReplyPasswordSet = 0x1;
inline constexpr std::uint32_t kReplyPaused = 0x2;   // after the exit command
inline constexpr std::uint32_t kReplyCounting = 0x4; // the accounting has started
inline constexpr std::uint32_t kReplyLaterDay = 0x8; // the later stored day's minute runs

struct ServiceReply {
  ReplyResult result = ReplyResult::Ok;
  std::uint32_t flags = 0;
  std::uint32_t error = 0;    // the Win32 error of a failed command
  std::int32_t remaining = 0; // seconds of today's allowance
  std::int32_t limitMinutes = 0;
  std::int32_t adjustMinutes = 0;
  // The latest notice before a power-off and its number: the tray shows a
  // balloon once for each new number.
  std::uint32_t noticeNumber = 0;
  std::uint16_t balloon = 0;   // Balloon
  std::int32_t countdown = -1; // seconds of the countdown window; -1: none
  std::int32_t lockoutSeconds = 0;
  // The recount's days, today first: seconds of use and the date (yyyymmdd).
  std::int32_t usage[kUsageDays] = {};
  std::int32_t date[kUsageDays] = {};
  // Settings as stored: limitMinutes above is today's limit.
  std::int32_t everyDayLimit = 0;
  std::int32_t credit = 0; // seconds (LastTimeAdjust)
  DayRules rules;
  // Filled for a History request only; zeros otherwise.
  UsageHistory history;
};

// Encodes into exactly kRequestSize / kReplySize bytes.
void EncodeRequest(const ServiceRequest& request, std::uint8_t (&out)[kRequestSize]);
void EncodeReply(const ServiceReply& reply, std::uint8_t (&out)[kReplySize]);
// False unless `size` is exactly the message's size and every field holds
// a value it may hold (magic, version, kind, flags, ranges, terminated
// passwords with zeros after them, reserved bytes zero).
bool DecodeRequest(const std::uint8_t* bytes, std::size_t size, ServiceRequest* request);
bool DecodeReply(const std::uint8_t* bytes, std::size_t size, ServiceReply* reply);

} // namespace hg
