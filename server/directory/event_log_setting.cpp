#include "server/directory/event_log_setting.h"

#include <windows.h>

#include "server/directory/registry_store.h"

namespace directory {
namespace {

constexpr char kEventLogValue[] = "EventLog";

}  // namespace

bool LoadEventLogEnabled() {
  win::RegKey key = OpenKeyForReading(ApplicationKeyPath());
  if (!key) return true;
  // Only a true DWORD 0 says off; RegReadDword would read absent as 0 too.
  DWORD type = 0, value = 1, size = sizeof value;
  if (::RegQueryValueExA(key.Get(), kEventLogValue, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS)
    return true;
  return !(type == REG_DWORD && size == sizeof value && value == 0);
}

bool SaveEventLogEnabled(bool enabled) {
  win::RegKey key = CreateKeyForWriting(ApplicationKeyPath());
  return key && RegWriteDword(key.Get(), kEventLogValue, enabled ? 1 : 0);
}

}  // namespace directory
