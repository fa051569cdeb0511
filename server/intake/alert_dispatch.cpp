#include "server/intake/alert_dispatch.h"

#include <optional>
#include <vector>

#include "common/format.h"
#include "server/directory/address_book.h"
#include "server/intake/alert_text.h"
#include "server/log/activity_log.h"
#include "server/modem/alert_sender.h"

namespace intake {

void DispatchAlert(const std::string& text, const bool& stop) {
  const std::optional<AlertFields> fields = SplitAlertText(text);
  if (!fields) {
    LogActivity(text::Format("Malformed message:%s", text), LogLevel::Warning);
    return;
  }
  const std::string sent = ComposeSentText(*fields);
  LogActivity(text::Format("Alert for %s", fields->recipient), LogLevel::Information);
  const std::vector<std::string> numbers = directory::ResolveRecipient(fields->recipient);
  if (numbers.empty()) {
    LogActivity(text::Format("Unknown or invalid recipient:%s", fields->recipient),
                LogLevel::Warning);
    return;
  }
  for (const std::string& number : numbers) {
    if (stop) return;
    LogActivity(text::Format("   Sending alert to %s", number), LogLevel::Information);
    modem::SendAlert(sent, number);
  }
  if (!stop) LogActivity("Alert done.", LogLevel::Information);
}

}  // namespace intake
