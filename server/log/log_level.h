// Severity of an activity-log entry: stored as the entry's leading digit and
// as the list line's item data, so the values are fixed. Portable.
#pragma once

#include <cstdint>

enum class LogLevel : std::int32_t { Information = 0, Warning = 1, Error = 2 };
