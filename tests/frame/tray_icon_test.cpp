// The tray icon against Wine's notification area.
#include "server/frame/tray_icon.h"

#include <gtest/gtest.h>

#include "server/res/resource_ids.h"

namespace {

// The shell forgets the icon behind its owner's back, as a busy or
// restarting shell may refuse a change.
bool RemoveIcon(HWND owner) {
  NOTIFYICONDATAA icon{};
  icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
  icon.hWnd = owner;
  icon.uID = 0;
  return ::Shell_NotifyIconA(NIM_DELETE, &icon) != FALSE;
}

TEST(TrayIcon, AChangeTheShellRefusedIsAskedForAgain) {
  HWND owner = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  {
    CTrayIcon icon(owner, WM_APP, IDI_TRAY_NORMAL);
    ASSERT_TRUE(icon.SetState(IDI_TRAY_ERRORS)) << "no notification area";
    ASSERT_TRUE(icon.SetState(IDI_TRAY_NORMAL));

    ASSERT_TRUE(RemoveIcon(owner));
    EXPECT_FALSE(icon.SetState(IDI_TRAY_ERRORS));
    // Not taken for shown: the next line of that level asks the shell again.
    EXPECT_FALSE(icon.SetState(IDI_TRAY_ERRORS));
    icon.Restore();
    EXPECT_TRUE(icon.SetState(IDI_TRAY_ERRORS));
    EXPECT_TRUE(icon.SetState(IDI_TRAY_NORMAL));
  }
  EXPECT_FALSE(RemoveIcon(owner)) << "the icon outlived its object";
  ::DestroyWindow(owner);
}

}  // namespace
