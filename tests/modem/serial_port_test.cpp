// SerialPort against the simulated modem on a pty mapped to a Wine COM port.
// Run through tests/harness/modem_line.sh (see CMakeLists.txt).
#include "server/modem/serial_port.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/modem/serial_simulated_modem.h"
#include "tests/support/process_cpu.h"

namespace modem {
namespace {

using testing_support::SimulatedModem;

// One simulator for the whole program: it counts the commands it was sent.
SimulatedModem& Modem() {
  static SimulatedModem modem;
  return modem;
}

std::string PortName() { return "COM" + std::to_string(Modem().Com()); }

// Takes from the buffer, as a script's wait does, until the text has come
// (or a hang guard of 10 s runs out); returns everything taken.
std::string TakeUntil(ReceiveBuffer& buffer, const std::string& text) {
  std::string taken;
  for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 10000;) {
    taken += buffer.Take(255);
    if (taken.find(text) != std::string::npos) break;
    ::Sleep(20);
  }
  return taken;
}

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Modem().IsPresent()) << "run through tests/harness/modem_line.sh";
  }
};

TEST_F(SerialPortTest, ClosedPortReportsInvalidHandle) {
  SerialPort port;
  EXPECT_EQ(port.Close(), 0u);
  EXPECT_EQ(port.SetParams(9600, 8, 0, 0), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(port.LastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(port.SetHandshake(0), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(port.SetReadTimeouts(0), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(port.SetEventMask(EV_RXCHAR), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(port.GetBaudRate(), -1);
  EXPECT_EQ(port.GetHandshake(), -1);
  EXPECT_EQ(port.GetEventMask(), 0u);
  DWORD written = 99;
  EXPECT_EQ(port.WriteString("AT\r", &written, nullptr, INFINITE),
            static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(written, 0u);
  port.StartReader();  // nothing to read: does nothing
  port.StopReader();
}

TEST_F(SerialPortTest, OpenOfAMissingPortFailsAndLeavesThePortClosed) {
  SerialPort port;
  const DWORD status = port.Open("COM250", 2048, 2048);
  EXPECT_NE(status, 0u);
  EXPECT_EQ(port.LastError(), status);
  EXPECT_EQ(port.SetParams(9600, 8, 0, 0), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(port.Close(), 0u);
}

TEST_F(SerialPortTest, SecondOpenIsRefusedAndTheFirstKeepsWorking) {
  EXPECT_EQ(PortDeviceName(12), "\\\\.\\COM12");
  SerialPort port;
  ASSERT_EQ(port.Open(PortDeviceName(Modem().Com()), 2048, 2048), 0u);
  EXPECT_EQ(port.Open(PortName(), 2048, 2048), static_cast<DWORD>(ERROR_ALREADY_INITIALIZED));
  port.StartReader();
  EXPECT_EQ(port.WriteString("AT\r", nullptr, nullptr, INFINITE), 0u);
  EXPECT_EQ(TakeUntil(port.Received(), "OK\r\n"), "AT\r\r\nOK\r\n");
  port.StopReader();
  EXPECT_EQ(port.Close(), 0u);
  EXPECT_EQ(port.Close(), 0u);
}

TEST_F(SerialPortTest, LineSettingsAreAppliedAndReadBack) {
  SerialPort port;
  ASSERT_EQ(port.Open(PortName(), 2048, 2048), 0u);
  EXPECT_EQ(port.GetBaudRate(), 9600);
  EXPECT_EQ(port.GetByteSize(), 8);
  EXPECT_EQ(port.GetHandshake(), 0);

  // A pty takes but does not keep parity and 7-bit settings (nor the event
  // character), so only what it keeps is read back here.
  EXPECT_EQ(port.SetParams(19200, 7, EVENPARITY, TWOSTOPBITS), 0u);
  EXPECT_EQ(port.GetBaudRate(), 19200);
  EXPECT_EQ(port.GetStopBits(), TWOSTOPBITS);
  EXPECT_EQ(port.SetParams(9600, 8, NOPARITY, ONESTOPBIT), 0u);
  EXPECT_EQ(port.GetParity(), 0);

  EXPECT_EQ(port.SetHandshake(2), 0u);
  EXPECT_EQ(port.GetHandshake(), 2);
  EXPECT_EQ(port.SetHandshake(3), SerialPort::kInvalidArgument);
  EXPECT_EQ(port.LastError(), SerialPort::kInvalidArgument);
  EXPECT_EQ(port.GetHandshake(), 2);
  EXPECT_EQ(port.SetHandshake(0), 0u);
  EXPECT_EQ(port.SetReadTimeouts(2), SerialPort::kInvalidArgument);
  EXPECT_EQ(port.SetReadTimeouts(1), 0u);

  EXPECT_EQ(port.SetEventChar('\n', true), 0u);
  EXPECT_EQ(port.GetEventMask(), static_cast<DWORD>(EV_RXCHAR | EV_BREAK | EV_ERR | EV_RXFLAG));
  // No line event comes on a quiet line (a pty reports none at all): the wait
  // still ends, with a failure.
  EXPECT_NE(port.WaitEvent(nullptr, 200), 0u);
}

TEST_F(SerialPortTest, ModemDialogueArrivesInOrderAndEveryWrittenByteReachesTheModem) {
  const std::size_t before = Modem().Received().size();
  SerialPort port;
  ASSERT_EQ(port.Open(PortName(), 2048, 2048), 0u);
  port.StartReader();
  ReceiveBuffer& in = port.Received();
  port.WriteString("ATD 0800\r", nullptr, nullptr, INFINITE);
  EXPECT_EQ(TakeUntil(in, "Number: "), "ATD 0800\r\r\nCONNECT 9600\r\nSMSC ready\r\nNumber: ");
  port.WriteString("0171\r", nullptr, nullptr, INFINITE);
  EXPECT_EQ(TakeUntil(in, "Message: "), "\r\nMessage: ");
  port.WriteString("ATH\r", nullptr, nullptr, INFINITE);
  EXPECT_EQ(TakeUntil(in, "OK\r\n"), "\r\nOK\r\n");

  port.WriteString("AT+CMGF=1\r", nullptr, nullptr, INFINITE);
  EXPECT_EQ(TakeUntil(in, "OK\r\n"), "AT+CMGF=1\r\r\nOK\r\n");
  port.WriteString("AT+CMGS=\"+447700900123\"\r", nullptr, nullptr, INFINITE);
  EXPECT_EQ(TakeUntil(in, "> "), "AT+CMGS=\"+447700900123\"\r\r\n> ");
  port.WriteString("Disk full\x1a", nullptr, nullptr, INFINITE);
  const std::string answer = TakeUntil(in, "OK\r\n");
  EXPECT_EQ(answer.rfind("Disk full\r\n+CMGS: ", 0), 0u) << answer;
  port.StopReader();
  port.Close();

  EXPECT_EQ(Modem().Received().substr(before),
            "ATD 0800\r0171\rATH\rAT+CMGF=1\rAT+CMGS=\"+447700900123\"\rDisk full\x1a");
}

// Thousands of reads end on their interval time-out while writes run on the
// other thread: nothing may be lost, doubled or reordered.
TEST_F(SerialPortTest, LongEchoIsReceivedWhole) {
  std::string sent;
  for (int i = 0; sent.size() < 20000; ++i) sent += "line " + std::to_string(i) + " abcdefghij ";
  SerialPort port;
  ASSERT_EQ(port.Open(PortName(), 2048, 2048), 0u);
  port.StartReader();
  for (std::size_t at = 0, piece = 1; at < sent.size(); at += piece, piece = piece % 300 + 7) {
    DWORD written = 0;
    const std::string part = sent.substr(at, piece);
    ASSERT_EQ(port.Write(part.data(), static_cast<DWORD>(part.size()), &written, nullptr, 10000),
              0u);
    ASSERT_EQ(written, part.size());
    if (at % 5 == 0) ::Sleep(1);  // let some reads end between writes
  }
  std::string echoed;
  for (DWORD start = ::GetTickCount(); echoed.size() < sent.size() &&
                                       ::GetTickCount() - start < 20000;)
    echoed += port.Received().Take(255), ::Sleep(5);
  EXPECT_TRUE(echoed == sent) << "received " << echoed.size() << " of " << sent.size();
  // End the modem's command line; its echo must not be left for the next test.
  port.WriteString("\r", nullptr, nullptr, INFINITE);
  EXPECT_EQ(TakeUntil(port.Received(), "\r"), "\r");
}

TEST_F(SerialPortTest, ReadsWithTheirOwnOverlappedOrATimeOutKeepWhatArrived) {
  SerialPort port;
  ASSERT_EQ(port.Open(PortName(), 2048, 2048), 0u);
  ASSERT_EQ(port.SetReadTimeouts(1), 0u);  // a read waits for its full count

  // The caller's own structure: the read stays pending for the caller.
  win::KernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.Get();
  char echo[3] = {};
  DWORD count = 99;
  ASSERT_EQ(port.Read(echo, sizeof echo, &count, &overlapped, 0), 0u);
  EXPECT_EQ(count, 0u);
  port.WriteString("AT\r", nullptr, nullptr, INFINITE);
  ASSERT_EQ(::WaitForSingleObject(event.Get(), 10000), WAIT_OBJECT_0);
  ASSERT_TRUE(::GetOverlappedResult(port.Handle(), &overlapped, &count, FALSE));
  EXPECT_EQ(std::string(echo, count), "AT\r");

  // The rest of the answer is shorter than asked for: the read times out,
  // and the bytes it had already taken are still handed over.
  char rest[64] = {};
  EXPECT_EQ(port.Read(rest, sizeof rest, &count, nullptr, 1000), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_EQ(port.LastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_EQ(std::string(rest, count), "\r\nOK\r\n");
}

TEST_F(SerialPortTest, StopReaderEndsAReaderWaitingOnASilentLine) {
  ASSERT_TRUE(Modem().Command("silent"));
  SerialPort port;
  ASSERT_EQ(port.Open(PortName(), 2048, 2048), 0u);
  port.StartReader();
  port.WriteString("AT\r", nullptr, nullptr, INFINITE);
  ::Sleep(300);
  const DWORD start = ::GetTickCount();
  port.StopReader();
  EXPECT_LT(::GetTickCount() - start, 10000u);  // hang guard, not a timing target
  port.StopReader();                            // a second stop does nothing
  ASSERT_TRUE(Modem().Command("talk"));
  port.StartReader();  // and the port can be read again
  port.WriteString("AT\r", nullptr, nullptr, INFINITE);
  EXPECT_EQ(TakeUntil(port.Received(), "OK\r\n"), "AT\r\r\nOK\r\n");
}

// What a driver that ignores cancellation does: the operation goes on
// until the line moves.
BOOL WINAPI IgnoreCancel(HANDLE, OVERLAPPED*) { return TRUE; }

// The modem holds the line back (XOFF): a write cannot leave. It ends on
// its time limit, cancelled; when the driver ignores the cancel, the port
// gives up on it after a bound, and the write leaving later, once the
// modem releases the line, harms nothing.
TEST_F(SerialPortTest, AWriteHeldBackEndsOnItsTimeLimitEvenWhenItsCancelIsIgnored) {
  for (const bool ignored : {false, true}) {
    SCOPED_TRACE(ignored ? "cancel ignored" : "cancel honoured");
    SerialPort port(ignored ? IgnoreCancel : ::CancelIoEx);
    ASSERT_EQ(port.Open(PortName(), 2048, 2048), 0u);
    ASSERT_EQ(port.SetHandshake(2), 0u);
    ASSERT_TRUE(Modem().Command("hold"));
    DWORD written = 99;
    EXPECT_EQ(port.WriteString("AT\r", &written, nullptr, 500),
              static_cast<DWORD>(ignored ? ERROR_IO_PENDING : ERROR_TIMEOUT));
    EXPECT_EQ(written, 0u);
    ASSERT_TRUE(Modem().Command("release"));
    EXPECT_EQ(port.WriteString("AT\r", nullptr, nullptr, 10000), 0u);
    // Read by the port itself: a reader of a port that ignores cancels
    // would not stop.
    const std::string answers = ignored ? "AT\r\r\nOK\r\nAT\r\r\nOK\r\n" : "AT\r\r\nOK\r\n";
    ASSERT_EQ(port.SetReadTimeouts(1), 0u);
    std::string answer(answers.size(), '\0');
    DWORD count = 0;
    EXPECT_EQ(port.Read(answer.data(), static_cast<DWORD>(answer.size()), &count, nullptr, 10000),
              0u);
    EXPECT_EQ(answer.substr(0, count), answers);
  }
}

// A reader whose read ignores its cancel does not stop and is given up on.
// When that read ends at last, the reader closes the port itself, and the
// byte it took reaches no later user of the port object.
TEST_F(SerialPortTest, AReaderThatWouldNotStopClosesThePortWhenItEnds) {
  SerialPort writer;  // moves the line; Wine lets a port open twice
  ASSERT_EQ(writer.Open(PortName(), 2048, 2048), 0u);
  SerialPort port(IgnoreCancel);
  ASSERT_EQ(port.Open(PortName(), 2048, 2048), 0u);
  const HANDLE held = port.Handle();
  port.StartReader();
  // An answer handed over: the reader has begun its reads (one stopped
  // before its first read simply ends).
  writer.WriteString("AT\r", nullptr, nullptr, INFINITE);
  ASSERT_EQ(TakeUntil(port.Received(), "OK\r\n"), "AT\r\r\nOK\r\n");
  EXPECT_FALSE(port.StopReader());  // after its bound of 10 s
  EXPECT_EQ(port.Handle(), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SerialPort::HeldByAbandonedReader(PortName()));
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  EXPECT_TRUE(::GetCommState(held, &dcb));

  writer.WriteString("AT\r", nullptr, nullptr, INFINITE);
  for (DWORD start = ::GetTickCount(); SerialPort::HeldByAbandonedReader(PortName()) &&
                                       ::GetTickCount() - start < 10000;)
    ::Sleep(20);
  EXPECT_FALSE(SerialPort::HeldByAbandonedReader(PortName()));
  EXPECT_FALSE(::GetCommState(held, &dcb)) << "the port is still open";

  // The port works again; its own reads only, as a reader of this object
  // would not stop either.
  ASSERT_EQ(port.Open(PortName(), 2048, 2048), 0u);
  EXPECT_EQ(port.Received().Take(255), "");
  ASSERT_EQ(port.SetReadTimeouts(1), 0u);
  port.WriteString("AT\r", nullptr, nullptr, INFINITE);
  char answer[9] = {};
  DWORD count = 0;
  EXPECT_EQ(port.Read(answer, sizeof answer, &count, nullptr, 10000), 0u);
  EXPECT_EQ(std::string(answer, count), "AT\r\r\nOK\r\n");
}

// A modem unplugged in the middle: every read fails at once from then on.
// The reader must pause instead of spinning, and once the modem is back a
// new open works.
TEST_F(SerialPortTest, VanishedModemCausesNoSpinAndWorksAgainWhenBack) {
  SerialPort port;
  ASSERT_EQ(port.Open(PortName(), 2048, 2048), 0u);
  port.StartReader();
  port.WriteString("AT\r", nullptr, nullptr, INFINITE);
  ASSERT_EQ(TakeUntil(port.Received(), "OK\r\n"), "AT\r\r\nOK\r\n");

  ASSERT_TRUE(Modem().Command("vanish"));
  const double cpuBefore = testing_support::ProcessCpuSeconds();
  ::Sleep(3000);
  // A spinning reader would use the whole 3 s; this only tells spin from pause.
  EXPECT_LT(testing_support::ProcessCpuSeconds() - cpuBefore, 1.5);
  EXPECT_NE(port.WriteString("AT\r", nullptr, nullptr, 5000), 0u);
  EXPECT_EQ(port.Received().Take(255), "");
  port.StopReader();
  EXPECT_EQ(port.Close(), 0u);
  EXPECT_NE(port.Open(PortName(), 2048, 2048), 0u);

  ASSERT_TRUE(Modem().Command("back"));
  ASSERT_EQ(port.Open(PortName(), 2048, 2048), 0u);
  port.StartReader();
  port.WriteString("AT\r", nullptr, nullptr, INFINITE);
  EXPECT_EQ(TakeUntil(port.Received(), "OK\r\n"), "AT\r\r\nOK\r\n");
}

}  // namespace
}  // namespace modem
