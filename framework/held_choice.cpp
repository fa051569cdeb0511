#include "framework/held_choice.h"

#include "framework/ui_thread.h"
#include "framework/window.h"

namespace framework {

bool HoldWhileBusy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  UiThread* thread = UiThread::Current();
  Window* main = thread ? thread->MainWindow() : nullptr;
  if (!main || !main->Handle()) return false;
  const HeldChoice choice{window, message, wParam, lParam};
  return ::SendMessageA(main->Handle(), kHoldChoiceMessage, 0,
                        reinterpret_cast<LPARAM>(&choice)) != FALSE;
}

bool StartsModalLoop(WPARAM systemCommand) {
  switch (systemCommand & 0xFFF0) {
    case SC_MOVE:
    case SC_SIZE:
    case SC_KEYMENU:
    case SC_MOUSEMENU:
      return true;
  }
  return false;
}

bool FollowsTheMouse(WPARAM systemCommand) {
  const WPARAM command = systemCommand & 0xFFF0;
  return command == SC_MOVE || command == SC_SIZE;
}

}  // namespace framework
