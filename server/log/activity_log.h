// The activity log: LogActivity formats an entry at once, appends it to
// LogQueue and posts "TELLISTRYTRACEDEBUG" to the main window, whose
// handler moves the queued entries into its list (log_list.h). Win32.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <string_view>

#include "common/sync.h"
#include "server/log/log_level.h"

// Writes one entry. Callable on any thread whose UiThread has a main window
// (the user-interface thread); without one the entry is dropped. Blocks on
// nothing but the queue's lock. Warnings and errors also go to the Windows
// Event Log (event_log.h).
void LogActivity(std::string_view text, LogLevel level);
// Writes one entry to the log of `window` from any thread, and nowhere else:
// for the Event Log's own trouble. Dropped when `window` is null.
void LogActivity(std::string_view text, LogLevel level, HWND window);
// The window whose log LogActivity writes to from the calling thread; null
// when there is none.
HWND ActivityLogWindow();

// Registered before the entry point; the same number in every module that
// logs.
extern const UINT g_uTraceDebugMessage;

// LogQueue: formatted entries, oldest first, under g_csLog. Each operation
// takes the lock for itself alone.
extern std::deque<std::string> g_lstLog;
extern win::CriticalSection g_csLog;

namespace LogQueue {
void Push(std::string entry);
std::size_t Count();
// All the entries, oldest first, removed.
std::deque<std::string> TakeAll();
}  // namespace LogQueue
