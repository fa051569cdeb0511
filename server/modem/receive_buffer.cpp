#include "server/modem/receive_buffer.h"

#include <algorithm>

namespace modem {

void ReceiveBuffer::Append(std::string_view bytes) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_bytes.append(bytes);
}

std::string ReceiveBuffer::Take(std::size_t maxBytes) {
  std::lock_guard<std::mutex> guard(m_lock);
  const std::size_t count = std::min(maxBytes, m_bytes.size() - m_head);
  std::string taken = m_bytes.substr(m_head, count);
  m_head += count;
  // Drop the taken front once it outweighs what is held, so small takes from
  // a large buffer do not copy the rest each time.
  if (m_head == m_bytes.size()) {
    m_bytes.clear();
    m_head = 0;
  } else if (m_head > 4096 && m_head > m_bytes.size() / 2) {
    m_bytes.erase(0, m_head);
    m_head = 0;
  }
  return taken;
}

bool ReceiveBuffer::IsEmpty() {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_head == m_bytes.size();
}

}  // namespace modem
