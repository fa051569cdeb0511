#include "server/intake/mailslot_listener.h"

#include <array>

#include "common/datagram.h"
#include "server/intake/duplicate_filter.h"

const UINT g_uAlertMessage = ::RegisterWindowMessageA("TELLISTRYMESSAGE");

namespace intake {
namespace {

// After a read that failed while listening, so a broken handle cannot turn
// the loop into a busy one.
constexpr DWORD kFailedReadPauseMs = 250;

}  // namespace

MailslotListener::MailslotListener()
    : m_evListenerStopped(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

DWORD MailslotListener::Start(HWND window, AlertQueue& queue, const char* mailslotName) {
  m_window = window;
  m_queue = &queue;
  m_name = mailslotName ? mailslotName : alert::kLocalMailslotName;
  m_hMailslot.Reset(::CreateMailslotA(m_name.c_str(), static_cast<DWORD>(alert::kDatagramSize),
                                      MAILSLOT_WAIT_FOREVER, nullptr));
  if (!m_hMailslot) return ::GetLastError();
  // Set here, not by the thread: a Stop that comes before the thread first
  // runs must still end it.
  m_bListening = 1;
  m_hListenerThread.Reset(
      ::CreateThread(nullptr, 0, &ListenerThreadProc, this, CREATE_SUSPENDED, nullptr));
  if (!m_hListenerThread) {
    // The mailslot stays: it keeps the name, so a second server cannot
    // take it, and Stop has nothing to wait for.
    m_bListening = 0;
    return ::GetLastError();
  }
  ::ResumeThread(m_hListenerThread.Get());
  return 0;
}

bool MailslotListener::Stop() {
  if (!m_hMailslot) return true;
  if (!m_hListenerThread) {
    m_hMailslot.Reset();
    return true;
  }
  // Reset before the flag clears: once it is clear the thread may end and
  // signal at any moment.
  ::ResetEvent(m_evListenerStopped.Get());
  m_bListening = 0;
  // The read waits without time limit: one message releases it.
  win::FileHandle writer(::CreateFileA(m_name.c_str(), GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  const char wakeUp = 0;
  DWORD written = 0;
  if (!writer || !::WriteFile(writer.Get(), &wakeUp, 1, &written, nullptr)) {
    // A writer that keeps the mailslot open without sharing it shuts out the
    // wake-up: cancel the read itself.
    ::CancelSynchronousIo(m_hListenerThread.Get());
  }
  m_hMailslot.Reset();
  // A read that nothing released leaves the thread blocked; it is not
  // killed (it may hold the queue's lock or the heap's) and ends with the
  // process, which follows the window. Once released it reads the cleared
  // flag and touches nothing else.
  return ::WaitForSingleObject(m_evListenerStopped.Get(), kStopTimeoutMs) == WAIT_OBJECT_0;
}

DWORD WINAPI MailslotListener::ListenerThreadProc(void* param) {
  static_cast<MailslotListener*>(param)->Listen();
  return 0;
}

void MailslotListener::Listen() {
  DuplicateFilter filter;
  alert::DatagramBytes buffer{};
  HANDLE slot = m_hMailslot.Get();
  while (m_bListening) {
    DWORD read = 0;
    if (!::ReadFile(slot, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
      if (m_bListening) ::Sleep(kFailedReadPauseMs);
      continue;
    }
    if (!m_bListening) break;  // the stop's wake-up
    // A short message reads its missing tail as empty.
    alert::Datagram datagram = alert::ParseDatagram(std::span(buffer.data(), read));
    if (!filter.Accept(datagram.tick, datagram.computerName)) continue;
    m_queue->Push(std::move(datagram.text));
    ::PostMessageA(m_window, g_uAlertMessage, 0, 0);
  }
  ::SetEvent(m_evListenerStopped.Get());
}

}  // namespace intake
