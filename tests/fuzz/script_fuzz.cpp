// Random scripts against random modem bytes: the interpreter must neither
// crash nor hang, must end every failure with exactly one warning (a
// time-out's followed by the modem's last words, printable), and the
// prepared alert text must carry no control byte but TAB to the modem.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/escapes.h"
#include "server/modem/message_text.h"
#include "server/modem/script.h"

namespace {

// The modem's bytes arrive in uneven pieces; time passes only in pauses.
class FuzzHost : public modem::ScriptHost {
 public:
  explicit FuzzHost(std::string_view modemBytes) : m_modem(modemBytes) {}

  void Write(std::string_view bytes) override { written += bytes.size(); }
  std::string Take(std::size_t maxBytes) override {
    if (maxBytes > modem::kWaitTakeBytes) std::abort();
    if (m_modem.empty()) return {};
    const std::size_t piece = std::min<std::size_t>(maxBytes, static_cast<unsigned char>(m_modem[0]) % 70 + 1);
    std::string taken(m_modem.substr(0, piece));
    m_modem.remove_prefix(std::min(piece, m_modem.size()));
    return taken;
  }
  void Pause(unsigned milliseconds) override {
    ++pauses;
    elapsed += milliseconds < 50 ? 50 : milliseconds;
  }
  void AwaitData(unsigned milliseconds) override { Pause(milliseconds); }
  bool Cancelled() override { return false; }
  std::uint32_t Tick() override { return static_cast<std::uint32_t>(0xFFFFF000u + elapsed); }
  void Log(const std::string& text, LogLevel level) override {
    if (level == LogLevel::Information) {
      // Only right after a time-out: the modem's last bytes, printable and
      // exactly as sent once decoded.
      if (!lastWasTimeOut) std::abort();
      lastWasTimeOut = false;
      if (text == "Nothing was received from the modem") return;
      constexpr std::string_view kPrefix = "Last received from the modem: \"";
      if (!text.starts_with(kPrefix) || !text.ends_with('"')) std::abort();
      const std::string shown = text.substr(kPrefix.size(), text.size() - kPrefix.size() - 1);
      for (char c : shown)
        if (c < 0x20 || c > 0x7E) std::abort();
      const std::optional<std::string> bytes = text::DecodeEscapes(shown);
      if (!bytes || bytes->empty() || bytes->size() > modem::kLastBytesShown ||
          text::EscapeBytes(*bytes) != shown)
        std::abort();
      return;
    }
    if (level != LogLevel::Warning || lastWasTimeOut) std::abort();
    lastWasTimeOut = text.starts_with("Timed out waiting for ");
    if (text != "Unknown action in script" && !text.starts_with("Malformed statement ") &&
        !lastWasTimeOut)
      std::abort();
    ++logEntries;
  }

  std::size_t written = 0;
  std::uint64_t pauses = 0;
  std::uint64_t elapsed = 0;
  int logEntries = 0;  // warnings
  bool lastWasTimeOut = false;

 private:
  std::string_view m_modem;
};

// Each line's first byte picks a keyword to put in front of the rest, so
// that most statements get past classification.
std::vector<std::string> Statements(std::string_view text) {
  constexpr std::string_view kPrefixes[] = {"",           "DIAL",       "hangup", "CR",      "WAITFOR \"",
                                            "SENDMESSAGE", "SendNumber", "SEND \"", "waitfor", "send"};
  std::vector<std::string> statements;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (line.empty()) {
      statements.emplace_back();
    } else {
      statements.push_back(std::string(kPrefixes[static_cast<unsigned char>(line[0]) % 10]));
      statements.back().append(line.substr(1));
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return statements;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t split = std::min<std::size_t>(input.size(), data[0] * 3u);
  const std::vector<std::string> statements = Statements(input.substr(0, split));
  const std::string_view modemBytes = input.substr(split);

  std::string alert(modemBytes.substr(0, 200));
  modem::SubstituteCharacters(alert);
  if (alert.size() != std::min<std::size_t>(modemBytes.size(), 200)) std::abort();
  for (char c : alert) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t') || std::string_view("[]$@\\^_`{}|~\x7f").find(c) != std::string_view::npos)
      std::abort();
  }
  const std::string footer(modemBytes.substr(0, data[0] % 160));
  if (modem::ComposeMessage("Srv", alert, footer).size() > modem::kMaxMessageLength) std::abort();

  // Sometimes the modem answers the first dial.
  const std::string modemStream = (data[0] & 1 ? "CONNECT" : "") + std::string(modemBytes);
  FuzzHost host(modemStream);
  const modem::ScriptInputs inputs{"0800", "+4477", "Srv", alert, footer};
  bool failed = false;
  try {
    modem::RunScript(statements, inputs, host);
  } catch (const modem::ScriptFailure&) {
    failed = true;
  }
  // One warning for a failure, none for a complete run; a time-out's is
  // followed by its last words.
  if (host.logEntries != (failed ? 1 : 0) || host.lastWasTimeOut) std::abort();
  // Every statement pauses once and waits for at most 30 s in 500 ms polls.
  const std::uint64_t limit = statements.size() * (50 + modem::kWaitTimeoutMs + modem::kWaitPollMs);
  if (host.elapsed > limit) std::abort();
  return 0;
}
