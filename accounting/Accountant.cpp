// The engine's start, its save and its writes of the program key.
#include "accounting/Accountant.h"

#include "store/RegistryStore.h"
#include "store/ValueNames.h"

namespace hg {

void CAccountant::Start() {
  std::int64_t t = SettleAccountingDay();
  RecordPreviousSession(t);
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
