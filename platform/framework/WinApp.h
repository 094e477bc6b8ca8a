// The application object of the mini framework: an initialisation step that
// creates the main window, then a message loop that ends when it is destroyed.
#pragma once
#include "platform/Platform.h"

namespace hg {

class CWnd;

class CWinApp {
public:
  explicit CWinApp(Platform& platform);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance() { return FALSE; }
  // Runs the message loop; returns the WM_QUIT exit code.
  virtual int Run();

  CWnd* m_pMainWnd = nullptr;

protected:
  Platform& m_platform;
};

// The one running application object (MFC's AfxGetApp).
CWinApp* AfxGetApp();

// The framework's entry point: InitInstance, then the message loop.
int AfxWinMain(CWinApp& app);

// A string-table text in the display language into `buffer` (MFC's
// AfxLoadString); the empty text when there is none. Returns `buffer`.
const char* AfxLoadString(Platform& platform, UINT id, char* buffer, int size);
template <int N> const char* AfxLoadString(Platform& platform, UINT id, char (&buffer)[N]) {
  return AfxLoadString(platform, id, buffer, N);
}

// The framework's own message box: a string-table text with %1 and %2
// replaced, captioned with the application title (string 57344).
int AfxMessageBox(Platform& platform, Hwnd owner, UINT stringId, const char* arg1 = nullptr,
                  const char* arg2 = nullptr);

// Registers (once) a window class with these attributes and the framework's
// window procedure, and returns its generated name.
const char* AfxRegisterWndClass(Platform& platform, UINT style, Handle cursor, Handle brush,
                                Hicon icon);
} // namespace hg
