#include "platform/framework/WinApp.h"

#include "platform/framework/Wnd.h"
#include "res/resource.h"
#include "util/FormatText.h"

#include <string>

namespace hg {
namespace {
CWinApp* s_pApp = nullptr;
}

CWinApp::CWinApp(Platform& platform) : m_platform(platform) {
  s_pApp = this;
}

CWinApp::~CWinApp() {
  if (s_pApp == this)
    s_pApp = nullptr;
}

CWinApp* AfxGetApp() {
  return s_pApp;
}

int CWinApp::Run() {
  Msg msg;
  while (m_platform.GetMessageA(&msg) > 0)
    m_platform.DispatchMessageA(msg);
  return static_cast<int>(msg.wParam);
}

int AfxWinMain(CWinApp& app) {
  if (!app.InitInstance())
    return 0;
  return app.Run();
}

const char* AfxLoadString(Platform& platform, UINT id, char* buffer, int size) {
  if (size > 0)
    buffer[0] = '\0';
  if (platform.LoadStringA(id, buffer, size) <= 0 && size > 0)
    buffer[0] = '\0';
  return buffer;
}

int AfxMessageBox(Platform& platform, Hwnd owner, UINT stringId, const char* arg1,
                  const char* arg2) {
  char format[256] = {};
  char title[64] = {};
  platform.LoadStringA(stringId, format, sizeof format);
  platform.LoadStringA(AFX_IDS_APP_TITLE, title, sizeof title);
  std::string text;
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && (p[1] == '1' || p[1] == '2')) {
      const char* arg = p[1] == '1' ? arg1 : arg2;
      text += arg != nullptr ? arg : "";
      ++p;
    } else {
      text += *p;
    }
  }
  return platform.MessageBoxA(owner, text.c_str(), title, MB_ICONEXCLAMATION | MB_OK);
}

} // namespace hg

namespace hg {

const char* AfxRegisterWndClass(Platform& platform, UINT style, Handle cursor, Handle brush,
                                Hicon icon) {
  // One name per set of attributes, as MFC makes it; the buffer is static
  // because the name outlives the call.
  static char name[96];
  FormatText(name, sizeof name, "Afx:%x:%llx:%llx:%llx", style,
             static_cast<unsigned long long>(cursor), static_cast<unsigned long long>(brush),
             static_cast<unsigned long long>(icon));
  if (!platform.IsClassRegistered(name)) {
    WndClassA wc;
    wc.style = style;
    wc.lpfnWndProc = &CWnd::StaticWndProc;
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.hbrBackground = brush;
    wc.lpszClassName = name;
    platform.RegisterClassA(wc);
  }
  return name;
}

} // namespace hg
