// One event record from raw bytes: the parser's verdict against the record
// layout, then the same bytes as a record of the System log read by the
// start-up of a program and by its recount.
#include "ProgramHarness.h"
#include "accounting/SessionScan.h"
#include "accounting/TimeText.h"
#include "fuzz/targets/FuzzTargets.h"
#include "store/RegistryStore.h"

#include <cstdio>
#include <string>

namespace hg::fuzz {
namespace {

std::uint32_t LittleEndian(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// A number value as the program writes it: "%d" text equal to the field.
void CheckStoredNumber(const test::Program& p, const char* name, std::int32_t field) {
  std::optional<std::string> text = p.Get(name);
  HG_FUZZ_CHECK(text.has_value(), std::string(name) + " not stored");
  char canonical[16];
  std::snprintf(canonical, sizeof canonical, "%d", field);
  HG_FUZZ_CHECK(*text == canonical, std::string(name) + "=" + *text + ", in memory " + canonical);
  HG_FUZZ_CHECK(ParseStoredNumber(text->c_str()) == field, name);
}

void CheckTimeText(const test::Program& p, const char* name) {
  std::optional<std::string> text = p.Get(name);
  if (!text || text->empty())
    return;
  LocalTm fields;
  HG_FUZZ_CHECK(ParseTimeText(text->c_str(), &fields), std::string(name) + "=" + *text);
}

} // namespace

int FuzzEventRecord(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kFixedPart = 56;
  EventRecord record{0xDEADBEEF, -7};
  bool accepted = ParseEventRecord(data, size, &record);
  bool wellFormed = size >= kFixedPart && LittleEndian(data) >= kFixedPart &&
                    LittleEndian(data) <= size;
  HG_FUZZ_CHECK(accepted == wellFormed, "size " + std::to_string(size));
  if (accepted) {
    HG_FUZZ_CHECK(record.eventId == LittleEndian(data + 20), std::to_string(record.eventId));
    HG_FUZZ_CHECK(record.timeGenerated == LittleEndian(data + 12),
                  std::to_string(record.timeGenerated));
  } else {
    HG_FUZZ_CHECK(record.eventId == 0xDEADBEEF && record.timeGenerated == -7,
                  "a refused record changed the output");
  }

  // The same bytes between ordinary records of a running program's log.
  test::Program p;
  p.At(2024, 1, 5, 9, 0);
  p.Set("LimitTime", "240");
  p.Set("LastDate", "752964");
  p.Set("LastTime", "3000");
  const std::string earlier = "\n01/05 06:00:00 - 01/05 06:30:00 (30min)";
  p.Set("DayTotal", earlier);
  std::int64_t now = p.platform.Now();
  p.platform.SetEventLog({test::Start(now - 60), test::Stop(now - 3600)});
  p.platform.AddRawEventRecord(std::string(reinterpret_cast<const char*>(data), size));
  p.platform.AddRawEventRecord(sim::SimPlatform::EncodeEventRecord(test::Start(now - 7200), 1));
  p.Start();
  HG_FUZZ_CHECK(p.Alive(), "no window");
  p.wnd->RecountUsage();
  CheckStoredNumber(p, reg::kLastDate, p.wnd->m_nLastDate);
  CheckStoredNumber(p, reg::kLastTime, p.wnd->m_nLastTime);
  CheckTimeText(p, reg::kStartTime);
  CheckTimeText(p, reg::kEndTime);
  std::optional<std::string> dayTotal = p.Get(reg::kDayTotal);
  HG_FUZZ_CHECK(dayTotal && dayTotal->size() <= kRegReadLimit, "DayTotal no longer readable");

  // A record that is no session event, or no record at all, changes nothing:
  // 60 s of the current run and the hour from 07:00 to 08:00 are today's use.
  // One of a byte or none fits the reader's 1-byte probe, which the log only
  // answers that way at its end: the scan stops there, before the 07:00 start.
  bool endsLog = size <= 1;
  bool ignored = !accepted || ClassifyEvent(record.eventId) == EventKind::Other;
  if (ignored) {
    std::int32_t used = endsLog ? 60 : 3660;
    HG_FUZZ_CHECK(p.wnd->m_nDayUsage[0] == used, std::to_string(p.wnd->m_nDayUsage[0]));
    for (int i = 1; i < kUsageDays; ++i)
      HG_FUZZ_CHECK(p.wnd->m_nDayUsage[i] == 0, "day " + std::to_string(i));
    HG_FUZZ_CHECK(p.wnd->m_nLastTime == 240 * 60 - used, std::to_string(p.wnd->m_nLastTime));
    std::string list = earlier;
    if (!endsLog)
      list += "\n01/05 07:00:00 - 01/05 08:00:00 (60min)";
    HG_FUZZ_CHECK(*dayTotal == list, *dayTotal);
  }

  p.Tick(1);
  std::optional<std::string> lastTime = p.Get(reg::kLastTime);
  HG_FUZZ_CHECK(lastTime && ParseStoredNumber(lastTime->c_str()) ==
                                (p.wnd->m_nLastTime < 0 ? 0 : p.wnd->m_nLastTime),
                "LastTime after a tick");
  CheckStoredNumber(p, reg::kLastDate, p.wnd->m_nLastDate);
  HG_FUZZ_CHECK(p.Get(reg::kEndTime) == std::string("01/05 09:00:01"), "EndTime of the tick");
  HG_FUZZ_CHECK(p.platform.LiveAllocations() == 0, "a record buffer was not released");
  HG_FUZZ_CHECK(p.platform.OpenEventLogs() == 0, "the log was left open");
  return 0;
}

} // namespace hg::fuzz
