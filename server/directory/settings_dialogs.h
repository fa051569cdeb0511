// The settings dialogs: CMaintainSettings shows the ID, the active SMS
// entry and the footer and manages the entries; CAddEntry edits one SMS
// entry (add or edit mode) and saves it itself on OK. Adding and deleting
// entries change the store at once; the three settings wait for the
// caller, which saves them when CMaintainSettings ends with OK. Modal, on
// the user-interface thread. Win32.
#pragma once

#include <windows.h>

#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "server/directory/entry_choices.h"
#include "server/directory/sms_entries.h"

class CMaintainSettings : public framework::Dialog {
 public:
  explicit CMaintainSettings(HWND parent);

  std::string m_strId;
  std::string m_strCurrentEntry;  // the chosen entry, "" for none
  std::string m_strFooter;

 protected:
  void DoDataExchange(framework::DataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  // The entries list and the three settings as stored now (typing in the
  // ID and footer fields is replaced).
  void RefreshFromStore();
  void AddEntry();
  void EditEntry();
  void DeleteEntry();
  std::string SelectedEntry() const;  // "" when none is selected

  framework::ComboBox m_cbEntries;
};

class CAddEntry : public framework::Dialog {
 public:
  explicit CAddEntry(HWND parent);

  std::string m_strEntryName;
  std::string m_strSmsc;  // trimmed and valid after OK
  std::string m_strScript;
  // Positions in the five lists; -1 (or any other position outside a list)
  // leaves that list without a selection.
  int m_nPort = 0;
  int m_nBaud = 0;
  int m_nParity = 0;
  int m_nDataBits = 0;
  int m_nStopBits = 0;
  bool m_bEdit = false;

 protected:
  void DoDataExchange(framework::DataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  void FillList(int id, const directory::ChoiceList& choices);
  // Says in the log and in a message box what kept the entry out of the store.
  void ReportNotStored(const std::string& failure);

  // The entry as read when editing: a value its list does not offer is
  // stored back unchanged.
  directory::SmsEntry m_stored;
  directory::ChoiceList m_ports;
};
