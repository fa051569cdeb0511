// RAII owners for Win32 handles. Move-only; each knows which value means
// "no handle" for its kind (NULL for most, INVALID_HANDLE_VALUE for files).
#pragma once

#include <windows.h>

#include <utility>

namespace win {

template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type h) : m_h(h) {}
  UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Type Get() const { return m_h; }
  bool IsValid() const { return m_h != Traits::Invalid(); }
  explicit operator bool() const { return IsValid(); }

  Type Release() { return std::exchange(m_h, Traits::Invalid()); }
  void Reset(Type h = Traits::Invalid()) {
    if (IsValid()) Traits::Close(m_h);
    m_h = h;
  }
  // For APIs that return the handle through an out parameter.
  Type* Put() {
    Reset();
    return &m_h;
  }

 private:
  Type m_h = Traits::Invalid();
};

struct KernelHandleTraits {  // events, threads, processes
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::CloseHandle(h); }
};

struct FileHandleTraits {  // CreateFile, CreateMailslot
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};

struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::RegCloseKey(h); }
};

template <typename T>
struct GdiObjectTraits {  // HFONT, HBRUSH, HBITMAP, HPALETTE...
  using Type = T;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::DeleteObject(h); }
};

struct MenuTraits {  // LoadMenu, CreatePopupMenu; not a menu attached to a window
  using Type = HMENU;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::DestroyMenu(h); }
};

struct MemoryDcTraits {  // CreateCompatibleDC
  using Type = HDC;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::DeleteDC(h); }
};

struct EventSourceTraits {  // RegisterEventSource
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::DeregisterEventSource(h); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
template <typename T>
using GdiObject = UniqueHandle<GdiObjectTraits<T>>;
using Menu = UniqueHandle<MenuTraits>;
using MemoryDc = UniqueHandle<MemoryDcTraits>;
using EventSource = UniqueHandle<EventSourceTraits>;

}  // namespace win
