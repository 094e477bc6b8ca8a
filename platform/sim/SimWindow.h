// Windows and controls of the simulated platform (internal to sim/).
#pragma once
#include "platform/sim/SimPlatform.h"

namespace hg::sim {

struct SimWindow {
  Hwnd hwnd = 0;
  std::string className;
  std::string title; // for a control: its text
  DWORD style = 0;
  DWORD exStyle = 0;
  Rect rect;
  std::vector<int> showCommands;
  int raises = 0;                   // RaiseTopmost calls
  std::vector<std::string> painted; // texts drawn by the last paint
  std::vector<Rect> filled;         // rectangles filled by the last paint
  WndProc proc = nullptr;
  DlgProc dlgProc = nullptr;
  Hwnd parent = 0;
  bool visible = false;
  bool minimized = false;
  bool needsPaint = false;
  bool destroyed = false;
  bool enabled = true;
  // Controls.
  int controlId = 0;
  bool isControl = false;
  bool isEdit = false;
  bool isButton = false;
  int limit = 30000; // an edit's default typing limit
  bool selectedAll = false;
  // Dialogs.
  bool isDialog = false;
  UINT templateId = 0;
  std::vector<Hwnd> controls;
  // Windows of other programs.
  bool foreign = false;
  int closeAfterPosts = 0;
  int closePosts = 0;
};

struct SimPlatform::OpenDialog {
  Hwnd hwnd = 0;
  UINT templateId = 0;
  bool ended = false;
  std::intptr_t result = 0;
};

} // namespace hg::sim
