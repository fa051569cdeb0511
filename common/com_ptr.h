// Owner of one reference to a COM interface.
#pragma once

#include <unknwn.h>

#include <utility>

namespace win {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.m_p, nullptr));
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  T* Get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }

  // Hands the reference to the caller.
  T* Detach() { return std::exchange(m_p, nullptr); }
  // For APIs that return a new reference through an out parameter.
  T** Put() {
    Reset();
    return &m_p;
  }

 private:
  void Reset(T* p = nullptr) {
    if (m_p) m_p->Release();
    m_p = p;
  }

  T* m_p = nullptr;
};

}  // namespace win
