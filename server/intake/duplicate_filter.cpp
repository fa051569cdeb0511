#include "server/intake/duplicate_filter.h"

namespace intake {
namespace {

char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool SameComputerName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

bool DuplicateFilter::Accept(std::uint32_t tick, std::string_view computerName) {
  if (tick == m_lastTick && SameComputerName(computerName, m_lastName)) return false;
  m_lastTick = tick;
  m_lastName.assign(computerName);
  return true;
}

}  // namespace intake
