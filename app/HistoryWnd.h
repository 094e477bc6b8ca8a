// The usage history window (command 32780, no password: a child may look
// too): the last ten accounting days as bars with each day's limit, today
// live, and the sessions of today and yesterday as their lists record them.
// One at a time; its title names the figures for screen readers. It reads
// and never writes.
#pragma once
#include "accounting/Accountant.h"
#include "accounting/UsageHistory.h"
#include "platform/framework/Wnd.h"

namespace hg {

inline constexpr char kHistoryWndClass[] = "HourgaugeLiteHistory";

// Where the figures come from: the engine in this process, or the service.
class HistorySource {
public:
  virtual ~HistorySource() = default;
  // False when there are none (the service does not answer).
  virtual bool ReadHistory(UsageHistory* history) = 0;
};

class CEngineHistory : public HistorySource {
public:
  explicit CEngineHistory(CAccountant& engine) : m_engine(engine) {}
  bool ReadHistory(UsageHistory* history) override {
    m_engine.History(history);
    return true;
  }

private:
  CAccountant& m_engine;
};

class CHistoryWnd : public CWnd {
public:
  explicit CHistoryWnd(Platform& platform) : CWnd(platform) {}
  ~CHistoryWnd() override;

  // Opens the window with the figures of `source`, or brings the open one
  // to the front with them anew.
  void Open(HistorySource& source);

  // Today's figures are asked for again this often while the window is open.
  static constexpr UINT kRefreshMs = 10000;

protected:
  void OnPaint();
  void OnTimer(UINT nIDEvent);
  void OnKeyDown(UINT key);
  void PostNcDestroy() override;
  DECLARE_MESSAGE_MAP()

private:
  bool Create();
  void Refresh();
  void Fill(Handle dc, const Rect& rect, DWORD colour);
  void DrawSessions(Handle dc, const char* list, UINT headingId, Rect area);

  HistorySource* m_pSource = nullptr;
  UsageHistory m_history;
  Handle m_hFont = 0;
};

} // namespace hg
