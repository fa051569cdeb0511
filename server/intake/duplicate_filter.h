// The listener's duplicate rule. Portable.
//
// One broadcast write can arrive more than once. A datagram is a repeat when
// it carries the same tick and the same computer name (ignoring case) as the
// datagram accepted just before it; only that last one is remembered, and
// the text plays no part.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace intake {

class DuplicateFilter {
 public:
  // True when the datagram is to be accepted (and is then remembered).
  bool Accept(std::uint32_t tick, std::string_view computerName);

 private:
  // Nothing before the first datagram: no tick value may make the first
  // one look like a repeat.
  std::optional<std::uint32_t> m_lastTick;
  std::string m_lastName;
};

// Computer names are NetBIOS names: letters are compared without case
// (ASCII); every other byte must match exactly.
bool SameComputerName(std::string_view a, std::string_view b);

}  // namespace intake
