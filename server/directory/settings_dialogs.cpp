#include "server/directory/settings_dialogs.h"

#include "common/format.h"
#include "common/trim.h"
#include "framework/app.h"
#include "framework/held_choice.h"
#include "framework/window.h"
#include "server/directory/phone_number.h"
#include "server/log/activity_log.h"
#include "server/modem/port_list.h"
#include "server/res/resource_ids.h"

CMaintainSettings::CMaintainSettings(HWND parent) : Dialog(IDD_MAINTAIN_SETTINGS, parent) {}

void CMaintainSettings::DoDataExchange(framework::DataExchange& dx) {
  dx.Control(IDC_SETTINGS_ENTRIES, m_cbEntries);
  dx.Text(IDC_SETTINGS_ID, m_strId);
  dx.Text(IDC_SETTINGS_FOOTER, m_strFooter);
}

BOOL CMaintainSettings::OnInitDialog() {
  Dialog::OnInitDialog();
  RefreshFromStore();
  return TRUE;
}

bool CMaintainSettings::OnCommand(int id, int code, HWND control) {
  void (CMaintainSettings::*action)() = nullptr;
  if (control && code == BN_CLICKED) {
    switch (id) {
      case IDC_ADD_ENTRY: action = &CMaintainSettings::AddEntry; break;
      case IDC_EDIT_ENTRY: action = &CMaintainSettings::EditEntry; break;
      case IDC_DELETE_ENTRY: action = &CMaintainSettings::DeleteEntry; break;
    }
  }
  if (!action) return Dialog::OnCommand(id, code, control);
  // Each action opens a dialog or a question: not inside a delivery's pause.
  if (!framework::HoldWhileBusy(Handle(), WM_COMMAND, MAKEWPARAM(id, code),
                                reinterpret_cast<LPARAM>(control)))
    (this->*action)();
  return true;
}

void CMaintainSettings::RefreshFromStore() {
  m_cbEntries.ResetContent();
  for (const std::string& name : directory::LoadSmsEntryNames()) m_cbEntries.AddString(name);
  const directory::AppSettings settings = directory::LoadAppSettings();
  m_strCurrentEntry = settings.CurrentEntry;
  m_strId = settings.Id;
  m_strFooter = settings.Footer;
  m_cbEntries.SetCurSel(-1);
  for (int i = 0; i < m_cbEntries.Count(); ++i) {
    if (directory::SameEntryName(m_cbEntries.Text(i), m_strCurrentEntry)) {
      m_cbEntries.SetCurSel(i);
      break;
    }
  }
  UpdateData(false);
}

std::string CMaintainSettings::SelectedEntry() const {
  const int item = m_cbEntries.CurSel();
  return item < 0 ? std::string() : m_cbEntries.Text(item);
}

void CMaintainSettings::AddEntry() {
  CAddEntry dialog(Handle());
  if (dialog.DoModal() != IDOK) return;
  // A new name is listed and made current in the store at once.
  if (directory::RegisterSmsEntryName(dialog.m_strEntryName)) RefreshFromStore();
}

void CMaintainSettings::EditEntry() {
  UpdateData(true);
  if (m_cbEntries.CurSel() < 0) return;
  CAddEntry dialog(Handle());
  dialog.m_strEntryName = SelectedEntry();
  dialog.m_bEdit = true;
  dialog.DoModal();
}

