// Dialog: a dialog from a template id, modal (DoModal) or modeless (Create),
// with data exchange between members and controls.
//
//   class CAddUser : public framework::Dialog {
//     void DoDataExchange(framework::DataExchange& dx) override {
//       dx.Text(IDC_NAME, m_name);
//       if (dx.Saving() && m_name.empty()) dx.Fail(IDC_NAME);
//     }
//   };
//
// OnInitDialog fills the controls (UpdateData(false)); OnOK reads them back
// and ends the dialog only when no exchange failed (the failed field is then
// focused with its text selected). A member control class (a Window) bound
// with dx.Control is subclassed by the first exchange.
#pragma once

#include <windows.h>

#include <string>

#include "framework/controls.h"
#include "framework/window.h"

namespace framework {

class Dialog;

class DataExchange {
 public:
  DataExchange(Dialog& dialog, bool saving) : m_dialog(dialog), m_saving(saving) {}

  bool Saving() const { return m_saving; }
  bool Failed() const { return m_failed; }

  // Edit or static text <-> string.
  void Text(int id, std::string& value);
  // Combo box selection <-> position (-1: none).
  void ComboIndex(int id, int& index);
  // Subclasses the control with `control` the first time.
  void Control(int id, Window& control);
  // Binds a thin view to the control.
  void Control(int id, ControlView& view);
  // Marks the exchange as failed: focuses the field and selects its text.
  void Fail(int id);

 private:
  HWND Item(int id) const;

  Dialog& m_dialog;
  bool m_saving;
  bool m_failed = false;
};

class Dialog : public Window {
 public:
  explicit Dialog(UINT templateId, HWND parent = nullptr)
      : m_templateId(templateId), m_parent(parent) {}

  // IDOK, IDCANCEL or the value given to EndDialog; -1 when the dialog
  // could not be created.
  INT_PTR DoModal();
  // Modeless: creates the dialog, which shows itself when its template says
  // WS_VISIBLE; false when it could not be created. EndDialog then destroys
  // the window; the object must outlive it.
  bool Create();

  bool UpdateData(bool saving);
  void EndDialog(INT_PTR result);
  // The dialog keys (Tab, Enter, Escape, mnemonics) in whatever loop runs:
  // a modeless dialog's in the thread's loop, any dialog's in a delivery's.
  bool PreTranslateMessage(MSG& msg) override;
  // Moves the keyboard focus to control `id` and selects its whole text.
  void SelectField(int id);

 protected:
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual void DoDataExchange(DataExchange&) {}
  // WM_COMMAND unpacked: control id, notification code and the control
  // (null for menus and accelerators). True when handled; the default runs
  // OnOK and OnCancel for IDOK and IDCANCEL.
  virtual bool OnCommand(int id, int code, HWND control);
  // WM_NOTIFY from control `id`; true with `result` set when handled.
  virtual bool OnNotify(int id, const NMHDR& header, LRESULT& result);

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Unhandled dialog messages go back to the dialog manager.
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  UINT m_templateId;
  HWND m_parent;
  bool m_modeless = false;
  bool m_unhandled = false;  // set by DefaultProc during one dispatch
};

}  // namespace framework
