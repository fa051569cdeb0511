// The framework's modal dialog: data exchange, validation, control
// subclassing and reflection, on a real dialog template.
#include "framework/dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

constexpr UINT kTemplate = 100;
constexpr int kName = 101, kChoice = 102, kLink = 103;
constexpr UINT kDrive = WM_APP + 1;

// A control that handles its own colour request and click.
class ReflectingStatic : public framework::Window {
 public:
  int clicks = 0;
  int colourRequests = 0;

 protected:
  bool OnReflectedMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override {
    if (msg == WM_CTLCOLORSTATIC) {
      ++colourRequests;
      result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
      return true;
    }
    if (msg == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
      ++clicks;
      result = 0;
      return true;
    }
    return false;
  }
};

class TestDialog : public framework::Dialog {
 public:
  TestDialog() : Dialog(kTemplate) {}

  std::string name = "Alice";
  int choice = 1;
  ReflectingStatic link;
  std::function<void(TestDialog&)> drive;  // runs once the dialog is up

  HWND Item(int id) const { return ::GetDlgItem(Handle(), id); }

 protected:
  BOOL OnInitDialog() override {
    for (const char* c : {"zero", "one", "two"})
      ::SendMessageA(Item(kChoice), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c));
    Dialog::OnInitDialog();
    ::PostMessageA(Handle(), kDrive, 0, 0);
    return TRUE;
  }
  void DoDataExchange(framework::DataExchange& dx) override {
    dx.Control(kLink, link);
    dx.Text(kName, name);
    dx.ComboIndex(kChoice, choice);
    if (dx.Saving() && name.empty()) dx.Fail(kName);
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == kDrive) {
      drive(*this);
      return 0;
    }
    return Dialog::WindowProc(msg, wParam, lParam);
  }
};

std::string Text(HWND item) {
  char text[256] = {};
  ::GetWindowTextA(item, text, sizeof text);
  return text;
}

TEST(Dialog, ExchangesDataBothWaysAndEndsWithOk) {
  TestDialog dialog;
  std::string shownName;
  LRESULT shownChoice = -1;
  dialog.drive = [&](TestDialog& d) {
    shownName = Text(d.Item(kName));
    shownChoice = ::SendMessageA(d.Item(kChoice), CB_GETCURSEL, 0, 0);
    ::SetWindowTextA(d.Item(kName), "Bob");
    ::SendMessageA(d.Item(kChoice), CB_SETCURSEL, 2, 0);
    ::SendMessageA(d.Handle(), WM_COMMAND, IDOK, 0);
  };
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(shownName, "Alice");
  EXPECT_EQ(shownChoice, 1);
  EXPECT_EQ(dialog.name, "Bob");
  EXPECT_EQ(dialog.choice, 2);
}

TEST(Dialog, InvalidInputKeepsTheDialogOpenWithTheFieldFocused) {
  TestDialog dialog;
  bool stayedOpen = false, focused = false;
  dialog.drive = [&](TestDialog& d) {
    ::SetWindowTextA(d.Item(kName), "");
    ::SendMessageA(d.Handle(), WM_COMMAND, IDOK, 0);
    stayedOpen = ::IsWindow(d.Handle());
    focused = ::GetFocus() == d.Item(kName);
    ::SendMessageA(d.Handle(), WM_COMMAND, IDCANCEL, 0);
  };
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(focused);
}

TEST(Dialog, BoundControlIsSubclassedAndGetsItsReflectedMessages) {
  TestDialog dialog;
  LRESULT brush = 0;
  dialog.drive = [&](TestDialog& d) {
    HWND link = d.Item(kLink);
    HDC dc = ::GetDC(link);
    brush = ::SendMessageA(d.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(link));
    ::ReleaseDC(link, dc);
    ::SendMessageA(d.Handle(), WM_COMMAND, MAKEWPARAM(kLink, STN_CLICKED),
                   reinterpret_cast<LPARAM>(link));
    ::SendMessageA(d.Handle(), WM_COMMAND, IDCANCEL, 0);
  };
  dialog.DoModal();
  EXPECT_EQ(dialog.link.Handle(), nullptr);  // detached when the dialog went
  EXPECT_GE(dialog.link.colourRequests, 1);
  EXPECT_EQ(brush, reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(dialog.link.clicks, 1);
}

}  // namespace
