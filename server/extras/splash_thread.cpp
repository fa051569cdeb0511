#include "server/extras/splash_thread.h"

#include "framework/app.h"

namespace {

// The splash thread creates one window; if that has not happened by then,
// something is badly wrong and start-up must not wait for ever.
constexpr DWORD kInitialisedTimeoutMs = 30000;

}  // namespace

CSplashThread::CSplashThread() : m_evInitialised(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

bool CSplashThread::InitInstance() {
  // Shared focus and activation with the main thread.
  if (framework::App* app = framework::App::Instance())
    ::AttachThreadInput(::GetCurrentThreadId(), app->ThreadId(), TRUE);
  m_bCreated = m_wndSplash.Create();
  if (m_bCreated) SetMainWindow(&m_wndSplash);
  ::SetEvent(m_evInitialised.Get());
  return true;
}

void CSplashThread::CloseSplash() {
  if (::WaitForSingleObject(m_evInitialised.Get(), kInitialisedTimeoutMs) != WAIT_OBJECT_0) return;
  if (!m_bCreated) return;
  HWND splash = m_wndSplash.Handle();
  m_wndSplash.AllowClose();
  // Handled on the splash thread; its destruction ends that thread, which
  // deletes this object.
  ::SendMessageA(splash, WM_CLOSE, 0, 0);
}
