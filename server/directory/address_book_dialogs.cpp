#include "server/directory/address_book_dialogs.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/trim.h"
#include "framework/app.h"
#include "framework/held_choice.h"
#include "framework/window.h"
#include "server/directory/address_book.h"
#include "server/directory/phone_number.h"
#include "server/res/resource_ids.h"

namespace {

enum UserColumn { kUserName, kUserNumber, kUserGroup, kUserDescription };
enum GroupColumn { kGroupName, kGroupDescription };

// Records in the reverse of the lists' order (their text comparison, equal
// names in record order). The lists place every row themselves, so their
// order stays their own; but handed over this way, each row belongs in front
// of all rows already there, and a list that looks for a row's place from
// its top finds it at once: filling takes time in proportion to the rows,
// not to their square.
template <typename Record>
std::vector<directory::Indexed<Record>> InInsertionOrder(std::vector<directory::Indexed<Record>> records) {
  std::ranges::stable_sort(records, [](const auto& a, const auto& b) {
    return ::lstrcmpA(a.Fields.Name.c_str(), b.Fields.Name.c_str()) > 0;
  });
  return records;
}

}  // namespace

CAddressBook::CAddressBook(HWND parent) : Dialog(IDD_ADDRESS_BOOK, parent) {}

void CAddressBook::DoDataExchange(framework::DataExchange& dx) {
  dx.Control(IDC_USERS_LIST, m_lstUsers);
  dx.Control(IDC_GROUPS_LIST, m_lstGroups);
}

BOOL CAddressBook::OnInitDialog() {
  Dialog::OnInitDialog();
  m_lstUsers.InsertColumn(kUserName, "Name", LVCFMT_LEFT, 100);
  m_lstUsers.InsertColumn(kUserNumber, "Number", LVCFMT_RIGHT, 100);
  m_lstUsers.InsertColumn(kUserGroup, "Group", LVCFMT_LEFT, 100);
  m_lstUsers.InsertColumn(kUserDescription, "Description", LVCFMT_LEFT, 300);
  m_lstGroups.InsertColumn(kGroupName, "Name", LVCFMT_LEFT, 100);
  m_lstGroups.InsertColumn(kGroupDescription, "Description", LVCFMT_LEFT, 600);
  RefreshLists();
  return TRUE;
}

bool CAddressBook::OnCommand(int id, int code, HWND control) {
  void (CAddressBook::*action)() = nullptr;
  if (control && code == BN_CLICKED) {
    switch (id) {
      case IDC_ADD_USER: action = &CAddressBook::AddUser; break;
      case IDC_EDIT_USER: action = &CAddressBook::EditUser; break;
      case IDC_DELETE_USER: action = &CAddressBook::DeleteUser; break;
      case IDC_ADD_GROUP: action = &CAddressBook::AddGroup; break;
      case IDC_EDIT_GROUP: action = &CAddressBook::EditGroup; break;
      case IDC_DELETE_GROUP: action = &CAddressBook::DeleteGroup; break;
    }
  }
  if (!action) return Dialog::OnCommand(id, code, control);
  // Each action opens a dialog or a question: not inside a delivery's pause.
  if (!framework::HoldWhileBusy(Handle(), WM_COMMAND, MAKEWPARAM(id, code),
                                reinterpret_cast<LPARAM>(control)))
    (this->*action)();
  return true;
}

bool CAddressBook::OnNotify(int id, const NMHDR& header, LRESULT& result) {
  if (header.code != NM_DBLCLK) return false;
  // A double-click is the Edit button of its list (the click selected the
  // row), so that it waits for a delivery's end like the button.
  int edit = 0;
  if (id == IDC_USERS_LIST)
    edit = IDC_EDIT_USER;
  else if (id == IDC_GROUPS_LIST)
    edit = IDC_EDIT_GROUP;
  else
    return false;
  OnCommand(edit, BN_CLICKED, ::GetDlgItem(Handle(), edit));
  result = 0;
  return true;
}

void CAddressBook::RefreshLists() {
  m_lstUsers.SetRedraw(false);
  m_lstGroups.SetRedraw(false);
  m_lstUsers.DeleteAllItems();
  m_lstGroups.DeleteAllItems();
  for (const auto& [index, user] : InInsertionOrder(directory::LoadUsers())) {
    const int item = m_lstUsers.InsertItem(user.Name, index);
    m_lstUsers.SetItemText(item, kUserNumber, user.Number);
    m_lstUsers.SetItemText(item, kUserGroup, user.Group);
    m_lstUsers.SetItemText(item, kUserDescription, user.Description);
  }
  for (const auto& [index, group] : InInsertionOrder(directory::LoadGroups())) {
    const int item = m_lstGroups.InsertItem(group.Name, index);
    m_lstGroups.SetItemText(item, kGroupDescription, group.Description);
  }
  m_lstUsers.SetRedraw(true);
  m_lstGroups.SetRedraw(true);
}

