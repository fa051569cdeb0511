// Window: a non-owning view of an HWND with one dispatch point.
//
// A window created through Create (or a window class registered with
// Window::StaticWindowProc) finds its object at WM_NCCREATE; an existing
// control is taken over with Subclass. Every message then goes to the one
// virtual WindowProc; what it does not handle goes to DefaultProc.
//
// Reflection: a parent's DefaultProc hands WM_CTLCOLORSTATIC and WM_COMMAND
// notifications of a child control that has an object of its own to that
// child's OnReflectedMessage first, so a control class can colour itself and
// react to its own clicks without help from its parent.
//
// The object must outlive its window; OnFinalMessage runs after WM_NCDESTROY,
// when the object is detached (frames delete themselves there).
// Exceptions never leave the window procedure. All of this runs on the thread
// that owns the window.
#pragma once

#include <windows.h>

#include <string>

namespace framework {

class Window {
 public:
  Window() = default;
  virtual ~Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const { return m_hWnd; }
  // The object attached to a window, or null.
  static Window* FromHandle(HWND hwnd);

  bool Create(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
              int width, int height, HWND parent, HMENU menuOrId);
  // Takes over an existing window (a dialog's control): its messages come to
  // WindowProc, what is not handled goes to the control's own procedure.
  bool Subclass(HWND hwnd);

  // Called by the message loop for a message on its way to this window or to
  // one of its children; true means the message was consumed.
  virtual bool PreTranslateMessage(MSG& msg);

  static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // Reflection to children, then the subclassed control's procedure or
  // DefWindowProc.
  virtual LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // A notification or colour request of this control, reflected by its
  // parent; true with `result` set when handled.
  virtual bool OnReflectedMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // After Subclass attached the object (a control's one-time set-up).
  virtual void OnSubclassed() {}
  virtual void OnFinalMessage() {}

  // Dialog procedures attach at WM_INITDIALOG.
  void Attach(HWND hwnd);
  // Runs WindowProc and the WM_NCDESTROY bookkeeping; for the dialog
  // procedure as well.
  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
  // Hands a colour request or notification to the child it concerns, when
  // that child has an object; true with `result` set when it handled it.
  static bool ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  void Detach();

  HWND m_hWnd = nullptr;
  WNDPROC m_previousProc = nullptr;  // the control's own procedure when subclassed
};

// Registers (once) a window class with the given attributes whose procedure
// is Window::StaticWindowProc, and returns its atom (0 on failure); pass it
// to CreateWindowEx as MAKEINTATOM(atom).
ATOM RegisterWindowClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon);

// The string resource `id`, empty when missing.
std::string LoadResourceString(UINT id);

}  // namespace framework
