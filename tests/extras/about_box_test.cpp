// The hyperlink control on a window of this test, and the About box with the
// program's own resources, manifest included (screenshots in
// build/win/bin/screenshots: about_box.bmp, link_tooltip.bmp).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "server/frame/app_info.h"
#include "server/extras/about_dlg.h"
#include "server/extras/static_link.h"
#include "server/res/resource_ids.h"
#include "tests/support/common_controls.h"
#include "tests/support/window_picture.h"

namespace {

std::string Text(HWND hwnd) {
  char text[512] = {};
  ::GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

std::string TipText(const CStaticLink& link) {
  char text[256] = {};
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = link.Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(link.Handle());
  tool.lpszText = text;
  ::SendMessageA(link.ToolTip(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  return text;
}

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// The program's manifest, compiled into this test with its other resources.
TEST(Manifest, GivesCommonControls6AndDpiAwareness) {
  EXPECT_TRUE(testing_support::LoadsCommonControls6());
  EXPECT_TRUE(::IsProcessDPIAware());
}

class CountingLink : public CStaticLink {
 public:
  int m_beeps = 0;

 protected:
  void SignalOpenFailure() override { ++m_beeps; }
};

class Parent : public framework::Window {};

class StaticLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_parent.Create(0, MAKEINTATOM(framework::RegisterWindowClass(0, nullptr, nullptr, nullptr)),
                                "links", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
  }
  void TearDown() override { ::DestroyWindow(m_parent.Handle()); }

  // A static child with `caption`, made a link.
  HWND AddLink(CStaticLink& link, const char* caption, DWORD style = SS_CENTER) {
    HWND control = ::CreateWindowExA(0, "STATIC", caption, WS_CHILD | WS_VISIBLE | style, 0,
                                     m_nextY, 300, 20, m_parent.Handle(),
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + m_nextY)),
                                     ::GetModuleHandleA(nullptr), nullptr);
    m_nextY += 25;
    EXPECT_TRUE(link.Subclass(control));
    return control;
  }
  void Click(HWND control) {
    ::SendMessageA(m_parent.Handle(), WM_COMMAND,
                   MAKEWPARAM(::GetDlgCtrlID(control), STN_CLICKED), reinterpret_cast<LPARAM>(control));
  }
  // The colour request the parent gets while the control paints.
  HBRUSH ColourRequest(HWND control, HDC dc) {
    return reinterpret_cast<HBRUSH>(::SendMessageA(m_parent.Handle(), WM_CTLCOLORSTATIC,
                                                   reinterpret_cast<WPARAM>(dc),
                                                   reinterpret_cast<LPARAM>(control)));
  }

  Parent m_parent;
  int m_nextY = 0;
};

TEST_F(StaticLinkTest, CaptionSplitsAtTheFirstBar) {
  CStaticLink one, two, none;
  HWND a = AddLink(one, "Tellistry Help|C:\\Tellistry\\TELLISTRY.CHM");
  HWND b = AddLink(two, "Odd|first|second");
  HWND c = AddLink(none, "mailto:support@orvandel.example");
  EXPECT_EQ(Text(a), "Tellistry Help");
  EXPECT_EQ(one.Link(), "C:\\Tellistry\\TELLISTRY.CHM");
  EXPECT_EQ(TipText(one), "Tellistry Help");
  EXPECT_EQ(Text(b), "Odd");
  EXPECT_EQ(two.Link(), "first|second");
  EXPECT_EQ(Text(c), "mailto:support@orvandel.example");
  EXPECT_EQ(none.Link(), "mailto:support@orvandel.example");
  EXPECT_EQ(TipText(none), "mailto:support@orvandel.example");
}

TEST_F(StaticLinkTest, FailedOpenBeepsOnceAndStaysBlueSuccessfulOpenTurnsPurple) {
  CountingLink link;
  HWND control = AddLink(link, "Broken|Z:\\no\\such\\folder\\nothing.tellistry");
  win::MemoryDc dc(::CreateCompatibleDC(nullptr));
  EXPECT_EQ(ColourRequest(control, dc.Get()), ::GetStockObject(NULL_BRUSH));
  EXPECT_TRUE(::GetWindowLongA(control, GWL_STYLE) & SS_NOTIFY);  // clicks now reach it

  Click(control);
  EXPECT_EQ(link.m_beeps, 1);
  EXPECT_FALSE(link.Visited());
  ColourRequest(control, dc.Get());
  EXPECT_EQ(::GetTextColor(dc.Get()), RGB(0, 0, 255));

  // A program that ends at once opens fine.
  CountingLink good;
  HWND working = AddLink(good, "Host|C:\\windows\\system32\\hostname.exe");
  Click(working);
  EXPECT_EQ(good.m_beeps, 0);
  EXPECT_TRUE(good.Visited());
  ColourRequest(working, dc.Get());
  EXPECT_EQ(::GetTextColor(dc.Get()), RGB(128, 0, 128));
  EXPECT_EQ(TipText(good), "Host");
}

TEST_F(StaticLinkTest, NonTextStaticKeepsTheParentsColoursButNotifies) {
  CStaticLink link;
  HWND control = AddLink(link, "frame|target", SS_BLACKFRAME);
  win::MemoryDc dc(::CreateCompatibleDC(nullptr));
  EXPECT_NE(ColourRequest(control, dc.Get()), ::GetStockObject(NULL_BRUSH));
  EXPECT_TRUE(::GetWindowLongA(control, GWL_STYLE) & SS_NOTIFY);
  // No cursor given: the class's own.
  EXPECT_EQ(::SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            FALSE);
}

// The tool's structure is the size that version 6 expects; version 5 would
// refuse it and never show the tip.
TEST_F(StaticLinkTest, TooltipShowsTheDisplayTextUnderTheMouse) {
  CStaticLink link;
  HWND control = AddLink(link, "Tellistry Help|TELLISTRY.CHM");
  ::ShowWindow(m_parent.Handle(), SW_SHOWNORMAL);
  // Painted once, the control notifies and so takes mouse messages.
  for (int i = 0; i < 200 && !(::GetWindowLongA(control, GWL_STYLE) & SS_NOTIFY); ++i) {
    ::UpdateWindow(m_parent.Handle());
    Pump();
    ::Sleep(50);
  }
  ASSERT_TRUE(::GetWindowLongA(control, GWL_STYLE) & SS_NOTIFY);
  // A tip shows only in the active window, and only once the mouse has
  // rested on its tool: each move starts the wait afresh. Another program
  // (one an earlier test opened) may take the activation meanwhile.
  RECT rect;
  ::GetWindowRect(control, &rect);
  bool shown = false;
  for (const ULONGLONG end = ::GetTickCount64() + 20000; !shown && ::GetTickCount64() < end;) {
    if (::GetForegroundWindow() != m_parent.Handle()) {
      ::SetForegroundWindow(m_parent.Handle());
      ::SetCursorPos(rect.left, rect.bottom + 40);
      Pump();
      ::SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    }
    Pump();
    shown = ::IsWindowVisible(link.ToolTip());
    if (!shown) ::Sleep(50);
  }
  ASSERT_TRUE(shown);
  EXPECT_EQ(TipText(link), "Tellistry Help");
  ::UpdateWindow(link.ToolTip());
  EXPECT_TRUE(testing_support::SaveWindowPicture(m_parent.Handle(),
                                                 testing_support::ScreenshotPath("link_tooltip.bmp")));
}

// What the About box shows, gathered from another thread while it runs.
struct AboutFacts {
  bool found = false;
  std::string version, helpText, helpTarget, mailTarget;
  LONG linkStyle = 0;
  bool linksFit = false;
  bool handCursor = false;
  COLORREF faceBrush = 0, faceText = 0, staticText = 0, linkText = 0;
  bool linkOwnBrush = false;
  bool screenshot = false;
};

COLORREF BrushColour(LRESULT brush) {
  LOGBRUSH info{};
  ::GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof info, &info);
  return info.lbColor;
}

