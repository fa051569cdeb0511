#include "server/modem/message_pump.h"

#include <windows.h>

namespace modem {

void PumpMessagesFor(unsigned milliseconds) {
  const DWORD start = ::GetTickCount();
  do {
    ::Sleep(50);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      // Key messages are only translated: the character messages that
      // TranslateMessage posts are dispatched instead.
      if (!::TranslateMessage(&msg)) ::DispatchMessageA(&msg);
    }
  } while (::GetTickCount() - start < milliseconds);
}

}  // namespace modem
