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
// to end with the process: it is never killed, and what it may still touch
// when its read is released (the run flag, its end signal, the mailslot
// handle) lives in a block it shares, which outlives this object.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

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
  bool HasMailslot() const { return m_link && m_link->hMailslot.IsValid(); }

 private:
  // What the thread and this object share. The thread holds its own
  // reference, so a thread released after an abandoned stop still finds it.
  struct Link {
    win::FileHandle hMailslot;
    win::KernelHandle evListenerStopped;  // auto-reset, set by the thread at its end
    std::atomic<LONG> bListening{0};
    // Read by the thread only while the run flag is set; the stop clears
    // the flag before their owners go.
    HWND window = nullptr;
    AlertQueue* queue = nullptr;
  };

  static DWORD WINAPI ListenerThreadProc(void* param);
  static void Listen(Link& link);

  // User-interface thread (Start and Stop).
  std::shared_ptr<Link> m_link;
  win::KernelHandle m_hListenerThread;
  std::string m_name;
};

}  // namespace intake
