// CSplashWnd: a borderless window showing a bitmap file, centred in the
// work area, draggable with the left button, closed only on request.
// Belongs to the splash thread. Win32.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "common/handle.h"
#include "framework/window.h"

class CSplashWnd : public framework::Window {
 public:
  CSplashWnd() = default;
  ~CSplashWnd() override;

  void SetBitmapFile(std::string path) { m_path = std::move(path); }
  // Loads the bitmap and shows the window; false (and no window) when the
  // bitmap cannot be loaded.
  bool Create();
  // Set by the main thread before it sends WM_CLOSE.
  void AllowClose() { m_bCanClose = TRUE; }


 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreatePalette();
  void RealizePalette();
  void Paint();
  void CentreInWorkArea();

  win::GdiObject<HBITMAP> m_bitmap;
  win::GdiObject<HPALETTE> m_palette;
  int m_width = 0;
  int m_height = 0;
  HWND m_hiddenOwner = nullptr;  // keeps the splash off the taskbar
  std::string m_path;
  std::atomic<BOOL> m_bCanClose{FALSE};
};
