#include "server/modem/alert_sender.h"

#include "common/ansi_code_page.h"
#include "common/format.h"
#include "server/directory/sms_entries.h"
#include "server/log/activity_log.h"
#include "server/modem/message_pump.h"
#include "server/modem/message_text.h"
#include "server/modem/script.h"

namespace modem {
namespace {

constexpr char kNoEntry[] = "Failed to locate current SMS entry: Please check application settings";
constexpr char kNoPort[] =
    "Failed to initate communications: Please check application settings and modem connection";
constexpr char kSendFailed[] =
    "Failed to send alert: Please check application settings and modem connection";
constexpr char kInterrupted[] = "Alert \"%s\" to %s interrupted: Tellistry is closing";
constexpr char kReaderStuck[] =
    "The serial port reader of COM%d did not stop: the port stays open until Tellistry ends";
constexpr char kPortHeld[] =
    "COM%d is still held by the serial port reader of an earlier alert, which did not stop";
constexpr char kWriteStuck[] =
    "A write to COM%d did not end when cancelled: the port or its driver does not respond";

// A modem that holds the line back (flow control, a hung device) must not
// hold the user interface with it: a write gives up after this long, and
// the script's next wait then times out.
constexpr DWORD kWriteTimeoutMs = 10000;
// How often the end of a delivery looks whether its last bytes have left.
constexpr DWORD kDrainPollMs = 10;

// The script's view of the delivery: the open port, the message pump, the
// tick counter, the activity log and the user's Exit.
class PortScriptHost final : public ScriptHost {
 public:
  PortScriptHost(SerialPort& port, int portNumber, const bool& exitRequested)
      : m_port(port), m_portNumber(portNumber), m_exitRequested(exitRequested) {}

  void Write(std::string_view bytes) override {
    DWORD written = 0;
    // A write that merely timed out shows as the next wait's time-out; one
    // the driver keeps even when cancelled leaves nothing to wait for.
    if (m_port.Write(bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr,
                     kWriteTimeoutMs) == ERROR_IO_PENDING) {
      m_writeStuck = true;
      LogActivity(text::Format(kWriteStuck, m_portNumber), LogLevel::Warning);
      throw ScriptFailure();
    }
  }
  bool WriteStuck() const { return m_writeStuck; }
  std::string Take(std::size_t maxBytes) override { return m_port.Received().Take(maxBytes); }
  void Pause(unsigned milliseconds) override { PumpMessagesFor(milliseconds); }
  void AwaitData(unsigned milliseconds) override {
    // Bytes still held (more than one look's piece) are looked at again at
    // once; the messages are handled either way.
    PumpMessagesUntil(m_port.DataArrived(), m_exitRequested,
                      m_port.Received().IsEmpty() ? milliseconds : 0);
  }
  bool Cancelled() override { return m_exitRequested; }
  std::uint32_t Tick() override { return ::GetTickCount(); }
  void Log(const std::string& text, LogLevel level) override { LogActivity(text, level); }

 private:
  SerialPort& m_port;
  const int m_portNumber;
  const bool& m_exitRequested;  // user-interface thread: set by Exit, from a handled message
  bool m_writeStuck = false;
};

}  // namespace

int AlertSender::Send(const std::string& alertText, const std::string& number,
                      const bool& exitRequested) {
  LogActivity(text::Format("Sending alert \"%s\" to %s", alertText, number), LogLevel::Information);

  const std::optional<directory::ActiveSmsEntry> active = directory::LoadActiveSmsEntry();
  if (!active) {
    LogActivity(kNoEntry, LogLevel::Error);
    return 0;
  }
  const directory::SmsEntry& entry = active->Entry;
  // An entry without statements would send nothing at all; reporting that
  // as a sent alert would lose the alert silently.
  if (entry.Script.empty()) {
    LogActivity(text::Format("The script of SMS entry %s is empty", entry.Name), LogLevel::Warning);
    LogActivity(kSendFailed, LogLevel::Error);
    return 0;
  }
  ScriptInputs inputs{entry.Smsc, number, active->Id, alertText, active->Footer, win::IsAnsiLeadByte};
  // The modem gets cleaned copies; the log keeps the texts as received. A
  // literal number comes from the alert too, surrounding blanks and all.
  SubstituteCharacters(inputs.alertText, win::IsAnsiLeadByte);
  BlankControlCharacters(inputs.recipientNumber);

  const std::string portName = text::Format("COM%d", entry.Port);
  if (m_port.Open(portName, 2048, 2048) != 0) {
    if (SerialPort::HeldByAbandonedReader(portName))
      LogActivity(text::Format(kPortHeld, static_cast<int>(entry.Port)), LogLevel::Warning);
    LogActivity(kNoPort, LogLevel::Error);
    return 0;
  }
  // Settings the port refuses leave the defaults of Open in place.
  m_port.SetParams(entry.Baud, static_cast<BYTE>(entry.DataBits), static_cast<BYTE>(entry.Parity),
                   static_cast<BYTE>(entry.StopBits));
  m_port.StartReader();

  PortScriptHost host(m_port, static_cast<int>(entry.Port), exitRequested);
  bool ran = true;
  bool interrupted = false;
  try {
    RunScript(entry.Script, inputs, host);
  } catch (const ScriptCancelled&) {
    interrupted = true;
  } catch (...) {  // ScriptFailure, or anything else that ends the run
    ran = false;
  }
  // What the script wrote last (the hang-up, as a rule) must leave before
  // the port closes; a program that is closing does not wait for it.
  // Messages are handled meanwhile, as in the script's waits.
  const DWORD drainStart = ::GetTickCount();
  while (!exitRequested && !host.WriteStuck() && m_port.OutputPending() &&
         ::GetTickCount() - drainStart < kWriteTimeoutMs)
    PumpMessagesUntil(nullptr, exitRequested, kDrainPollMs);
  if (!m_port.StopReader()) {
    LogActivity(text::Format(kReaderStuck, static_cast<int>(entry.Port)), LogLevel::Error);
    ran = false;
  }
  m_port.Close();
  if (interrupted) {
    LogActivity(text::Format(kInterrupted, alertText, number), LogLevel::Error);
    return 0;
  }
  if (!ran) {
    LogActivity(kSendFailed, LogLevel::Error);
    return 0;
  }
  LogActivity(text::Format("Alert \"%s\" send to %s OK", alertText, number), LogLevel::Information);
  return 1;
}

int SendAlert(const std::string& alertText, const std::string& number, const bool& exitRequested) {
  AlertSender sender;
  return sender.Send(alertText, number, exitRequested);
}

}  // namespace modem
