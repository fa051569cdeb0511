#include "server/frame/tray_icon.h"

#include <cstring>

#include "framework/window.h"

namespace {

bool ShellHasTray() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return ::GetVersionExA(&version) && version.dwMajorVersion >= 4;
}

}  // namespace

CTrayIcon::CTrayIcon(HWND owner, UINT callbackMessage, UINT resourceId) : m_active(ShellHasTray()) {
  if (!m_active) return;
  // The first layout of the structure: every shell understands it.
  m_data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  m_data.hWnd = owner;
  m_data.uID = 0;
  m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_data.uCallbackMessage = callbackMessage;
  LoadState(resourceId);
  Notify(NIM_ADD);
}

CTrayIcon::~CTrayIcon() {
  if (m_active) ::Shell_NotifyIconA(NIM_DELETE, &m_data);
}

bool CTrayIcon::SetState(UINT resourceId) {
  if (!m_active) return false;
  if (resourceId == m_state) return true;
  LoadState(resourceId);
  return Notify(NIM_MODIFY);
}

void CTrayIcon::Restore() {
  if (m_active) Notify(NIM_ADD);
}

bool CTrayIcon::Notify(DWORD message) {
  if (!::Shell_NotifyIconA(message, &m_data)) return false;
  m_state = m_loaded;
  return true;
}

UINT CTrayIcon::ShellRestartedMessage() {
  static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  return message;
}

void CTrayIcon::LoadState(UINT resourceId) {
  m_loaded = resourceId;
  m_data.hIcon = static_cast<HICON>(::LoadImageA(
      ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
      ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  // At most 63 characters fit the first layout's tip; a missing string
  // gives an empty tip.
  const std::string tip = framework::LoadResourceString(resourceId);
  std::memset(m_data.szTip, 0, sizeof m_data.szTip);
  std::strncpy(m_data.szTip, tip.c_str(), 63);
}
