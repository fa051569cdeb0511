// The activity log in the real main window, in this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/format.h"
#include "framework/ui_thread.h"
#include "server/frame/main_frame.h"
#include "server/log/activity_log.h"
#include "server/log/log_list.h"
#include "server/res/resource_ids.h"
#include "tests/support/test_mailslot.h"
#include "tests/support/window_picture.h"

namespace {

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

std::vector<std::string> Lines(HWND list) {
  std::vector<std::string> lines;
  LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[512] = {};
    ::SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    lines.push_back(text);
  }
  return lines;
}

class LogWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_thread.BindToCurrentThread();
    // Written before there is a main window: dropped.
    LogActivity("too early", LogLevel::Error);
    EXPECT_EQ(LogQueue::Count(), 0u);
    m_frame = new CMainFrame;
    m_thread.SetMainWindow(m_frame);
    ASSERT_TRUE(m_frame->LoadFrame(IDR_MAINFRAME, CMainFrame::kStyle));
    ::ShowWindow(m_frame->Handle(), SW_SHOWNORMAL);
    m_list = m_frame->LogList();
  }
  void TearDown() override {
    if (m_thread.MainWindow()) m_frame->DestroyWindow();
    Pump();
  }

  framework::UiThread m_thread;
  CMainFrame* m_frame = nullptr;
  HWND m_list = nullptr;
};

TEST_F(LogWindowTest, KeepsTheNewest101LinesWithTheLastVisibleAndTheUsersSelection) {
  for (int i = 1; i <= 150; ++i) LogActivity(text::Format("entry %d", i), LogLevel::Information);
  Pump();
  EXPECT_EQ(LogQueue::Count(), 0u);
  const std::vector<std::string> lines = Lines(m_list);
  ASSERT_EQ(lines.size(), 101u);
  EXPECT_NE(lines.front().find("] INFO: entry 50"), std::string::npos) << lines.front();
  EXPECT_NE(lines.back().find("] INFO: entry 150"), std::string::npos) << lines.back();
  EXPECT_EQ(lines.back().front(), '[');  // no level digit
  EXPECT_EQ(::SendMessageA(m_list, LB_GETSELCOUNT, 0, 0), 0);  // nothing forced into it
  EXPECT_GT(::SendMessageA(m_list, LB_GETTOPINDEX, 0, 0), 0);  // scrolled down to it

  // Lines the user picked stay picked while new lines push old ones out.
  ::SendMessageA(m_list, LB_SETSEL, TRUE, 10);
  ::SendMessageA(m_list, LB_SETSEL, TRUE, 11);
  LogActivity("entry 151", LogLevel::Error);
  Pump();
  EXPECT_EQ(::SendMessageA(m_list, LB_GETSELCOUNT, 0, 0), 2);
  EXPECT_GT(::SendMessageA(m_list, LB_GETSEL, 9, 0), 0);
  EXPECT_GT(::SendMessageA(m_list, LB_GETSEL, 10, 0), 0);
  EXPECT_EQ(::SendMessageA(m_list, LB_GETSEL, 100, 0), 0);
}

TEST_F(LogWindowTest, LinesCarryTheirLevelAndPrefix) {
  LogActivity("abc", LogLevel::Warning);
  LogActivity("bad", LogLevel::Error);
  LogActivity("fine", LogLevel::Information);
  Pump();
  const std::vector<std::string> lines = Lines(m_list);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("] WARNING: abc"), std::string::npos);
  EXPECT_NE(lines[1].find("] ERROR: bad"), std::string::npos);
  EXPECT_EQ(::SendMessageA(m_list, LB_GETITEMDATA, 0, 0), 1);
  EXPECT_EQ(::SendMessageA(m_list, LB_GETITEMDATA, 1, 0), 2);
  EXPECT_EQ(::SendMessageA(m_list, LB_GETITEMDATA, 2, 0), 0);
}

TEST_F(LogWindowTest, LinesAreAsTallAsTheirTextAtTheScreensResolution) {
  LogActivity("Welcome to Tellistry. Version 1.0", LogLevel::Information);
  Pump();
  TEXTMETRICA metrics{};
  HDC dc = ::GetDC(m_list);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(m_list, WM_GETFONT, 0, 0)));
  ::GetTextMetricsA(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(m_list, dc);
  const LRESULT height = ::SendMessageA(m_list, LB_GETITEMHEIGHT, 0, 0);
  EXPECT_GE(height, metrics.tmHeight);
  EXPECT_LE(height, metrics.tmHeight + metrics.tmHeight / 2) << "lines far apart";
}

// Draws line `index` of the list into a bitmap and returns its colours:
// the background at the right edge and the text's colour.
struct Drawn {
  COLORREF background;
  bool hasText;
  COLORREF text;
};

