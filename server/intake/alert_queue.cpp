#include "server/intake/alert_queue.h"

#include <utility>

namespace intake {

void AlertQueue::Push(std::string text) {
  win::ScopedLock lock(m_csAlerts);
  m_lstAlerts.push_back(std::move(text));
}

bool AlertQueue::Pop(std::string& text) {
  win::ScopedLock lock(m_csAlerts);
  if (m_lstAlerts.empty()) return false;
  text = std::move(m_lstAlerts.front());
  m_lstAlerts.pop_front();
  return true;
}

std::size_t AlertQueue::Count() {
  win::ScopedLock lock(m_csAlerts);
  return m_lstAlerts.size();
}

}  // namespace intake
