// Raw bytes as event records: the parser's verdict against the record
// layout, the classification against the rule written apart, the walk over
// the bytes as the buffer of one read (many records back to back), and the
// same bytes as a record of the System log read by the start-up of a program
// and by its recount.
#include "ProgramHarness.h"
#include "accounting/EventLogReader.h"
#include "accounting/SessionScan.h"
#include "accounting/TimeText.h"
#include "fuzz/targets/FuzzTargets.h"
#include "store/RegistryStore.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace hg::fuzz {
namespace {

constexpr std::size_t kFixedPart = 56;

std::uint32_t LittleEndian(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The record at `at` as the layout describes it, or false.
bool ReferenceRecord(const std::uint8_t* data, std::size_t size, std::size_t at,
                     std::uint32_t* length, std::string* source) {
  if (size - at < kFixedPart)
    return false;
  *length = LittleEndian(data + at);
  if (*length < kFixedPart || *length > size - at)
    return false;
  source->clear();
  for (std::size_t i = at + kFixedPart; i < at + *length && data[i] != 0; ++i)
    source->push_back(static_cast<char>(data[i]));
  return true;
}

bool SameName(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b))
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if ((x >= 'a' && x <= 'z' ? x - 32 : x) != (y >= 'a' && y <= 'z' ? y - 32 : y))
      return false;
  }
  return true;
}

// Each identifier means a start or an end only from its own source.
EventKind ReferenceKind(std::uint32_t id, const std::string& source) {
  const bool eventLog = SameName(source, "EventLog");
  const bool power = SameName(source, "Microsoft-Windows-Kernel-Power");
  switch (id & 0x7FFFFFFFu) {
  case 6005:
    return eventLog ? EventKind::Start : EventKind::Other;
  case 6006:
    return eventLog ? EventKind::End : EventKind::Other;
  case 1:
    return SameName(source, "Microsoft-Windows-Power-Troubleshooter") ? EventKind::Start
                                                                      : EventKind::Other;
  case 12:
    return SameName(source, "Microsoft-Windows-Kernel-General") ? EventKind::Start
                                                                : EventKind::Other;
  case 42:
  case 506:
    return power ? EventKind::End : EventKind::Other;
  case 507:
    return power ? EventKind::Start : EventKind::Other;
  default:
    return EventKind::Other;
  }
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

struct Walked {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::vector<EventRecord> records;
};

} // namespace

