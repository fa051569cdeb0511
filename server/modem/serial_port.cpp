#include "server/modem/serial_port.h"

#include "common/format.h"

namespace modem {
namespace {

constexpr DWORD kDefaultEvents = EV_RXCHAR | EV_BREAK | EV_ERR;
constexpr DWORD kReaderChunk = 256;
// After a failing read (a line that vanished fails every read at once).
constexpr DWORD kPauseAfterError = 500;
// After a read that came back empty; keeps a driver that ignores the
// interval time-out from turning the loop into a spin.
constexpr DWORD kPauseAfterEmpty = 50;
// Half of StopReader's bound; then its reads are cancelled from outside.
constexpr DWORD kReaderEndWait = 5000;

}  // namespace

std::string PortDeviceName(int number) { return text::Format("\\\\.\\COM%d", number); }

SerialPort::SerialPort() : m_wakeReader(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

SerialPort::~SerialPort() { Close(); }

DWORD SerialPort::Open(const std::string& name, DWORD inQueueSize, DWORD outQueueSize) {
  if (m_port) return Report(ERROR_ALREADY_INITIALIZED);
  const std::string device = name.starts_with("\\\\") ? name : "\\\\.\\" + name;
  HANDLE port = ::CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) return Report(::GetLastError());
  m_port.Reset(port);
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
  // Whatever the line held before this open (the tail of an earlier
  // dialogue) answers nothing this user of the port will send.
  ::PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
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
  OVERLAPPED local{};
  local.hEvent = m_ioEvent.Get();
  OVERLAPPED& used = overlapped ? *overlapped : local;
  DWORD unused = 0;
  const BOOL done = ::WaitCommEvent(m_port.Get(), &m_eventMask, &used);
  return Report(Finish(done, used, overlapped != nullptr, &unused, timeoutMs));
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
  OVERLAPPED own{};
  own.hEvent = m_ioEvent.Get();
  OVERLAPPED& used = overlapped ? *overlapped : own;
  const BOOL done = ::WriteFile(m_port.Get(), buffer, length, count, &used);
  return Report(Finish(done, used, overlapped != nullptr, count, timeoutMs));
}

DWORD SerialPort::Read(void* buffer, DWORD length, DWORD* read, OVERLAPPED* overlapped,
                       DWORD timeoutMs) {
  DWORD local = 0;
  DWORD* count = read ? read : &local;
  *count = 0;
  if (!m_port) return Report(ERROR_INVALID_HANDLE);
  OVERLAPPED own{};
  own.hEvent = m_ioEvent.Get();
  OVERLAPPED& used = overlapped ? *overlapped : own;
  const BOOL done = ::ReadFile(m_port.Get(), buffer, length, count, &used);
  return Report(Finish(done, used, overlapped != nullptr, count, timeoutMs));
}

// Completes an overlapped operation just started; returns its status.
DWORD SerialPort::Finish(BOOL done, OVERLAPPED& overlapped, bool callersOwn, DWORD* count,
                         DWORD timeoutMs) {
  if (done) {
    ::SetEvent(overlapped.hEvent);
    return 0;
  }
  DWORD error = ::GetLastError();
  if (error != ERROR_IO_PENDING) return error;
  if (callersOwn) {
    *count = 0;  // not known until the caller completes the operation
    return 0;
  }
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
  // The structure and the buffer live on our caller's stack: the cancelled
  // operation must be over before we return. What it moved still counts.
  ::CancelIo(m_port.Get());
  ::GetOverlappedResult(m_port.Get(), &overlapped, count, TRUE);
  return error;
}

void SerialPort::StartReader() {
  if (m_readerThread || !m_port || !m_wakeReader) return;
  // Set before the thread exists, so a StopReader right after this call
  // cannot be undone by the starting thread.
  m_running = true;
  ::ResetEvent(m_wakeReader.Get());
  HANDLE thread = ::CreateThread(nullptr, 0, ReaderThread, this, CREATE_SUSPENDED, nullptr);
  if (!thread) {
    m_running = false;
    return;
  }
  m_readerThread.Reset(thread);
  ::ResumeThread(thread);
}

void SerialPort::StopReader() {
  if (!m_readerThread) return;
  m_running = false;
  ::SetEvent(m_wakeReader.Get());
  if (::WaitForSingleObject(m_readerThread.Get(), kReaderEndWait) != WAIT_OBJECT_0) {
    // Only a read that ignores its cancellation can hold the reader; cancel
    // it from here as well.
    ::CancelIoEx(m_port.Get(), nullptr);
    // A driver that ignores even that: the thread must not outlive the
    // port, buffer and event it uses, and the user interface must not wait
    // for ever. Ending it is the lesser harm.
    if (::WaitForSingleObject(m_readerThread.Get(), kReaderEndWait) != WAIT_OBJECT_0)
      ::TerminateThread(m_readerThread.Get(), 1);
  }
  m_readerThread.Reset();
}

DWORD WINAPI SerialPort::ReaderThread(void* parameter) {
  static_cast<SerialPort*>(parameter)->ReadUntilStopped();
  return 0;
}

// The reader's reads wait for the first byte without limit and return 50 ms
// after the last one (interval time-out only; the same on Windows and Wine),
// so a silent line costs nothing. The only other wake-up is StopReader.
void SerialPort::ReadUntilStopped() {
  COMMTIMEOUTS owners{};
  const bool restore = ::GetCommTimeouts(m_port.Get(), &owners);
  COMMTIMEOUTS timeouts = owners;
  timeouts.ReadIntervalTimeout = 50;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  ::SetCommTimeouts(m_port.Get(), &timeouts);
  ReadLoop();
  // The owner's own reads find the time-outs it had chosen.
  if (restore) ::SetCommTimeouts(m_port.Get(), &owners);
}

void SerialPort::ReadLoop() {
  win::KernelHandle readDone(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!readDone) return;
  char buffer[kReaderChunk];
  while (m_running) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = readDone.Get();
    DWORD count = 0;
    DWORD error = 0;
    if (!::ReadFile(m_port.Get(), buffer, kReaderChunk, nullptr, &overlapped))
      error = ::GetLastError();
    if (error == 0 || error == ERROR_IO_PENDING) {
      const HANDLE waits[] = {readDone.Get(), m_wakeReader.Get()};
      if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        ::CancelIo(m_port.Get());
        m_running = false;  // the wake-up was consumed here; the loop must end
      }
      // Also after a cancel: bytes the read took before it ended are kept.
      error = ::GetOverlappedResult(m_port.Get(), &overlapped, &count, TRUE) ? 0
                                                                           : ::GetLastError();
    }
    if (count > 0) m_received.Append(std::string_view(buffer, count));
    if (count == 0 && m_running)
      ::WaitForSingleObject(m_wakeReader.Get(), error != 0 ? kPauseAfterError : kPauseAfterEmpty);
  }
}

}  // namespace modem
