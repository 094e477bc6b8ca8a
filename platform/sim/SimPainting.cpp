// The simulated screen: work area and DPI, the GDI objects a paint uses and
// the texts it draws, registered messages, and what tests read of windows.
#include "platform/sim/SimWindow.h"

namespace hg::sim {
namespace {
constexpr int kTaskbarHeight = 40;
constexpr UINT kFirstRegisteredMessage = 0xC000;
} // namespace

UINT SimPlatform::RegisterWindowMessageA(const char* name) {
  if (name == nullptr || *name == '\0')
    return 0;
  auto it = m_registeredMessages.find(name);
  if (it != m_registeredMessages.end())
    return it->second;
  UINT id = kFirstRegisteredMessage + static_cast<UINT>(m_registeredMessages.size());
  m_registeredMessages.emplace(name, id);
  return id;
}

BOOL SimPlatform::GetWorkArea(Rect* rect) {
  *rect = Rect{0, 0, m_screenWidth, m_screenHeight - kTaskbarHeight};
  return TRUE;
}

BOOL SimPlatform::GetClientRect(Hwnd hwnd, Rect* rect) {
  const SimWindow* w = Window(hwnd);
  if (w == nullptr || w->destroyed)
    return FALSE;
  *rect = Rect{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  return TRUE;
}

Handle SimPlatform::CreateFontW(int, int, const char* face) {
  if (face == nullptr)
    return 0;
  ++m_liveGdiObjects;
  return m_nextGdiObject++;
}

Handle SimPlatform::SelectObject(Handle, Handle object) {
  return object == 0 ? 0 : GetStockObject(0);
}

BOOL SimPlatform::DeleteObject(Handle object) {
  if (object < 0xA0000 || object >= m_nextGdiObject || m_liveGdiObjects == 0)
    return FALSE;
  --m_liveGdiObjects;
  return TRUE;
}

int SimPlatform::SetBkMode(Handle, int) {
  return 2; // OPAQUE before
}

int SimPlatform::DrawTextW(Handle, const char* text, Rect*, UINT) {
  SimWindow* w = Window(m_painting);
  if (w == nullptr || text == nullptr)
    return 0;
  w->painted.emplace_back(text);
  return 16;
}

Handle SimPlatform::CreateSolidBrush(DWORD) {
  ++m_liveGdiObjects;
  return m_nextGdiObject++;
}

int SimPlatform::FillRect(Handle, const Rect* rect, Handle brush) {
  SimWindow* w = Window(m_painting);
  if (w == nullptr || rect == nullptr || brush == 0)
    return 0;
  w->filled.push_back(*rect);
  return 1;
}

BOOL SimPlatform::SetWindowTextW(Hwnd hwnd, const char* text) {
  return SetWindowTextA(hwnd, text);
}

DWORD SimPlatform::ExStyleOf(Hwnd hwnd) const {
  const SimWindow* w = Window(hwnd);
  return w != nullptr ? w->exStyle : 0;
}

std::string SimPlatform::TitleOf(Hwnd hwnd) const {
  const SimWindow* w = Window(hwnd);
  return w != nullptr ? w->title : std::string();
}

std::vector<Hwnd> SimPlatform::WindowsOfClass(const std::string& className) const {
  std::vector<Hwnd> found;
  for (const auto& [hwnd, w] : m_windows)
    if (!w->destroyed && !w->foreign && !w->isControl && w->className == className)
      found.push_back(hwnd);
  return found;
}

std::vector<int> SimPlatform::ShowCommandsOf(Hwnd hwnd) const {
  const SimWindow* w = Window(hwnd);
  return w != nullptr ? w->showCommands : std::vector<int>();
}

std::vector<std::string> SimPlatform::PaintedTexts(Hwnd hwnd) const {
  const SimWindow* w = Window(hwnd);
  return w != nullptr ? w->painted : std::vector<std::string>();
}

std::vector<Rect> SimPlatform::FilledRects(Hwnd hwnd) const {
  const SimWindow* w = Window(hwnd);
  return w != nullptr ? w->filled : std::vector<Rect>();
}

} // namespace hg::sim
