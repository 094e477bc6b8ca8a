// Runs the program on the simulated Windows the way Windows starts it: the
// application object, InitInstance, then seconds of simulated time.
#pragma once
#include "app/LimitWnd.h"
#include "app/TimeLimitApp.h"
#include "platform/sim/SimPlatform.h"
#include "store/ValueNames.h"

#include <memory>
#include <optional>
#include <string>

namespace hg::test {

class Program {
public:
  sim::SimPlatform platform;
  std::unique_ptr<CTimeLimitApp> app;
  CLimitWnd* wnd = nullptr;
  Hwnd hwnd = 0;
  bool started = false;

  Program() { platform.SetTimeZone("Asia/Tokyo"); }
  ~Program() {
    if (hwnd != 0 && platform.IsWindowAlive(hwnd))
      platform.DestroyWindow(hwnd); // the window deletes itself
    else if (wnd != nullptr && hwnd == 0)
      delete wnd; // never became a window
  }

  void At(int year, int month, int day, int hour, int minute, int second = 0) {
    platform.SetTime(platform.LocalTime(year, month, day, hour, minute, second));
  }
  std::int64_t Local(int year, int month, int day, int hour, int minute, int second = 0) {
    return platform.LocalTime(year, month, day, hour, minute, second);
  }

  void Start() {
    app = std::make_unique<CTimeLimitApp>(platform);
    started = app->InitInstance() != FALSE;
    wnd = static_cast<CLimitWnd*>(app->m_pMainWnd);
    hwnd = wnd != nullptr ? wnd->m_hWnd : 0;
  }
  void Tick(int seconds = 1) { platform.AdvanceSeconds(seconds); }
  bool Alive() const { return hwnd != 0 && platform.IsWindowAlive(hwnd); }

  void Set(const char* name, const std::string& text) {
    platform.SetRegText(reg::kProgramKey, name, text);
  }
  std::optional<std::string> Get(const char* name) const {
    return platform.RegText(reg::kProgramKey, name);
  }
  std::string Tip() const {
    const NotifyIconDataA* icon = platform.TrayIcon(hwnd, kTrayIconId);
    return icon != nullptr ? std::string(icon->szTip) : std::string();
  }
  // Requests to power the PC off, and to end the session instead.
  std::size_t PowerOffs() const { return CountExits(true); }
  std::size_t Logoffs() const { return CountExits(false); }
  std::size_t CountExits(bool powerOff) const {
    std::size_t n = 0;
    for (const sim::PowerOffRequest& r : platform.PowerOffRequests())
      n += ((r.flags & EWX_POWEROFF) != 0) == powerOff ? 1 : 0;
    return n;
  }
  // Values written to the program key, in order, as "Name=text".
  std::vector<std::string> ProgramWrites() const {
    std::vector<std::string> writes;
    for (const auto& w : platform.RegWrites())
      if (w.op == sim::RegOp::Set && w.key == reg::kProgramKey)
        writes.push_back(w.name + "=" + w.data);
    return writes;
  }
};

// A System-log record, newest first in a log.
inline EventRecord Start(std::int64_t t) {
  return EventRecord{6005, t};
}
inline EventRecord Resume(std::int64_t t) {
  return EventRecord{1, t};
}
inline EventRecord Stop(std::int64_t t) {
  return EventRecord{6006, t};
}
inline EventRecord Sleep(std::int64_t t) {
  return EventRecord{42, t};
}
// Laptops with Modern Standby: the lid closed, and opened again.
inline EventRecord StandbyEnter(std::int64_t t) {
  return EventRecord{506, t, "Microsoft-Windows-Kernel-Power"};
}
inline EventRecord StandbyExit(std::int64_t t) {
  return EventRecord{507, t, "Microsoft-Windows-Kernel-Power"};
}
// "The system time has changed", logged at every time synchronisation.
inline EventRecord TimeChanged(std::int64_t t) {
  return EventRecord{1, t, "Microsoft-Windows-Kernel-General"};
}

} // namespace hg::test
