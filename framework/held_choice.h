// Choices held while the main window is busy.
//
// A delivery runs on the user-interface thread and handles the thread's
// messages in its pauses. A modal loop (a dialog, a message box, a menu,
// moving or sizing a window) started from one of those messages would run
// inside the pause, and the work would stand still until it closed. So a
// window about to start one asks the thread's main window first: while the
// main window is busy it keeps the choice, as a message to post back once
// the work is done, and the window does nothing now. Win32; the thread that
// owns the windows.
#pragma once

#include <windows.h>

namespace framework {

struct HeldChoice {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Sent to the thread's main window; lParam: const HeldChoice*. The answer is
// TRUE when the main window is busy: it has kept the choice (or, for moving
// and sizing, refused it), and the asker must not act on it now.
inline constexpr UINT kHoldChoiceMessage = WM_APP + 0x100;

// Asks the calling thread's main window to hold `message` for `window`;
// false (act now) when it is not busy or there is no main window.
bool HoldWhileBusy(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// True for the system commands whose default handling runs a modal loop:
// moving, sizing and the menus.
bool StartsModalLoop(WPARAM systemCommand);
// Of those, the ones that make no sense later (moving and sizing follow the
// mouse button that started them): refused, not kept.
bool FollowsTheMouse(WPARAM systemCommand);

}  // namespace framework
