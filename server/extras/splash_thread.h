// CSplashThread: the user-interface thread of the splash window, so the
// picture shows and repaints while the main thread is busy starting up.
// Created suspended, given the bitmap's path, resumed; CloseSplash (main
// thread) ends it. It deletes itself when its message loop ends. When the
// bitmap cannot be loaded it shows nothing and idles until the program
// ends. Win32.
#pragma once

#include <windows.h>

#include <string>

#include "common/handle.h"
#include "framework/ui_thread.h"
#include "server/extras/splash_wnd.h"

class CSplashThread : public framework::UiThread {
 public:
  CSplashThread();

  // Before the thread runs.
  void SetBitmapFile(std::string path) { m_wndSplash.SetBitmapFile(std::move(path)); }
  // Main thread: waits for the window's creation and closes it. The object
  // is gone afterwards; do not use it again.
  void CloseSplash();

 protected:
  bool InitInstance() override;

 private:
  CSplashWnd m_wndSplash;
  BOOL m_bCreated = FALSE;  // written before m_evInitialised is set
  win::KernelHandle m_evInitialised;  // manual-reset
};
