#include "server/log/log_entry.h"

#include "common/format.h"

namespace activity {
namespace {

constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string TwoDigits(int n) {
  std::string digits = std::to_string(n);
  return digits.size() < 2 ? "0" + digits : digits;
}

const char* Name(const char* const* names, int count, int index) {
  return index >= 0 && index < count ? names[index] : "???";
}

const char* PrefixPattern(LogLevel level) {
  switch (level) {
    case LogLevel::Information:
      return "INFO: %s";
    case LogLevel::Warning:
      return "WARNING: %s";
    case LogLevel::Error:
      break;
  }
  return "ERROR: %s";
}

}  // namespace

std::string FormatTimeStamp(const LogTime& t) {
  return text::Format("%s, %s %s %d %s:%s:%s", Name(kDayNames, 7, t.dayOfWeek), TwoDigits(t.day),
                      Name(kMonthNames, 12, t.month - 1), t.year, TwoDigits(t.hour),
                      TwoDigits(t.minute), TwoDigits(t.second));
}

std::string FormatLogEntry(std::string_view text, LogLevel level, const LogTime& time) {
  return text::Format("%d[%s] %s", static_cast<int>(level), FormatTimeStamp(time),
                      text::Format(PrefixPattern(level), text));
}

long EntryLevel(std::string_view entry) {
  long level = 0;
  for (char c : entry) {
    if (c < '0' || c > '9' || level > 100000) break;
    level = level * 10 + (c - '0');
  }
  return level;
}

std::string DisplayedLine(std::string_view entry) {
  return entry.empty() ? std::string() : std::string(entry.substr(1));
}

std::uint32_t LineTextColour(long level) {
  switch (level) {
    case 0:
      return 0x0000FF00;
    case 1:
      return 0x0000FFFF;
  }
  return 0x000000FF;
}

}  // namespace activity