void CMaintainSettings::DeleteEntry() {
  UpdateData(true);
  if (m_cbEntries.CurSel() < 0) return;
  m_strCurrentEntry = SelectedEntry();
  const std::string question = framework::LoadResourceString(IDS_DELETE_ENTRY);
  if (::MessageBoxA(Handle(), question.c_str(), framework::App::Instance()->AppName().c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  directory::DeleteSmsEntry(m_strCurrentEntry);
  RefreshFromStore();
}

void CMaintainSettings::OnOK() {
  UpdateData(true);
  m_strCurrentEntry = SelectedEntry();
  EndDialog(IDOK);
}

CAddEntry::CAddEntry(HWND parent) : Dialog(IDD_ADD_ENTRY, parent) {}

void CAddEntry::FillList(int id, const directory::ChoiceList& choices) {
  framework::ComboBox list;
  list.Attach(::GetDlgItem(Handle(), id));
  list.ResetContent();
  for (const auto& choice : choices) list.AddString(choice.Text);
}

void CAddEntry::DoDataExchange(framework::DataExchange& dx) {
  dx.Text(IDC_ENTRY_NAME, m_strEntryName);
  dx.Text(IDC_ENTRY_SMSC, m_strSmsc);
  dx.Text(IDC_ENTRY_SCRIPT, m_strScript);
  dx.ComboIndex(IDC_ENTRY_PORT, m_nPort);
  dx.ComboIndex(IDC_ENTRY_BAUD, m_nBaud);
  dx.ComboIndex(IDC_ENTRY_PARITY, m_nParity);
  dx.ComboIndex(IDC_ENTRY_DATA_BITS, m_nDataBits);
  dx.ComboIndex(IDC_ENTRY_STOP_BITS, m_nStopBits);
  if (!dx.Saving()) return;
  m_strSmsc = std::string(text::Trim(m_strSmsc));
  if (!directory::IsValidNumber(m_strSmsc)) dx.Fail(IDC_ENTRY_SMSC);
}

BOOL CAddEntry::OnInitDialog() {
  using namespace directory;
  if (m_bEdit) {
    ::SetWindowTextA(Handle(), "Edit Entry");
    // An entry's name never changes.
    ::EnableWindow(::GetDlgItem(Handle(), IDC_ENTRY_NAME), FALSE);
    if (const auto entry = LoadSmsEntry(m_strEntryName)) {
      m_stored = *entry;
      m_ports = PortChoices(modem::PresentSerialPorts(), entry->Port);
      m_nPort = ChoicePosition(m_ports, entry->Port);
      m_strSmsc = entry->Smsc;
      m_nBaud = BaudPosition(entry->Baud);
      m_nDataBits = ChoicePosition(DataBitsChoices(), entry->DataBits);
      m_nStopBits = ChoicePosition(StopBitsChoices(), entry->StopBits);
      m_nParity = ChoicePosition(ParityChoices(), entry->Parity);
      m_strScript = ScriptToText(entry->Script);
    }
  }
  if (m_ports.empty()) m_ports = PortChoices(modem::PresentSerialPorts(), 0);
  FillList(IDC_ENTRY_PORT, m_ports);
  FillList(IDC_ENTRY_BAUD, BaudChoices());
  FillList(IDC_ENTRY_PARITY, ParityChoices());
  FillList(IDC_ENTRY_DATA_BITS, DataBitsChoices());
  FillList(IDC_ENTRY_STOP_BITS, StopBitsChoices());
  return Dialog::OnInitDialog();
}

void CAddEntry::OnOK() {
  using namespace directory;
  if (!UpdateData(true)) return;  // the SMSC field is focused, its text selected
  SmsEntry entry;
  entry.Name = m_strEntryName;
  entry.Smsc = m_strSmsc;
  entry.Port = ChoiceValue(m_ports, m_nPort, m_stored.Port);
  entry.Baud = ChoiceValue(BaudChoices(), m_nBaud, m_stored.Baud);
  entry.Parity = ChoiceValue(ParityChoices(), m_nParity, m_stored.Parity);
  entry.DataBits = ChoiceValue(DataBitsChoices(), m_nDataBits, m_stored.DataBits);
  entry.StopBits = ChoiceValue(StopBitsChoices(), m_nStopBits, m_stored.StopBits);
  entry.Script = TextToScript(m_strScript);
  std::string failure;
  const SaveEntryResult saved = SaveSmsEntry(entry, !m_bEdit, failure);
  // A new entry whose name cannot name its key: the name is to be changed.
  if (saved == SaveEntryResult::kUnusableName && !m_bEdit) {
    SelectField(IDC_ENTRY_NAME);
    return;
  }
  if (saved == SaveEntryResult::kNotStored) {
    // The report is a message box, a modal loop: during a delivery this OK
    // waits for its end and is tried once more then.
    if (framework::HoldWhileBusy(Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0)) return;
    ReportNotStored(failure);
    // A new entry stays open, to be saved again or cancelled: nothing of it
    // is in the store, and its name must not be listed.
    if (!m_bEdit) return;
  }
  EndDialog(IDOK);
}

void CAddEntry::ReportNotStored(const std::string& failure) {
  LogActivity(text::Format("Failed to save SMS entry %s: %s", m_strEntryName, failure), LogLevel::Error);
  const std::string text = "The entry was not saved: " + failure + ".";
  ::MessageBoxA(Handle(), text.c_str(), framework::App::Instance()->AppName().c_str(), MB_OK | MB_ICONERROR);
}
