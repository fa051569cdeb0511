#include "server/intake/mailslot_listener.h"

#include <array>

#include "common/datagram.h"

const UINT g_uAlertMessage = ::RegisterWindowMessageA("TELLISTRYMESSAGE");

namespace intake {
namespace {

// After a read that failed while listening, so a broken handle cannot turn
// the loop into a busy one.
constexpr DWORD kFailedReadPauseMs = 250;

// The stop's wake-up message. Once the run flag is clear a message of this
// size is taken for it; no alert datagram is that short.
constexpr char kWakeUp = 0;

}  // namespace

MailslotListener::MailslotListener() = default;

DWORD MailslotListener::Start(HWND window, AlertQueue& queue, const char* mailslotName) {
  m_name = mailslotName ? mailslotName : alert::kLocalMailslotName;
  m_link = std::make_shared<Link>();
  m_link->window = window;
  m_link->queue = &queue;
  m_link->evListenerStopped.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  m_link->hMailslot.Reset(::CreateMailslotA(
      m_name.c_str(), static_cast<DWORD>(alert::kDatagramSize), MAILSLOT_WAIT_FOREVER, nullptr));
  if (!m_link->hMailslot) return ::GetLastError();
  if (!m_link->evListenerStopped) return ::GetLastError();
  // Set here, not by the thread: a Stop that comes before the thread first
  // runs must still end it.
  m_link->bListening = 1;
  auto* threadLink = new std::shared_ptr<Link>(m_link);
  m_hListenerThread.Reset(
      ::CreateThread(nullptr, 0, &ListenerThreadProc, threadLink, CREATE_SUSPENDED, nullptr));
  if (!m_hListenerThread) {
    const DWORD error = ::GetLastError();
    delete threadLink;
    // The mailslot stays: it keeps the name, so a second server cannot
    // take it, and Stop has nothing to wait for.
    m_link->bListening = 0;
    return error;
  }
  ::ResumeThread(m_hListenerThread.Get());
  return 0;
}

bool MailslotListener::Stop() {
  if (!HasMailslot()) return true;
  Link& link = *m_link;
  if (!m_hListenerThread) {
    link.hMailslot.Reset();
    return true;
  }
  // Reset before the flag clears: once it is clear the thread may end and
  // signal at any moment.
  ::ResetEvent(link.evListenerStopped.Get());
  link.bListening = 0;
  // The read waits without time limit: one message releases it.
  win::FileHandle writer(::CreateFileA(m_name.c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!writer || !::WriteFile(writer.Get(), &kWakeUp, sizeof kWakeUp, &written, nullptr)) {
    // A writer that keeps the mailslot open without sharing it shuts out the
    // wake-up: cancel the read itself.
    ::CancelSynchronousIo(m_hListenerThread.Get());
  }
  if (::WaitForSingleObject(link.evListenerStopped.Get(), kStopTimeoutMs) != WAIT_OBJECT_0) {
    // Still running: not killed (it may hold the queue's lock or the heap's).
    // It loses the queue and the window, which go with their owner; the
    // mailslot stays open under it, so a late release reads from it and not
    // from whatever handle would reuse its number; the thread's own
    // reference keeps the block alive, and it ends with the process.
    {
      win::ScopedLock lock(link.csHandOver);
      link.queue = nullptr;
      link.window = nullptr;
    }
    m_link.reset();
    return false;
  }
  link.hMailslot.Reset();
  return true;
}

DWORD WINAPI MailslotListener::ListenerThreadProc(void* param) {
  const std::unique_ptr<std::shared_ptr<Link>> link(static_cast<std::shared_ptr<Link>*>(param));
  Listen(**link);
  return 0;
}

void MailslotListener::Listen(Link& link) {
  DuplicateFilter filter;
  alert::DatagramBytes buffer{};
  const HANDLE slot = link.hMailslot.Get();
  DWORD read = 0;
  while (link.bListening) {
    if (!::ReadFile(slot, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
      if (link.bListening) ::Sleep(kFailedReadPauseMs);
      continue;
    }
    if (link.bListening || read != sizeof kWakeUp)
      HandOver(link, filter, std::span(buffer.data(), read));
  }
  // Datagrams written before the stop are alerts like the others: what is
  // still in the mailslot is handed over too, the read no longer waiting.
  // (A stream of writers that keeps it full is cut short by the stop's own
  // time limit.)
  if (::SetMailslotInfo(slot, 0)) {
    while (::ReadFile(slot, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
      if (read != sizeof kWakeUp) HandOver(link, filter, std::span(buffer.data(), read));
  }
  ::SetEvent(link.evListenerStopped.Get());
}

void MailslotListener::HandOver(Link& link, DuplicateFilter& filter,
                                std::span<const unsigned char> message) {
  // A short message reads its missing tail as empty.
  alert::Datagram datagram = alert::ParseDatagram(message);
  if (!filter.Accept(datagram.tick, datagram.computerName, datagram.text)) return;
  win::ScopedLock lock(link.csHandOver);
  if (!link.queue) return;  // a stop gave up on this thread: the queue may be gone
  link.queue->Push(std::move(datagram.text));
  ::PostMessageA(link.window, g_uAlertMessage, 0, 0);
}

}  // namespace intake
