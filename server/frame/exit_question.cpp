#include "server/frame/exit_question.h"

#include "server/res/resource_ids.h"

CExitQuestion::CExitQuestion(HWND owner) : Dialog(IDD_EXIT_QUESTION, owner), m_owner(owner) {}

BOOL CExitQuestion::OnInitDialog() {
  Dialog::OnInitDialog();
  ::SendDlgItemMessageA(Handle(), IDC_QUESTION_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(::LoadIconA(nullptr, IDI_QUESTION)), 0);
  ::SetDlgItemTextA(Handle(), 0xFFFF, framework::LoadResourceString(IDS_ARE_YOU_SURE).c_str());
  ::MessageBeep(MB_ICONQUESTION);
  ::SetForegroundWindow(Handle());
  return TRUE;
}

bool CExitQuestion::OnCommand(int id, int code, HWND control) {
  if (control && code != BN_CLICKED) return false;
  if (id != IDYES && id != IDNO && id != IDCANCEL) return false;
  // Posted, not sent: the close destroys the owner (and this box with it)
  // when nothing is being delivered, and a running delivery takes it at its
  // next step.
  if (id == IDYES) ::PostMessageA(m_owner, WM_CLOSE, 0, 0);
  EndDialog(id);
  return true;
}
