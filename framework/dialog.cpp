#include "framework/dialog.h"

#include <utility>

#include <vector>

namespace framework {

HWND DataExchange::Item(int id) const { return ::GetDlgItem(m_dialog.Handle(), id); }

void DataExchange::Text(int id, std::string& value) {
  HWND item = Item(id);
  if (!m_saving) {
    ::SetWindowTextA(item, value.c_str());
    return;
  }
  std::vector<char> buffer(static_cast<size_t>(::GetWindowTextLengthA(item)) + 1);
  int length = ::GetWindowTextA(item, buffer.data(), static_cast<int>(buffer.size()));
  value.assign(buffer.data(), length > 0 ? length : 0);
}

void DataExchange::ComboIndex(int id, int& index) {
  if (m_saving)
    index = static_cast<int>(::SendMessageA(Item(id), CB_GETCURSEL, 0, 0));
  else
    ::SendMessageA(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DataExchange::Control(int id, Window& control) {
  if (!control.Handle()) control.Subclass(Item(id));
}

void DataExchange::Control(int id, ControlView& view) { view.Attach(Item(id)); }

void DataExchange::Fail(int id) {
  if (m_failed) return;  // the first faulty field keeps the focus
  m_failed = true;
  m_dialog.SelectField(id);
}

INT_PTR Dialog::DoModal() {
  return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId), m_parent,
                           &Dialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
}

bool Dialog::Create() {
  m_modeless = true;
  return ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId), m_parent,
                              &Dialog::StaticDialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
  if (m_modeless)
    ::DestroyWindow(Handle());
  else
    ::EndDialog(Handle(), result);
}

bool Dialog::PreTranslateMessage(MSG& msg) { return ::IsDialogMessageA(Handle(), &msg) != FALSE; }

bool Dialog::UpdateData(bool saving) {
  DataExchange dx(*this, saving);
  DoDataExchange(dx);
  return !dx.Failed();
}

void Dialog::SelectField(int id) {
  HWND item = ::GetDlgItem(Handle(), id);
  ::SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
  ::SendMessageA(item, EM_SETSEL, 0, -1);
}

BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void Dialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

bool Dialog::OnCommand(int id, int code, HWND control) {
  if (control && code != BN_CLICKED) return false;
  if (id == IDOK) {
    OnOK();
    return true;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return true;
  }
  return false;
}

bool Dialog::OnNotify(int, const NMHDR&, LRESULT&) { return false; }

LRESULT Dialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
      break;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      LRESULT result = 0;
      if (OnNotify(static_cast<int>(header.idFrom), header, result)) return result;
      break;
    }
  }
  return DefaultProc(msg, wParam, lParam);
}

LRESULT Dialog::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ReflectToChild(msg, wParam, lParam, result)) return result;
  m_unhandled = true;
  return 0;
}

INT_PTR CALLBACK Dialog::StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* dialog = static_cast<Dialog*>(FromHandle(hwnd));
  if (!dialog && msg == WM_INITDIALOG) {
    dialog = reinterpret_cast<Dialog*>(lParam);
    dialog->Attach(hwnd);
  }
  if (!dialog) return FALSE;
  // Handlers send messages of their own (EN_CHANGE, WM_NEXTDLGCTL...): each
  // message keeps its own flag.
  const bool outer = std::exchange(dialog->m_unhandled, false);
  LRESULT result = dialog->Dispatch(msg, wParam, lParam);
  const bool unhandled = std::exchange(dialog->m_unhandled, outer);
  if (unhandled) return FALSE;
  switch (msg) {
    // These answer through the return value itself.
    case WM_INITDIALOG:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORMSGBOX:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return static_cast<INT_PTR>(result);
  }
  ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace framework
