// CMainFrame: the server's only top-level window. Its client area is the
// activity-log list; it owns the tray icon and the alert mailslot listener,
// and its destroy sequence is where shutdown begins. It lives on the
// user-interface thread; only the listener runs elsewhere. Win32.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "framework/frame_window.h"
#include "framework/held_choice.h"
#include "server/directory/address_book.h"
#include "server/frame/exit_question.h"
#include "server/frame/tray_icon.h"
#include "server/intake/alert_queue.h"
#include "server/intake/mailslot_listener.h"

// Registered before the entry point: mouse events on the tray icon.
extern const UINT g_uTrayNotifyMessage;

class CMainFrame : public framework::FrameWindow {
 public:
  static constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | kAddToTitle;

  CMainFrame() = default;

  // The listener's stop, the Closing tray state, then the window goes.
  BOOL DestroyWindow() override;

  // AlertQueue: filled by the listener thread, each push announced by
  // g_uAlertMessage posted to this window.
  intake::AlertQueue& Alerts() { return m_alerts; }
  HWND LogList() const { return m_wndLog; }
  // 0 when the alert mailslot was created and its thread started, else the
  // Windows error of the step that failed: the mailslot's when there is
  // none, the thread's when there is one.
  DWORD ListenerError() const { return m_listenerError; }
  bool ListenerHasMailslot() const { return m_listener.HasMailslot(); }
  void SetTrayState(UINT resourceId);

 protected:
  bool PreCreateWindow(CREATESTRUCTA& cs) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool OnCreate();
  void OnSize(WPARAM type, int width, int height);
  bool OnCommand(UINT id);
  void OnExit();
  // The About box, address book and settings dialogs.
  void OnDialogCommand(UINT id);
  // A confirmed Exit: the window goes now, or, during a dispatch, the
  // delivery stops at its next step with `stopping` in the log and the
  // window goes when the dispatch returns.
  void CloseWhenIdle(std::string_view stopping);
  // TRUE when a dispatch runs: the choice is kept for its end (or refused).
  BOOL HoldChoice(const framework::HeldChoice& choice);
  LRESULT OnLogMessage();
  LRESULT OnTrayNotify(LPARAM mouseMessage);
  LRESULT OnAlertMessage();
  void ShowTrayMenu();

  // Set while OnAlertMessage runs: a delivery pumps messages, and the alert
  // messages it lets in must leave their alerts to the running loop.
  int m_bDispatching = 0;
  // Exit confirmed during a dispatch. User-interface thread only: set by a
  // message that a delivery's pump handles, read by the running delivery.
  bool m_bExitPending = false;
  bool m_bSessionEnding = false;  // the close comes from a log-off or shutdown
  // Set when the close sequence begins. User-interface thread only: the
  // sequence lets sent messages in, and one of them may ask for it again.
  bool m_bClosing = false;
  // Menus and dialogs chosen during a dispatch, in the order chosen, posted
  // back when the alert being sent is done. User-interface thread only.
  std::vector<framework::HeldChoice> m_heldChoices;
  bool m_bInMenuLoop = false;  // a menu of this window is open
  std::unique_ptr<CExitQuestion> m_pExitQuestion;
  intake::AlertQueue m_alerts;
  directory::Recipients m_recipients;  // user-interface thread only
  intake::MailslotListener m_listener;
  DWORD m_listenerError = 0;
  std::unique_ptr<CTrayIcon> m_pTrayIcon;
  HWND m_wndLog = nullptr;  // child: destroyed with the frame
};
