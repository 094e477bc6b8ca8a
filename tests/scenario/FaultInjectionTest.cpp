// Calls that fail: the program carries on and loses nothing else. (Faults of
// the event log, the timer, the tray and the dialogs are exercised beside
// the behaviour they interrupt, in the other scenario tests.)
#include "AccountantTestAccess.h"
#include "ProgramHarness.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace hg::test {
namespace {

TEST(FaultInjectionTest, UncreatableProgramKeyRunsOnDefaultsAndStoresNothing) {
  Program p;
  p.At(2024, 1, 5, 9, 0);
  p.platform.MakeKeyUncreatable(reg::kProgramKey);
  p.Start();
  EXPECT_FALSE(p.platform.RegKeyExists(reg::kProgramKey));
  EXPECT_EQ(p.platform.RegText(reg::kRunKey, "Hourgauge"),
            "\"C:\\Program Files\\Hourgauge\\hourgauge.exe\"")
      << "the autostart entry lives elsewhere and is still written";
  p.Tick(40);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 3600 - 10) << "counted in memory all the same";
  EXPECT_FALSE(p.platform.RegKeyExists(reg::kProgramKey));
}

// A start without the rights to the Run key (a standard account) goes on
// as usual: the entry stays as it was, the accounting is stored.
TEST(FaultInjectionTest, ReadOnlyRunKeyLeavesTheEntryAndStartsAsUsual) {
  Program p;
  p.At(2024, 1, 5, 9, 0);
  p.platform.SetRegText(reg::kRunKey, "Hourgauge", "C:\\Old\\hourgauge.exe");
  p.platform.MakeKeyReadOnly(reg::kRunKey);
  p.Start();
  EXPECT_EQ(p.platform.RegText(reg::kRunKey, "Hourgauge"), "C:\\Old\\hourgauge.exe");
  EXPECT_TRUE(p.Alive());
  EXPECT_EQ(p.Get("LastDate"), "752964");
  p.Tick();
  EXPECT_EQ(p.Get("LastTime"), "3599");
}

TEST(FaultInjectionTest, ValuesOfAnotherTypeReadAsTheirBytes) {
  Program p;
  p.At(2024, 1, 5, 9, 0);
  p.platform.SetRegRaw(reg::kProgramKey, "LimitTime", REG_DWORD, std::string("\x5a\0\0\0", 4));
  p.platform.SetRegRaw(reg::kProgramKey, "AdjustTime", REG_BINARY, "30");
  p.platform.SetRegRaw(reg::kProgramKey, "PASSWORD", REG_DWORD, std::string("\0\0\0\0", 4));
  p.Start();
  EXPECT_EQ(p.wnd->m_accountant.LimitTime(), 0) << "\"Z\" has no digits";
  EXPECT_EQ(p.wnd->m_accountant.AdjustTime(), 30);
  // A password whose bytes read as empty text protects nothing.
  p.platform.PressEscape();
  p.platform.PostMessageA(p.hwnd, WM_COMMAND, ID_SETTINGS, 0);
  p.platform.Pump();
  ASSERT_EQ(p.platform.Dialogs().size(), 1u);
  EXPECT_EQ(p.platform.Dialogs()[0].templateId, static_cast<UINT>(IDD_SETTINGS));
}

TEST(FaultInjectionTest, RefusedTokenAndRefusedPowerOffLeaveTheProgramRunning) {
  Program p;
  p.At(2024, 1, 5, 9, 0);
  p.Set("LastDate", "752964");
  p.Set("LastTime", "0");
  p.platform.RefuseProcessToken();
  p.platform.RefusePowerOff();
  p.Start();
  AccountantTestAccess::SetLastTime(p.wnd->m_accountant, 0);
  p.Tick(2);
  EXPECT_EQ(p.PowerOffs(), 0u) << "no token, no privilege: no power-off request";
  EXPECT_EQ(p.Logoffs(), 2u);
  EXPECT_EQ(p.Get("LastTime"), "0");
  EXPECT_EQ(p.Get("LastDate"), "752964");
  EXPECT_TRUE(p.Alive());
  EXPECT_EQ(p.platform.OpenTokens(), 0);
}

TEST(FaultInjectionTest, WindowThatCannotBeCreatedStillLeavesTheStateStored) {
  Program p;
  p.At(2024, 1, 5, 9, 0);
  p.platform.FailCreateWindow();
  p.Start();
  EXPECT_EQ(p.hwnd, 0u);
  EXPECT_EQ(p.Get("LastTime"), "3600");
  EXPECT_EQ(p.Get("StartTime"), "01/05 09:00:00");
  EXPECT_TRUE(p.platform.TrayCalls().empty());
}

TEST(FaultInjectionTest, ReadOnlyKeyDuringARunKeepsCountingAndRetriesEveryTick) {
  Program p;
  p.At(2024, 1, 5, 9, 0);
  p.Set("LastDate", "752964");
  p.Set("LastTime", "1000");
  p.Start();
  p.Tick(1);
  p.platform.MakeKeyReadOnly(reg::kProgramKey);
  p.Tick(5);
  EXPECT_EQ(p.Get("LastTime"), "999");
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 994);
  p.platform.MakeKeyReadOnly(reg::kProgramKey, false);
  p.Tick(1);
  EXPECT_EQ(p.Get("LastTime"), "993");
}

} // namespace
} // namespace hg::test

namespace hg::test {
namespace {

TEST(HandEditedValuesTest, AdjustmentReachingBefore1970StillCounts) {
  Program p;
  p.At(2024, 1, 5, 9, 0);
  p.Set("AdjustTime", "35791394"); // about 68 years
  p.Start();
  p.Tick(3);
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 3597);
  EXPECT_EQ(p.Get("EndTime"), "") << "a time without a local form is stored as empty text";
  EXPECT_EQ(p.PowerOffs(), 0u);
}

TEST(HandEditedValuesTest, OtherRecordsBetweenSessionsArePassedOver) {
  Program p;
  p.At(2024, 1, 5, 10, 0);
  p.Set("LastDate", "752964");
  p.platform.SetEventLog(
      {EventRecord{7036, p.Local(2024, 1, 5, 9, 30)}, Stop(p.Local(2024, 1, 5, 9, 0)),
       EventRecord{7001, p.Local(2024, 1, 5, 8, 30)}, Start(p.Local(2024, 1, 5, 8, 0))});
  p.Start();
  EXPECT_EQ(p.Get("DayTotal"), "\n01/05 08:00:00 - 01/05 09:00:00 (60min)");
}

TEST(WindowStatesTest, FirstPaintMinimisesOnceLaterPaintsDoNothing) {
  Program p;
  p.At(2024, 1, 5, 9, 0);
  p.Start();
  ASSERT_TRUE(p.wnd->m_bFirstPaint);
  p.platform.ShowWindow(p.hwnd, SW_SHOWNORMAL); // somebody restores it
  p.platform.UpdateWindow(p.hwnd);
  EXPECT_FALSE(p.wnd->m_bFirstPaint);
  EXPECT_TRUE(p.platform.IsMinimized(p.hwnd));
  EXPECT_FALSE(p.platform.IsVisible(p.hwnd)) << "back in the tray";
  p.platform.ShowWindow(p.hwnd, SW_SHOWNORMAL);
  p.platform.UpdateWindow(p.hwnd);
  EXPECT_TRUE(p.platform.IsVisible(p.hwnd)) << "only the first paint minimises";
}

} // namespace
} // namespace hg::test
