// Modal dialogs of the mini framework, with MFC's data exchange: members
// moved to and from the controls by DoDataExchange, refused input reported
// with the framework's messages and the focus put back on the edit.
#pragma once
#include "platform/framework/Wnd.h"

#include <string>

namespace hg {

class CDialog;

class CDataExchange {
public:
  CDataExchange(CDialog* dialog, BOOL saveAndValidate)
      : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

  // The edit that the next DDV_ rule and a refusal refer to.
  Hwnd PrepareEditCtrl(int id);
  // Refuses the transfer: the focus goes to the last edit, its text selected,
  // and every later exchange of this transfer is skipped.
  void Fail();

  CDialog* m_pDlgWnd = nullptr;
  BOOL m_bSaveAndValidate = FALSE;
  int m_idLastControl = 0;
  bool m_bFailed = false;
};

class CDialog : public CWnd {
public:
  CDialog(Platform& platform, UINT templateId) : CWnd(platform), m_nIDTemplate(templateId) {}

  // IDOK or IDCANCEL as the dialog ended, -1 when it could not be created.
  virtual std::intptr_t DoModal();
  // Moves the members to the controls (FALSE) or the controls to the members
  // (TRUE); FALSE when a field was refused.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  void EndDialog(std::intptr_t result) { m_platform.EndDialog(m_hWnd, result); }
  Hwnd GetDlgItem(int id) const { return m_platform.GetDlgItem(m_hWnd, id); }
  void CenterWindow();

  static std::intptr_t StaticDlgProc(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam);

  // The window the dialog belongs to, disabled while it runs: a dialog
  // opened from another must keep the first from being used meanwhile.
  Hwnd m_hWndParent = 0;

protected:
  virtual void DoDataExchange(CDataExchange*) {}
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  Lresult Default() override { return FALSE; } // the dialog manager does the rest

  UINT m_nIDTemplate = 0;
};

// Text of an edit.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// An unsigned decimal number: blanks or tabs around it allowed, nothing else.
void DDX_Text(CDataExchange* pDX, int id, UINT& value);
// At most `count` characters: the edit's typing limit, checked again on saving.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int count);
// A range check on a number just exchanged.
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);

// The unsigned-number rule of DDX_Text: false for anything but optional
// blanks or tabs, decimal digits that fit 32 bits, optional blanks or tabs.
bool ParseUnsignedField(const char* text, UINT* value);

} // namespace hg
