#include "framework/frame_window.h"

#include <string>

#include "framework/app.h"

namespace framework {

bool FrameWindow::LoadFrame(UINT resourceId, DWORD style, HWND parent) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  m_resourceId = resourceId;
  const std::string strings = LoadResourceString(resourceId);
  const std::string title = strings.substr(0, strings.find('\n'));
  HMENU menu = ::LoadMenuA(instance, MAKEINTRESOURCEA(resourceId));
  m_accelerators = ::LoadAcceleratorsA(instance, MAKEINTRESOURCEA(resourceId));

  CREATESTRUCTA cs{};
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parent;
  cs.style = style & ~kAddToTitle;
  cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
  cs.lpszName = title.c_str();
  if (!PreCreateWindow(cs)) {
    if (menu) ::DestroyMenu(menu);
    return false;
  }
  if (!Create(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
              cs.hwndParent, cs.hMenu)) {
    // A window destroyed during its creation took its menu with it.
    if (menu && ::IsMenu(menu)) ::DestroyMenu(menu);
    return false;
  }
  m_created = true;
  return true;
}

bool FrameWindow::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!cs.lpszClass) {
    cs.lpszClass = MAKEINTATOM(RegisterWindowClass(
        CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorA(nullptr, IDC_ARROW),
        reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1),
        ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_resourceId))));
  }
  return true;
}

BOOL FrameWindow::DestroyWindow() { return ::DestroyWindow(Handle()); }

bool FrameWindow::PreTranslateMessage(MSG& msg) {
  return m_accelerators && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST &&
         ::TranslateAcceleratorA(Handle(), m_accelerators, &msg);
}

LRESULT FrameWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      // Menu and accelerator commands the frame left alone.
      if (lParam == 0 && App::Instance() && App::Instance()->OnCommand(LOWORD(wParam))) return 0;
      break;
    case WM_CLOSE:
      // Through the virtual, so a frame's own destroy sequence runs.
      DestroyWindow();
      return 0;
  }
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace framework
