// Alert dispatch: one alert text from the queue to every number of its
// recipient. Runs on the user-interface thread. Win32.
#pragma once

#include <string>

namespace intake {

// Splits the text, logs the alert, resolves its recipient and delivers the
// message to each number in turn. `stop` is read before each number: once it
// is set (Exit was confirmed while a delivery pumped messages), the numbers
// left are not sent.
void DispatchAlert(const std::string& text, const bool& stop);

}  // namespace intake
