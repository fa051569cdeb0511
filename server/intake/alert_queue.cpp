#include "server/intake/alert_queue.h"

#include <utility>

namespace intake {

void AlertQueue::Push(std::string text) {
  framework::ScopedLock lock(m_csAlerts);
  m_lstAlerts.push_back(std::move(text));
}

bool AlertQueue::Pop(std::string& text) {
  framework::ScopedLock lock(m_csAlerts);
  if (m_lstAlerts.empty()) return false;
  text = std::move(m_lstAlerts.front());
  m_lstAlerts.pop_front();
  return true;
}

std::size_t AlertQueue::Count() {
  framework::ScopedLock lock(m_csAlerts);
  return m_lstAlerts.size();
}

}  // namespace intake
