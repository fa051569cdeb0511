// Alert dispatch: the main window's handler of the alert message. Runs on
// the user-interface thread.
#include "common/format.h"
#include "server/directory/address_book.h"
#include "server/frame/main_frame.h"
#include "server/intake/alert_text.h"
#include "server/log/activity_log.h"
#include "server/modem/alert_sender.h"

LRESULT CMainFrame::OnAlertMessage() {
  // A delivery pumps messages: an alert message that arrives meanwhile
  // finds the loop below running, which takes its alert in turn.
  if (m_bDispatching) return 0;
  m_bDispatching = 1;
  std::string text;
  while (!m_bExitPending && m_alerts.Pop(text)) {
    const std::optional<intake::AlertFields> fields = intake::SplitAlertText(text);
    if (!fields) {
      LogActivity(text::Format("Malformed message:%s", text), LogLevel::Warning);
      continue;
    }
    const std::string sent = intake::ComposeSentText(*fields);
    LogActivity(text::Format("Alert for %s", fields->recipient), LogLevel::Information);
    const std::vector<std::string> numbers = directory::ResolveRecipient(fields->recipient);
    if (numbers.empty()) {
      LogActivity(text::Format("Unknown or invalid recipient:%s", fields->recipient),
                  LogLevel::Warning);
      continue;
    }
    for (const std::string& number : numbers) {
      if (m_bExitPending) break;
      LogActivity(text::Format("   Sending alert to %s", number), LogLevel::Information);
      modem::SendAlert(sent, number);
    }
    if (!m_bExitPending) LogActivity("Alert done.", LogLevel::Information);
  }
  m_bDispatching = 0;
  if (m_bExitPending) DestroyWindow();  // deletes this object: nothing after it
  return 0;
}
