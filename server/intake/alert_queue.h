// AlertQueue: alert texts waiting for dispatch, oldest first, unbounded.
// Pushed by the listener thread, popped by the user-interface thread; each
// operation holds m_csAlerts for itself alone. Win32.
#pragma once

#include <deque>
#include <string>

#include "common/sync.h"

namespace intake {

class AlertQueue {
 public:
  void Push(std::string text);
  // Moves the oldest text into `text`; false when the queue is empty.
  bool Pop(std::string& text);
  std::size_t Count();

 private:
  std::deque<std::string> m_lstAlerts;
  win::CriticalSection m_csAlerts;
};

}  // namespace intake