bool CAddressBook::Confirm(UINT questionId) {
  const std::string question = framework::LoadResourceString(questionId);
  return ::MessageBoxA(Handle(), question.c_str(), framework::App::Instance()->AppName().c_str(),
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CAddressBook::AddUser() {
  CAddUser dialog(Handle());
  if (dialog.DoModal() != IDOK) return;
  directory::AddUser({dialog.m_strName, dialog.m_strDescription, dialog.m_strNumber,
                      dialog.m_strGroup});
  RefreshLists();
}

void CAddressBook::EditUser() {
  const int item = m_lstUsers.FirstSelected();
  if (item < 0) return;
  const auto data = m_lstUsers.ItemData(item);
  if (!data) return;  // no record to act on
  const int index = static_cast<int>(*data);
  const auto user = directory::LoadUser(index);
  if (!user) return;
  CAddUser dialog(Handle());
  dialog.m_strName = user->Name;
  dialog.m_strDescription = user->Description;
  dialog.m_strNumber = user->Number;
  dialog.m_strGroup = user->Group;
  dialog.m_bEdit = true;
  if (dialog.DoModal() != IDOK) return;
  directory::UpdateUser(index, {dialog.m_strName, dialog.m_strDescription, dialog.m_strNumber,
                                dialog.m_strGroup});
  RefreshLists();
}

void CAddressBook::DeleteUser() {
  const int item = m_lstUsers.FirstSelected();
  const auto data = item < 0 ? std::nullopt : m_lstUsers.ItemData(item);
  if (!data || !Confirm(IDS_DELETE_USER)) return;
  const int index = static_cast<int>(*data);
  m_lstUsers.DeleteItem(item);
  directory::DeleteUser(index);
  RefreshLists();
}

void CAddressBook::AddGroup() {
  CAddGroup dialog(Handle());
  if (dialog.DoModal() != IDOK) return;
  directory::AddGroup({dialog.m_strName, dialog.m_strDescription});
  RefreshLists();
}

void CAddressBook::EditGroup() {
  const int item = m_lstGroups.FirstSelected();
  if (item < 0) return;
  const auto data = m_lstGroups.ItemData(item);
  if (!data) return;  // no record to act on
  const int index = static_cast<int>(*data);
  const auto group = directory::LoadGroup(index);
  if (!group) return;
  CAddGroup dialog(Handle());
  dialog.m_strName = group->Name;
  dialog.m_strDescription = group->Description;
  dialog.m_bEdit = true;
  if (dialog.DoModal() != IDOK) return;
  // Carries a changed name to the group's users as well.
  directory::UpdateGroup(index, {dialog.m_strName, dialog.m_strDescription});
  RefreshLists();
}

void CAddressBook::DeleteGroup() {
  const int item = m_lstGroups.FirstSelected();
  const auto data = item < 0 ? std::nullopt : m_lstGroups.ItemData(item);
  if (!data || !Confirm(IDS_DELETE_GROUP)) return;
  const int index = static_cast<int>(*data);
  m_lstGroups.DeleteItem(item);
  directory::DeleteGroup(index);  // its users get "<none>"
  RefreshLists();
}

CAddUser::CAddUser(HWND parent) : Dialog(IDD_ADD_USER, parent), m_strGroup(directory::kNoGroup) {}

void CAddUser::DoDataExchange(framework::DataExchange& dx) {
  dx.Control(IDC_USER_GROUP, m_cbGroup);
  dx.Text(IDC_RECORD_NAME, m_strName);
  dx.Text(IDC_RECORD_DESCRIPTION, m_strDescription);
  dx.Text(IDC_USER_NUMBER, m_strNumber);
  if (!dx.Saving()) return;
  m_strNumber = std::string(text::Trim(m_strNumber));
  if (!directory::IsValidNumber(m_strNumber)) dx.Fail(IDC_USER_NUMBER);
}

BOOL CAddUser::OnInitDialog() {
  Dialog::OnInitDialog();
  // The box sorts; "<none>" is always offered, also without any group.
  for (const auto& group : directory::LoadGroups()) m_cbGroup.AddString(group.Fields.Name);
  m_cbGroup.AddString(directory::kNoGroup);
  m_cbGroup.SetCurSel(0);
  if (m_bEdit) {
    ::SetWindowTextA(Handle(), "Edit User");
    for (int i = 0; i < m_cbGroup.Count(); ++i) {
      if (directory::SameName(m_cbGroup.Text(i), m_strGroup)) {
        m_cbGroup.SetCurSel(i);
        break;
      }
    }
  }
  return TRUE;
}

void CAddUser::OnOK() {
  if (!UpdateData(true)) return;  // the number field is focused, its text selected
  m_strGroup = m_cbGroup.Text(m_cbGroup.CurSel());
  EndDialog(IDOK);
}

CAddGroup::CAddGroup(HWND parent) : Dialog(IDD_ADD_GROUP, parent) {}

void CAddGroup::DoDataExchange(framework::DataExchange& dx) {
  dx.Text(IDC_RECORD_NAME, m_strName);
  dx.Text(IDC_RECORD_DESCRIPTION, m_strDescription);
}

BOOL CAddGroup::OnInitDialog() {
  Dialog::OnInitDialog();
  if (m_bEdit) ::SetWindowTextA(Handle(), "Edit Group");
  return TRUE;
}
