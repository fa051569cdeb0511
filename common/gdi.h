// Device contexts borrowed from a window, and objects selected into a device
// context for one scope. Each puts back what it took when it goes.
#pragma once

#include <windows.h>

namespace win {

// GetDC / ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
  ~WindowDc() {
    if (m_dc) ::ReleaseDC(m_window, m_dc);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

 private:
  HWND m_window;
  HDC m_dc;
};

// BeginPaint / EndPaint, for WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : m_window(window), m_dc(::BeginPaint(window, &m_paint)) {}
  ~PaintDc() { ::EndPaint(m_window, &m_paint); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;

  HDC Get() const { return m_dc; }
  const RECT& Area() const { return m_paint.rcPaint; }

 private:
  HWND m_window;
  PAINTSTRUCT m_paint{};
  HDC m_dc;
};

// SelectObject for one scope; the object it replaced goes back afterwards.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (m_old && m_old != HGDI_ERROR) ::SelectObject(m_dc, m_old);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};

// SelectPalette for one scope (palettes have their own selection call).
class SelectedPalette {
 public:
  SelectedPalette(HDC dc, HPALETTE palette, BOOL background)
      : m_dc(dc), m_old(palette ? ::SelectPalette(dc, palette, background) : nullptr) {}
  ~SelectedPalette() {
    if (m_old) ::SelectPalette(m_dc, m_old, FALSE);
  }
  SelectedPalette(const SelectedPalette&) = delete;
  SelectedPalette& operator=(const SelectedPalette&) = delete;

 private:
  HDC m_dc;
  HPALETTE m_old;
};

}  // namespace win
