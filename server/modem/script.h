// The modem script interpreter. Portable: it talks to the modem, the clock,
// the message pump and the activity log only through a ScriptHost, which the
// delivery implements on Windows (serial port, GetTickCount,
// PumpMessagesFor, LogActivity) and tests implement with a simulated line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "server/log/log_level.h"
#include "server/modem/script_statement.h"

namespace modem {

// Ends a run early. Raised only after the log entry saying why has been
// written; the delivery catches it and reports the failed send.
class ScriptFailure : public std::exception {
 public:
  const char* what() const noexcept override { return "modem script failed"; }
};

// Ends a run at once because the program is closing. The delivery reports
// it; the script logs only what the modem sent during a wait it cuts short.
class ScriptCancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "modem script cancelled"; }
};

// What a running script needs from the delivery that runs it.
class ScriptHost {
 public:
  virtual ~ScriptHost() = default;

  // Sends bytes to the modem. Failures are not reported: they show up as a
  // later time-out.
  virtual void Write(std::string_view bytes) = 0;
  // Removes and returns at most maxBytes of what the modem has sent so far
  // (empty when nothing is waiting); never blocks.
  virtual std::string Take(std::size_t maxBytes) = 0;
  // Waits at least the given time (and at least one 50 ms step) while
  // keeping the user interface responsive.
  virtual void Pause(unsigned milliseconds) = 0;
  // A wait's pause between two looks at what the modem sent: at most the
  // given time, shorter when new bytes arrive or the run is cancelled, and
  // keeping the user interface responsive.
  virtual void AwaitData(unsigned milliseconds) = 0;
  // True once the run is to stop (the program is closing).
  virtual bool Cancelled() = 0;
  // Milliseconds from a free-running counter that wraps at 2^32.
  virtual std::uint32_t Tick() = 0;
  // Writes one activity-log entry.
  virtual void Log(const std::string& text, LogLevel level) = 0;
};

// The data of one delivery that statements send.
struct ScriptInputs {
  std::string smscNumber;       // dialled by DIAL, as stored in the entry
  std::string recipientNumber;  // sent by SENDNUMBER, unchanged
  // The three inputs of ComposeMessage for SENDMESSAGE. alertText must have
  // been through SubstituteCharacters: it comes from outside.
  std::string id;
  std::string alertText;
  std::string footer;
  // The ANSI code page's lead bytes, so the text of a send statement is read
  // a character at a time; null for a single-byte code page.
  text::LeadByteTest isLeadByte = nullptr;
};

inline constexpr unsigned kWaitTimeoutMs = 30000;
inline constexpr unsigned kWaitPollMs = 500;
inline constexpr std::size_t kWaitTakeBytes = 255;
// A failed wait shows at most this many of the last bytes the modem sent.
inline constexpr std::size_t kLastBytesShown = 60;

// Runs the statements in order. Returns when the last one has run; throws
// ScriptFailure (after logging why) at the first statement that fails, and
// ScriptCancelled before the next statement or after a wait's pause once the
// host is cancelled; either way nothing more is sent.
void RunScript(const std::vector<std::string>& statements, const ScriptInputs& inputs,
               ScriptHost& host);

// Returns once the target has arrived from the modem since this wait began
// (case-sensitive; an empty target matches at once). Logs "Timed out
// waiting for <target>" and throws ScriptFailure after kWaitTimeoutMs;
// throws ScriptCancelled after a pause in which the host was cancelled.
// Either way it first logs what the modem sent during the wait (its last
// kLastBytesShown bytes, escaped) or that it sent nothing.
void WaitForText(std::string_view target, ScriptHost& host);

}  // namespace modem
