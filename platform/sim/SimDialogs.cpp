// The simulated user interface: menus from the resource script, the popup
// menu, message boxes, and modal dialogs operated by a scripted user.
#include "platform/sim/RcResources.h"
#include "platform/sim/SimWindow.h"

#include <algorithm>
#include <cstring>

namespace hg::sim {

// ---- Script ---------------------------------------------------------------

SimPlatform& SimPlatform::Type(int controlId, const std::string& text) {
  m_script.push_back(UserAction{UserAction::Type, controlId, text});
  return *this;
}
SimPlatform& SimPlatform::Click(int controlId) {
  m_script.push_back(UserAction{UserAction::Click, controlId, {}});
  return *this;
}
SimPlatform& SimPlatform::PressEnter() {
  m_script.push_back(UserAction{UserAction::Enter, 0, {}});
  return *this;
}
SimPlatform& SimPlatform::PressEscape() {
  m_script.push_back(UserAction{UserAction::Escape, 0, {}});
  return *this;
}
SimPlatform& SimPlatform::PressCloseBox() {
  m_script.push_back(UserAction{UserAction::CloseBox, 0, {}});
  return *this;
}
SimPlatform& SimPlatform::WaitSeconds(int seconds) {
  m_script.push_back(UserAction{UserAction::Wait, seconds, {}});
  return *this;
}
SimPlatform& SimPlatform::AnswerMessageBox(int result) {
  m_script.push_back(UserAction{UserAction::Answer, result, {}});
  return *this;
}
SimPlatform& SimPlatform::ChooseMenuItem(UINT commandId) {
  m_script.push_back(UserAction{UserAction::ChooseMenu, static_cast<int>(commandId), {}});
  return *this;
}

bool SimPlatform::NextAction(UserAction* action) {
  if (m_script.empty())
    return false;
  *action = m_script.front();
  m_script.pop_front();
  return true;
}

// ---- Menus ----------------------------------------------------------------

Hmenu SimPlatform::BuildMenu(const void* rcItems, Hmenu root) {
  const auto& items = *static_cast<const std::vector<RcMenuItem>*>(rcItems);
  Hmenu handle = m_nextMenu++;
  Menu menu;
  menu.root = root == 0 ? handle : root;
  for (const RcMenuItem& item : items) {
    MenuItem entry{item.id, item.text, item.separator, 0};
    if (item.popup)
      entry.popup = BuildMenu(&item.items, menu.root);
    menu.items.push_back(entry);
  }
  m_menus[handle] = std::move(menu);
  return handle;
}

Hmenu SimPlatform::LoadMenuA(UINT resourceId) {
  const auto& menus = LoadRcResources().ForLanguage(m_uiLanguage).menus;
  auto it = menus.find(resourceId);
  if (it == menus.end())
    return 0;
  ++m_liveMenus;
  return BuildMenu(&it->second.items, 0);
}

Hmenu SimPlatform::GetSubMenu(Hmenu menu, int position) {
  auto it = m_menus.find(menu);
  if (it == m_menus.end() || position < 0 || position >= static_cast<int>(it->second.items.size()))
    return 0;
  return it->second.items[static_cast<std::size_t>(position)].popup;
}

SimPlatform::MenuItem* SimPlatform::FindMenuItem(Hmenu menu, UINT id) {
  auto it = m_menus.find(menu);
  if (it == m_menus.end() || it->second.destroyed)
    return nullptr;
  for (MenuItem& item : it->second.items) {
    if (!item.separator && item.popup == 0 && item.id == id)
      return &item;
    if (item.popup != 0)
      if (MenuItem* found = FindMenuItem(item.popup, id))
        return found;
  }
  return nullptr;
}

BOOL SimPlatform::SetMenuItemInfoA(Hmenu menu, UINT item, BOOL byPosition,
                                   const MenuItemInfoA& info) {
  if (byPosition || info.cbSize != sizeof(MenuItemInfoA))
    return FALSE;
  MenuItem* found = FindMenuItem(menu, item);
  if (found == nullptr)
    return FALSE;
  if ((info.fMask & MIIM_TYPE) && info.fType == MFT_STRING && info.dwTypeData != nullptr)
    found->text = info.dwTypeData;
  return TRUE;
}

BOOL SimPlatform::TrackPopupMenu(Hmenu menu, UINT flags, int x, int y, Hwnd owner) {
  auto it = m_menus.find(menu);
  if (it == m_menus.end() || it->second.destroyed || !IsWindowAlive(owner))
    return FALSE;
  PopupRecord popup{{}, flags, x, y, owner};
  for (const MenuItem& item : it->second.items)
    popup.items.emplace_back(item.separator ? 0 : item.id, item.text);
  m_popups.push_back(popup);
  if (!m_script.empty() && m_script.front().kind == UserAction::ChooseMenu) {
    UINT id = static_cast<UINT>(m_script.front().id);
    m_script.pop_front();
    // The choice reaches the owner as a command once the menu has closed.
    if (FindMenuItem(menu, id) != nullptr)
      PostMessageA(owner, WM_COMMAND, id, 0);
    else
      m_scriptErrors.push_back("menu has no item " + std::to_string(id));
  }
  return TRUE;
}

BOOL SimPlatform::DestroyMenu(Hmenu menu) {
  auto it = m_menus.find(menu);
  if (it == m_menus.end() || it->second.destroyed)
    return FALSE;
  for (auto& [handle, m] : m_menus)
    if (m.root == menu)
      m.destroyed = true;
  --m_liveMenus;
  return TRUE;
}

// ---- Message boxes ----------------------------------------------------------

int SimPlatform::MessageBoxA(Hwnd owner, const char* text, const char* caption, UINT type) {
  m_messageBoxes.push_back(MessageBoxRecord{owner, text != nullptr ? text : "",
                                            caption != nullptr ? caption : "", type});
  if (!m_script.empty() && m_script.front().kind == UserAction::Answer) {
    int answer = m_script.front().id;
    m_script.pop_front();
    return answer;
  }
  return IDOK;
}

// ---- Dialogs ----------------------------------------------------------------

std::intptr_t SimPlatform::DialogBoxParamA(UINT templateId, Hwnd parent, DlgProc proc,
                                           Lparam param) {
  const auto& dialogs = LoadRcResources().ForLanguage(m_uiLanguage).dialogs;
  auto tmpl = dialogs.find(templateId);
  if (m_failDialogs || tmpl == dialogs.end() || proc == nullptr) {
    m_dialogs.push_back(DialogRecord{templateId, -1});
    return -1;
  }
  auto window = std::make_unique<SimWindow>();
  SimWindow& dlg = *window;
  dlg.hwnd = s_nextHwnd++;
  dlg.className = "#32770";
  dlg.title = tmpl->second.caption;
  dlg.style = tmpl->second.style;
  dlg.dlgProc = proc;
  dlg.parent = parent;
  dlg.visible = true;
  dlg.isDialog = true;
  dlg.templateId = templateId;
  // Dialog units of a 9-point font, a caption and a frame: near enough to
  // Windows for a test of where a dialog appears.
  dlg.rect = Rect{tmpl->second.x, tmpl->second.y, tmpl->second.x + tmpl->second.cx * 3 / 2 + 6,
                  tmpl->second.y + tmpl->second.cy * 3 / 2 + 25};
  m_windows[dlg.hwnd] = std::move(window);
  for (const RcControl& c : tmpl->second.controls) {
    auto control = std::make_unique<SimWindow>();
    control->hwnd = s_nextHwnd++;
    control->className = c.kind;
    control->title = c.IsEdit() ? std::string() : c.text;
    control->style = c.style;
    control->parent = dlg.hwnd;
    control->visible = true;
    control->isControl = true;
    control->controlId = c.id;
    control->isEdit = c.IsEdit();
    control->isButton = c.IsButton();
    control->enabled = (c.style & WS_DISABLED) == 0;
    dlg.controls.push_back(control->hwnd);
    m_windows[control->hwnd] = std::move(control);
  }

  OpenDialog open{dlg.hwnd, templateId, false, 0};
  m_openDialogs.push_back(&open);
  Hwnd firstTabStop = 0;
  for (Hwnd c : dlg.controls) {
    const SimWindow* w = Window(c);
    if (w->enabled && (w->style & 0x00010000) /* WS_TABSTOP */) {
      firstTabStop = c;
      break;
    }
  }
  if (proc(dlg.hwnd, WM_INITDIALOG, firstTabStop, param))
    SetFocus(firstTabStop);

  // The modal loop: posted messages (the main window's ticks among them) are
  // dispatched between the user's steps.
  int guard = 0;
  while (!open.ended) {
    Pump();
    if (open.ended)
      break;
    UserAction action;
    if (!NextAction(&action)) {
      m_scriptErrors.push_back("dialog " + std::to_string(templateId) +
                               " still open when the script ended");
      action = UserAction{UserAction::Escape, 0, {}};
      if (++guard > 1) {
        open.ended = true;
        open.result = IDCANCEL;
        break;
      }
    }
    RunDialogStep(open, action);
    if (m_dialogObserver != nullptr && !open.ended)
      m_dialogObserver(*this, templateId, m_dialogObserverContext);
  }
  m_openDialogs.pop_back();
  SimWindow* w = Window(open.hwnd);
  for (Hwnd c : w->controls)
    Window(c)->destroyed = true;
  w->destroyed = true;
  w->visible = false;
  proc(open.hwnd, WM_NCDESTROY, 0, 0);
  m_dialogs.push_back(DialogRecord{templateId, open.result});
  return open.result;
}

void SimPlatform::RunDialogStep(OpenDialog& dialog, const UserAction& action) {
  SimWindow& dlg = *Window(dialog.hwnd);
  auto command = [&](int id) {
    Hwnd control = GetDlgItem(dialog.hwnd, id);
    dlg.dlgProc(dialog.hwnd, WM_COMMAND, static_cast<Wparam>(id) | (BN_CLICKED << 16),
                static_cast<Lparam>(control));
  };
  switch (action.kind) {
  case UserAction::Type: {
    SimWindow* edit = Window(GetDlgItem(dialog.hwnd, action.id));
    if (edit == nullptr || !edit->isEdit || !edit->enabled) {
      m_scriptErrors.push_back("cannot type into control " + std::to_string(action.id));
      return;
    }
    // Typing replaces the text; characters past the limit are refused.
    edit->title = action.text.substr(0, static_cast<std::size_t>(edit->limit));
    edit->selectedAll = false;
    m_focus = edit->hwnd;
    return;
  }
  case UserAction::Click: {
    SimWindow* button = Window(GetDlgItem(dialog.hwnd, action.id));
    if (button == nullptr || !button->isButton || !button->enabled) {
      m_scriptErrors.push_back("cannot click control " + std::to_string(action.id));
      return;
    }
    command(action.id);
    return;
  }
  case UserAction::Enter:
    command(IDOK);
    return;
  case UserAction::Escape:
  case UserAction::CloseBox:
    // The dialog manager turns both into IDCANCEL, with or without a button.
    command(IDCANCEL);
    return;
  case UserAction::Wait:
    AdvanceSeconds(action.id);
    return;
  case UserAction::Answer:
  case UserAction::ChooseMenu:
    m_scriptErrors.push_back("a dialog is open, not a message box or a menu");
    return;
  }
}

BOOL SimPlatform::EndDialog(Hwnd dialog, std::intptr_t result) {
  for (OpenDialog* open : m_openDialogs) {
    if (open->hwnd == dialog) {
      open->ended = true;
      open->result = result;
      return TRUE;
    }
  }
  return FALSE;
}

Hwnd SimPlatform::GetDlgItem(Hwnd dialog, int id) {
  SimWindow* dlg = Window(dialog);
  if (dlg == nullptr)
    return 0;
  for (Hwnd c : dlg->controls)
    if (Window(c)->controlId == id)
      return c;
  return 0;
}

BOOL SimPlatform::EnableWindow(Hwnd hwnd, BOOL enable) {
  SimWindow* w = Window(hwnd);
  if (w == nullptr)
    return FALSE;
  bool wasDisabled = !w->enabled;
  w->enabled = enable != FALSE;
  return wasDisabled ? TRUE : FALSE;
}

Hwnd SimPlatform::SetFocus(Hwnd hwnd) {
  Hwnd previous = m_focus;
  m_focus = hwnd;
  return previous;
}

int SimPlatform::GetWindowTextLengthA(Hwnd hwnd) {
  const SimWindow* w = Window(hwnd);
  return w == nullptr ? 0 : static_cast<int>(w->title.size());
}

int SimPlatform::GetWindowTextA(Hwnd hwnd, char* buffer, int size) {
  const SimWindow* w = Window(hwnd);
  if (w == nullptr || size <= 0)
    return 0;
  int n = std::min(static_cast<int>(w->title.size()), size - 1);
  std::memcpy(buffer, w->title.data(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

BOOL SimPlatform::SetWindowTextA(Hwnd hwnd, const char* text) {
  SimWindow* w = Window(hwnd);
  if (w == nullptr)
    return FALSE;
  w->title = text;
  return TRUE;
}

std::optional<SimPlatform::ControlState> SimPlatform::OpenDialogControl(UINT templateId,
                                                                        int id) const {
  for (const OpenDialog* open : m_openDialogs) {
    if (open->templateId != templateId)
      continue;
    Hwnd c = const_cast<SimPlatform*>(this)->GetDlgItem(open->hwnd, id);
    const SimWindow* w = Window(c);
    if (w == nullptr)
      return std::nullopt;
    return ControlState{w->title, w->enabled, m_focus == c, w->selectedAll, w->limit};
  }
  return std::nullopt;
}

} // namespace hg::sim
