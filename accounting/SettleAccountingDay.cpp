// Start-up: load the accounting state and settle which day it belongs to.
#include "accounting/Accountant.h"
#include "accounting/AccountingTime.h"
#include "store/RegistryStore.h"
#include "store/ValueNames.h"

namespace hg {

std::int64_t CAccountant::SettleAccountingDay() {
  m_nEveryDayLimit =
      ReadRegNumber(m_platform, kHkeyLocalMachine, reg::kProgramKey, reg::kLimitTime, 60);
  m_nLimitTime = m_nEveryDayLimit;
  m_nLastDate = ReadRegNumber(m_platform, kHkeyLocalMachine, reg::kProgramKey, reg::kLastDate, 0);
  m_nLastTime = ReadRegNumber(m_platform, kHkeyLocalMachine, reg::kProgramKey, reg::kLastTime,
                              MinutesToSeconds(m_nLimitTime));
  m_nLastTimeAdjust =
      ReadRegNumber(m_platform, kHkeyLocalMachine, reg::kProgramKey, reg::kLastTimeAdjust, 0);
  m_nAdjustTime =
      ReadRegNumber(m_platform, kHkeyLocalMachine, reg::kProgramKey, reg::kAdjustTime, 0);

  LoadDayRules();

  std::int64_t t = AccountingNow();
  std::int32_t key = MakeDayKey(m_platform, t);
  m_nLimitTime = LimitOfDay(t);

  // An absent (or unreadable) day counts as the day before: a new day
  // begins, the first one, whose use before this start is forgiven.
  if (m_nLastDate == 0) {
    m_nLastDate = key - 1;
    m_bFirstDay = true;
  }

  if (m_nLastDate > key) {
    // The clock shows an earlier day than the one stored: turned back, or a
    // later date was once set. A minute to give the parent's password.
    m_laterDay = LaterDay::Minute;
    m_noticeClock.StartLateMinute();
  } else if (m_nLastDate < key) {
    m_nLastDate = key;
    m_nLastTimeAdjust = 0;
    m_nLastTime = MinutesToSeconds(m_nLimitTime);
    std::string yesterday = ReadText(reg::kDayTotal);
    WriteText(reg::kDayTotal2, yesterday.c_str());
    WriteText(reg::kDayTotal, "");
    // Cleared with the empty text, not "0": empty is what "no credit" reads as.
    WriteText(reg::kLastTimeAdjust, "");
  }

  if (m_laterDay == LaterDay::None)
    m_nLastTime = CapToBedtime(m_nLastTime, t);
  // Start-up grace: every start gets at least a minute.
  if (m_nLastTime < 60)
    m_nLastTime = 60;

  WriteNumber(reg::kLastDate, m_nLastDate);
  WriteNumber(reg::kLastTime, m_nLastTime);
  return t;
}

} // namespace hg
