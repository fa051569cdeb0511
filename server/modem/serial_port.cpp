#include "server/modem/serial_port.h"

#include <algorithm>
#include <vector>

#include "common/format.h"
#include "common/sync.h"

namespace modem {
namespace {

constexpr DWORD kDefaultEvents = EV_RXCHAR | EV_BREAK | EV_ERR;
constexpr DWORD kReaderChunk = 256;
// After a failing read (a line that vanished fails every read at once).
constexpr DWORD kPauseAfterError = 500;
// After a read that came back empty; keeps a driver that ends reads early
// from turning the loop into a spin.
constexpr DWORD kPauseAfterEmpty = 50;
// Half of StopReader's bound; then its reads are cancelled from outside.
constexpr DWORD kReaderEndWait = 5000;
// How long a cancelled operation of the owner thread may take to end; a
// driver that keeps it longer has it for good.
constexpr DWORD kCancelEndWait = 2000;

// Bytes waiting in the port's input queue; 0 when it cannot be read.
DWORD QueuedInput(HANDLE port) {
  COMSTAT status{};
  DWORD errors = 0;
  return ::ClearCommError(port, &errors, &status) ? status.cbInQue : 0;
}

// An operation on the caller's own structure, just started: if it is
// pending, the caller completes it.
DWORD StartedForCaller(BOOL done, OVERLAPPED& overlapped, DWORD* count) {
  if (done) {
    ::SetEvent(overlapped.hEvent);
    return 0;
  }
  const DWORD error = ::GetLastError();
  if (error != ERROR_IO_PENDING) return error;
  *count = 0;  // not known until the caller completes the operation
  return 0;
}

std::string DeviceName(const std::string& name) {
  return name.starts_with("\\\\") ? name : "\\\\.\\" + name;
}

// Device names of the ports that an abandoned reader still holds. Never
// destroyed: such a reader may end while the program does.
struct AbandonedPorts {
  win::CriticalSection lock;
  std::vector<std::string> names;  // under `lock`
};
AbandonedPorts& Abandoned() {
  static AbandonedPorts* const ports = new AbandonedPorts;
  return *ports;
}

}  // namespace

std::string PortDeviceName(int number) { return text::Format("\\\\.\\COM%d", number); }

// What the system writes to while an operation runs lives here, on the
// heap, so that an operation the driver keeps after its cancel can be left
// to it without pointing into a stack or a destroyed port.
struct SerialPort::OwnOperation {
  OVERLAPPED overlapped{};
  std::vector<char> bytes;  // what a write sends or a read receives
  DWORD events = 0;         // what a WaitEvent reports
};

SerialPort::SerialPort(CancelFunction cancel) : m_cancel(cancel), m_reader(NewReaderLink()) {}

std::shared_ptr<SerialPort::ReaderLink> SerialPort::NewReaderLink() const {
  auto link = std::make_shared<ReaderLink>();
  link->cancel = m_cancel;
  link->wake.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  link->dataArrived.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  return link;
}

SerialPort::~SerialPort() { Close(); }

DWORD SerialPort::Open(const std::string& name, DWORD inQueueSize, DWORD outQueueSize) {
  if (m_port) return Report(ERROR_ALREADY_INITIALIZED);
  const std::string device = DeviceName(name);
  HANDLE port = ::CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) return Report(::GetLastError());
  m_port.Reset(port);
  m_device = device;
  m_ioEvent.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!m_ioEvent) {
    const DWORD error = ::GetLastError();
    m_port.Reset();
    return Report(error);
  }
  if (!::SetupComm(port, inQueueSize, outQueueSize)) {
    const DWORD error = ::GetLastError();
    Close();
    return Report(error);
  }
  // What the line sent before this open (the tail of an earlier dialogue)
  // answers nothing this user of the port will send. The output queue is
  // left alone: it may still hold an earlier user's last bytes on their way
  // out (a pty drops them when flushed).
  ::PurgeComm(port, PURGE_RXCLEAR);
  SetEventMask(kDefaultEvents);
  SetParams(9600, 8, NOPARITY, ONESTOPBIT);
  SetReadTimeouts(0);
  return SetHandshake(0);
}

