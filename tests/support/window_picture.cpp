#include "tests/support/window_picture.h"

#include "common/gdi.h"
#include "common/handle.h"

namespace testing_support {

bool SaveWindowPicture(HWND window, const std::string& path) {
  RECT rect;
  if (!::GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  win::WindowDc screen(nullptr);
  win::MemoryDc dc(::CreateCompatibleDC(screen.Get()));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  win::GdiObject<HBITMAP> bitmap(::CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return false;
  {
    win::SelectedObject selected(dc.Get(), bitmap.Get());
    ::BitBlt(dc.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
  }
  const DWORD size = ((width * 3 + 3) / 4) * 4 * height;
  const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  BITMAPFILEHEADER file{0x4D42, headers + size, 0, 0, headers};
  win::FileHandle out(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return out && ::WriteFile(out.Get(), &file, sizeof file, &written, nullptr) &&
         ::WriteFile(out.Get(), &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
         ::WriteFile(out.Get(), bits, size, &written, nullptr);
}

std::string ScreenshotPath(const char* name) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string folder(self);
  folder = folder.substr(0, folder.find_last_of('\\') + 1) + "screenshots";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  // A screen of another resolution than 96 dpi names its pictures apart:
  // "about_box-144dpi.bmp".
  std::string file(name);
  win::WindowDc screen(nullptr);
  const int dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
  if (dpi != 96) file.insert(file.find_last_of('.'), "-" + std::to_string(dpi) + "dpi");
  return folder + "\\" + file;
}

}  // namespace testing_support
