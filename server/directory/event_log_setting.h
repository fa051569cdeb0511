// The "EventLog" setting of the application key: whether warnings, errors
// and the start and end of the program also go to the Windows Event Log.
// A REG_DWORD 0 turns that off; an absent value, or any other value or
// type, leaves it on. Win32.
#pragma once

namespace directory {

bool LoadEventLogEnabled();
// Stores 1 or 0; the application key is created when missing.
bool SaveEventLogEnabled(bool enabled);

}  // namespace directory
