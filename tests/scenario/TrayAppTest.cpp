// The tray application: start-up, the hidden window, the icon and its menu,
// and the ways the program closes.
#include "ProgramHarness.h"
#include "res/Texts.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <set>

namespace hg::test {
namespace {

class TrayAppTest : public ::testing::Test {
protected:
  Program p;
  void SetUp() override {
    p.At(2024, 1, 5, 9, 0);
    p.Set("LastDate", "752964");
    p.Set("LastTime", "3000");
  }
  void Press(Wparam id, Lparam mouse) {
    p.platform.SendMessageA(p.hwnd, WM_TRAYNOTIFY, id, mouse);
    p.platform.Pump();
  }
};

TEST_F(TrayAppTest, WindowSitsBottomRightHiddenWithItsIconInTheTray) {
  p.Start();
  ASSERT_TRUE(p.Alive());
  EXPECT_EQ(p.platform.FindTopLevel("HourgaugeLite"), p.hwnd);
  Rect r = p.platform.WindowRect(p.hwnd);
  EXPECT_EQ(r.left, 704);
  EXPECT_EQ(r.top, 642);
  EXPECT_EQ(r.right - r.left, 320);
  EXPECT_EQ(r.bottom - r.top, 86);
  EXPECT_EQ(p.platform.StyleOf(p.hwnd), static_cast<DWORD>(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN));
  EXPECT_TRUE(p.platform.IsMinimized(p.hwnd));
  EXPECT_FALSE(p.platform.IsVisible(p.hwnd));
  EXPECT_TRUE(p.platform.HasTimer(p.hwnd, 1));
  EXPECT_EQ(p.wnd->m_nTimerId, 1);

  const NotifyIconDataA* icon = p.platform.TrayIcon(p.hwnd, 101);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->cbSize, kNotifyIconDataV2Size);
  EXPECT_EQ(icon->uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(icon->uCallbackMessage, 0x9F1u);
  EXPECT_NE(icon->hIcon, 0u);
  EXPECT_EQ(std::string(icon->szTip), "LastTime( 50min )");
}

TEST_F(TrayAppTest, EveryStartShowsMinimisedWhateverTheShowCommand) {
  p.Start();
  EXPECT_EQ(p.platform.TrayCalls().front().message, static_cast<DWORD>(NIM_ADD));
  // The record built in the constructor had no window yet; the minimise
  // rebuilt it whole with the real handle.
  EXPECT_EQ(p.platform.TrayCalls().front().data.hWnd, p.hwnd);
}

TEST_F(TrayAppTest, TooltipThroughAWholeMinute) {
  p.Set("LastTime", "3661");
  p.Start();
  std::vector<std::string> tips;
  for (int i = 0; i < 61; ++i) {
    p.Tick();
    tips.push_back(p.Tip());
  }
  EXPECT_EQ(tips.front(), "LastTime( 61min )");
  EXPECT_EQ(tips[0], "LastTime( 61min )");  // 3660 s
  EXPECT_EQ(tips[28], "LastTime( 60min )"); // 3632 s, no suffix before the first recount
  EXPECT_EQ(tips[29], "LastTime( 60min )\n 5日(0min) 4日(0min) 3日(0min)");
  // Tick 30 recounted from an empty log: a full hour from then on.
  EXPECT_EQ(p.wnd->m_accountant.LastTime(), 3600 - 31);
  EXPECT_EQ(tips.back(), "LastTime( 59min )\n 5日(0min) 4日(0min) 3日(0min)");
}

TEST_F(TrayAppTest, ButtonPressOnTheIconOpensTheMenuAboveTheCursor) {
  p.Start();
  p.platform.SetCursor(900, 750);
  Press(101, WM_RBUTTONDOWN);
  Press(101, WM_LBUTTONDOWN);
  ASSERT_EQ(p.platform.Popups().size(), 2u);
  const auto& popup = p.platform.Popups()[0];
  EXPECT_EQ(popup.x, 900);
  EXPECT_EQ(popup.y, 740);
  EXPECT_EQ(popup.flags, static_cast<UINT>(TPM_RIGHTBUTTON));
  EXPECT_EQ(popup.owner, p.hwnd);
  ASSERT_EQ(popup.items.size(), 8u);
  EXPECT_EQ(popup.items[0], std::make_pair(32771u, std::string("パスワード設定(&P)")));
  EXPECT_EQ(popup.items[1].first, 32772u);
  EXPECT_EQ(popup.items[2].first, 32781u);
  EXPECT_EQ(popup.items[3], std::make_pair(32780u, std::string("使用履歴(&H)...")));
  EXPECT_EQ(popup.items[4].first, 0u);
  EXPECT_EQ(popup.items[5].first, 32777u);
  EXPECT_EQ(popup.items[7].first, 32773u);
  EXPECT_EQ(p.platform.ForegroundCalls(), 2);
  EXPECT_EQ(p.platform.LiveMenus(), 0) << "each menu destroyed after use";
}

TEST_F(TrayAppTest, OtherIconsAndOtherMouseMessagesDoNothing) {
  p.Start();
  for (Lparam mouse : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK,
                       WM_MBUTTONDOWN})
    Press(101, mouse);
  Press(102, WM_RBUTTONDOWN);
  Press(0, WM_LBUTTONDOWN);
  EXPECT_TRUE(p.platform.Popups().empty());
  EXPECT_EQ(p.platform.SendMessageA(p.hwnd, WM_TRAYNOTIFY, 102, WM_RBUTTONDOWN), 1);
}

TEST_F(TrayAppTest, FirstItemFollowsThePasswordOnEachFreshMenu) {
  p.Start();
  Press(101, WM_RBUTTONDOWN);
  p.Set("PASSWORD", "~|{");
  Press(101, WM_RBUTTONDOWN);
  p.Set("PASSWORD", "");
  Press(101, WM_RBUTTONDOWN);
  ASSERT_EQ(p.platform.Popups().size(), 3u);
  EXPECT_EQ(p.platform.Popups()[0].items[0].second, "パスワード設定(&P)");
  EXPECT_EQ(p.platform.Popups()[1].items[0].second, "パスワード変更(&P)");
  EXPECT_EQ(p.platform.Popups()[2].items[0].second, "パスワード設定(&P)");
}

TEST_F(TrayAppTest, CloseFromOutsideIsRefused) {
  p.Start();
  p.platform.PostMessageA(p.hwnd, WM_CLOSE, 0, 0);
  p.platform.Pump();
  EXPECT_TRUE(p.Alive());
  EXPECT_TRUE(p.platform.HasTimer(p.hwnd, 1));
  EXPECT_TRUE(p.platform.TrayIconShown(p.hwnd, 101));
  p.Tick(2);
  EXPECT_EQ(p.Get("LastTime"), "2998");
}

TEST_F(TrayAppTest, AppExitFromAnotherProgramSavesAndClosesOneCompanion) {
  Hwnd first = p.platform.AddForeignWindow("sysconfig", 1);
  Hwnd second = p.platform.AddForeignWindow("sysconfig", 1);
  p.Start();
  p.Tick(5);
  p.platform.ClearRegJournal();
  p.platform.PostMessageA(p.hwnd, WM_COMMAND, ID_APP_EXIT, 0);
  p.platform.Pump();
  EXPECT_FALSE(p.Alive());
  EXPECT_TRUE(p.platform.QuitPosted());
  EXPECT_FALSE(p.platform.TrayIconShown(p.hwnd, 101));
  EXPECT_EQ(p.platform.ClosePostsReceived(first) + p.platform.ClosePostsReceived(second), 1);
  EXPECT_EQ(p.ProgramWrites(), (std::vector<std::string>{"LastDate=752964", "LastTime=2995"}));
}

TEST_F(TrayAppTest, SessionEndSavesAndAgrees) {
  p.Start();
  p.Tick(3);
  p.platform.ClearRegJournal();
  EXPECT_EQ(p.platform.SendMessageA(p.hwnd, WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(p.ProgramWrites(), (std::vector<std::string>{"LastDate=752964", "LastTime=2997"}));
  EXPECT_TRUE(p.Alive()) << "Windows may still cancel the session end";
  // The question alone allows nothing: another program can ask it and then
  // send WM_CLOSE, and a cancelled shutdown leaves the program running.
  p.platform.PostMessageA(p.hwnd, WM_CLOSE, 0, 0);
  p.platform.Pump();
  EXPECT_TRUE(p.Alive());
  EXPECT_TRUE(p.platform.TrayIconShown(p.hwnd, 101));
  p.Tick();
  EXPECT_EQ(p.Get("LastTime"), "2996") << "the countdown goes on";
}

// A session's end saves before the handler returns (Windows may end the
// process right after it) and closes nothing: any program can send it, and
// after a real one Windows ends the process itself.
TEST_F(TrayAppTest, SessionEndSavesAndLeavesTheEndingToWindows) {
  p.Start();
  p.Tick(3);
  EXPECT_EQ(p.platform.SendMessageA(p.hwnd, WM_QUERYENDSESSION, 0, 0), TRUE);
  p.platform.ClearRegJournal();
  p.platform.SendMessageA(p.hwnd, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(p.ProgramWrites(), (std::vector<std::string>{"LastDate=752964", "LastTime=2997"}));
  p.platform.PostMessageA(p.hwnd, WM_CLOSE, 0, 0);
  p.platform.Pump();
  EXPECT_TRUE(p.Alive());
  EXPECT_TRUE(p.platform.TrayIconShown(p.hwnd, 101));
  EXPECT_FALSE(p.platform.QuitPosted());
  p.Tick();
  EXPECT_EQ(p.Get("LastTime"), "2996") << "the countdown goes on";
}

// Windows may end the session while the uninstall's message box is open:
// the removed program key must not come back.
TEST_F(TrayAppTest, SessionEndAfterTheUninstallWritesNothing) {
  p.Start();
  p.Tick(3);
  p.platform.SendMessageA(p.hwnd, WM_COMMAND, ID_UNINSTALL, 0);
  ASSERT_FALSE(p.platform.RegKeyExists(reg::kProgramKey));
  EXPECT_EQ(p.platform.SendMessageA(p.hwnd, WM_QUERYENDSESSION, 0, 0), TRUE);
  p.platform.SendMessageA(p.hwnd, WM_ENDSESSION, TRUE, 0);
  p.platform.Pump();
  EXPECT_FALSE(p.Alive());
  EXPECT_FALSE(p.platform.RegKeyExists(reg::kProgramKey));
}

TEST_F(TrayAppTest, CancelledSessionEndKeepsRunning) {
  p.Start();
  p.Tick(3);
  EXPECT_EQ(p.platform.SendMessageA(p.hwnd, WM_QUERYENDSESSION, 0, 0), TRUE);
  p.platform.ClearRegJournal();
  p.platform.SendMessageA(p.hwnd, WM_ENDSESSION, FALSE, 0);
  p.platform.Pump();
  EXPECT_TRUE(p.ProgramWrites().empty());
  p.platform.PostMessageA(p.hwnd, WM_CLOSE, 0, 0);
  p.platform.Pump();
  EXPECT_TRUE(p.Alive());
  EXPECT_TRUE(p.platform.TrayIconShown(p.hwnd, 101));
  EXPECT_TRUE(p.platform.HasTimer(p.hwnd, kTickTimerId));
}

TEST_F(TrayAppTest, CloseDuringAShutdownCloses) {
  p.Start();
  p.Tick(3);
  p.platform.SetShuttingDown();
  p.platform.ClearRegJournal();
  p.platform.PostMessageA(p.hwnd, WM_CLOSE, 0, 0);
  p.platform.Pump();
  EXPECT_FALSE(p.Alive());
  EXPECT_EQ(p.ProgramWrites(), (std::vector<std::string>{"LastDate=752964", "LastTime=2997"}));
  EXPECT_FALSE(p.platform.TrayIconShown(p.hwnd, 101));
}

// Windows promises only a non-zero result from SetTimer: the timer is
// stopped by its own identifier.
TEST_F(TrayAppTest, TimerIsStoppedByItsIdentifierNotBySetTimersResult) {
  p.platform.SetTimerResult(0x2A);
  p.Start();
  EXPECT_EQ(p.wnd->m_nTimerId, 0x2A);
  EXPECT_FALSE(p.platform.KillTimer(p.hwnd, 0x2A)) << "no timer has that identifier";
  EXPECT_TRUE(p.platform.HasTimer(p.hwnd, kTickTimerId));
  // The exit command stops the timer, then posts its close.
  p.platform.SendMessageA(p.hwnd, WM_COMMAND, ID_QUIT, 0);
  EXPECT_FALSE(p.platform.HasTimer(p.hwnd, kTickTimerId));
  EXPECT_EQ(p.wnd->m_nTimerId, 0);
  p.platform.Pump();
  EXPECT_FALSE(p.Alive());
}

// Menu 128 holds four popups; the tray shows only the first.
TEST_F(TrayAppTest, TrayMenuIsTheFirstOfTheFourPopups) {
  Hmenu menu = p.platform.LoadMenuA(IDR_MAINFRAME);
  ASSERT_NE(menu, 0u);
  for (int i = 0; i < 4; ++i)
    EXPECT_NE(p.platform.GetSubMenu(menu, i), 0u) << i;
  EXPECT_EQ(p.platform.GetSubMenu(menu, 4), 0u);
  p.platform.DestroyMenu(menu);
  p.Start();
  p.platform.SendMessageA(p.hwnd, WM_TRAYNOTIFY, 101, WM_RBUTTONDOWN);
  ASSERT_EQ(p.platform.Popups().size(), 1u);
  const auto& items = p.platform.Popups()[0].items;
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(items.front().first, static_cast<UINT>(ID_CHANGE_PASSWORD));
  EXPECT_EQ(items.back().first, static_cast<UINT>(ID_QUIT));
  EXPECT_EQ(p.platform.LiveMenus(), 0);
}

TEST_F(TrayAppTest, TheApplicationEndsWhenItsWindowIsDestroyed) {
  p.Start();
  p.platform.PostMessageA(p.hwnd, WM_COMMAND, ID_APP_EXIT, 0);
  p.platform.SetRunLimit(p.platform.Now() + 60);
  EXPECT_EQ(p.app->Run(), 0);
  EXPECT_FALSE(p.Alive());
  EXPECT_EQ(p.app->m_pMainWnd, nullptr);
}

TEST_F(TrayAppTest, RunKeepsTickingUntilTheWindowCloses) {
  p.Start();
  p.platform.SetRunLimit(p.platform.Now() + 10);
  p.app->Run(); // returns at the limit: the program would run on
  EXPECT_EQ(p.Get("LastTime"), "2990");
  EXPECT_TRUE(p.Alive());
}

TEST_F(TrayAppTest, WithoutATimerNothingCountsAndClosingSavesNothing) {
  p.platform.FailSetTimer();
  p.Start();
  EXPECT_EQ(p.wnd->m_nTimerId, 0);
  p.Tick(5);
  EXPECT_EQ(p.Get("LastTime"), "3000");
  p.platform.ClearRegJournal();
  p.platform.PostMessageA(p.hwnd, WM_COMMAND, ID_APP_EXIT, 0);
  p.platform.Pump();
  EXPECT_FALSE(p.Alive());
  EXPECT_TRUE(p.ProgramWrites().empty());
}

TEST_F(TrayAppTest, FailedTrayAddStillHidesTheWindowAndKeepsCounting) {
  p.platform.FailTrayAdd();
  p.Start();
  EXPECT_FALSE(p.platform.IsVisible(p.hwnd));
  EXPECT_FALSE(p.platform.TrayIconShown(p.hwnd, 101));
  p.Tick(2);
  EXPECT_EQ(p.Get("LastTime"), "2998");
}

TEST_F(TrayAppTest, SecondInstanceRunsIndependently) {
  p.Start();
  Program second;
  second.platform.SetTime(p.platform.Now());
  second.Start();
  EXPECT_NE(second.hwnd, p.hwnd);
  EXPECT_TRUE(second.Alive());
  EXPECT_TRUE(p.Alive());
}

} // namespace
} // namespace hg::test

namespace hg::test {
namespace {

TEST(ClosingTest, RefusedCloseKeepsTheHiddenWindowHiddenAndARestoredOneGoesToTheTray) {
  Program p;
  p.At(2024, 1, 5, 9, 0);
  p.Start();
  p.platform.PostMessageA(p.hwnd, WM_CLOSE, 0, 0);
  p.platform.Pump();
  EXPECT_FALSE(p.platform.IsVisible(p.hwnd)) << "no taskbar button for the tray program";
  EXPECT_TRUE(p.platform.TrayIconShown(p.hwnd, 101));
  p.platform.ShowWindow(p.hwnd, SW_SHOWNORMAL); // somebody restored it
  p.platform.PostMessageA(p.hwnd, WM_CLOSE, 0, 0);
  p.platform.Pump();
  EXPECT_FALSE(p.platform.IsVisible(p.hwnd));
  EXPECT_TRUE(p.platform.IsMinimized(p.hwnd));
  EXPECT_TRUE(p.Alive());
}

TEST(ClosingTest, DialogsOpenInTheMiddleOfTheScreen) {
  Program p;
  p.At(2024, 1, 5, 9, 0);
  p.Start();
  struct Seen {
    Rect rect;
    bool seen = false;
  } seen;
  p.platform.SetDialogObserver(
      [](sim::SimPlatform& platform, UINT, void* context) {
        auto* s = static_cast<Seen*>(context);
        Hwnd dialog = platform.FindTopLevel("設定変更 ( HourgaugeLite ver1.1 )");
        s->seen = platform.GetWindowRect(dialog, &s->rect) != FALSE;
      },
      &seen);
  p.platform.WaitSeconds(1).PressEscape();
  p.platform.PostMessageA(p.hwnd, WM_COMMAND, ID_SETTINGS, 0);
  p.platform.Pump();
  ASSERT_TRUE(seen.seen);
  int width = seen.rect.right - seen.rect.left;
  int height = seen.rect.bottom - seen.rect.top;
  EXPECT_GT(width, 0);
  EXPECT_EQ(seen.rect.left, (1024 - width) / 2);
  EXPECT_EQ(seen.rect.top, (768 - height) / 2);
}

TEST_F(TrayAppTest, OnceAddedTheTickSendsTheTipAlone) {
  p.Start();
  p.Tick(3);
  const auto& calls = p.platform.TrayCalls();
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(calls[0].data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  for (std::size_t i = 1; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls[i].data.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_TRUE(calls[i].result);
  }
  // The shell still holds the icon and callback of the add.
  const NotifyIconDataA* icon = p.platform.TrayIcon(p.hwnd, kTrayIconId);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->hIcon, calls[0].data.hIcon);
  EXPECT_EQ(icon->uCallbackMessage, 0x9F1u);
  EXPECT_EQ(std::string(icon->szTip), "LastTime( 49min )");
}

TEST_F(TrayAppTest, IconComesBackWhenExplorerStartsAgain) {
  p.Start();
  p.Tick(5);
  p.platform.RestartShell();
  ASSERT_TRUE(p.platform.TrayIconShown(p.hwnd, kTrayIconId));
  const sim::TrayCall& readd = p.platform.TrayCalls().back();
  EXPECT_EQ(readd.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(readd.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(readd.data.uCallbackMessage, 0x9F1u);
  EXPECT_NE(readd.data.hIcon, 0u);
  // With the current tooltip, and the ticks go on with the tip alone.
  EXPECT_EQ(std::string(readd.data.szTip), "LastTime( 49min )");
  p.Tick(1);
  EXPECT_EQ(p.platform.TrayCalls().back().data.uFlags, static_cast<UINT>(NIF_TIP));
  EXPECT_TRUE(p.platform.TrayCalls().back().result);
}

TEST_F(TrayAppTest, RefusedAddAtLogonIsTriedAgainOnTheTicks) {
  p.platform.FailTrayAdd(true);
  p.Start();
  EXPECT_FALSE(p.platform.TrayIconShown(p.hwnd, kTrayIconId));
  p.Tick(3);
  EXPECT_FALSE(p.platform.TrayIconShown(p.hwnd, kTrayIconId));
  p.platform.FailTrayAdd(false);
  p.Tick(1);
  ASSERT_TRUE(p.platform.TrayIconShown(p.hwnd, kTrayIconId));
  const sim::TrayCall& add = p.platform.TrayCalls().back();
  EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(p.Tip(), "LastTime( 49min )");
  p.Tick(1);
  EXPECT_EQ(p.platform.TrayCalls().back().data.uFlags, static_cast<UINT>(NIF_TIP));
}

TEST_F(TrayAppTest, MenuIsFollowedByANullMessageToTheWindow) {
  p.Start();
  p.platform.ChooseMenuItem(0);
  Press(kTrayIconId, WM_RBUTTONDOWN);
  ASSERT_EQ(p.platform.Popups().size(), 1u);
  const auto& posted = p.platform.PostedMessages();
  ASSERT_FALSE(posted.empty());
  EXPECT_EQ(posted.back().hwnd, p.hwnd);
  EXPECT_EQ(posted.back().message, static_cast<UINT>(WM_NULL));
}

TEST_F(TrayAppTest, IconIsLoadedOnceAtTheSmallIconSizeAndDestroyedAtTheEnd) {
  p.platform.SetScreenDpi(144); // 150 %: small icons of 24 pixels
  p.Start();
  p.Tick(10);
  p.platform.RestartShell();
  p.Tick(2);
  EXPECT_EQ(p.platform.LiveIcons(), 1);
  std::set<Hicon> icons;
  for (const auto& call : p.platform.TrayCalls())
    if (call.data.uFlags & NIF_ICON)
      icons.insert(call.data.hIcon);
  EXPECT_EQ(icons.size(), 1u);
  // The simulated icon handle carries the size it was loaded at.
  EXPECT_EQ(*icons.begin() % 0x100, 48u);
  p.platform.PostMessageA(p.hwnd, WM_COMMAND, ID_APP_EXIT, 0);
  p.platform.Pump();
  ASSERT_FALSE(p.Alive());
  EXPECT_EQ(p.platform.LiveIcons(), 0);
}

// A second start in the same session ends at once: one icon, one count.
TEST_F(TrayAppTest, SecondStartEndsAtOnceAndTheNextOneAfterAnExitRuns) {
  p.Start();
  ASSERT_TRUE(p.started);
  {
    CTimeLimitApp second(p.platform);
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(second.m_pMainWnd, nullptr);
  }
  p.Tick(5);
  std::size_t adds = 0;
  for (const auto& call : p.platform.TrayCalls())
    adds += call.message == NIM_ADD ? 1 : 0;
  EXPECT_EQ(adds, 1u);
  EXPECT_EQ(p.Get("LastTime"), "2995") << "counted once a second, not twice";

  p.platform.PostMessageA(p.hwnd, WM_COMMAND, ID_APP_EXIT, 0);
  p.platform.Pump();
  ASSERT_FALSE(p.Alive());
  p.app.reset(); // the program's process ends
  CTimeLimitApp next(p.platform);
  EXPECT_TRUE(next.InitInstance());
  ASSERT_NE(next.m_pMainWnd, nullptr);
  p.platform.DestroyWindow(next.m_pMainWnd->m_hWnd);
}

// Run as administrator, the window lets Explorer's "TaskbarCreated" in from
// the lower level Explorer runs at, so the icon comes back with Explorer.
TEST_F(TrayAppTest, ElevatedCopyHearsANewExplorer) {
  p.platform.SetElevated();
  p.Start();
  p.Tick(2);
  p.platform.RestartShell();
  EXPECT_TRUE(p.platform.TrayIconShown(p.hwnd, kTrayIconId));
}

// An icon the shell lost without a word: the next modify fails, and the
// icon is added again at once, tip and all.
TEST_F(TrayAppTest, FailedModifyAddsTheIconAgain) {
  p.Start();
  p.Tick(2);
  p.platform.DropTrayIcons();
  p.Tick(1);
  ASSERT_TRUE(p.platform.TrayIconShown(p.hwnd, kTrayIconId));
  EXPECT_EQ(p.Tip().rfind("LastTime( 49min )", 0), 0u) << p.Tip();
  const auto& calls = p.platform.TrayCalls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_FALSE(calls[calls.size() - 2].result);
  EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_ADD));
  EXPECT_TRUE(calls.back().result);
}

} // namespace
} // namespace hg::test
