#include "server/modem/script.h"

#include "common/escapes.h"
#include "common/format.h"
#include "server/modem/message_text.h"

namespace modem {

namespace {

constexpr char kLastReceived[] = "Last received from the modem: \"%s\"";
constexpr char kNothingReceived[] = "Nothing was received from the modem";

// After a wait that failed: what the modem said instead, the answer that
// tells BUSY from NO CARRIER from a silent line. Its bytes are shown
// escaped, never read as anything.
void ReportLastReceived(ScriptHost& host, std::string_view lastBytes) {
  if (lastBytes.empty())
    host.Log(kNothingReceived, LogLevel::Information);
  else
    host.Log(text::Format(kLastReceived, text::EscapeBytes(lastBytes)), LogLevel::Information);
}

[[noreturn]] void Fail(ScriptHost& host, const std::string& why) {
  host.Log(why, LogLevel::Warning);
  throw ScriptFailure();
}

void RunStatement(const std::string& statement, const ScriptInputs& inputs, ScriptHost& host) {
  switch (ClassifyStatement(statement)) {
    case StatementKind::Dial:
      host.Write(text::Format("ATD %s\r", inputs.smscNumber));
      WaitForText("CONNECT", host);
      host.Write("\r");
      return;
    case StatementKind::HangUp:
      host.Write("ATH\r");
      return;
    case StatementKind::CarriageReturn:
      host.Write("\r");
      return;
    case StatementKind::Wait: {
      const auto target = WaitArgument(statement);
      if (!target) Fail(host, text::Format("Malformed statement %s", statement));
      WaitForText(*target, host);
      return;
    }
    case StatementKind::SendNumber:
      host.Write(inputs.recipientNumber);
      return;
    case StatementKind::SendMessage:
      host.Write(ComposeMessage(inputs.id, inputs.alertText, inputs.footer));
      return;
    case StatementKind::Send: {
      const auto bytes = SendArgument(statement, inputs.isLeadByte);
      if (!bytes) Fail(host, text::Format("Malformed statement %s", statement));
      host.Write(*bytes);
      return;
    }
    case StatementKind::Unrecognised:
      break;
  }
  Fail(host, "Unknown action in script");
}

}  // namespace

void RunScript(const std::vector<std::string>& statements, const ScriptInputs& inputs,
               ScriptHost& host) {
  for (const std::string& statement : statements) {
    host.Pause(0);
    if (host.Cancelled()) throw ScriptCancelled();
    RunStatement(statement, inputs, host);
  }
}

void WaitForText(std::string_view target, ScriptHost& host) {
  const std::uint32_t start = host.Tick();
  std::string received;  // this wait's own: bytes taken here are gone for later waits
  std::string lastBytes;  // the newest kLastBytesShown taken, NULs and all
  for (;;) {
    // The deadline is read before the look: an answer that came while the
    // user interface thread was held past it still counts.
    const bool late = host.Tick() - start >= kWaitTimeoutMs;
    const std::string piece = host.Take(kWaitTakeBytes);
    received.append(piece, 0, piece.find('\0'));
    if (received.find(target) != std::string::npos) return;
    lastBytes.append(piece);
    if (lastBytes.size() > kLastBytesShown) lastBytes.erase(0, lastBytes.size() - kLastBytesShown);
    if (late) break;
    host.AwaitData(kWaitPollMs);
    if (host.Cancelled()) {
      ReportLastReceived(host, lastBytes);
      throw ScriptCancelled();
    }
  }
  host.Log(text::Format("Timed out waiting for %s", target), LogLevel::Warning);
  ReportLastReceived(host, lastBytes);
  throw ScriptFailure();
}

}  // namespace modem
