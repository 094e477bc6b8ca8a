// Message maps in the manner of MFC: a static table per class binding a
// message (or a command id) to a handler, chained to the base class's table.
#pragma once
#include "platform/WinDefs.h"

namespace hg {

class CWnd;

struct AFX_MSGMAP_ENTRY {
  UINT nMessage = 0;
  UINT nID = 0; // command id for WM_COMMAND entries
  Lresult (*pfn)(CWnd*, Wparam, Lparam) = nullptr;
  // A registered message: its id is known only at run time.
  const UINT* pnRegistered = nullptr;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)() = nullptr;
  const AFX_MSGMAP_ENTRY* lpEntries = nullptr;
};

inline UINT LoWord(Wparam w) {
  return static_cast<UINT>(w & 0xFFFF);
}
inline UINT HiWord(Wparam w) {
  return static_cast<UINT>((w >> 16) & 0xFFFF);
}

} // namespace hg

#define DECLARE_MESSAGE_MAP()                                                                      \
public:                                                                                            \
  static const ::hg::AFX_MSGMAP* GetThisMessageMap();                                              \
                                                                                                   \
protected:                                                                                         \
  const ::hg::AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
  const ::hg::AFX_MSGMAP* theClass::GetMessageMap() const {                                        \
    return GetThisMessageMap();                                                                    \
  }                                                                                                \
  const ::hg::AFX_MSGMAP* theClass::GetThisMessageMap() {                                          \
    using ThisClass = theClass;                                                                    \
    using TheBaseClass = baseClass;                                                                \
    static const ::hg::AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                                          \
  { 0, 0, nullptr }                                                                                \
  }                                                                                                \
  ;                                                                                                \
  static const ::hg::AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &entries[0]};      \
  return &messageMap;                                                                              \
  }

#define HG_MSG_ENTRY(msg, id, body)                                                                \
  {msg, id, [](::hg::CWnd* pWnd, ::hg::Wparam wParam, ::hg::Lparam lParam) -> ::hg::Lresult {      \
     auto* self = static_cast<ThisClass*>(pWnd);                                                   \
     (void)self;                                                                                   \
     (void)wParam;                                                                                 \
     (void)lParam;                                                                                 \
     body                                                                                          \
   }},

#define ON_WM_CREATE() HG_MSG_ENTRY(WM_CREATE, 0, return self->OnCreate(lParam);)
#define ON_WM_PAINT() HG_MSG_ENTRY(WM_PAINT, 0, self->OnPaint(); return 0;)
#define ON_WM_SIZE()                                                                               \
  HG_MSG_ENTRY(WM_SIZE, 0,                                                                         \
               self->OnSize(static_cast<::hg::UINT>(wParam), static_cast<int>(lParam & 0xFFFF),    \
                            static_cast<int>((lParam >> 16) & 0xFFFF));                            \
               return 0;)
#define ON_WM_CLOSE() HG_MSG_ENTRY(WM_CLOSE, 0, self->OnClose(); return 0;)
#define ON_WM_TIMER()                                                                              \
  HG_MSG_ENTRY(WM_TIMER, 0, self->OnTimer(static_cast<::hg::UINT>(wParam)); return 0;)
#define ON_WM_QUERYENDSESSION()                                                                    \
  HG_MSG_ENTRY(WM_QUERYENDSESSION, 0, return self->OnQueryEndSession();)
#define ON_WM_ENDSESSION()                                                                         \
  HG_MSG_ENTRY(WM_ENDSESSION, 0, self->OnEndSession(static_cast<::hg::BOOL>(wParam)); return 0;)
#define ON_WM_KEYDOWN()                                                                            \
  HG_MSG_ENTRY(WM_KEYDOWN, 0, self->OnKeyDown(static_cast<::hg::UINT>(wParam)); return 0;)
#define ON_COMMAND(id, memberFxn) HG_MSG_ENTRY(WM_COMMAND, id, self->memberFxn(); return 0;)
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)
#define ON_MESSAGE(msg, memberFxn) HG_MSG_ENTRY(msg, 0, return self->memberFxn(wParam, lParam);)
// `variable` holds the id RegisterWindowMessage gave; 0 (not yet) matches nothing.
#define ON_REGISTERED_MESSAGE(variable, memberFxn)                                                 \
  {0, 0,                                                                                           \
   [](::hg::CWnd* pWnd, ::hg::Wparam wParam, ::hg::Lparam lParam) -> ::hg::Lresult {               \
     return static_cast<ThisClass*>(pWnd)->memberFxn(wParam, lParam);                              \
   },                                                                                              \
   &variable},
