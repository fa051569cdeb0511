// Critical section with a scoped lock, for data shared between threads.
#pragma once

#include <windows.h>

namespace framework {

class CriticalSection {
 public:
  CriticalSection() { ::InitializeCriticalSection(&m_cs); }
  ~CriticalSection() { ::DeleteCriticalSection(&m_cs); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Lock() { ::EnterCriticalSection(&m_cs); }
  void Unlock() { ::LeaveCriticalSection(&m_cs); }

 private:
  CRITICAL_SECTION m_cs;
};

class ScopedLock {
 public:
  explicit ScopedLock(CriticalSection& cs) : m_cs(cs) { m_cs.Lock(); }
  ~ScopedLock() { m_cs.Unlock(); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  CriticalSection& m_cs;
};

}  // namespace framework