DWORD SerialPort::Close() {
  if (!m_port) return Report(0);
  StopReader();
  m_ioEvent.Reset();
  m_port.Reset();
  return Report(0);
}

DWORD SerialPort::ReadDcb(DCB& dcb) {
  if (!m_port) return Report(ERROR_INVALID_HANDLE);
  dcb = DCB{};
  dcb.DCBlength = sizeof dcb;
  return Report(::GetCommState(m_port.Get(), &dcb) ? 0 : ::GetLastError());
}

DWORD SerialPort::SetParams(DWORD baudRate, BYTE byteSize, BYTE parity, BYTE stopBits) {
  DCB dcb;
  if (ReadDcb(dcb) != 0) return m_lastError;
  dcb.BaudRate = baudRate;
  dcb.ByteSize = byteSize;
  dcb.Parity = parity;
  dcb.StopBits = stopBits;
  dcb.fParity = parity != NOPARITY;
  return Report(::SetCommState(m_port.Get(), &dcb) ? 0 : ::GetLastError());
}

DWORD SerialPort::SetEventChar(char eventChar, bool enable) {
  DCB dcb;
  if (ReadDcb(dcb) != 0) return m_lastError;
  dcb.EvtChar = eventChar;
  if (enable) {
    const DWORD mask = GetEventMask();
    if (m_lastError != 0 || SetEventMask(mask | EV_RXFLAG) != 0) return m_lastError;
  }
  return Report(::SetCommState(m_port.Get(), &dcb) ? 0 : ::GetLastError());
}

DWORD SerialPort::SetEventMask(DWORD mask) {
  if (!m_port) return Report(ERROR_INVALID_HANDLE);
  return Report(::SetCommMask(m_port.Get(), mask) ? 0 : ::GetLastError());
}

DWORD SerialPort::GetEventMask() {
  if (!m_port) {
    Report(ERROR_INVALID_HANDLE);
    return 0;
  }
  DWORD mask = 0;
  return Report(::GetCommMask(m_port.Get(), &mask) ? 0 : ::GetLastError()) == 0 ? mask : 0;
}

DWORD SerialPort::WaitEvent(OVERLAPPED* overlapped, DWORD timeoutMs) {
  if (!m_port) return Report(ERROR_INVALID_HANDLE);
  DWORD unused = 0;
  if (overlapped)
    return Report(StartedForCaller(::WaitCommEvent(m_port.Get(), &m_eventMask, overlapped),
                                   *overlapped, &unused));
  std::unique_ptr<OwnOperation> own = NewOperation();
  const BOOL done = ::WaitCommEvent(m_port.Get(), &own->events, &own->overlapped);
  const DWORD status = Complete(done, own, &unused, timeoutMs);
  if (own) m_eventMask = own->events;
  return Report(status);
}

DWORD SerialPort::SetHandshake(int mode) {
  DCB dcb;
  if (ReadDcb(dcb) != 0) return m_lastError;
  switch (mode) {
    case 0:
      dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = FALSE;
      dcb.fDtrControl = DTR_CONTROL_DISABLE;
      dcb.fRtsControl = RTS_CONTROL_DISABLE;
      dcb.fOutX = dcb.fInX = FALSE;
      break;
    case 1:
      dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = TRUE;
      dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
      dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
      dcb.fOutX = dcb.fInX = FALSE;
      break;
    case 2:
      dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = FALSE;
      dcb.fDtrControl = DTR_CONTROL_DISABLE;
      dcb.fRtsControl = RTS_CONTROL_DISABLE;
      dcb.fOutX = dcb.fInX = TRUE;
      break;
    default:
      return Report(kInvalidArgument);
  }
  return Report(::SetCommState(m_port.Get(), &dcb) ? 0 : ::GetLastError());
}

