// Activity-log entries and the rules of the log list. Portable.
//
// An entry is "%d[%s] %s": the level digit, the time stamp
// ("Tue, 08 Dec 2026 06:10:18", English names whatever the user's locale)
// and the text with its level prefix ("INFO: ", "WARNING: ", "ERROR: ").
// The list shows the entry without its level digit and carries the level as
// the line's data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "server/log/log_level.h"

namespace activity {

// The local time of an entry, as the clock gives it.
struct LogTime {
  int year = 1970;
  int month = 1;      // 1..12
  int dayOfWeek = 4;  // 0 = Sunday
  int day = 1;        // 1..31
  int hour = 0, minute = 0, second = 0;
};

std::string FormatTimeStamp(const LogTime& time);
std::string FormatLogEntry(std::string_view text, LogLevel level, const LogTime& time);

// The level read from the entry's leading digits (as atol would; 0 when
// there are none).
long EntryLevel(std::string_view entry);
// What the list shows: the entry without its first character.
std::string DisplayedLine(std::string_view entry);

// The list keeps at most 101 lines: before an append, a list of more than
// 100 lines loses its oldest.
inline constexpr int kMaxLinesBeforeAppend = 100;
inline bool MustDropOldestLine(int lineCount) { return lineCount > kMaxLinesBeforeAppend; }

// Text colour of a line by its data (COLORREF layout 0x00BBGGRR): green for
// information, yellow for warnings, red for anything else.
std::uint32_t LineTextColour(long level);

}  // namespace activity
