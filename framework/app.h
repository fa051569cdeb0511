// App: the application object, one per program, constructed before the
// entry point. It is the main thread's UiThread; Main runs InitInstance and,
// when that succeeds, the message loop until the main window is gone.
// Commands a frame does not handle come to OnCommand (the Help menu); the
// help entry point is WinHelp.
#pragma once

#include <windows.h>

#include <string>

#include "framework/ui_thread.h"

namespace framework {

class App : public UiThread {
 public:
  App();
  ~App() override;

  static App* Instance();

  // The entry point's whole work; returns the process exit code.
  int Main();

  // The program file's base name ("tellistry" for tellistry.exe).
  const std::string& AppName() const { return m_appName; }
  // The company part of the application's registry key.
  void SetRegistryKey(std::string company) { m_registryKey = std::move(company); }
  const std::string& RegistryKey() const { return m_registryKey; }

  // A command no window handled; true when handled.
  virtual bool OnCommand(UINT id);
  virtual void WinHelp(DWORD_PTR data, UINT command);

 private:
  std::string m_appName;
  std::string m_registryKey;
};

}  // namespace framework
