// The activity-log list box of the main window: appending lines under the
// line cap, and owner drawing (14-pixel lines, colour by level on black,
// the selection in the system highlight colours; taller when the list's font
// is, as on some screens of more than 96 dpi). Win32.
#pragma once

#include <windows.h>

#include <string>

namespace activity {

inline constexpr DWORD kLogListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWFIXED |
                                       LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_EXTENDEDSEL |
                                       LBS_DISABLENOSCROLL;
inline constexpr UINT kLogLineHeight = 14;

// Appends a line with its level as data, dropping the oldest line of a full
// list, then scrolls the new line to the top; the selection is left alone.
void AppendLogLine(HWND list, const std::string& line, long level);

// kLogLineHeight, or the list font's height and one pixel when that is more.
void MeasureLogLine(MEASUREITEMSTRUCT& item);
void DrawLogLine(const DRAWITEMSTRUCT& item);

}  // namespace activity