Drawn DrawLine(HWND list, int index, bool selected) {
  RECT client;
  ::GetClientRect(list, &client);
  HDC screen = ::GetDC(list);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, 14);
  HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
  ::SelectObject(dc, ::GetStockObject(ANSI_VAR_FONT));
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_LISTBOX;
  item.CtlID = IDC_LOG_LIST;
  item.itemID = index;
  item.itemAction = ODA_DRAWENTIRE;
  item.itemState = selected ? ODS_SELECTED : 0;
  item.hwndItem = list;
  item.hDC = dc;
  item.rcItem = RECT{0, 0, 10, 14};  // widened to the client width by the drawing
  item.itemData = static_cast<ULONG_PTR>(::SendMessageA(list, LB_GETITEMDATA, index, 0));
  activity::DrawLogLine(item);
  Drawn drawn{::GetPixel(dc, client.right - 1, 7), false, 0};
  for (int x = 0; x < 200 && !drawn.hasText; ++x)
    for (int y = 0; y < 14 && !drawn.hasText; ++y) {
      COLORREF c = ::GetPixel(dc, x, y);
      if (c != drawn.background) drawn = Drawn{drawn.background, true, c};
    }
  ::SelectObject(dc, oldBitmap);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(list, screen);
  return drawn;
}

TEST_F(LogWindowTest, DrawsLevelsInTheirColoursOnBlackAndTheSelectionHighlighted) {
  LogActivity("green", LogLevel::Information);
  LogActivity("yellow", LogLevel::Warning);
  LogActivity("red", LogLevel::Error);
  Pump();
  const COLORREF expected[] = {RGB(0, 255, 0), RGB(255, 255, 0), RGB(255, 0, 0)};
  for (int i = 0; i < 3; ++i) {
    Drawn drawn = DrawLine(m_list, i, false);
    EXPECT_EQ(drawn.background, RGB(0, 0, 0)) << i;
    ASSERT_TRUE(drawn.hasText) << i;
    EXPECT_EQ(drawn.text, expected[i]) << i;
  }
  Drawn selected = DrawLine(m_list, 2, true);
  EXPECT_EQ(selected.background, ::GetSysColor(COLOR_HIGHLIGHT));
  ASSERT_TRUE(selected.hasText);
  EXPECT_EQ(selected.text, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
}

// Whether the list, as shown on the screen, has a pixel of `colour` in line `index`.
bool ScreenLineHasColour(HWND list, int index, COLORREF colour) {
  RECT rect{};
  if (::SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
    return false;
  HDC dc = ::GetDC(list);
  bool found = false;
  for (int x = rect.left; x < rect.left + 300 && !found; ++x)
    for (int y = rect.top; y < rect.bottom && !found; ++y) found = ::GetPixel(dc, x, y) == colour;
  ::ReleaseDC(list, dc);
  return found;
}

TEST_F(LogWindowTest, ScreenshotOfAllThreeLevelsWithTheNewestErrorInRed) {
  LogActivity("Welcome to Tellistry. Version 1.0", LogLevel::Information);
  LogActivity("Alert for Admins", LogLevel::Information);
  LogActivity("Unknown or invalid recipient:Nobody", LogLevel::Warning);
  LogActivity("Alert for Ann", LogLevel::Information);
  LogActivity("The modem did not answer", LogLevel::Error);
  Pump();
  ::SetWindowPos(m_frame->Handle(), HWND_TOP, 40, 40, 640, 240, SWP_SHOWWINDOW);
  // Until the newest line is on the screen in red (the X server draws late).
  bool red = false;
  for (const ULONGLONG end = ::GetTickCount64() + 10000; !red && ::GetTickCount64() < end;) {
    ::UpdateWindow(m_frame->Handle());
    Pump();
    red = ScreenLineHasColour(m_list, 4, RGB(255, 0, 0));
    if (!red) ::Sleep(50);
  }
  EXPECT_TRUE(red);
  EXPECT_TRUE(testing_support::SaveWindowPicture(m_frame->Handle(),
                                                 testing_support::ScreenshotPath("main_window.bmp")));
}

TEST_F(LogWindowTest, AlertFromTheCommandLineReachesTheQueue) {
  ASSERT_EQ(m_frame->ListenerError(), 0u);
  ASSERT_EQ(testing_support::RunProgram("raisealert.exe", "Backup Admins Disk full"), 0);
  // No messages handled meanwhile: the frame's alert message would take
  // the alert out of the queue and send it.
  const ULONGLONG end = ::GetTickCount64() + 60000;
  while (m_frame->Alerts().Count() == 0 && ::GetTickCount64() < end) ::Sleep(20);
  std::string text;
  ASSERT_TRUE(m_frame->Alerts().Pop(text));
  EXPECT_EQ(text, "Backup\tAdmins\tDisk full");
}

TEST_F(LogWindowTest, DestroyStopsTheListenerAndEndsTheLoop) {
  m_frame->DestroyWindow();
  EXPECT_EQ(m_thread.MainWindow(), nullptr);
  MSG msg;
  EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  // The mailslot is free again.
  testing_support::TestMailslot slot(R"(\\.\mailslot\BRISKEN\_TELLISTRY_)");
  EXPECT_TRUE(slot.IsOpen());
  // Entries after the main window is gone are dropped.
  LogActivity("too late", LogLevel::Information);
  EXPECT_EQ(LogQueue::Count(), 0u);
}

}  // namespace
