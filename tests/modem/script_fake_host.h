// A simulated line, clock and log for running modem scripts in tests: time
// only moves when the script pauses, so a 30-second time-out costs nothing.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "server/modem/script.h"

namespace modem::testing_fakes {

struct LogEntry {
  std::string text;
  LogLevel level;
  bool operator==(const LogEntry&) const = default;
};

class FakeHost : public ScriptHost {
 public:
  // The counter starts just before it wraps, so every wait crosses zero.
  static constexpr std::uint32_t kStartTick = 0xFFFFF000u;

  // Modem bytes that arrive `delayMs` from now.
  void Arrive(std::string bytes, std::uint64_t delayMs = 0) {
    m_arrivals.push_back({m_elapsed + delayMs, std::move(bytes)});
  }

  // Called with every write, so a fake modem can answer.
  std::function<void(std::string_view)> onWrite;

  void Write(std::string_view bytes) override {
    written.append(bytes);
    if (onWrite) onWrite(bytes);
  }
  std::string Take(std::size_t maxBytes) override {
    for (auto it = m_arrivals.begin(); it != m_arrivals.end();) {
      if (it->first <= m_elapsed) {
        m_received += it->second;
        it = m_arrivals.erase(it);
      } else {
        ++it;
      }
    }
    std::string piece = m_received.substr(0, maxBytes);
    m_received.erase(0, piece.size());
    takes.push_back(piece);
    return piece;
  }
  void Pause(unsigned milliseconds) override {
    pauses.push_back(milliseconds);
    m_elapsed += std::max(milliseconds, 50u);
  }
  // Time moves by the whole pause: the fake line signals no arrivals.
  void AwaitData(unsigned milliseconds) override { Pause(milliseconds); }
  bool Cancelled() override { return cancelled; }
  std::uint32_t Tick() override { return static_cast<std::uint32_t>(kStartTick + m_elapsed); }
  void Log(const std::string& text, LogLevel level) override { log.push_back({text, level}); }

  std::uint64_t ElapsedMs() const { return m_elapsed; }
  const std::string& Unread() const { return m_received; }

  std::string written;
  std::vector<std::string> takes;
  std::vector<unsigned> pauses;
  std::vector<LogEntry> log;
  bool cancelled = false;

 private:
  std::uint64_t m_elapsed = 0;
  std::vector<std::pair<std::uint64_t, std::string>> m_arrivals;
  std::string m_received;  // arrived, not yet taken
};

}  // namespace modem::testing_fakes
