#include "platform/framework/Dialog.h"

#include "platform/framework/WinApp.h"
#include "res/resource.h"
#include "util/FormatText.h"

#include <vector>

namespace hg {

std::intptr_t CDialog::DoModal() {
  std::intptr_t result = m_platform.DialogBoxParamA(
      m_nIDTemplate, m_hWndParent, &CDialog::StaticDlgProc, reinterpret_cast<Lparam>(this));
  Detach();
  return result;
}

std::intptr_t CDialog::StaticDlgProc(Hwnd hwnd, UINT msg, Wparam wParam, Lparam lParam) {
  if (msg == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    dialog->Attach(hwnd);
    BOOL result = dialog->OnInitDialog();
    dialog->CenterWindow();
    return result;
  }
  auto* dialog = static_cast<CDialog*>(FromHandle(hwnd));
  if (dialog == nullptr)
    return FALSE;
  if (msg == WM_NCDESTROY) {
    dialog->Detach();
    return FALSE;
  }
  if (msg == WM_COMMAND && HiWord(wParam) == BN_CLICKED) {
    if (LoWord(wParam) == IDOK) {
      dialog->OnOK();
      return TRUE;
    }
    if (LoWord(wParam) == IDCANCEL) {
      dialog->OnCancel();
      return TRUE;
    }
  }
  dialog->m_currentMsg = Msg{hwnd, msg, wParam, lParam};
  Lresult result = 0;
  return dialog->DispatchThroughMap(msg, wParam, lParam, &result) ? TRUE : FALSE;
}

void CDialog::CenterWindow() {
  // The templates sit at (0, 0); like MFC, the framework shows a dialog in
  // the middle of the screen.
  Rect rect;
  if (!m_platform.GetWindowRect(m_hWnd, &rect))
    return;
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  m_platform.SetWindowPos(m_hWnd, (m_platform.GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                          (m_platform.GetSystemMetrics(SM_CYSCREEN) - height) / 2);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE))
    return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return dx.m_bFailed ? FALSE : TRUE;
}

Hwnd CDataExchange::PrepareEditCtrl(int id) {
  m_idLastControl = id;
  return m_pDlgWnd->GetDlgItem(id);
}

void CDataExchange::Fail() {
  Platform& platform = m_pDlgWnd->GetPlatform();
  Hwnd edit = m_pDlgWnd->GetDlgItem(m_idLastControl);
  platform.SetFocus(edit);
  platform.SendMessageA(edit, EM_SETSEL, 0, -1);
  m_bFailed = true;
}

namespace {
std::string WindowText(Platform& platform, Hwnd hwnd) {
  int length = platform.GetWindowTextLengthA(hwnd);
  if (length <= 0)
    return {};
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  int got = platform.GetWindowTextA(hwnd, buffer.data(), length + 1);
  return std::string(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}
} // namespace

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
  if (pDX->m_bFailed)
    return;
  Platform& platform = pDX->m_pDlgWnd->GetPlatform();
  Hwnd edit = pDX->PrepareEditCtrl(id);
  if (pDX->m_bSaveAndValidate)
    value = WindowText(platform, edit);
  else
    platform.SetWindowTextA(edit, value.c_str());
}

bool ParseUnsignedField(const char* text, UINT* value) {
  const char* p = text;
  while (*p == ' ' || *p == '\t')
    ++p;
  if (*p < '0' || *p > '9')
    return false;
  std::uint64_t number = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    number = number * 10 + static_cast<std::uint64_t>(*p - '0');
    if (number > 0xFFFFFFFFu)
      return false;
  }
  while (*p == ' ' || *p == '\t')
    ++p;
  if (*p != '\0')
    return false;
  *value = static_cast<UINT>(number);
  return true;
}

void DDX_Text(CDataExchange* pDX, int id, UINT& value) {
  if (pDX->m_bFailed)
    return;
  Platform& platform = pDX->m_pDlgWnd->GetPlatform();
  Hwnd edit = pDX->PrepareEditCtrl(id);
  if (!pDX->m_bSaveAndValidate) {
    char text[16];
    FormatText(text, sizeof text, "%u", value);
    platform.SetWindowTextA(edit, text);
    return;
  }
  UINT parsed = 0;
  if (!ParseUnsignedField(WindowText(platform, edit).c_str(), &parsed)) {
    AfxMessageBox(platform, pDX->m_pDlgWnd->m_hWnd, AFX_IDP_PARSE_UINT);
    pDX->Fail();
    return;
  }
  value = parsed;
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int count) {
  if (pDX->m_bFailed)
    return;
  Platform& platform = pDX->m_pDlgWnd->GetPlatform();
  if (!pDX->m_bSaveAndValidate) {
    platform.SendMessageA(pDX->m_pDlgWnd->GetDlgItem(pDX->m_idLastControl), EM_LIMITTEXT,
                          static_cast<Wparam>(count), 0);
    return;
  }
  if (value.size() > static_cast<std::size_t>(count)) {
    char limit[16];
    FormatText(limit, sizeof limit, "%d", count);
    AfxMessageBox(platform, pDX->m_pDlgWnd->m_hWnd, AFX_IDP_PARSE_STRING_SIZE, limit);
    pDX->Fail();
  }
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) {
  if (pDX->m_bFailed || !pDX->m_bSaveAndValidate)
    return;
  if (value < minVal || value > maxVal) {
    char low[16], high[16];
    FormatText(low, sizeof low, "%u", minVal);
    FormatText(high, sizeof high, "%u", maxVal);
    AfxMessageBox(pDX->m_pDlgWnd->GetPlatform(), pDX->m_pDlgWnd->m_hWnd, AFX_IDP_PARSE_INT_RANGE,
                  low, high);
    pDX->Fail();
  }
}

} // namespace hg
