// The application object: creates the main window and shows it minimised,
// which puts the program into the notification area.
#pragma once
#include "platform/framework/WinApp.h"

namespace hg {

class CTimeLimitApp : public CWinApp {
public:
  explicit CTimeLimitApp(Platform& platform) : CWinApp(platform) {}
  BOOL InitInstance() override;
};

} // namespace hg
