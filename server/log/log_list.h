// The activity-log list box of the main window: appending lines under the
// line cap, and owner drawing (14-pixel lines, colour by level on black,
// the selection in the system highlight colours; taller when the list's font
// is, as on some screens of more than 96 dpi). Win32.
#pragma once

#include <windows.h>

#include <deque>
#include <string>

namespace activity {

inline constexpr DWORD kLogListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWFIXED |
                                       LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_EXTENDEDSEL |
                                       LBS_DISABLENOSCROLL;
inline constexpr UINT kLogLineHeight = 14;

// Appends log entries (as LogQueue holds them), oldest first, each line with
// its level as data, dropping the oldest lines of a full list, then scrolls
// the newest line into view; the selection is left alone. One change to the
// screen however many: the list is drawn again once, and entries the cap
// would drop at once are never added.
void AppendLogEntries(HWND list, const std::deque<std::string>& entries);

// kLogLineHeight, or the list font's height and one pixel when that is more.
void MeasureLogLine(MEASUREITEMSTRUCT& item);
void DrawLogLine(const DRAWITEMSTRUCT& item);

}  // namespace activity