DWORD SerialPort::SetReadTimeouts(int mode) {
  if (!m_port) return Report(ERROR_INVALID_HANDLE);
  if (mode != 0 && mode != 1) return Report(kInvalidArgument);
  COMMTIMEOUTS timeouts{};
  if (!::GetCommTimeouts(m_port.Get(), &timeouts)) return Report(::GetLastError());
  timeouts.ReadIntervalTimeout = mode == 0 ? MAXDWORD : 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  return Report(::SetCommTimeouts(m_port.Get(), &timeouts) ? 0 : ::GetLastError());
}

int SerialPort::GetBaudRate() {
  DCB dcb;
  return ReadDcb(dcb) == 0 ? static_cast<int>(dcb.BaudRate) : -1;
}

int SerialPort::GetByteSize() {
  DCB dcb;
  return ReadDcb(dcb) == 0 ? dcb.ByteSize : -1;
}

int SerialPort::GetParity() {
  DCB dcb;
  if (ReadDcb(dcb) != 0) return -1;
  return dcb.fParity ? dcb.Parity : 0;
}

int SerialPort::GetStopBits() {
  DCB dcb;
  return ReadDcb(dcb) == 0 ? dcb.StopBits : -1;
}

int SerialPort::GetHandshake() {
  DCB dcb;
  if (ReadDcb(dcb) != 0) return -1;
  if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE && dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
    return 1;
  if (dcb.fOutX && dcb.fInX) return 2;
  return 0;
}

char SerialPort::GetEventChar() {
  DCB dcb;
  return ReadDcb(dcb) == 0 ? dcb.EvtChar : 0;
}

DWORD SerialPort::WriteString(const char* text, DWORD* written, OVERLAPPED* overlapped,
                              DWORD timeoutMs) {
  return Write(text, static_cast<DWORD>(std::char_traits<char>::length(text)), written,
               overlapped, timeoutMs);
}

DWORD SerialPort::Write(const void* buffer, DWORD length, DWORD* written,
                        OVERLAPPED* overlapped, DWORD timeoutMs) {
  DWORD local = 0;
  DWORD* count = written ? written : &local;
  *count = 0;
  if (!m_port) return Report(ERROR_INVALID_HANDLE);
  if (overlapped)
    return Report(StartedForCaller(::WriteFile(m_port.Get(), buffer, length, count, overlapped),
                                   *overlapped, count));
  std::unique_ptr<OwnOperation> own = NewOperation();
  const char* bytes = static_cast<const char*>(buffer);
  own->bytes.assign(bytes, bytes + length);
  const BOOL done = ::WriteFile(m_port.Get(), own->bytes.data(), length, count, &own->overlapped);
  return Report(Complete(done, own, count, timeoutMs));
}

DWORD SerialPort::Read(void* buffer, DWORD length, DWORD* read, OVERLAPPED* overlapped,
                       DWORD timeoutMs) {
  DWORD local = 0;
  DWORD* count = read ? read : &local;
  *count = 0;
  if (!m_port) return Report(ERROR_INVALID_HANDLE);
  if (overlapped)
    return Report(StartedForCaller(::ReadFile(m_port.Get(), buffer, length, count, overlapped),
                                   *overlapped, count));
  std::unique_ptr<OwnOperation> own = NewOperation();
  own->bytes.resize(length);
  const BOOL done = ::ReadFile(m_port.Get(), own->bytes.data(), length, count, &own->overlapped);
  const DWORD status = Complete(done, own, count, timeoutMs);
  if (own) std::copy_n(own->bytes.data(), *count, static_cast<char*>(buffer));
  return Report(status);
}

