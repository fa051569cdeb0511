#include "server/frame/main_frame.h"

#include <utility>

#include "common/handle.h"
#include "framework/window.h"
#include "server/frame/app_info.h"
#include "server/extras/about_dlg.h"
#include "server/directory/address_book_dialogs.h"
#include "server/directory/settings_dialogs.h"
#include "server/directory/sms_entries.h"
#include "server/intake/alert_dispatch.h"
#include "server/log/activity_log.h"
#include "server/log/event_log.h"
#include "server/log/log_entry.h"
#include "server/log/log_list.h"
#include "server/res/resource_ids.h"

const UINT g_uTrayNotifyMessage = ::RegisterWindowMessageA("TELLISTRYTRAYNOTIFY");

namespace {

constexpr char kExitStopping[] = "Exit requested: stopping the current delivery";
constexpr char kSessionStopping[] = "Windows is ending the session: stopping the current delivery";

}  // namespace

bool CMainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
  // No cursor and no background: the list covers the whole client area.
  cs.lpszClass = MAKEINTATOM(framework::RegisterWindowClass(
      CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, nullptr, nullptr,
      ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))));
  return FrameWindow::PreCreateWindow(cs);
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_SIZE:
      OnSize(wParam, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      ::SetTextColor(dc, activity::LineTextColour(0));
      ::SetBkColor(dc, RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(::GetStockObject(BLACK_BRUSH));
    }
    case WM_MEASUREITEM: {
      auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (item.CtlType != ODT_LISTBOX || item.CtlID != IDC_LOG_LIST) break;
      activity::MeasureLogLine(item);
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlType != ODT_LISTBOX || item.CtlID != IDC_LOG_LIST) break;
      activity::DrawLogLine(item);
      return TRUE;
    }
    case WM_ERASEBKGND:
      return FALSE;
    case WM_CLOSE:  // Yes to the Exit question, or from outside: as a confirmed Exit
      CloseWhenIdle(kExitStopping);
      return 0;
    // Log-off, shutdown, or an installer that needs the program closed: a
    // confirmed Exit without the question. A delivery is stopped when the
    // session is asked, so its end reaches the log before the session ends;
    // an idle window goes when the end is certain.
    case WM_QUERYENDSESSION:
      if (m_bDispatching) {
        m_bSessionEnding = true;
        CloseWhenIdle(kSessionStopping);
      }
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) {
        m_bSessionEnding = true;
        CloseWhenIdle(kSessionStopping);
      }
      return 0;
    case WM_ENTERMENULOOP:
      m_bInMenuLoop = true;
      break;
    case WM_EXITMENULOOP:
      m_bInMenuLoop = false;
      break;
    case framework::kHoldChoiceMessage:
      return HoldChoice(*reinterpret_cast<const framework::HeldChoice*>(lParam));
    case WM_COMMAND:
      if (lParam == 0 && OnCommand(LOWORD(wParam))) return 0;
      break;
  }
  // Registered messages (numbers known only at run time).
  if (msg == g_uTraceDebugMessage) return OnLogMessage();
  if (msg == g_uTrayNotifyMessage) return OnTrayNotify(lParam);
  if (msg == g_uAlertMessage) return OnAlertMessage();
  if (msg == CTrayIcon::ShellRestartedMessage()) {
    if (m_pTrayIcon) m_pTrayIcon->Restore();
    return 0;
  }
  return FrameWindow::WindowProc(msg, wParam, lParam);
}

bool CMainFrame::OnCreate() {
  m_wndLog = ::CreateWindowExA(0, "LISTBOX", "", activity::kLogListStyle, 0, 0, 0, 0, Handle(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LOG_LIST)),
                               ::GetModuleHandleA(nullptr), nullptr);
  if (!m_wndLog) return false;
  ::SendMessageA(m_wndLog, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(ANSI_VAR_FONT)),
                 TRUE);
  // The program is left through Exit only.
  ::EnableMenuItem(::GetSystemMenu(Handle(), FALSE), SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
  m_pTrayIcon = std::make_unique<CTrayIcon>(Handle(), g_uTrayNotifyMessage, IDI_TRAY_LOADING);
  m_listenerError = m_listener.Start(Handle(), m_alerts);
  return true;
}