void InspectAboutBox(DWORD dialogThread, AboutFacts& facts) {
  HWND dialog = nullptr;
  for (int i = 0; i < 200 && !dialog; ++i) {
    ::EnumThreadWindows(
        dialogThread,
        [](HWND hwnd, LPARAM param) -> BOOL {
          if (Text(hwnd) != "About Tellistry" || !::IsWindowVisible(hwnd)) return TRUE;
          *reinterpret_cast<HWND*>(param) = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) ::Sleep(50);
  }
  if (!dialog) return;
  facts.found = true;
  // Painted once, the links have asked for their colours.
  ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  facts.version = Text(::GetDlgItem(dialog, IDC_ABOUT_VERSION));
  HWND help = ::GetDlgItem(dialog, IDC_ABOUT_LINK_HELP);
  facts.helpText = Text(help);
  facts.helpTarget = dynamic_cast<CStaticLink*>(framework::Window::FromHandle(help))->Link();
  facts.mailTarget = dynamic_cast<CStaticLink*>(
      framework::Window::FromHandle(::GetDlgItem(dialog, IDC_ABOUT_LINK_MAIL)))->Link();
  facts.linkStyle = ::GetWindowLongA(::GetDlgItem(dialog, IDC_ABOUT_LINK_WEB), GWL_STYLE);

  // Each link's text, in the link font, fits its control at this resolution.
  facts.linksFit = true;
  for (int id : {IDC_ABOUT_LINK_HELP, IDC_ABOUT_LINK_WEB, IDC_ABOUT_LINK_MAIL}) {
    HWND link = ::GetDlgItem(dialog, id);
    const std::string text = Text(link);
    RECT client;
    ::GetClientRect(link, &client);
    HDC dc = ::GetDC(link);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(link, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(link, dc);
    if (extent.cx > client.right || extent.cy > client.bottom) facts.linksFit = false;
  }

  // The cursor the link sets is the dialog thread's; share its input state.
  ::AttachThreadInput(::GetCurrentThreadId(), dialogThread, TRUE);
  ::SendMessageA(help, WM_SETCURSOR, reinterpret_cast<WPARAM>(help), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  facts.handCursor =
      ::GetCursor() == ::LoadCursorA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_HAND));
  ::AttachThreadInput(::GetCurrentThreadId(), dialogThread, FALSE);

  win::MemoryDc dc(::CreateCompatibleDC(nullptr));
  const auto request = [&](UINT msg, HWND control) {
    return ::SendMessageA(dialog, msg, reinterpret_cast<WPARAM>(dc.Get()), reinterpret_cast<LPARAM>(control));
  };
  facts.faceBrush = BrushColour(request(WM_CTLCOLORDLG, dialog));
  facts.faceText = ::GetTextColor(dc.Get());
  request(WM_CTLCOLORSTATIC, ::GetDlgItem(dialog, IDC_ABOUT_VERSION));
  facts.staticText = ::GetTextColor(dc.Get());
  facts.linkOwnBrush = request(WM_CTLCOLORSTATIC, help) ==
                       reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
  facts.linkText = ::GetTextColor(dc.Get());

  ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  facts.screenshot =
      testing_support::SaveWindowPicture(dialog, testing_support::ScreenshotPath("about_box.bmp"));
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
}

TEST(AboutBox, ShowsVersionLinksHandAndColouredFace) {
  AboutFacts facts;
  std::thread inspector(InspectAboutBox, ::GetCurrentThreadId(), std::ref(facts));
  CAboutDlg about(nullptr, 10000, ModuleDirectoryPath("TELLISTRY.CHM"));
  const INT_PTR result = about.DoModal();
  inspector.join();
  ASSERT_TRUE(facts.found);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(facts.version, "Version 1.0");
  EXPECT_EQ(facts.helpText, "Tellistry Help");
  EXPECT_EQ(facts.helpTarget, ModuleDirectoryPath("TELLISTRY.CHM"));
  EXPECT_EQ(facts.mailTarget.rfind("mailto:", 0), 0u);
  EXPECT_EQ(facts.linkStyle & (SS_SUNKEN | SS_CENTERIMAGE | SS_NOTIFY | SS_TYPEMASK),
            SS_SUNKEN | SS_CENTERIMAGE | SS_NOTIFY | SS_CENTER);
  EXPECT_TRUE(facts.linksFit);
  EXPECT_TRUE(facts.handCursor);
  EXPECT_EQ(facts.faceBrush, CAboutDlg::kFaceColour);
  EXPECT_EQ(facts.faceText, RGB(255, 255, 255));
  EXPECT_EQ(facts.staticText, RGB(255, 255, 255));
  EXPECT_TRUE(facts.linkOwnBrush);
  EXPECT_EQ(facts.linkText, RGB(0, 0, 255));
  EXPECT_TRUE(facts.screenshot);
}

}  // namespace