int FuzzEventRecord(const std::uint8_t* data, std::size_t size) {
  // One record at the start of the bytes.
  EventRecord record{0xDEADBEEF, -7};
  bool accepted = ParseEventRecord(data, size, &record);
  std::uint32_t length = 0;
  std::string source;
  bool wellFormed = ReferenceRecord(data, size, 0, &length, &source);
  HG_FUZZ_CHECK(accepted == wellFormed, "size " + std::to_string(size));
  if (accepted) {
    HG_FUZZ_CHECK(record.eventId == LittleEndian(data + 20), std::to_string(record.eventId));
    HG_FUZZ_CHECK(record.timeGenerated == LittleEndian(data + 12),
                  std::to_string(record.timeGenerated));
    HG_FUZZ_CHECK(record.source == source, "source " + std::string(record.source));
    HG_FUZZ_CHECK(ClassifyEvent(record) == ReferenceKind(record.eventId, source), source);
  } else {
    HG_FUZZ_CHECK(record.eventId == 0xDEADBEEF && record.timeGenerated == -7 &&
                      record.source.empty(),
                  "a refused record changed the output");
  }

  // The bytes as the buffer of one read: records found by their Length.
  Walked walked{data, size, {}};
  EventWalk result = WalkEventRecords(
      data, size,
      [](void* context, const EventRecord& r) {
        auto* w = static_cast<Walked*>(context);
        const char* begin = reinterpret_cast<const char*>(w->data);
        HG_FUZZ_CHECK(r.source.data() >= begin + kFixedPart &&
                          r.source.data() + r.source.size() <= begin + w->size,
                      "a source outside the bytes read");
        w->records.push_back(r);
        return true;
      },
      &walked);
  std::size_t at = 0;
  std::size_t count = 0;
  while (at < size && ReferenceRecord(data, size, at, &length, &source)) {
    HG_FUZZ_CHECK(count < walked.records.size(), "a record was missed");
    const EventRecord& r = walked.records[count];
    HG_FUZZ_CHECK(r.eventId == LittleEndian(data + at + 20) &&
                      r.timeGenerated == LittleEndian(data + at + 12) && r.source == source,
                  "record " + std::to_string(count) + " at " + std::to_string(at));
    ++count;
    at += length;
  }
  HG_FUZZ_CHECK(walked.records.size() == count, "records " + std::to_string(count));
  HG_FUZZ_CHECK((result == EventWalk::Done) == (at >= size), "verdict of the walk");

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
  const std::string raw(reinterpret_cast<const char*>(data), size);
  const std::string older = sim::SimPlatform::EncodeEventRecord(test::Start(now - 7200), 1);
  p.platform.AddRawEventRecord(raw);
  p.platform.AddRawEventRecord(older);
  p.Start();
  HG_FUZZ_CHECK(p.Alive(), "no window");
  p.wnd->m_accountant.RecountUsage();
  CheckStoredNumber(p, reg::kLastDate, p.wnd->m_accountant.LastDate());
  CheckStoredNumber(p, reg::kLastTime, p.wnd->m_accountant.LastTime());
  CheckTimeText(p, reg::kStartTime);
  CheckTimeText(p, reg::kEndTime);
  std::optional<std::string> dayTotal = p.Get(reg::kDayTotal);
  HG_FUZZ_CHECK(dayTotal && dayTotal->size() <= kRegReadLimit, "DayTotal no longer readable");

  // The whole log fits one read when the bytes are not too many. Then no
  // bytes at all, or one whole record that is no session event, change
  // nothing: 60 s of the current run and the hour from 07:00 to 08:00 are
  // today's use. Bytes whose Length does not fit end the scan right there,
  // before the 07:00 start: only the 60 s.
  const std::string tail = raw + older;
  const auto* t = reinterpret_cast<const std::uint8_t*>(tail.data());
  bool oneRead = tail.size() + 2 * older.size() <= kEventReadBufferSize;
  bool nothing = size == 0 || (accepted && LittleEndian(data) == size &&
                               ClassifyEvent(record) == EventKind::Other);
  bool broken = !ReferenceRecord(t, tail.size(), 0, &length, &source);
  if (oneRead && (nothing || broken)) {
    std::int32_t used = nothing ? 3660 : 60;
    HG_FUZZ_CHECK(p.wnd->m_accountant.DayUsage(0) == used,
                  std::to_string(p.wnd->m_accountant.DayUsage(0)));
    for (int i = 1; i < kUsageDays; ++i)
      HG_FUZZ_CHECK(p.wnd->m_accountant.DayUsage(i) == 0, "day " + std::to_string(i));
    HG_FUZZ_CHECK(p.wnd->m_accountant.LastTime() == 240 * 60 - used,
                  std::to_string(p.wnd->m_accountant.LastTime()));
    std::string list = earlier;
    if (nothing)
      list += "\n01/05 07:00:00 - 01/05 08:00:00 (60min)";
    HG_FUZZ_CHECK(*dayTotal == list, *dayTotal);
  }

  p.Tick(1);
  std::optional<std::string> lastTime = p.Get(reg::kLastTime);
  HG_FUZZ_CHECK(lastTime &&
                    ParseStoredNumber(lastTime->c_str()) ==
                        (p.wnd->m_accountant.LastTime() < 0 ? 0 : p.wnd->m_accountant.LastTime()),
                "LastTime after a tick");
  CheckStoredNumber(p, reg::kLastDate, p.wnd->m_accountant.LastDate());
  HG_FUZZ_CHECK(p.Get(reg::kEndTime) == std::string("01/05 09:00:01"), "EndTime of the tick");
  HG_FUZZ_CHECK(p.platform.LiveAllocations() == 0, "a record buffer was not released");
  HG_FUZZ_CHECK(p.platform.OpenEventLogs() == 0, "the log was left open");
  return 0;
}

} // namespace hg::fuzz
