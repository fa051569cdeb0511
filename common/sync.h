// Critical section with a scoped lock, for data shared between threads.
#pragma once

#include <windows.h>

namespace win {

// Initialisation can fail only for lack of memory; IsValid says whether it
// worked, for code (a DLL attaching to a process) that must refuse to run
// without its locks.
class CriticalSection {
 public:
  CriticalSection() : m_valid(::InitializeCriticalSectionEx(&m_cs, 0, 0) != FALSE) {}
  ~CriticalSection() {
    if (m_valid) ::DeleteCriticalSection(&m_cs);
  }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  bool IsValid() const { return m_valid; }
  void Enter() { ::EnterCriticalSection(&m_cs); }
  void Leave() { ::LeaveCriticalSection(&m_cs); }

 private:
  CRITICAL_SECTION m_cs;
  bool m_valid;
};

class ScopedLock {
 public:
  explicit ScopedLock(CriticalSection& cs) : m_cs(cs) { m_cs.Enter(); }
  ~ScopedLock() { m_cs.Leave(); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  CriticalSection& m_cs;
};

}  // namespace win
