// One Windows communications port opened for overlapped I/O, with a reader
// thread that moves every byte the modem sends into a ReceiveBuffer.
//
// Status codes: 0 success; ERROR_INVALID_HANDLE (6) port not open;
// ERROR_ALREADY_INITIALIZED (1247) Open on an open port; ERROR_TIMEOUT (1460)
// a wait for an overlapped operation ran out and the operation was cancelled;
// ERROR_IO_PENDING (997) such an operation did not end even when cancelled:
// it is left to the driver with everything it writes to, and the port
// should not be trusted again; E_INVALIDARG a mode out of range; otherwise
// the system's error code.
// Every operation but the destructor leaves its status in LastError().
//
// Threads: one owner thread (opens, configures, writes, takes from the
// buffer, stops the reader, closes) and the reader thread between
// StartReader and StopReader. The reader waits on an event of its own, so
// the completion of a read never wakes a write waiting on the I/O event.
// The reader hands bytes over as soon as they arrive: it waits for the
// first byte without time limit, then takes at once whatever followed it.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "common/handle.h"
#include "server/modem/receive_buffer.h"

namespace modem {

// "\\.\COMn": the device form, which also opens ports above COM9.
std::string PortDeviceName(int number);

class SerialPort {
 public:
  static constexpr DWORD kInvalidArgument = 0x80070057;  // E_INVALIDARG

  // How pending operations are cancelled. A test passes one that does
  // nothing, as a driver that ignores cancellation does.
  using CancelFunction = BOOL(WINAPI*)(HANDLE port, OVERLAPPED* operation);
  explicit SerialPort(CancelFunction cancel = ::CancelIoEx);
  // Stops the reader if it runs and closes the port if it is open.
  virtual ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // name: "COMn", "\\.\COMn" or any device path; a bare name is opened in
  // the "\\.\" form. Applies the defaults: events EV_RXCHAR|EV_BREAK|EV_ERR,
  // 9600 baud 8N1, read time-outs mode 0, handshake mode 0. A failure in the
  // defaults is returned with the port left open.
  virtual DWORD Open(const std::string& name, DWORD inQueueSize, DWORD outQueueSize);
  virtual DWORD Close();
  // Codes as in the DCB: parity 0 none, 1 odd, 2 even, 3 mark, 4 space;
  // stop bits 0 one, 1 one and a half, 2 two.
  virtual DWORD SetParams(DWORD baudRate, BYTE byteSize, BYTE parity, BYTE stopBits);
  virtual DWORD SetEventChar(char eventChar, bool enable);
  virtual DWORD SetEventMask(DWORD mask);
  virtual DWORD WaitEvent(OVERLAPPED* overlapped, DWORD timeoutMs);
  // 0 none, 1 hardware (DTR/RTS, CTS/DSR), 2 software (XON/XOFF).
  virtual DWORD SetHandshake(int mode);
  // 0: a read returns at once with what has arrived; 1: a read waits for
  // the full count.
  virtual DWORD SetReadTimeouts(int mode);
  virtual int GetBaudRate();
  virtual int GetByteSize();
  virtual int GetParity();
  virtual int GetStopBits();
  virtual int GetHandshake();
  virtual DWORD GetEventMask();
  virtual char GetEventChar();
  // With no overlapped structure the call completes the operation itself,
  // waiting at most timeoutMs (INFINITE: no limit); with one, a pending
  // operation returns 0 and the caller completes it. On a time-out the
  // operation is cancelled, its partial count still lands in the counter;
  // one that does not end when cancelled gives ERROR_IO_PENDING at once.
  virtual DWORD WriteString(const char* text, DWORD* written, OVERLAPPED* overlapped,
                            DWORD timeoutMs);
  virtual DWORD Write(const void* buffer, DWORD length, DWORD* written,
                      OVERLAPPED* overlapped, DWORD timeoutMs);
  virtual DWORD Read(void* buffer, DWORD length, DWORD* read, OVERLAPPED* overlapped,
                     DWORD timeoutMs);

  // Starts the reader thread; does nothing if one runs or the port is closed.
  void StartReader();
  // Ends the reader thread: it is woken at once, cancels its read and keeps
  // the bytes that read had received. False when it did not end within
  // 10 s: it is then left running with everything it uses (the port handle
  // included, so the port reads as closed from here on), because a thread
  // that may hold the buffer's or the heap's lock must never be killed. It
  // closes the port itself when it ends, and what it reads meanwhile goes
  // to a buffer of its own: Received() starts afresh.
  bool StopReader();
  // True while a reader given up on by StopReader still holds the port of
  // that name ("COMn" or a device path, as for Open). Any thread.
  static bool HeldByAbandonedReader(const std::string& name);
  // True while bytes written have not yet left for the line (false too when
  // the queue cannot be read).
  bool OutputPending() const;

  ReceiveBuffer& Received() { return m_reader->received; }
  // Set (auto-reset) each time the reader has appended bytes; for waits
  // that want to look again as soon as something arrives.
  HANDLE DataArrived() const { return m_reader->dataArrived.Get(); }
  // For callers that complete their own overlapped operations.
  HANDLE Handle() const { return m_port.Get(); }
  DWORD LastError() const { return m_lastError; }

 private:
  // Who closes the port at the end: the owner, unless it gave up waiting
  // for the reader; whichever of the two comes second decides.
  enum class ReaderFate { Reading, Ended, Abandoned };
  // What the reader thread uses. The port and the thread share it; a
  // reader that will not stop keeps it alive on its own.
  struct ReaderLink {
    HANDLE port = nullptr;                   // set before each start; owned by the port
                                             // until the reader is abandoned
    std::string device;                      // the port's device name, set with `port`
    CancelFunction cancel = nullptr;         // fixed at construction
    win::KernelHandle wake;                  // auto-reset; set by StopReader
    win::KernelHandle dataArrived;           // auto-reset; set by the reader
    std::atomic<bool> running{false};        // cleared by StopReader, read by the reader
    std::atomic<ReaderFate> fate{ReaderFate::Reading};  // exchanged by both threads
    ReceiveBuffer received;                  // both threads, locked inside
  };
  // An operation that the port completes itself; see Complete.
  struct OwnOperation;

  std::shared_ptr<ReaderLink> NewReaderLink() const;
  static DWORD WINAPI ReaderThread(void* parameter);
  static void ReadUntilStopped(ReaderLink& link);
  static void ReadLoop(ReaderLink& link);
  std::unique_ptr<OwnOperation> NewOperation() const;
  DWORD Complete(BOOL done, std::unique_ptr<OwnOperation>& operation, DWORD* count,
                 DWORD timeoutMs);
  DWORD ReadDcb(DCB& dcb);
  DWORD Report(DWORD status) { return m_lastError = status; }

  // The reader's own reads do not touch LastError: it reports the owner
  // thread's operations only.
  const CancelFunction m_cancel;
  std::string m_device;                    // owner thread: the device name opened
  std::shared_ptr<ReaderLink> m_reader;    // owner thread (the reader holds a copy)
  win::KernelHandle m_readerThread;        // owner thread
  DWORD m_lastError = 0;                   // owner thread
  win::FileHandle m_port;                  // set and reset by the owner thread, used by both
  DWORD m_eventMask = 0xFFFFFFFF;          // filled by WaitEvent's (possibly pending) wait
  win::KernelHandle m_ioEvent;             // manual-reset; the owner thread's operations
};

}  // namespace modem
