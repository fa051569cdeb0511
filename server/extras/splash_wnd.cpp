#include "server/extras/splash_wnd.h"

#include <vector>

#include "common/gdi.h"

CSplashWnd::~CSplashWnd() {
  if (m_hiddenOwner) ::DestroyWindow(m_hiddenOwner);
}

bool CSplashWnd::Create() {
  m_bitmap.Reset(static_cast<HBITMAP>(
      ::LoadImageA(nullptr, m_path.c_str(), IMAGE_BITMAP, 0, 0,
                   LR_LOADFROMFILE | LR_CREATEDIBSECTION | LR_DEFAULTSIZE)));
  if (!m_bitmap) return false;
  BITMAP info{};
  ::GetObjectA(m_bitmap.Get(), sizeof info, &info);
  m_width = info.bmWidth;
  m_height = info.bmHeight;

  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  m_hiddenOwner = ::CreateWindowExA(
      0, MAKEINTATOM(framework::RegisterWindowClass(0, nullptr, nullptr, nullptr)), "", WS_POPUP,
      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
      nullptr);
  const ATOM splashClass =
      framework::RegisterWindowClass(0, ::LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr);
  if (!Window::Create(0, MAKEINTATOM(splashClass), "", WS_POPUP | WS_VISIBLE, 0, 0, m_width,
                      m_height, m_hiddenOwner, nullptr))
    return false;
  CreatePalette();
  RealizePalette();
  return true;
}

void CSplashWnd::CreatePalette() {
  BITMAP info{};
  ::GetObjectA(m_bitmap.Get(), sizeof info, &info);
  win::WindowDc windowDc(Handle());
  if (info.bmPlanes * info.bmBitsPixel > 8) {
    m_palette.Reset(::CreateHalftonePalette(windowDc.Get()));
  } else {
    // A palette of the bitmap's own colour table; entries it does not have
    // stay black.
    RGBQUAD colours[256] = {};
    UINT count = 0;
    {
      win::MemoryDc memoryDc(::CreateCompatibleDC(windowDc.Get()));
      win::SelectedObject bitmap(memoryDc.Get(), m_bitmap.Get());
      count = ::GetDIBColorTable(memoryDc.Get(), 0, 256, colours);
    }
    std::vector<char> buffer(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(buffer.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = 256;
    for (UINT i = 0; i < 256; ++i) {
      const RGBQUAD c = i < count ? colours[i] : RGBQUAD{};
      palette->palPalEntry[i] = PALETTEENTRY{c.rgbRed, c.rgbGreen, c.rgbBlue, 0};
    }
    m_palette.Reset(::CreatePalette(palette));
  }
}

void CSplashWnd::RealizePalette() {
  if (!m_palette) return;
  HDC dc = ::GetDC(Handle());
  HPALETTE old = ::SelectPalette(dc, m_palette.Get(), FALSE);
  UINT changed = ::RealizePalette(dc);
  ::SelectPalette(dc, old, TRUE);
  ::RealizePalette(dc);
  ::ReleaseDC(Handle(), dc);
  if (changed > 0) ::InvalidateRect(Handle(), nullptr, TRUE);
}

void CSplashWnd::CentreInWorkArea() {
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT own{};
  ::GetWindowRect(Handle(), &own);
  const int width = own.right - own.left, height = own.bottom - own.top;
  ::SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSplashWnd::Paint() {
  win::PaintDc dc(Handle());
  win::SelectedPalette palette(dc.Get(), m_palette.Get(), FALSE);
  if (m_palette) ::RealizePalette(dc.Get());
  win::MemoryDc memoryDc(::CreateCompatibleDC(dc.Get()));
  win::SelectedObject bitmap(memoryDc.Get(), m_bitmap.Get());
  ::BitBlt(dc.Get(), 0, 0, m_width, m_height, memoryDc.Get(), 0, 0, SRCCOPY);
}

LRESULT CSplashWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      CentreInWorkArea();
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_LBUTTONDOWN:
      // Dragging by the picture: the system's move loop, as if on a caption.
      ::SendMessageA(Handle(), WM_LBUTTONUP, 0, 0);
      ::SendMessageA(Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
      return 0;
    case WM_CLOSE:
      if (!m_bCanClose) return 0;
      break;
  }
  return DefaultProc(msg, wParam, lParam);
}
