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

  void SetState(UINT resourceId);

 private:
  void LoadState(UINT resourceId);

  bool m_active;  // false on shells older than version 4: no calls at all
  NOTIFYICONDATAA m_data{};
};