std::unique_ptr<SerialPort::OwnOperation> SerialPort::NewOperation() const {
  auto own = std::make_unique<OwnOperation>();
  own->overlapped.hEvent = m_ioEvent.Get();
  return own;
}

// Completes an operation on the port's own structure, just started; returns
// its status. One that will not end even when cancelled is released from
// `operation` and left to the driver: the structure and the bytes it writes
// to stay alive, and later operations get an event it cannot signal.
DWORD SerialPort::Complete(BOOL done, std::unique_ptr<OwnOperation>& operation, DWORD* count,
                           DWORD timeoutMs) {
  OVERLAPPED& overlapped = operation->overlapped;
  if (done) {
    ::SetEvent(overlapped.hEvent);
    return 0;
  }
  DWORD error = ::GetLastError();
  if (error != ERROR_IO_PENDING) return error;
  switch (::WaitForSingleObject(overlapped.hEvent, timeoutMs)) {
    case WAIT_OBJECT_0:
      return ::GetOverlappedResult(m_port.Get(), &overlapped, count, FALSE) ? 0
                                                                           : ::GetLastError();
    case WAIT_TIMEOUT:
      error = ERROR_TIMEOUT;
      break;
    default:
      error = ::GetLastError();
      break;
  }
  m_cancel(m_port.Get(), &overlapped);
  if (::WaitForSingleObject(overlapped.hEvent, kCancelEndWait) != WAIT_OBJECT_0) {
    static_cast<void>(operation.release());  // leaked on purpose, as said above
    *count = 0;
    m_ioEvent.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    return ERROR_IO_PENDING;
  }
  // What the cancelled operation moved still counts.
  ::GetOverlappedResult(m_port.Get(), &overlapped, count, FALSE);
  return error;
}

void SerialPort::StartReader() {
  ReaderLink& link = *m_reader;
  if (m_readerThread || !m_port || !link.wake || !link.dataArrived) return;
  link.port = m_port.Get();
  link.device = m_device;
  link.fate = ReaderFate::Reading;
  // Set before the thread exists, so a StopReader right after this call
  // cannot be undone by the starting thread.
  link.running = true;
  ::ResetEvent(link.wake.Get());
  auto* share = new std::shared_ptr<ReaderLink>(m_reader);
  HANDLE thread = ::CreateThread(nullptr, 0, ReaderThread, share, CREATE_SUSPENDED, nullptr);
  if (!thread) {
    delete share;
    link.running = false;
    return;
  }
  m_readerThread.Reset(thread);
  ::ResumeThread(thread);
}

bool SerialPort::StopReader() {
  if (!m_readerThread) return true;
  m_reader->running = false;
  ::SetEvent(m_reader->wake.Get());
  bool ended = ::WaitForSingleObject(m_readerThread.Get(), kReaderEndWait) == WAIT_OBJECT_0;
  if (!ended) {
    // Only a read that ignores its cancellation can hold the reader; cancel
    // it from here as well.
    m_cancel(m_port.Get(), nullptr);
    ended = ::WaitForSingleObject(m_readerThread.Get(), kReaderEndWait) == WAIT_OBJECT_0;
  }
  m_readerThread.Reset();  // closing the handle leaves the thread alone
  if (ended) return true;
  // The reader may hold the buffer's lock or the heap's: it is left to end
  // when it will, with its share of the link and the port handle it reads,
  // which it closes then (closing it now could hand its number to another
  // handle). Unless it ended just now, after all.
  {
    AbandonedPorts& abandoned = Abandoned();
    win::ScopedLock lock(abandoned.lock);
    if (m_reader->fate.exchange(ReaderFate::Abandoned) == ReaderFate::Ended) return true;
    abandoned.names.push_back(m_device);
  }
  // This object goes on with a link of its own, so nothing that reader
  // still reads can reach a later user of the object.
  m_port.Release();
  m_ioEvent.Reset();
  m_reader = NewReaderLink();
  return false;
}

