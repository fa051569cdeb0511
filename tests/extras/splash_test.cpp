// The splash window on its own thread, with the program's real picture and
// manifest (screenshot: build/win/bin/screenshots/splash.bmp).
#include "server/extras/splash_thread.h"

#include <gtest/gtest.h>

#include <string>

#include "common/gdi.h"
#include "common/handle.h"
#include "server/frame/app_info.h"
#include "tests/support/window_picture.h"

namespace {

// The visible top-level window of a thread, waiting for it to appear.
HWND WaitForThreadWindow(DWORD threadId, DWORD timeoutMs) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  for (;;) {
    HWND found = nullptr;
    ::EnumThreadWindows(
        threadId,
        [](HWND hwnd, LPARAM param) -> BOOL {
          if (!::IsWindowVisible(hwnd)) return TRUE;
          *reinterpret_cast<HWND*>(param) = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found || ::GetTickCount64() >= end) return found;
    ::Sleep(50);
  }
}

// Whether the screen shows the picture's centre pixel at the window's centre:
// the picture is drawn pixel for pixel, at any screen resolution.
bool ShowsPictureCentre(HWND window, HBITMAP picture, int width, int height) {
  win::MemoryDc memory(::CreateCompatibleDC(nullptr));
  win::SelectedObject selected(memory.Get(), picture);
  const COLORREF expected = ::GetPixel(memory.Get(), width / 2, height / 2);
  win::WindowDc dc(window);
  return ::GetPixel(dc.Get(), width / 2, height / 2) == expected;
}

TEST(Splash, ShowsThePictureCentredUntilClosedOnRequest) {
  auto* splash = new CSplashThread;
  ASSERT_TRUE(splash->CreateThread());
  splash->SetBitmapFile(ModuleDirectoryPath("TELLISTRY.BMP"));
  const DWORD threadId = splash->ThreadId();
  splash->Resume();
  HWND window = WaitForThreadWindow(threadId, 10000);
  ASSERT_NE(window, nullptr);

  RECT rect, work;
  ::GetWindowRect(window, &rect);
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(rect.right - rect.left, 420);  // the picture's own size
  EXPECT_EQ(rect.bottom - rect.top, 200);
  win::GdiObject<HBITMAP> picture(static_cast<HBITMAP>(::LoadImageA(
      nullptr, ModuleDirectoryPath("TELLISTRY.BMP").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  bool drawn = false;
  for (const ULONGLONG end = ::GetTickCount64() + 10000; !drawn && ::GetTickCount64() < end;) {
    drawn = ShowsPictureCentre(window, picture.Get(), 420, 200);
    if (!drawn) ::Sleep(50);
  }
  EXPECT_TRUE(drawn);
  EXPECT_TRUE(testing_support::SaveWindowPicture(window, testing_support::ScreenshotPath("splash.bmp")));
  EXPECT_LE(std::abs((rect.left + rect.right) - (work.left + work.right)), 1);
  EXPECT_LE(std::abs((rect.top + rect.bottom) - (work.top + work.bottom)), 1);
  const LONG style = ::GetWindowLongA(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
  HWND owner = ::GetWindow(window, GW_OWNER);
  ASSERT_NE(owner, nullptr);  // the hidden owner keeps it off the taskbar
  EXPECT_FALSE(::IsWindowVisible(owner));

  // Nobody but CloseSplash closes it.
  ::SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(::IsWindow(window));

  HANDLE thread = ::OpenThread(SYNCHRONIZE, FALSE, threadId);
  ASSERT_NE(thread, nullptr);
  splash->CloseSplash();
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(::WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);  // the thread ended
  EXPECT_FALSE(::IsWindow(owner));  // and its object released the hidden owner
  ::CloseHandle(thread);
}

TEST(Splash, MissingPictureShowsNothingAndClosesAtOnce) {
  auto* splash = new CSplashThread;
  ASSERT_TRUE(splash->CreateThread());
  splash->SetBitmapFile(ModuleDirectoryPath("NO_SUCH.BMP"));
  const DWORD threadId = splash->ThreadId();
  splash->Resume();
  splash->CloseSplash();  // returns once the thread found nothing to show
  EXPECT_EQ(WaitForThreadWindow(threadId, 500), nullptr);
  // The idle thread ends with the process, as in the program.
}

}  // namespace
