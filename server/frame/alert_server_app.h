// CAlertServerApp: start-up of the alert server (splash, single instance,
// registry root, hidden main window in the tray, welcome line) and the Help
// menu's commands. One global instance, in the program's entry file. Win32.
#pragma once

#include <windows.h>

#include "framework/app.h"

class CAlertServerApp : public framework::App {
 public:
  static constexpr DWORD kSplashMinimumMs = 3800;

  bool OnCommand(UINT id) override;
  void WinHelp(DWORD_PTR data, UINT command) override;

 protected:
  bool InitInstance() override;
  int ExitInstance(int exitCode) override;

 private:
  bool m_comInitialised = false;
};
