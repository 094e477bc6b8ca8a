// The engine's start, its save and its writes of the program key.
#include "accounting/Accountant.h"

#include "store/RegistryStore.h"
#include "store/ValueNames.h"

#include <algorithm>

namespace hg {

void CAccountant::Start() {
  std::int64_t t = SettleAccountingDay();
  RecordPreviousSession(t);
  if (m_bFirstDay) {
    // The first day counts from this start, as after a reset of today.
    m_nLastTimeAdjust = TodayUse();
    if (m_nLastTimeAdjust != 0)
      WriteNumber(reg::kLastTimeAdjust, m_nLastTimeAdjust);
  }
}

void CAccountant::AddExtraTime(std::int32_t minutes) {
  minutes = std::clamp(minutes, kMinExtraMinutes, kMaxExtraMinutes);
  m_nLastTimeAdjust = CreditWithExtraTime(m_nLastTimeAdjust, minutes);
  WriteNumber(reg::kLastTimeAdjust, m_nLastTimeAdjust);
  // Counted from what is left now: nothing, once the day is spent.
  m_nLastTime = SaturatingSum(std::max(m_nLastTime, 0), std::int64_t{minutes} * 60);
  m_nLastTime = CapToBedtime(m_nLastTime, AccountingNow());
  WriteNumber(reg::kLastTime, m_nLastTime);
  m_display.ShowRemaining(m_nLastTime);
}

void CAccountant::Save() {
  WriteNumber(reg::kLastDate, m_nLastDate);
  WriteNumber(reg::kLastTime, m_nLastTime);
}

std::int64_t CAccountant::AccountingNow() {
  return hg::AccountingNow(m_platform, m_nAdjustTime);
}

void CAccountant::ForceShutdown() {
  WriteNumber(reg::kLastDate, m_nLastDate);
  WriteText(reg::kLastTime, "0");
  m_powerOff.Request();
}

void CAccountant::WriteNumber(const char* valueName, std::int32_t value) {
  WriteRegNumber(m_platform, kHkeyLocalMachine, reg::kProgramKey, valueName, value);
}

void CAccountant::WriteText(const char* valueName, const char* text) {
  WriteRegString(m_platform, kHkeyLocalMachine, reg::kProgramKey, valueName, text);
}

std::string CAccountant::ReadText(const char* valueName) {
  return ReadRegString(m_platform, kHkeyLocalMachine, reg::kProgramKey, valueName);
}

} // namespace hg
