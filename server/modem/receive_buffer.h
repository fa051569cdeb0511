// Bytes received from the modem and not yet taken by the script. Portable.
//
// The port's reader thread appends; the script's waits take. Each call holds
// the lock for its whole length, so an Append and a Take never interleave and
// no byte is lost, duplicated or reordered between them.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace modem {

class ReceiveBuffer {
 public:
  // Adds the bytes at the end. Any thread.
  void Append(std::string_view bytes);
  // Removes and returns at most maxBytes from the front (oldest first); empty
  // when nothing is held. Any thread.
  std::string Take(std::size_t maxBytes);
  // True when nothing is held. Any thread.
  bool IsEmpty();

 private:
  std::mutex m_lock;
  std::string m_bytes;     // guarded by m_lock
  std::size_t m_head = 0;  // guarded by m_lock; bytes before it are taken
};

}  // namespace modem
