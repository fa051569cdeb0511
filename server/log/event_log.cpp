#include "server/log/event_log.h"

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <string>

#include "common/format.h"
#include "common/handle.h"
#include "common/sync.h"
#include "server/log/activity_log.h"
#include "server/res/event_messages.h"

namespace activity {
namespace {

constexpr char kSourceName[] = "Tellistry";
// Written by the server package; without it Event Viewer could not show the
// events' texts.
constexpr char kSourceKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Tellistry";
constexpr char kNotRegistered[] =
    "The Windows Event Log cannot be written (event source Tellistry not registered): warnings "
    "and errors are in this log only";
constexpr char kNotWritten[] =
    "The Windows Event Log cannot be written (error %d): warnings and errors are in this log only";

// More events waiting than this means the service has stopped taking them:
// later ones are dropped rather than held in memory.
constexpr std::size_t kMaxPendingEvents = 10000;
// How long the end of the program waits for the last events to be written.
constexpr DWORD kCloseTimeoutMs = 5000;

struct Event {
  WORD type = EVENTLOG_INFORMATION_TYPE;
  DWORD id = 0;
  std::string text;
};

// What the writer thread and the user-interface thread share. The thread
// holds its own reference: a thread still held by the service when the end
// gives up waiting for it finds everything in place, and the source is
// deregistered when the last owner goes.
struct Link {
  win::EventSource source;
  win::KernelHandle wake;    // auto-reset: events queued (after an empty queue), or closing
  HWND logWindow = nullptr;  // the main window, whose activity log hears of a failure
  std::atomic<bool> failureReported{false};
  win::CriticalSection lock;
  std::deque<Event> pending;  // under lock
  bool closing = false;       // under lock
};

// Once per run, from either thread; the line itself goes to the activity
// log only.
void ReportFailure(Link& link, DWORD error) {
  if (link.failureReported.exchange(true)) return;
  LogActivity(text::Format(kNotWritten, static_cast<unsigned long>(error)), LogLevel::Warning,
              link.logWindow);
}

DWORD WINAPI WriterThreadProc(void* param) {
  const std::unique_ptr<std::shared_ptr<Link>> owner(static_cast<std::shared_ptr<Link>*>(param));
  Link& link = **owner;
  for (;;) {
    ::WaitForSingleObject(link.wake.Get(), INFINITE);
    for (;;) {
      Event event;
      {
        win::ScopedLock lock(link.lock);
        if (link.pending.empty()) {
          if (link.closing) return 0;
          break;
        }
        event = std::move(link.pending.front());
        link.pending.pop_front();
      }
      const char* strings[] = {event.text.c_str()};
      if (!::ReportEventA(link.source.Get(), event.type, 0, event.id, nullptr, 1, 0, strings,
                          nullptr))
        ReportFailure(link, ::GetLastError());
    }
  }
}

// The program's one event source and its writer thread. User-interface
// thread only.
class EventLogWriter {
 public:
  EventLogWriter() = default;
  ~EventLogWriter() { Close(); }
  EventLogWriter(const EventLogWriter&) = delete;
  EventLogWriter& operator=(const EventLogWriter&) = delete;

  void Open(std::string_view welcome) {
    if (m_link) return;
    win::RegKey registration;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSourceKey, 0, KEY_READ, registration.Put()) !=
        ERROR_SUCCESS) {
      LogActivity(kNotRegistered, LogLevel::Warning);
      return;
    }
    auto link = std::make_shared<Link>();
    link->logWindow = ActivityLogWindow();
    link->source.Reset(::RegisterEventSourceA(nullptr, kSourceName));
    if (link->source) link->wake.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!link->source || !link->wake) {
      ReportFailure(*link, ::GetLastError());
      return;
    }
    auto* threadLink = new std::shared_ptr<Link>(link);
    m_thread.Reset(::CreateThread(nullptr, 0, &WriterThreadProc, threadLink, 0, nullptr));
    if (!m_thread) {
      const DWORD error = ::GetLastError();
      delete threadLink;
      ReportFailure(*link, error);
      return;
    }
    m_link = std::move(link);
    Report(EVENTLOG_INFORMATION_TYPE, EVENT_STARTED, welcome);
  }

  void Report(WORD type, DWORD id, std::string_view text) {
    if (!m_link) return;
    bool wasEmpty = false;
    bool full = false;
    {
      win::ScopedLock lock(m_link->lock);
      wasEmpty = m_link->pending.empty();
      full = m_link->pending.size() >= kMaxPendingEvents;
      if (!full) m_link->pending.push_back({type, id, std::string(text)});
    }
    if (full) ReportFailure(*m_link, ERROR_BUSY);
    // The thread looks for more before it sleeps: only an empty queue may
    // find it asleep.
    if (wasEmpty) ::SetEvent(m_link->wake.Get());
  }

  // The queued events get a short while to be written; a thread still held
  // by the service then is left to end with the process.
  void Close() {
    if (!m_link) return;
    {
      win::ScopedLock lock(m_link->lock);
      m_link->closing = true;
    }
    ::SetEvent(m_link->wake.Get());
    ::WaitForSingleObject(m_thread.Get(), kCloseTimeoutMs);
    m_thread.Reset();
    m_link.reset();
  }

 private:
  std::shared_ptr<Link> m_link;  // null while closed
  win::KernelHandle m_thread;
};

EventLogWriter& Writer() {
  static EventLogWriter writer;
  return writer;
}

}  // namespace

void OpenEventLog(std::string_view welcome) { Writer().Open(welcome); }

void ReportToEventLog(std::string_view text, LogLevel level) {
  if (level == LogLevel::Warning) Writer().Report(EVENTLOG_WARNING_TYPE, EVENT_WARNING, text);
  if (level == LogLevel::Error) Writer().Report(EVENTLOG_ERROR_TYPE, EVENT_ERROR, text);
}

void CloseEventLog(std::string_view farewell) {
  Writer().Report(EVENTLOG_INFORMATION_TYPE, EVENT_STOPPED, farewell);
  Writer().Close();
}

}  // namespace activity
