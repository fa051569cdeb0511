// The listener's duplicate rule. Portable.
//
// One broadcast write can arrive more than once, and its copies carry the
// same bytes. A datagram is a repeat when it carries the same tick, the same
// computer name (ignoring case) and the same text as the datagram accepted
// just before it; only that last one is remembered. The text counts because
// a tick moves only every 10 to 16 ms on Windows: two alerts written in one
// tick are two alerts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace intake {

class DuplicateFilter {
 public:
  // True when the datagram is to be accepted (and is then remembered). Name
  // and text as parsed, up to their NULs: bytes after them play no part.
  bool Accept(std::uint32_t tick, std::string_view computerName, std::string_view text);

 private:
  // Nothing before the first datagram: no tick value may make the first
  // one look like a repeat.
  std::optional<std::uint32_t> m_lastTick;
  std::string m_lastName;
  std::string m_lastText;
};

// Computer names are NetBIOS names: letters are compared without case
// (ASCII); every other byte must match exactly.
bool SameComputerName(std::string_view a, std::string_view b);

}  // namespace intake
