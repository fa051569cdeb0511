// Thin, non-owning views of a dialog's common controls: their messages with
// typed arguments, nothing more. A view is bound to its control by
// DataExchange::Control; the control belongs to the dialog.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

namespace framework {

class ControlView {
 public:
  void Attach(HWND hwnd) { m_hWnd = hwnd; }
  HWND Handle() const { return m_hWnd; }

 protected:
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, msg, wParam, lParam);
  }

 private:
  HWND m_hWnd = nullptr;
};

class ListView : public ControlView {
 public:
  // `format`: LVCFMT_LEFT or LVCFMT_RIGHT; `width` in pixels.
  void InsertColumn(int column, const char* heading, int format, int width) const;
  void DeleteAllItems() const { Send(LVM_DELETEALLITEMS); }
  // Off while many rows change: the list then neither scrolls nor repaints
  // for each one. Turning it on again repaints the whole list.
  void SetRedraw(bool on) const {
    Send(WM_SETREDRAW, on);
    if (on) ::InvalidateRect(Handle(), nullptr, TRUE);
  }
  // At the place the list's sort gives; returns that position, -1 on failure.
  int InsertItem(const std::string& text, LPARAM data) const;
  void SetItemText(int item, int column, const std::string& text) const;
  void DeleteItem(int item) const { Send(LVM_DELETEITEM, static_cast<WPARAM>(item)); }
  // The first selected item, -1 when none is.
  int FirstSelected() const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }
  // The item's data word; nothing when the item cannot be read.
  std::optional<LPARAM> ItemData(int item) const;
};

class ComboBox : public ControlView {
 public:
  void ResetContent() const { Send(CB_RESETCONTENT); }
  // Returns the new item's position (a sorted box places it itself).
  int AddString(const std::string& text) const {
    return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }
  int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
  // -1: no selection.
  int CurSel() const { return static_cast<int>(Send(CB_GETCURSEL)); }
  void SetCurSel(int item) const { Send(CB_SETCURSEL, static_cast<WPARAM>(item)); }
  // The text of item `item`; empty when there is no such item.
  std::string Text(int item) const;
};

}  // namespace framework
