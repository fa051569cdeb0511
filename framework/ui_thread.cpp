#include "framework/ui_thread.h"

#include "framework/window.h"

namespace framework {
namespace {

thread_local UiThread* t_current = nullptr;

}  // namespace

UiThread* UiThread::Current() { return t_current; }

void UiThread::BindToCurrentThread() {
  t_current = this;
  m_threadId = ::GetCurrentThreadId();
}

bool UiThread::CreateThread(int priority, SIZE_T stackSize) {
  m_thread.Reset(::CreateThread(nullptr, stackSize, &UiThread::ThreadProc, this, CREATE_SUSPENDED,
                                &m_threadId));
  if (!m_thread) return false;
  ::SetThreadPriority(m_thread.Get(), priority);
  return true;
}

void UiThread::Resume() { ::ResumeThread(m_thread.Get()); }

DWORD WINAPI UiThread::ThreadProc(void* self) {
  auto* thread = static_cast<UiThread*>(self);
  thread->BindToCurrentThread();
  int exitCode = 0;
  if (thread->InitInstance()) exitCode = thread->RunMessageLoop();
  exitCode = thread->ExitInstance(exitCode);
  t_current = nullptr;
  delete thread;
  return static_cast<DWORD>(exitCode);
}

int UiThread::RunMessageLoop() {
  MSG msg{};
  for (;;) {
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (PreTranslateMessage(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}

bool UiThread::PreTranslate(MSG& msg) {
  UiThread* thread = Current();
  return thread && thread->PreTranslateMessage(msg);
}

bool UiThread::PreTranslateMessage(MSG& msg) {
  for (HWND hwnd = msg.hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    Window* window = Window::FromHandle(hwnd);
    if (window && window->PreTranslateMessage(msg)) return true;
    if (!(::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) break;
  }
  return false;
}

}  // namespace framework
