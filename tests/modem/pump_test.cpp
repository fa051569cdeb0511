#include "server/modem/message_pump.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "common/handle.h"

namespace modem {
namespace {

// A message-only window that records the messages dispatched to it.
class RecordingWindow {
 public:
  RecordingWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Procedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "PumpTestWindow";
    ::RegisterClassA(&wc);  // fails harmlessly when already registered
    m_hwnd = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
    ::SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen));
  }
  ~RecordingWindow() { ::DestroyWindow(m_hwnd); }

  void Post(UINT message, WPARAM wParam = 0) { ASSERT_TRUE(::PostMessageA(m_hwnd, message, wParam, 0)); }
  HWND Handle() const { return m_hwnd; }

  std::vector<UINT> seen;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* seen = reinterpret_cast<std::vector<UINT>*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (seen && (message >= WM_USER || message == WM_TIMER || (message >= WM_KEYFIRST && message <= WM_KEYLAST)))
      seen->push_back(message);
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }

  HWND m_hwnd = nullptr;
};

bool QueueIsEmpty() {
  MSG msg;
  return !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
}

TEST(PumpMessagesFor, ZeroDispatchesWhatIsWaitingAndReturns) {
  RecordingWindow window;
  ASSERT_TRUE(window.Handle());
  window.Post(WM_USER + 1);
  window.Post(WM_USER + 2);
  PumpMessagesFor(0);
  EXPECT_EQ(window.seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
  EXPECT_TRUE(QueueIsEmpty());
}

TEST(PumpMessagesFor, KeyMessagesAreTranslatedButNotDispatched) {
  RecordingWindow window;
  window.Post(WM_KEYUP, 'A');
  window.Post(WM_KEYDOWN, VK_SHIFT);
  window.Post(WM_USER + 4);
  PumpMessagesFor(0);
  EXPECT_EQ(window.seen, std::vector<UINT>{WM_USER + 4});
  EXPECT_TRUE(QueueIsEmpty());
}

TEST(PumpMessagesFor, KeepsDispatchingUntilTheTimeIsUp) {
  RecordingWindow window;
  ASSERT_NE(::SetTimer(window.Handle(), 1, 100, nullptr), 0u);
  const DWORD start = ::GetTickCount();
  PumpMessagesFor(500);
  EXPECT_GE(::GetTickCount() - start, 500u);
  ::KillTimer(window.Handle(), 1);
  // The timer fell due while the pause went on; its last pass saw it.
  ASSERT_FALSE(window.seen.empty());
  EXPECT_EQ(window.seen.front(), static_cast<UINT>(WM_TIMER));
}

TEST(PumpMessagesFor, QuitIsLeftForTheMessageLoopAndEndsThePause) {
  RecordingWindow window;
  window.Post(WM_USER + 3);
  ::PostQuitMessage(7);
  const DWORD start = ::GetTickCount();
  PumpMessagesFor(60000);
  EXPECT_LT(::GetTickCount() - start, 60000u);
  EXPECT_EQ(window.seen, std::vector<UINT>{WM_USER + 3});

  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_TRUE(QueueIsEmpty());
}

// A wait's pause ends when bytes arrive (its event, set by another thread)
// or when a message it handles sets the stop flag, not when its time is up.
TEST(PumpMessagesUntil, EndsOnItsEventOrOnAStopSetByAHandledMessage) {
  win::KernelHandle arrived(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  const bool noStop = false;
  RecordingWindow window;
  window.Post(WM_USER + 5);
  HANDLE setter = ::CreateThread(
      nullptr, 0,
      [](void* event) -> DWORD {
        ::Sleep(100);
        ::SetEvent(static_cast<HANDLE>(event));
        return 0;
      },
      arrived.Get(), 0, nullptr);
  ASSERT_TRUE(setter);
  DWORD start = ::GetTickCount();
  PumpMessagesUntil(arrived.Get(), noStop, 60000);
  EXPECT_LT(::GetTickCount() - start, 60000u);
  EXPECT_EQ(window.seen, std::vector<UINT>{WM_USER + 5});
  ::WaitForSingleObject(setter, INFINITE);
  ::CloseHandle(setter);

  // Exit arrives as a message; the pause ends once it has been handled.
  static bool stop = false;
  WNDCLASSA wc{};
  wc.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_USER + 6) stop = true;
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  };
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "PumpTestExit";
  ::RegisterClassA(&wc);
  HWND exitWindow = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(::PostMessageA(exitWindow, WM_USER + 6, 0, 0));
  start = ::GetTickCount();
  PumpMessagesUntil(arrived.Get(), stop, 60000);
  EXPECT_LT(::GetTickCount() - start, 60000u);
  EXPECT_TRUE(stop);
  ::DestroyWindow(exitWindow);
}

}  // namespace
}  // namespace modem
