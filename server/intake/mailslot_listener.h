// The alert mailslot and its listener thread. Win32.
//
// Start creates the mailslot and a thread that reads one datagram at a time,
// drops repeats (duplicate_filter.h), pushes each accepted text onto the
// AlertQueue and posts g_uAlertMessage to the window, once per accepted
// datagram. The thread never touches a window and writes nothing to the log.
//
// Stop releases the blocked read by writing a one-byte wake-up message to
// the mailslot after clearing the run flag. The thread then hands over what
// is still in the mailslot, so every alert written before the stop reaches
// the queue (where the closing window names it), and ends. Stop waits at
// most 10,000 ms for that, then closes the mailslot. A thread still running
// then is left to end with the process: it is never killed; what it may
// still touch when its read is released (the run flag, its end signal, the
// mailslot handle) lives in a block it shares, which outlives this object,
// and the stop cuts it off from the queue and the window first.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <span>

#include "common/handle.h"
#include "common/sync.h"
#include "server/intake/alert_queue.h"
#include "server/intake/duplicate_filter.h"

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
    // Where accepted texts go, under csHandOver (taken before the queue's
    // own lock, never the other way round). Set before the thread starts;
    // cleared by a stop that gives up on the thread, whose owners then go.
    win::CriticalSection csHandOver;
    HWND window = nullptr;
    AlertQueue* queue = nullptr;
  };

  static DWORD WINAPI ListenerThreadProc(void* param);
  static void Listen(Link& link);
  static void HandOver(Link& link, DuplicateFilter& filter, std::span<const unsigned char> message);

  // User-interface thread (Start and Stop).
  std::shared_ptr<Link> m_link;
  win::KernelHandle m_hListenerThread;
  std::string m_name;
};

}  // namespace intake