void CMainFrame::OnSize(WPARAM type, int width, int height) {
  if (type == SIZE_MINIMIZED) {
    ::ShowWindow(Handle(), SW_HIDE);
    return;
  }
  if (m_wndLog) ::MoveWindow(m_wndLog, 0, 0, width, height, TRUE);
}

bool CMainFrame::OnCommand(UINT id) {
  switch (id) {
    case ID_OPEN_TELLISTRY:
      ::ShowWindow(Handle(), SW_SHOWNORMAL);
      return true;
    case ID_APP_EXIT_CONFIRM:
      OnExit();
      return true;
    case ID_APP_ABOUT:
    case ID_ADDRESS_BOOK:
    case ID_MAINTAIN_SETTINGS:
      OnDialogCommand(id);
      return true;
  }
  return false;
}

void CMainFrame::OnDialogCommand(UINT id) {
  // A delivery's pauses pump messages: a modal dialog opened inside one
  // would hold the delivery (and its port) for as long as it stays open.
  // It opens when the alert being sent is done instead.
  if (HoldChoice({Handle(), WM_COMMAND, id, 0})) return;
  // A confirmed Exit may destroy this window (and object) while the dialog
  // runs: nothing after DoModal touches a member.
  if (id == ID_APP_ABOUT) {
    CAboutDlg(Handle(), GetVersionNumber(), ModuleDirectoryPath(kHelpFileName)).DoModal();
    return;
  }
  if (id == ID_ADDRESS_BOOK) {
    CAddressBook(Handle()).DoModal();
    return;
  }
  CMaintainSettings dialog(Handle());
  if (dialog.DoModal() == IDOK)
    directory::SaveAppSettings({dialog.m_strId, dialog.m_strCurrentEntry, dialog.m_strFooter});
}

