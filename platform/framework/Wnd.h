// The window base of the mini framework: a Win32 window attached to an
// object, messages dispatched through the class's message map, everything
// else to the default window procedure.
#pragma once
#include "platform/Platform.h"
#include "platform/framework/MessageMap.h"

namespace hg {

class CWnd {
public:
  explicit CWnd(Platform& platform) : m_platform(platform) {}
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  Hwnd m_hWnd = 0;

  Platform& GetPlatform() const { return m_platform; }

  BOOL CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
                int width, int height, Hwnd parent, Hmenu menu);
  BOOL ShowWindow(int command) { return m_platform.ShowWindow(m_hWnd, command); }
  BOOL UpdateWindow() { return m_platform.UpdateWindow(m_hWnd); }
  BOOL InvalidateRect(const Rect* rect, BOOL erase) {
    return m_platform.InvalidateRect(m_hWnd, rect, erase);
  }
  BOOL PostMessage(UINT msg, Wparam wParam = 0, Lparam lParam = 0) {
    return m_platform.PostMessageA(m_hWnd, msg, wParam, lParam);
  }
  int MessageBox(const char* text, const char* caption, UINT type) {
    return m_platform.MessageBoxA(m_hWnd, text, caption, type);
  }
  // The same with the text and caption from the string table.
  int MessageBox(UINT textId, UINT captionId, UINT type);
  BOOL DestroyWindow() { return m_platform.DestroyWindow(m_hWnd); }

  // The window procedure every framework window class uses.
  static Lresult StaticWndProc(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam);
  static CWnd* FromHandle(Hwnd hwnd);

protected:
  // Dispatches through the message map; unmapped messages get Default().
  virtual Lresult WindowProc(UINT msg, Wparam wParam, Lparam lParam);
  // Default processing of the message being handled.
  virtual Lresult Default();
  // Called after the window is gone; a self-owning window deletes itself.
  virtual void PostNcDestroy() {}
  virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }

  // Default handling used by handlers that then pass the message on.
  int OnCreate(Lparam) { return static_cast<int>(Default()); }
  void OnTimer(UINT) { Default(); }
  BOOL OnQueryEndSession() { return static_cast<BOOL>(Default()); }
  void OnEndSession(BOOL) { Default(); }
  void OnSize(UINT, int, int) { Default(); }
  void OnClose() { Default(); }

  void Attach(Hwnd hwnd);
  void Detach();
  bool DispatchThroughMap(UINT msg, Wparam wParam, Lparam lParam, Lresult* result);

  Platform& m_platform;
  Msg m_currentMsg; // the message being handled, for Default()

public:
  static const AFX_MSGMAP* GetThisMessageMap();

private:
  void OnNcDestroy();

  // Messages of this window being handled, nested ones included. A window
  // destroyed inside one of them (WM_CLOSE, or a command whose dialog runs
  // the message loop) ends its object only once the outermost has returned:
  // the handlers below it on the stack still use the object.
  int m_nMsgDepth = 0;
  bool m_bEndPending = false;
};

} // namespace hg
