// Alert dispatch: one alert text from the queue to every number of its
// recipient. Runs on the user-interface thread. Win32.
#pragma once

#include <string>

#include "server/directory/address_book.h"

namespace intake {

// Splits the text, logs the alert, resolves its recipient in `recipients`
// and delivers the message to each number in turn. `stop` is set by Exit,
// confirmed while a delivery pumps messages: the running delivery stops at
// its next step, and each number left is named in a warning instead of
// being sent.
void DispatchAlert(const std::string& text, const bool& stop, directory::Recipients& recipients);

// For an alert still queued when the program closes: one warning naming it.
void ReportNotDispatched(const std::string& text);

}  // namespace intake
