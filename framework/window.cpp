#include "framework/window.h"

#include <cstdio>

#include "framework/held_choice.h"
#include "framework/ui_thread.h"

namespace framework {
namespace {

constexpr char kObjectProperty[] = "framework.Window";

}  // namespace

Window* Window::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<Window*>(::GetPropA(hwnd, kObjectProperty)) : nullptr;
}

bool Window::Create(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menuOrId) {
  return ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                           ::GetModuleHandleA(nullptr), this) != nullptr;
}

bool Window::Subclass(HWND hwnd) {
  if (!hwnd || m_hWnd || FromHandle(hwnd)) return false;
  Attach(hwnd);
  m_previousProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::StaticWindowProc)));
  OnSubclassed();
  return true;
}

void Window::Attach(HWND hwnd) {
  m_hWnd = hwnd;
  ::SetPropA(hwnd, kObjectProperty, this);
}

void Window::Detach() {
  ::RemovePropA(m_hWnd, kObjectProperty);
  if (m_previousProc)
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
  m_previousProc = nullptr;
  m_hWnd = nullptr;
}

bool Window::PreTranslateMessage(MSG&) { return false; }

LRESULT Window::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefaultProc(msg, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ReflectToChild(msg, wParam, lParam, result)) return result;
  if (m_previousProc) return ::CallWindowProcA(m_previousProc, m_hWnd, msg, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, msg, wParam, lParam);
}

bool Window::OnReflectedMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool Window::ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND child = nullptr;
  if (msg == WM_CTLCOLORSTATIC) child = reinterpret_cast<HWND>(lParam);
  if (msg == WM_COMMAND && lParam != 0) child = reinterpret_cast<HWND>(lParam);
  Window* object = FromHandle(child);
  return object && object->OnReflectedMessage(msg, wParam, lParam, result);
}

LRESULT Window::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
  // Menus, moving and sizing run modal loops of their own: not while the
  // main window is busy with a delivery.
  if (msg == WM_SYSCOMMAND && StartsModalLoop(wParam) && HoldWhileBusy(m_hWnd, msg, wParam, lParam))
    return 0;
  LRESULT result = 0;
  try {
    result = WindowProc(msg, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through the system's code; the message counts as
    // handled with its default answer.
    result = 0;
  }
  if (msg == WM_NCDESTROY) {
    Detach();
    // The thread's main window gone: its message loop ends.
    UiThread* thread = UiThread::Current();
    if (thread && thread->MainWindow() == this) {
      thread->SetMainWindow(nullptr);
      ::PostQuitMessage(0);
    }
    OnFinalMessage();
  }
  return result;
}

LRESULT CALLBACK Window::StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* window = FromHandle(hwnd);
  if (!window && msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    window = static_cast<Window*>(cs->lpCreateParams);
    if (window) window->Attach(hwnd);
  }
  if (!window) return ::DefWindowProcA(hwnd, msg, wParam, lParam);
  return window->Dispatch(msg, wParam, lParam);
}

ATOM RegisterWindowClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon) {
  // The name says what the class is, so equal requests share one class.
  char name[96];
  std::snprintf(name, sizeof name, "framework:%x:%p:%p:%p", style, static_cast<void*>(cursor),
                static_cast<void*>(background), static_cast<void*>(icon));
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  if (const ATOM existing = static_cast<ATOM>(::GetClassInfoExA(instance, name, &wc)))
    return existing;
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = &Window::StaticWindowProc;
  wc.hInstance = instance;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = name;
  return ::RegisterClassExA(&wc);
}

std::string LoadResourceString(UINT id) {
  char text[1024] = {};
  int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, text, sizeof text);
  return std::string(text, length > 0 ? length : 0);
}

}  // namespace framework