bool SerialPort::OutputPending() const {
  COMSTAT status{};
  DWORD errors = 0;
  return m_port && ::ClearCommError(m_port.Get(), &errors, &status) && status.cbOutQue > 0;
}

bool SerialPort::HeldByAbandonedReader(const std::string& name) {
  AbandonedPorts& abandoned = Abandoned();
  win::ScopedLock lock(abandoned.lock);
  return std::find(abandoned.names.begin(), abandoned.names.end(), DeviceName(name)) !=
         abandoned.names.end();
}

DWORD WINAPI SerialPort::ReaderThread(void* parameter) {
  const std::unique_ptr<std::shared_ptr<ReaderLink>> share(
      static_cast<std::shared_ptr<ReaderLink>*>(parameter));
  ReaderLink& link = **share;
  ReadUntilStopped(link);
  AbandonedPorts& abandoned = Abandoned();
  win::ScopedLock lock(abandoned.lock);
  if (link.fate.exchange(ReaderFate::Ended) == ReaderFate::Abandoned) {
    // Given up on by its owner, this thread is the port's last user.
    ::CloseHandle(link.port);
    const auto held = std::find(abandoned.names.begin(), abandoned.names.end(), link.device);
    if (held != abandoned.names.end()) abandoned.names.erase(held);
  }
  return 0;
}

// The reader's reads wait for their full count without time limit, so a
// silent line costs nothing: it asks for one byte, and once that has come,
// for exactly what the input queue holds behind it, which is there at once.
void SerialPort::ReadUntilStopped(ReaderLink& link) {
  COMMTIMEOUTS owners{};
  const bool restore = ::GetCommTimeouts(link.port, &owners);
  COMMTIMEOUTS timeouts = owners;
  timeouts.ReadIntervalTimeout = 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  ::SetCommTimeouts(link.port, &timeouts);
  ReadLoop(link);
  // The owner's own reads find the time-outs it had chosen.
  if (restore) ::SetCommTimeouts(link.port, &owners);
}

namespace {

// One overlapped read, waited for together with the wake-up, which cancels
// it and ends the loop. `count` gets what the read took, also after a
// cancel. Returns 0 or the system error.
DWORD ReadOnce(HANDLE port, HANDLE readDone, HANDLE wake, SerialPort::CancelFunction cancel,
               std::atomic<bool>& running, char* buffer, DWORD length, DWORD& count) {
  count = 0;
  OVERLAPPED overlapped{};
  overlapped.hEvent = readDone;
  if (!::ReadFile(port, buffer, length, nullptr, &overlapped)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) return error;
  }
  const HANDLE waits[] = {readDone, wake};
  if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
    cancel(port, &overlapped);
    running = false;  // the wake-up was consumed here; the loop must end
  }
  return ::GetOverlappedResult(port, &overlapped, &count, TRUE) ? 0 : ::GetLastError();
}

}  // namespace

void SerialPort::ReadLoop(ReaderLink& link) {
  win::KernelHandle readDone(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!readDone) return;
  char buffer[kReaderChunk];
  while (link.running) {
    DWORD count = 0;
    DWORD error = ReadOnce(link.port, readDone.Get(), link.wake.Get(), link.cancel, link.running,
                           buffer, 1, count);
    if (count == 1 && link.running) {
      const DWORD queued = std::min<DWORD>(QueuedInput(link.port), kReaderChunk - 1);
      DWORD more = 0;
      if (queued > 0)
        error = ReadOnce(link.port, readDone.Get(), link.wake.Get(), link.cancel, link.running,
                         buffer + 1, queued, more);
      count += more;
    }
    if (count > 0) {
      link.received.Append(std::string_view(buffer, count));
      ::SetEvent(link.dataArrived.Get());
    } else if (link.running) {
      ::WaitForSingleObject(link.wake.Get(), error != 0 ? kPauseAfterError : kPauseAfterEmpty);
    }
  }
}

}  // namespace modem
