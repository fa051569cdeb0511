// The alert mailslot and its listener thread. Win32.
//
// Start creates the mailslot and a thread that reads one datagram at a time,
// drops repeats (duplicate_filter.h), pushes each accepted text onto the
// AlertQueue and posts g_uAlertMessage to the window, once per accepted
// datagram. The thread never touches a window and writes nothing to the log.
//
// Stop releases the blocked read by writing a one-byte wake-up message to
// the mailslot after clearing the run flag (the listener drops whatever it
// reads once the flag is clear), then closes the mailslot and waits at most
// 10,000 ms for the thread's end signal. A thread still blocked then is left
// to end with the process: it is never killed.
#pragma once

#include <windows.h>

#include <atomic>

#include "common/handle.h"
#include "server/intake/alert_queue.h"

// Registered before the entry point: "one alert is waiting".
extern const UINT g_uAlertMessage;

namespace intake {

class MailslotListener {
 public:
  static constexpr DWORD kStopTimeoutMs = 10000;

  MailslotListener();

  // Creates the mailslot (named `mailslotName`, the server's by default) and
  // starts the thread; returns 0 or the Windows error of the failed step.
  // Without a mailslot no thread is started; a thread that cannot be
  // started leaves the mailslot in place (HasMailslot() tells the two apart).
  DWORD Start(HWND window, AlertQueue& queue, const char* mailslotName = nullptr);
  // Only when started; true when the thread ended within the time-out (or
  // never ran).
  bool Stop();
  bool HasMailslot() const { return m_hMailslot.IsValid(); }

 private:
  static DWORD WINAPI ListenerThreadProc(void* param);
  void Listen();

  // Written by Start and Stop on the user-interface thread; the listener
  // thread reads them (the handle only while the run flag is set).
  win::FileHandle m_hMailslot;
  win::KernelHandle m_hListenerThread;
  win::KernelHandle m_evListenerStopped;  // auto-reset, set by the thread
  std::atomic<LONG> m_bListening{0};
  std::string m_name;
  HWND m_window = nullptr;
  AlertQueue* m_queue = nullptr;
};

}  // namespace intake
