// UiThread: a thread with a message loop and a main window. Its loop ends
// when the main window is destroyed (WM_QUIT). A thread started with
// CreateThread deletes its object when its loop ends; the application object
// (App) is the main thread's UiThread.
//
// Each thread knows its UiThread (Current), and so its main window: code on
// any such thread can reach the window it reports to.
#pragma once

#include <windows.h>

#include "common/handle.h"

namespace framework {

class Window;

class UiThread {
 public:
  UiThread() = default;
  virtual ~UiThread() = default;
  UiThread(const UiThread&) = delete;
  UiThread& operator=(const UiThread&) = delete;

  // The calling thread's object, or null.
  static UiThread* Current();
  // Makes this the calling thread's object (the application and tests do
  // this for the thread they run on).
  void BindToCurrentThread();

  // Starts a new thread for this object, suspended; false when it cannot be
  // created (the object is then not deleted). Resume lets it run:
  // InitInstance, the message loop, ExitInstance, then `delete this`.
  bool CreateThread(int priority = THREAD_PRIORITY_NORMAL, SIZE_T stackSize = 0);
  void Resume();
  DWORD ThreadId() const { return m_threadId; }

  Window* MainWindow() const { return m_mainWindow; }
  void SetMainWindow(Window* window) { m_mainWindow = window; }

  // The message loop: until WM_QUIT, whose exit code it returns.
  int RunMessageLoop();
  // What the message loop does before it dispatches a message, for loops of
  // other code on a UiThread (a delivery's pauses): false when the calling
  // thread has no UiThread or nothing consumed the message.
  static bool PreTranslate(MSG& msg);

 protected:
  // False ends the thread at once.
  virtual bool InitInstance() { return false; }
  virtual int ExitInstance(int exitCode) { return exitCode; }
  // Offers a message to the windows from its target up to the top-level
  // window (PreTranslateMessage); true when one consumed it.
  virtual bool PreTranslateMessage(MSG& msg);

 private:
  static DWORD WINAPI ThreadProc(void* self);

  win::KernelHandle m_thread;
  DWORD m_threadId = 0;
  Window* m_mainWindow = nullptr;  // written and read on this thread only
};

}  // namespace framework
