#include "server/intake/alert_dispatch.h"

#include <optional>
#include <vector>

#include "common/format.h"
#include "server/directory/address_book.h"
#include "server/intake/alert_text.h"
#include "server/log/activity_log.h"
#include "server/modem/alert_sender.h"

namespace intake {
namespace {

constexpr char kNotSent[] = "Alert \"%s\" not sent to %s: Tellistry is closing";

}  // namespace

void DispatchAlert(const std::string& text, const bool& stop, directory::Recipients& recipients) {
  const std::optional<AlertFields> fields = SplitAlertText(text);
  if (!fields) {
    LogActivity(text::Format("Malformed message:%s", text), LogLevel::Warning);
    return;
  }
  const std::string sent = ComposeSentText(*fields);
  LogActivity(text::Format("Alert for %s", fields->recipient), LogLevel::Information);
  const std::vector<std::string> numbers = recipients.Resolve(fields->recipient);
  if (numbers.empty()) {
    LogActivity(text::Format("Unknown or invalid recipient:%s", fields->recipient),
                LogLevel::Warning);
    return;
  }
  for (std::size_t next = 0; next < numbers.size(); ++next) {
    if (stop) {
      for (; next < numbers.size(); ++next)
        LogActivity(text::Format(kNotSent, sent, numbers[next]), LogLevel::Warning);
      return;
    }
    LogActivity(text::Format("   Sending alert to %s", numbers[next]), LogLevel::Information);
    modem::SendAlert(sent, numbers[next], stop);
  }
  if (!stop) LogActivity("Alert done.", LogLevel::Information);
}

void ReportNotDispatched(const std::string& text) {
  const std::optional<AlertFields> fields = SplitAlertText(text);
  if (fields)
    LogActivity(text::Format(kNotSent, ComposeSentText(*fields), fields->recipient),
                LogLevel::Warning);
  else
    LogActivity(text::Format("Alert not sent: Tellistry is closing: %s", text), LogLevel::Warning);
}

}  // namespace intake
