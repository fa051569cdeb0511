// The address book dialogs: CAddressBook lists users and groups and offers
// add, edit and delete for each; CAddUser and CAddGroup edit one record, in
// an add mode and an edit mode. Every change is written to the store when a
// record dialog is closed with OK or a deletion is confirmed. Modal, on the
// user-interface thread (alerts are still dispatched by the modal loop).
// Win32.
#pragma once

#include <windows.h>

#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"

class CAddressBook : public framework::Dialog {
 public:
  explicit CAddressBook(HWND parent);

 protected:
  void DoDataExchange(framework::DataExchange& dx) override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(int id, const NMHDR& header, LRESULT& result) override;

 private:
  // Both lists rebuilt from the store; item data = record index, valid
  // until the next rebuild.
  void RefreshLists();
  void AddUser();
  void EditUser();
  void DeleteUser();
  void AddGroup();
  void EditGroup();
  void DeleteGroup();
  bool Confirm(UINT questionId);

  framework::ListView m_lstUsers;
  framework::ListView m_lstGroups;
};

class CAddUser : public framework::Dialog {
 public:
  explicit CAddUser(HWND parent);

  std::string m_strName;
  std::string m_strDescription;
  std::string m_strNumber;  // trimmed and valid after OK
  std::string m_strGroup;   // the chosen group's name, "<none>" for none
  bool m_bEdit = false;

 protected:
  void DoDataExchange(framework::DataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  framework::ComboBox m_cbGroup;
};

class CAddGroup : public framework::Dialog {
 public:
  explicit CAddGroup(HWND parent);

  std::string m_strName;
  std::string m_strDescription;
  bool m_bEdit = false;

 protected:
  void DoDataExchange(framework::DataExchange& dx) override;
  BOOL OnInitDialog() override;
};
