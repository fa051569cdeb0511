// The Windows Application event log, source "Tellistry": every warning and
// error of the activity log goes there too, with the welcome line and the
// end of the program, so that a monitoring agent learns of an SMS that
// failed and of a server that stopped. Win32.
//
// The events are written by a thread of their own: a report only queues its
// event, so neither the log drain nor a delivery ever waits for the Event
// Log service. When the Event Log cannot be written (the source is not
// registered, the service refuses), the activity log says so once and the
// program goes on without it. All three calls belong to the user-interface
// thread.
#pragma once

#include <string_view>

#include "server/log/log_level.h"

namespace activity {

// Start-up, once the main window exists: registers the event source and
// reports `welcome` as the first event (information).
void OpenEventLog(std::string_view welcome);
// A warning or an error becomes an event of that type, with `text` as its
// insertion string; information is not reported. Nothing before
// OpenEventLog or after CloseEventLog.
void ReportToEventLog(std::string_view text, LogLevel level);
// The end of the program: `farewell` as the last event (information). Waits
// a short while for the queued events to be written, then deregisters the
// source.
void CloseEventLog(std::string_view farewell);

}  // namespace activity
