// CTrayIcon: the program's one notification-area icon. Its icon and its tip
// always come from the same resource id (icon and string of that id).
// Used on the user-interface thread only. Win32.
#pragma once

#include <windows.h>
#include <shellapi.h>

class CTrayIcon {
 public:
  // Adds the icon in the state `resourceId`; mouse events on it come to
  // `owner` as `callbackMessage`.
  CTrayIcon(HWND owner, UINT callbackMessage, UINT resourceId);
  ~CTrayIcon();  // removes the icon
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Shows the state `resourceId`; talks to the shell only when it differs
  // from the state the shell last accepted (each call is a blocking round
  // trip to the shell), so a refused change is tried again by the next
  // call. True when the shell has accepted the state, now or before.
  bool SetState(UINT resourceId);
  // Adds the icon again in its current state: for a restarted shell, whose
  // new notification area knows nothing of it.
  void Restore();

  // Registered message the shell broadcasts to top-level windows when it
  // has (re)built its notification area.
  static UINT ShellRestartedMessage();

 private:
  void LoadState(UINT resourceId);
  // Sends the icon data; on success the shell shows the state loaded.
  bool Notify(DWORD message);

  bool m_active;  // false on shells older than version 4: no calls at all
  UINT m_loaded = 0;  // resource id of the state in m_data
  UINT m_state = 0;   // resource id of the state the shell accepted last
  NOTIFYICONDATAA m_data{};
};
