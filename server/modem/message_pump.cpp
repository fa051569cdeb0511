#include "server/modem/message_pump.h"

#include <algorithm>

#include "framework/ui_thread.h"

namespace modem {
namespace {

// Handles every waiting message; false when one was WM_QUIT (posted again).
bool HandleWaitingMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    // As in the thread's own loop: a dialog's keys, the frame's accelerators.
    if (framework::UiThread::PreTranslate(msg)) continue;
    // Key messages are only translated: the character messages that
    // TranslateMessage posts are dispatched instead.
    if (!::TranslateMessage(&msg)) ::DispatchMessageA(&msg);
  }
  return true;
}

}  // namespace

void PumpMessagesFor(unsigned milliseconds) {
  const DWORD start = ::GetTickCount();
  do {
    ::Sleep(50);
    if (!HandleWaitingMessages()) return;
  } while (::GetTickCount() - start < milliseconds);
}

void PumpMessagesUntil(HANDLE wake, const bool& stop, unsigned milliseconds) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (!HandleWaitingMessages() || stop) return;
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= milliseconds) return;
    const DWORD left = milliseconds - elapsed;
    // Messages that came before this call count as new too.
    const DWORD woken = ::MsgWaitForMultipleObjectsEx(wake ? 1 : 0, &wake, left, QS_ALLINPUT,
                                                      MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0 && wake) {
      HandleWaitingMessages();
      return;
    }
    if (woken == WAIT_FAILED) ::Sleep(std::min<DWORD>(left, 50));  // never a spin
  }
}

}  // namespace modem
