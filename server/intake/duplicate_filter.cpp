#include "server/intake/duplicate_filter.h"

#include "common/ascii_case.h"

namespace intake {

bool SameComputerName(std::string_view a, std::string_view b) {
  return text::EqualIgnoringAsciiCase(a, b);
}

bool DuplicateFilter::Accept(std::uint32_t tick, std::string_view computerName,
                             std::string_view text) {
  if (tick == m_lastTick && SameComputerName(computerName, m_lastName) && text == m_lastText)
    return false;
  m_lastTick = tick;
  m_lastName.assign(computerName);
  m_lastText.assign(text);
  return true;
}

}  // namespace intake