void CMainFrame::OnExit() {
  // Asked again while the question is open: the same box comes forward.
  if (m_pExitQuestion && m_pExitQuestion->Handle()) {
    ::SetForegroundWindow(m_pExitQuestion->Handle());
    return;
  }
  m_pExitQuestion = std::make_unique<CExitQuestion>(Handle());
  if (m_pExitQuestion->Create()) return;
  // No modeless box to be had: the modal one, as the last way out.
  m_pExitQuestion.reset();
  const std::string question = framework::LoadResourceString(IDS_ARE_YOU_SURE);
  if (::MessageBoxA(Handle(), question.c_str(), "Tellistry", MB_YESNO | MB_ICONQUESTION) == IDYES)
    ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void CMainFrame::CloseWhenIdle(std::string_view stopping) {
  // During a delivery the pump inside OnAlertMessage dispatches this: the
  // window (and this object) must outlive that call. The flag stops the
  // delivery at its next step; the dispatch then returns and closes.
  if (m_bDispatching) {
    if (!std::exchange(m_bExitPending, true)) LogActivity(stopping, LogLevel::Warning);
    return;
  }
  DestroyWindow();
}

BOOL CMainFrame::HoldChoice(const framework::HeldChoice& choice) {
  if (!m_bDispatching) return FALSE;
  // Moving and sizing follow the mouse button that started them: refused.
  if (choice.message != WM_SYSCOMMAND || !framework::FollowsTheMouse(choice.wParam))
    m_heldChoices.push_back(choice);
  return TRUE;
}

LRESULT CMainFrame::OnAlertMessage() {
  // A delivery pumps messages: an alert message that arrives meanwhile
  // finds the loop below running, which takes its alert in turn.
  if (m_bDispatching) return 0;
  // An open menu runs its own loop, and the dispatch would run inside it
  // with the menu frozen until the queue is empty: the menu closes, and the
  // alerts go out from the loop it returns to. A message whose alert an
  // earlier dispatch took leaves the menu alone.
  if (m_bInMenuLoop) {
    if (m_alerts.Count() == 0) return 0;
    ::EndMenu();
    ::PostMessageA(Handle(), g_uAlertMessage, 0, 0);
    return 0;
  }
  m_bDispatching = 1;
  std::string text;
  // A choice held during an alert goes before the next alert.
  while (!m_bExitPending && m_heldChoices.empty() && m_alerts.Pop(text))
    intake::DispatchAlert(text, m_bExitPending, m_recipients);
  m_bDispatching = 0;
  if (m_bExitPending) {
    DestroyWindow();  // deletes this object: nothing after it
    return 0;
  }
  if (m_heldChoices.empty()) return 0;
  for (const framework::HeldChoice& choice : std::exchange(m_heldChoices, {}))
    ::PostMessageA(choice.window, choice.message, choice.wParam, choice.lParam);
  // The rest of the queue after them: a dialog they open dispatches it.
  if (m_alerts.Count() != 0) ::PostMessageA(Handle(), g_uAlertMessage, 0, 0);
  return 0;
}

BOOL CMainFrame::DestroyWindow() {
  // Once only: the tray's update below waits on the shell, and a message
  // sent meanwhile (a log-off's WM_ENDSESSION after its question) asks for
  // the close again, which would destroy this object under the first call.
  if (std::exchange(m_bClosing, true)) return FALSE;
  // The stop hands over what is still in the mailslot as well.
  m_listener.Stop();
  // Alerts queued that no dispatch will take now are named, and the last
  // entries reach the list before it goes.
  std::string text;
  while (m_alerts.Pop(text)) intake::ReportNotDispatched(text);
  activity::CloseEventLog(m_bSessionEnding ? "Tellistry is closing: Windows is ending the session"
                                           : "Tellistry is closing");
  OnLogMessage();
  SetTrayState(IDI_TRAY_CLOSING);
  return FrameWindow::DestroyWindow();
}

void CMainFrame::SetTrayState(UINT resourceId) {
  if (m_pTrayIcon) m_pTrayIcon->SetState(resourceId);
}

LRESULT CMainFrame::OnLogMessage() {
  // Everything queued, taken at once: writers on other threads are never
  // held up by the list. The messages posted for entries an earlier call
  // took find nothing.
  const std::deque<std::string> entries = LogQueue::TakeAll();
  if (entries.empty()) return 0;
  activity::AppendLogEntries(m_wndLog, entries);
  // The tray follows the newest line; nothing runs between the lines that
  // could show the states in between, so the last one is set once.
  const long level = activity::EntryLevel(entries.back());
  SetTrayState(level == static_cast<long>(LogLevel::Error) ? IDI_TRAY_ERRORS : IDI_TRAY_NORMAL);
  return 0;
}

LRESULT CMainFrame::OnTrayNotify(LPARAM mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONDBLCLK:
      ::ShowWindow(Handle(), SW_SHOWNORMAL);
      break;
    case WM_RBUTTONDOWN:
      // The menu's loop would hold a delivery: it opens when the alert is done.
      if (!HoldChoice({Handle(), g_uTrayNotifyMessage, 0, WM_RBUTTONDOWN})) ShowTrayMenu();
      break;
  }
  return 0;
}

void CMainFrame::ShowTrayMenu() {
  win::Menu menu(::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAYMENU)));
  if (!menu) return;
  POINT cursor{};
  ::GetCursorPos(&cursor);
  // In the foreground, or the menu would not close when clicked away.
  ::SetForegroundWindow(Handle());
  ::TrackPopupMenu(::GetSubMenu(menu.Get(), 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(),
                   nullptr);
}
