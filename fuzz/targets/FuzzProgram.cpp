// The whole program on the simulated Windows. The input chooses the time
// zone, the clock, what the registry holds, the System log, which calls fail,
// and then a run of steps: ticks, clock jumps, tray clicks, commands with a
// scripted parent at the dialogs, and fault switches. After every step the
// checks below must hold. Everything is bounded (steps, seconds, script
// length), so no input can keep the simulation running for long.
#include "ProgramHarness.h"
#include "accounting/AccountingTime.h"
#include "accounting/DayRules.h"
#include "accounting/TimeText.h"
#include "commands/Scramble.h"
#include "fuzz/targets/FuzzInput.h"
#include "fuzz/targets/FuzzTargets.h"
#include "res/resource.h"
#include "store/RegistryStore.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace hg::fuzz {
namespace {

constexpr std::int64_t kEarliest = 100000;    // early 1970: accounting time may go negative
constexpr std::int64_t kLatest = 4102444800;  // 2100-01-01
constexpr std::int64_t kTypical = 1704412800; // 2024-01-05 00:00 UTC
constexpr std::int64_t kDay = 86400;
constexpr int kMaxSteps = 32;
constexpr int kTickBudget = 2400; // simulated seconds of ticks and dialog waits per input
constexpr int kMaxActionsPerStep = 8;

const char* const kZones[] = {"Asia/Tokyo", "Europe/Berlin", "America/New_York",
                              "Australia/Lord_Howe", "Asia/Kolkata"};
// Clock changes of 2024 (UTC): New York spring and autumn, Berlin spring and
// autumn.
const std::int64_t kClockChanges[] = {1710054000, 1730613600, 1711846800, 1729990800};

const UINT kCommands[] = {ID_CHANGE_PASSWORD, ID_SETTINGS, ID_QUIT,
                          ID_UNINSTALL,       ID_APP_EXIT, 12345};
const int kControls[] = {IDC_PASSWORD,         IDC_ADJUST_TIME, IDC_NEW_PASSWORD,
                         IDC_CONFIRM_PASSWORD, IDC_RESET_TODAY, 9999};
const int kButtons[] = {IDOK, IDCANCEL, IDC_RESET_TODAY, IDC_PASSWORD, 9999};
const Lparam kMouse[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MOUSEMOVE,
                         WM_LBUTTONUP,   WM_RBUTTONUP,   WM_LBUTTONDBLCLK};
const char* const kTypedTexts[] = {
    "",   "abc", "60", "0",   " 90 ", "\t30",     "35791394",   "35791395", "4294967296",
    "-5", "1.5", "x",  "600", "1439", "abcdefgh", "abcdefghij", "1"};
const char* const kPasswords[] = {"abc", "a", "abcdefgh", "abcdefghi", "pass word"};
const char* const kLimits[] = {"60",       "0",        "1",          "120", "1440",
                               "35791394", "35791395", "2147483647", "-1",  "-2147483648"};
const char* const kAdjusts[] = {"0",    "30",  "60",    "600",        "1439",
                                "1440", "-60", "-1440", "2147483647", "-2147483648"};
const char* const kPrefixes[] = {"", " ", "\t", "+", "-", "00", " \n-"};
const char* const kSuffixes[] = {"", "x", " ", "min", "\n5", "9999999999"};

// The values whose stored numbers the program keeps in fields.
const char* const kNumberValues[] = {reg::kLimitTime, reg::kLastDate, reg::kLastTime,
                                     reg::kLastTimeAdjust, reg::kAdjustTime};
enum NumberValue { kLimit, kDate, kTime, kTimeAdjust, kAdjust, kNumberValueCount };

struct Faults {
  bool unreadable = false, readOnly = false, uncreatable = false, logUnopenable = false;
  bool setTimer = false, trayAdd = false, powerOff = false, privilege = false, token = false;
  bool dialogs = false;
};

std::string Number(std::int64_t value) {
  return std::to_string(value);
}

// HG_FUZZ_TRACE=1 in the environment prints the decoded run, to read what a
// failing input does.
bool Tracing() {
  static const bool on = std::getenv("HG_FUZZ_TRACE") != nullptr;
  return on;
}
[[gnu::format(printf, 1, 2)]] void Trace(const char* format, ...) {
  if (!Tracing())
    return;
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

class ProgramRun {
public:
  explicit ProgramRun(FuzzInput& in) : m_in(in) {}

  void Run() {
    SetUp();
    TakeSnapshot();
    m_p.Start();
    CheckStartUp();
    for (int step = 0; step < kMaxSteps && !m_in.Empty() && m_p.Alive(); ++step)
      Step();
  }

private:
  // ---- Set-up --------------------------------------------------------------

  void SetUp() {
    // The checks compare stored values before and after each step; the
    // journal of every access and call is not needed and only costs time.
    m_p.platform.SetRecording(false);
    const char* zone = m_in.Pick(kZones);
    m_p.platform.SetTimeZone(zone);
    m_p.platform.SetTime(StartTime());
    Trace("zone %s, clock %lld\n", zone, static_cast<long long>(m_p.platform.Now()));
    for (const char* name :
         {reg::kLimitTime, reg::kLastDate, reg::kLastTime, reg::kLastTimeAdjust, reg::kAdjustTime,
          reg::kDayTotal, reg::kStartTime, reg::kEndTime, reg::kPassword, reg::kBedtime,
          reg::kLimitTimeOfWeekday[m_in.Int(0, kWeekdays - 1)]})
      SetValue(name);
    SetEventLog();
    SetFaults();
    if (Tracing()) {
      for (const char* name :
           {reg::kLimitTime, reg::kLastDate, reg::kLastTime, reg::kLastTimeAdjust, reg::kAdjustTime,
            reg::kDayTotal, reg::kStartTime, reg::kEndTime, reg::kPassword})
        if (auto v = m_p.platform.RegRaw(reg::kProgramKey, name))
          Trace("  %s (type %u, %zu bytes) \"%s\"\n", name, v->type, v->data.size(),
                v->data.c_str());
      Trace("  %zu log records\n", m_logSize);
    }
  }

  std::int64_t StartTime() {
    switch (m_in.Int(0, 3)) {
    case 0:
      return kTypical + m_in.Int(-400 * kDay, 400 * kDay);
    case 1:
      return m_in.Int(kEarliest, kLatest);
    case 2:
      return m_in.Pick(kClockChanges) + m_in.Int(-7200, 7200);
    default: {
      // Around a local midnight of 2024.
      int month = static_cast<int>(m_in.Int(1, 12));
      int day = static_cast<int>(m_in.Int(1, 28));
      return m_p.platform.LocalTime(2024, month, day, 0, 0, 0) + m_in.Int(-900, 900);
    }
    }
  }

  std::string SensibleValue(std::string_view name) {
    sim::SimPlatform& ui = m_p.platform;
    std::int64_t now = ui.Now();
    char text[kTimeTextSize];
    if (name == reg::kLimitTime)
      return m_in.Pick(kLimits);
    if (name == reg::kLastDate)
      return Number(MakeDayKey(ui, now) + m_in.Int(-2, 2));
    if (name == reg::kLastTime)
      return Number(m_in.Int(-100, 7300));
    if (name == reg::kLastTimeAdjust)
      return Number(m_in.Int(-4000, 4000));
    if (name == reg::kAdjustTime)
      return m_in.Pick(kAdjusts);
    if (name == reg::kPassword)
      return ScramblePassword(m_in.Pick(kPasswords));
    if (name == reg::kBedtime) {
      char bedtime[kBedtimeTextSize];
      FormatBedtime(static_cast<std::int32_t>(m_in.Int(0, kMinutesPerDay - 1)), bedtime);
      return bedtime;
    }
    if (name.rfind("LimitTime", 0) == 0) // a weekday's own limit
      return m_in.Pick(kLimits);
    if (name == reg::kDayTotal) {
      std::string list;
      for (std::int64_t i = m_in.Int(1, 9); i > 0; --i) {
        std::int64_t start = now - m_in.Int(0, 2 * kDay);
        char end[kTimeTextSize];
        FormatTimeText(ui, start, text);
        FormatTimeText(ui, start + 600, end);
        list += std::string("\n") + text + " - " + end + " (10min)";
      }
      return list;
    }
    // StartTime, EndTime.
    FormatTimeText(ui, now - m_in.Int(0, 3 * kDay), text);
    return text;
  }

  void SetValue(const char* name) {
    sim::SimPlatform& ui = m_p.platform;
    switch (m_in.Int(0, 7)) {
    case 0:
      return; // absent
    case 1:   // a number, plain or decorated
      ui.SetRegText(reg::kProgramKey, name,
                    std::string(m_in.Pick(kPrefixes)) +
                        Number(static_cast<std::int32_t>(m_in.U32())) + m_in.Pick(kSuffixes));
      return;
    case 2:
      ui.SetRegText(reg::kProgramKey, name, m_in.Bytes(48));
      return;
    case 3: { // too long for a read: 256 bytes is the last that reads
      std::string unit = m_in.Bytes(8);
      if (unit.empty())
        unit = "7";
      std::size_t length = static_cast<std::size_t>(m_in.Int(250, 600));
      std::string text;
      while (text.size() < length)
        text += unit;
      text.resize(length);
      ui.SetRegText(reg::kProgramKey, name, text);
      return;
    }
    case 4: { // another registry type
      const DWORD kTypes[] = {REG_DWORD, REG_BINARY, 2 /* REG_EXPAND_SZ */, 7 /* REG_MULTI_SZ */};
      ui.SetRegRaw(reg::kProgramKey, name, m_in.Pick(kTypes), m_in.Bytes(16));
      return;
    }
    case 5:
      ui.SetRegText(reg::kProgramKey, name, "");
      return;
    default:
      ui.SetRegText(reg::kProgramKey, name, SensibleValue(name));
      return;
    }
  }

  void SetEventLog() {
    const std::uint32_t kIds[] = {6005, 6006, 1, 42, 6005u | 0x80000000u, 6006u | 0x80000000u,
                                  7036, 6013, 12};
    sim::SimPlatform& ui = m_p.platform;
    std::int64_t t = ui.Now();
    if (m_in.Byte() < 16)
      t += m_in.Int(0, 7200); // the newest records are later than the clock
    std::int64_t count = m_in.Int(0, 48);
    for (std::int64_t i = 0; i < count; ++i) {
      std::uint8_t kind = m_in.Byte();
      t -= (kind & 0x80) ? m_in.Int(0, 5 * kDay) : m_in.Int(0, 8 * 3600);
      EventRecord record{kIds[kind % std::size(kIds)], t < 0 ? 0 : t};
      if (kind & 0x40) {
        // Some slots from the sources the rule tells apart: the clock set,
        // and Modern Standby entered and left.
        if (record.eventId == 1)
          record.source = kKernelGeneralSource;
        else if (record.eventId == 12)
          record = EventRecord{506, record.timeGenerated, kKernelPowerSource};
        else if (record.eventId == 6013)
          record = EventRecord{507, record.timeGenerated, kKernelPowerSource};
      }
      std::string bytes =
          sim::SimPlatform::EncodeEventRecord(record, static_cast<std::uint32_t>(count - i));
      if ((kind & 0x70) == 0x70) {
        // A damaged record: cut short, or raw bytes.
        if (kind & 0x08)
          bytes.resize(
              static_cast<std::size_t>(m_in.Int(0, static_cast<std::int64_t>(bytes.size()))));
        else
          bytes = m_in.Bytes(80);
      }
      ui.AddRawEventRecord(bytes);
      m_logSize = static_cast<std::size_t>(i + 1);
    }
  }

  void SetFaults() {
    std::uint32_t flags = m_in.U32();
    if ((flags >> 24) >= 64)
      return; // a healthy machine, three times in four
    sim::SimPlatform& ui = m_p.platform;
    auto on = [flags](int bit) { return (flags >> bit & 1) != 0; };
    Toggle(0, on(0));
    Toggle(1, on(1));
    Toggle(2, on(2));
    Toggle(3, on(3));
    Trace("  faults %08x\n", flags);
    if (on(4))
      ui.FailEventReadAt(
          static_cast<std::size_t>(m_in.Int(0, static_cast<std::int64_t>(m_logSize))));
    if (on(5))
      ui.FailAllocationAfter(static_cast<int>(m_in.Int(0, 20)));
    Toggle(4, on(6));
    Toggle(5, on(7));
    Toggle(6, on(8));
    Toggle(7, on(9));
    Toggle(8, on(10));
    Toggle(9, on(11));
    if (on(12))
      ui.AddForeignWindow("sysconfig", static_cast<int>(m_in.Int(0, 3)));
    if (on(13) && on(14) && on(15))
      ui.FailCreateWindow();
  }

  void Toggle(int which, bool value) {
    sim::SimPlatform& ui = m_p.platform;
    Trace("  fault %d %s\n", which, value ? "on" : "off");
    switch (which) {
    case 0:
      ui.MakeKeyUnreadable(reg::kProgramKey, m_faults.unreadable = value);
      break;
    case 1:
      ui.MakeKeyReadOnly(reg::kProgramKey, m_faults.readOnly = value);
      break;
    case 2:
      ui.MakeKeyUncreatable(reg::kProgramKey, m_faults.uncreatable = value);
      break;
    case 3:
      ui.MakeEventLogUnopenable(m_faults.logUnopenable = value);
      break;
    case 4:
      ui.FailSetTimer(m_faults.setTimer = value);
      break;
    case 5:
      ui.FailTrayAdd(m_faults.trayAdd = value);
      break;
    case 6:
      ui.RefusePowerOff(m_faults.powerOff = value);
      break;
    case 7:
      ui.RefusePrivilege(m_faults.privilege = value);
      break;
    case 8:
      ui.RefuseProcessToken(m_faults.token = value);
      break;
    default:
      ui.FailDialogs(m_faults.dialogs = value);
      break;
    }
  }

  // ---- Steps ---------------------------------------------------------------

  void Step() {
    sim::SimPlatform& ui = m_p.platform;
    TakeSnapshot();
    m_tBefore = ui.Now();
    m_adjustBefore = m_p.wnd->m_accountant.AdjustTime();
    m_dateBefore = m_p.wnd->m_accountant.LastDate();
    bool ticked = false;
    bool continuous = true; // no jump: every write happened between m_tBefore and now
    Trace("step at %lld: ", static_cast<long long>(m_tBefore));
    MarkUnwritten();

    switch (m_in.Int(0, 11)) {
    case 0:
    case 1:
    case 2: {
      int seconds = static_cast<int>(std::min<std::int64_t>(m_in.Int(1, 700), m_budget));
      m_budget -= seconds;
      Trace("tick %d\n", seconds);
      m_p.Tick(seconds);
      ticked = seconds > 0;
      break;
    }
    case 3:
      Jump(ui.Now() + m_in.Int(1, 3 * kDay));
      continuous = false;
      break;
    case 4:
      Jump(ui.Now() - m_in.Int(1, 3 * kDay));
      continuous = false;
      break;
    case 5: {
      // Just before the next accounting midnight.
      LocalTm local;
      std::int64_t adjust = std::int64_t{m_p.wnd->m_accountant.AdjustTime()} * 60;
      if (ui.GetLocalTm(ui.Now() - adjust, &local)) {
        std::int64_t midnight =
            ui.MakeLocalTime(LocalTm{local.year, local.month, local.day + 1, 0, 0, 0});
        if (midnight != -1)
          Jump(midnight + adjust - m_in.Int(1, 120));
      }
      continuous = false;
      break;
    }
    case 6: {
      if (m_in.Bool()) {
        UINT command = m_in.Pick(kCommands);
        Trace("choose menu item %u, ", command);
        ui.ChooseMenuItem(command);
      }
      Wparam id = m_in.Bool() ? kTrayIconId : static_cast<Wparam>(m_in.Int(0, 200));
      Lparam mouse = m_in.Pick(kMouse);
      Trace("tray %u 0x%x\n", static_cast<unsigned>(id), static_cast<unsigned>(mouse));
      ui.SendMessageA(m_p.hwnd, WM_TRAYNOTIFY, id, mouse);
      ui.Pump();
      break;
    }
    case 7:
    case 8: {
      Trace("commands\n");
      AddActions(static_cast<int>(m_in.Int(0, kMaxActionsPerStep)));
      for (std::int64_t n = m_in.Int(1, 2); n > 0; --n)
        SendCommand();
      ui.Pump();
      break;
    }
    case 9: {
      int which = static_cast<int>(m_in.Int(0, 9));
      bool value = m_in.Bool();
      Toggle(which, value);
      continuous = false; // nothing runs
      break;
    }
    case 10:
      Trace("script\n");
      AddActions(static_cast<int>(m_in.Int(1, kMaxActionsPerStep)));
      continuous = false; // nothing runs
      break;
    default:
      Trace("query end session\n");
      ui.SendMessageA(m_p.hwnd, WM_QUERYENDSESSION, 0, 0);
      ui.Pump();
      break;
    }
    CheckAfterStep(ticked, continuous);
  }

  void SendCommand() {
    sim::SimPlatform& ui = m_p.platform;
    switch (m_in.Int(0, 4)) {
    case 0:
    case 1: {
      UINT command = m_in.Pick(kCommands);
      Trace("  post command %u\n", command);
      ui.PostMessageA(m_p.hwnd, WM_COMMAND, command, 0);
      break;
    }
    case 2:
      Trace("  post WM_CLOSE\n");
      ui.PostMessageA(m_p.hwnd, WM_CLOSE, 0, 0);
      break;
    case 3:
      // Sent now, or posted so that it arrives while a dialog is open.
      if (m_in.Bool()) {
        Trace("  send WM_QUERYENDSESSION\n");
        ui.SendMessageA(m_p.hwnd, WM_QUERYENDSESSION, 0, 0);
      } else {
        Trace("  post WM_QUERYENDSESSION\n");
        ui.PostMessageA(m_p.hwnd, WM_QUERYENDSESSION, 0, 0);
      }
      break;
    default: {
      UINT timer = m_in.Bool() ? kTickTimerId : 7;
      Trace("  post WM_TIMER %u\n", timer);
      ui.PostMessageA(m_p.hwnd, WM_TIMER, timer, 0);
      break;
    }
    }
  }

  void AddActions(int count) {
    sim::SimPlatform& ui = m_p.platform;
    for (int i = 0; i < count; ++i) {
      switch (m_in.Int(0, 7)) {
      case 0: {
        int control = m_in.Pick(kControls);
        std::string text;
        switch (m_in.Int(0, 3)) {
        case 0:
          text = m_in.Bytes(12);
          break;
        case 1:
          text = m_in.Pick(kPasswords);
          break;
        case 2:
          text = std::string(1, static_cast<char>(kScrambleKey)) + "a";
          break;
        default:
          text = m_in.Pick(kTypedTexts);
          break;
        }
        Trace("  type %d \"%s\"\n", control, text.c_str());
        ui.Type(control, text);
        break;
      }
      case 1: {
        int button = m_in.Pick(kButtons);
        Trace("  click %d\n", button);
        ui.Click(button);
        break;
      }
      case 2:
        Trace("  enter\n");
        ui.PressEnter();
        break;
      case 3:
        Trace("  escape\n");
        ui.PressEscape();
        break;
      case 4:
        Trace("  close box\n");
        ui.PressCloseBox();
        break;
      case 5: {
        int seconds = static_cast<int>(std::min<std::int64_t>(m_in.Int(0, 120), m_budget));
        m_budget -= seconds;
        Trace("  wait %d\n", seconds);
        ui.WaitSeconds(seconds);
        break;
      }
      case 6: {
        int answer = m_in.Bool() ? IDOK : IDCANCEL;
        Trace("  answer %d\n", answer);
        ui.AnswerMessageBox(answer);
        break;
      }
      default: {
        UINT command = m_in.Pick(kCommands);
        Trace("  choose menu item %u\n", command);
        ui.ChooseMenuItem(command);
        break;
      }
      }
    }
  }

  // A new wall-clock time. The tick keeps counting on elapsed time, as
  // Windows' timers do.
  void Jump(std::int64_t t) {
    Trace("jump to %lld\n", static_cast<long long>(t));
    m_p.platform.SetTime(std::clamp(t, kEarliest, kLatest));
  }

  // ---- Checks --------------------------------------------------------------

  void TakeSnapshot() {
    for (int i = 0; i < kNumberValueCount; ++i)
      m_before[i] = m_p.platform.RegRaw(reg::kProgramKey, kNumberValues[i]);
  }

  // A write that stores the text already there shows no change. The values
  // the program reads only when it starts get a mark before each step that
  // the program never writes: a value without its mark afterwards was
  // written. (LimitTime is read by every recount, so it keeps its value and
  // counts as written when it changed.)
  static constexpr char kUnwritten[] = "\x01not written in this step";
  void MarkUnwritten() {
    sim::SimPlatform& ui = m_p.platform;
    for (int i = 0; i < kNumberValueCount; ++i) {
      m_marked[i] = i != kLimit && m_before[i].has_value();
      if (m_marked[i])
        ui.SetRegRaw(reg::kProgramKey, kNumberValues[i], REG_SZ, kUnwritten);
    }
  }
  // Which values were written since the snapshot; unwritten marks go back
  // to the values they covered.
  void FindWrites() {
    sim::SimPlatform& ui = m_p.platform;
    for (int i = 0; i < kNumberValueCount; ++i) {
      std::optional<sim::RegValue> now = ui.RegRaw(reg::kProgramKey, kNumberValues[i]);
      bool mark = now && now->type == REG_SZ && now->data == kUnwritten;
      if (m_marked[i] && mark)
        ui.SetRegRaw(reg::kProgramKey, kNumberValues[i], m_before[i]->type, m_before[i]->data);
      if (m_marked[i])
        m_written[i] = now && !mark;
      else
        m_written[i] = now && (!m_before[i] || now->type != m_before[i]->type ||
                               now->data != m_before[i]->data);
    }
  }

  std::int32_t Key(std::int64_t t, std::int32_t adjustMinutes) {
    return MakeDayKey(m_p.platform, t - std::int64_t{adjustMinutes} * 60);
  }

  // The day keys of every moment from `from` to `to` with either adjustment.
  std::set<std::int32_t> KeysBetween(std::int64_t from, std::int64_t to, std::int32_t adjustA,
                                     std::int32_t adjustB) {
    std::set<std::int32_t> keys;
    for (std::int32_t adjust : {adjustA, adjustB}) {
      for (std::int64_t t = from; t < to; t += 1800)
        keys.insert(Key(t, adjust));
      keys.insert(Key(to, adjust));
    }
    return keys;
  }

  // Every number the program stored itself is "%d" text (LastTimeAdjust may
  // also be cleared to the empty text) and reads back as the field it came
  // from, where the field is meant to hold the stored value.
  void CheckWrittenNumbers(bool ticked) {
    const CAccountant& w = m_p.wnd->m_accountant;
    for (int i = 0; i < kNumberValueCount; ++i) {
      if (!m_written[i])
        continue;
      const std::string text = m_p.Get(kNumberValues[i]).value_or("");
      std::int32_t value = ParseStoredNumber(text.c_str());
      std::string what = std::string(kNumberValues[i]) + "=\"" + text + "\"";
      bool cleared = i == kTimeAdjust && text.empty();
      HG_FUZZ_CHECK(cleared || text == Number(value), what + " is not a plain number");
      switch (i) {
      case kLimit:
        // A key that cannot be read gives the recount the default instead.
        if (!m_faults.unreadable)
          HG_FUZZ_CHECK(value == w.EveryDayLimit(), what + " vs " + Number(w.EveryDayLimit()));
        break;
      case kDate:
        HG_FUZZ_CHECK(value == w.LastDate(), what + " vs " + Number(w.LastDate()));
        break;
      case kTime:
        // After a tick the stored remainder is the field, or 0 once spent;
        // on a read-only key only a write through the handle that created
        // it goes through, and the tick's later ones fail.
        if (ticked && !m_faults.readOnly)
          HG_FUZZ_CHECK(value == std::max(w.LastTime(), 0), what + " vs " + Number(w.LastTime()));
        break;
      case kTimeAdjust:
        HG_FUZZ_CHECK(value == w.LastTimeAdjust(), what + " vs " + Number(w.LastTimeAdjust()));
        break;
      default:
        HG_FUZZ_CHECK(value == w.AdjustTime(), what + " vs " + Number(w.AdjustTime()));
        break;
      }
    }
  }

  void CheckTray() {
    const NotifyIconDataA* icon = m_p.platform.TrayIcon(m_p.hwnd, kTrayIconId);
    if (icon == nullptr)
      return;
    const void* end = std::memchr(icon->szTip, '\0', sizeof icon->szTip);
    HG_FUZZ_CHECK(end != nullptr, "the tip is not terminated within its 128 bytes");
    HG_FUZZ_CHECK(std::strncmp(icon->szTip, "LastTime( ", 10) == 0, icon->szTip);
  }

  void CheckResources() {
    const sim::SimPlatform& ui = m_p.platform;
    HG_FUZZ_CHECK(ui.LiveAllocations() == 0,
                  "record buffers left: " + Number(ui.LiveAllocations()));
    HG_FUZZ_CHECK(ui.OpenEventLogs() == 0, "the event log left open");
    HG_FUZZ_CHECK(ui.OpenTokens() == 0, "a process token left open");
    HG_FUZZ_CHECK(ui.LiveMenus() == 0, "a menu left loaded");
  }

  void CheckStartUp() {
    FindWrites();
    CheckResources();
    // With no window the object still holds what the start-up settled.
    if (m_p.wnd == nullptr || (!m_p.Alive() && m_p.hwnd != 0))
      return;
    const CAccountant& w = m_p.wnd->m_accountant;
    // The day is the stored one (a clock turned back) or today's.
    std::int32_t today = Key(m_p.platform.Now(), w.AdjustTime());
    std::int32_t stored = m_before[kDate] ? ParseStoredNumber(m_before[kDate]->data.c_str()) : 0;
    HG_FUZZ_CHECK(w.LastDate() == today || w.LastDate() == stored,
                  "start-up day " + Number(w.LastDate()) + ", today " + Number(today) +
                      ", stored " + Number(stored));
    CheckWrittenNumbers(false);
    if (m_p.Alive())
      CheckTray();
  }

  void CheckAfterStep(bool ticked, bool continuous) {
    FindWrites();
    CheckResources();
    std::optional<std::string> date = m_p.Get(reg::kLastDate);
    bool alive = m_p.Alive();
    std::int64_t tAfter = m_p.platform.Now();
    std::int32_t adjustAfter = alive ? m_p.wnd->m_accountant.AdjustTime() : m_adjustBefore;
    std::set<std::int32_t> keys;
    if (continuous)
      keys = KeysBetween(m_tBefore, tAfter, m_adjustBefore, adjustAfter);

    // LastDate changes only to the accounting day of the moment it is
    // written, or to the day the program already held.
    if (m_written[kDate]) {
      std::int32_t value = ParseStoredNumber(date->c_str());
      HG_FUZZ_CHECK(value == m_dateBefore || keys.count(value) > 0,
                    "LastDate became " + *date + ", held " + Number(m_dateBefore));
    }
    if (!alive)
      return; // the window is gone, and its object with it
    const CAccountant& w = m_p.wnd->m_accountant;
    HG_FUZZ_CHECK(w.LastDate() == m_dateBefore || keys.count(w.LastDate()) > 0,
                  "the day became " + Number(w.LastDate()) + ", held " + Number(m_dateBefore));
    CheckWrittenNumbers(ticked);
    CheckTray();
  }

  FuzzInput& m_in;
  test::Program m_p;
  Faults m_faults;
  std::size_t m_logSize = 0;
  int m_budget = kTickBudget;
  std::optional<sim::RegValue> m_before[kNumberValueCount];
  bool m_marked[kNumberValueCount] = {};
  bool m_written[kNumberValueCount] = {};
  std::int64_t m_tBefore = 0;
  std::int32_t m_adjustBefore = 0;
  std::int32_t m_dateBefore = 0;
};

} // namespace

int FuzzProgram(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  ProgramRun run(in);
  run.Run();
  return 0;
}

} // namespace hg::fuzz
