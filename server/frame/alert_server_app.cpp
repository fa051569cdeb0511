#include "server/frame/alert_server_app.h"

#include <commctrl.h>
#include <htmlhelp.h>
#include <objbase.h>

#include "common/format.h"
#include "server/directory/event_log_setting.h"
#include "server/directory/registry_store.h"
#include "server/extras/splash_thread.h"
#include "server/frame/app_info.h"
#include "server/frame/main_frame.h"
#include "server/log/activity_log.h"
#include "server/log/event_log.h"
#include "server/res/resource_ids.h"

namespace {

constexpr char kWelcome[] = "Welcome to Tellistry. Version %d.%d";

// Another instance runs: bring its window up restored and in front.
void RaiseRunningInstance() {
  HWND running = ::FindWindowA(nullptr, "Tellistry");
  if (!running) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  ::GetWindowPlacement(running, &placement);
  placement.flags = 0;
  placement.showCmd = SW_RESTORE;
  ::SetWindowPlacement(running, &placement);
  // SetWindowPlacement does nothing to another process's window on some
  // systems (Wine); restoring directly has the same effect everywhere.
  ::ShowWindow(running, SW_RESTORE);
  ::SetActiveWindow(running);
  ::SetForegroundWindow(running);
}

}  // namespace

bool CAlertServerApp::InitInstance() {
  m_comInitialised = SUCCEEDED(::OleInitialize(nullptr));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  SetRegistryKey("Orvandel");
  directory::SetRegistryCompanyKey(RegistryKey());
  directory::SetRegistryApplicationName(AppName());

  auto* splash = new CSplashThread;
  if (splash->CreateThread()) {
    splash->SetBitmapFile(ModuleDirectoryPath("TELLISTRY.BMP"));
    splash->Resume();
    ::Sleep(kSplashMinimumMs);
  } else {
    delete splash;
    splash = nullptr;
  }

  if (IsAlreadyRunning("TELLISTRY")) {
    RaiseRunningInstance();
    return false;
  }

  // The frame deletes itself when its window is destroyed; until it is
  // created successfully it is ours.
  auto* frame = new CMainFrame;
  SetMainWindow(frame);
  if (!frame->LoadFrame(IDR_MAINFRAME, CMainFrame::kStyle)) {
    SetMainWindow(nullptr);
    delete frame;
    return false;
  }
  ::ShowWindow(frame->Handle(), SW_MINIMIZE);
  ::UpdateWindow(frame->Handle());
  frame->SetTrayState(IDI_TRAY_LOADING);

  const int version = GetVersionNumber();
  const int major = version / 10000, minor = (version / 100) % 100;
  LogActivity(text::Format(kWelcome, major, minor), LogLevel::Information);
  // From here on warnings and errors go to the Windows Event Log as well.
  if (directory::LoadEventLogEnabled()) activity::OpenEventLog(text::Format(kWelcome, major, minor));
  if (DWORD error = frame->ListenerError()) {
    if (frame->ListenerHasMailslot())
      LogActivity(text::Format("The alert listener thread could not be started (error %d): no "
                               "alerts can be received",
                               static_cast<unsigned long>(error)),
                  LogLevel::Error);
    else
      LogActivity(text::Format("The alert mailslot could not be created (error %d): no alerts "
                               "can be received. Is another alert server running?",
                               static_cast<unsigned long>(error)),
                  LogLevel::Error);
  }

  if (splash) splash->CloseSplash();
  return true;
}

int CAlertServerApp::ExitInstance(int exitCode) {
  if (m_comInitialised) ::OleUninitialize();
  return exitCode;
}

bool CAlertServerApp::OnCommand(UINT id) {
  switch (id) {
    case ID_HELP:
      WinHelp(0, HELP_CONTEXT);
      return true;
    case ID_HELP_FINDER:
      WinHelp(0, HELP_FINDER);
      return true;
    case ID_HELP_INDEX:
      WinHelp(0, HELP_INDEX);
      return true;
    case ID_HELP_GETTING_STARTED:
      WinHelp(ID_HELP_GETTING_STARTED, HELP_CONTEXT);
      return true;
    case ID_HELP_SUPPORT:
      WinHelp(ID_HELP_SUPPORT, HELP_CONTEXT);
      return true;
  }
  return false;
}

void CAlertServerApp::WinHelp(DWORD_PTR data, UINT command) {
  const std::string file = ModuleDirectoryPath(kHelpFileName);
  HWND desktop = ::GetDesktopWindow();
  switch (command) {
    case HELP_CONTEXT:
      if (data == ID_HELP_GETTING_STARTED)
        ::HtmlHelpA(desktop, (file + "::/tutorial.htm").c_str(), HH_DISPLAY_TOPIC, 0);
      else if (data == ID_HELP_SUPPORT)
        ::HtmlHelpA(desktop, (file + "::/csupport.htm").c_str(), HH_DISPLAY_TOPIC, 0);
      else
        ::HtmlHelpA(desktop, file.c_str(), HH_DISPLAY_TOC, 0);
      return;
    case HELP_INDEX:
      ::HtmlHelpA(desktop, file.c_str(), HH_DISPLAY_INDEX, 0);
      return;
    case HELP_FINDER: {
      HH_FTS_QUERY query{};
      query.cbStruct = sizeof query;
      query.pszSearchQuery = "";
      ::HtmlHelpA(desktop, file.c_str(), HH_DISPLAY_SEARCH, reinterpret_cast<DWORD_PTR>(&query));
      return;
    }
  }
  ::MessageBeep(MB_ICONEXCLAMATION);
}
