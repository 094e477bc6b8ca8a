// The application object: creates the main window and shows it minimised,
// which puts the program into the notification area.
#pragma once
#include "platform/framework/WinApp.h"

namespace hg {

// One copy per session: a second start (by hand, or by the service while
// the first still runs) ends at once instead of counting twice.
inline constexpr char kSingleInstanceMutex[] = "Local\\HourgaugeLite";

class CTimeLimitApp : public CWinApp {
public:
  explicit CTimeLimitApp(Platform& platform) : CWinApp(platform) {}
  ~CTimeLimitApp() override;
  BOOL InitInstance() override;

private:
  Handle m_hSingleInstance = 0;
};

} // namespace hg
