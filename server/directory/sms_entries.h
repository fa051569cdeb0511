// SMS entries (named service-centre profiles, each in the child key of the
// application key that bears its name, listed in "Entries") and the three
// settings "ID", "CurrentEntry" and "Footer" of the application key.
// Entry names match as the registry matches key names (SameEntryName): two
// names that open one key are one entry. Names that cannot name an entry key
// (IsUsableEntryName) are never saved, registered, loaded or deleted as
// keys. User-interface thread only; failures are silent (a key that cannot
// be opened reads as empty, and a write to it does nothing).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace directory {

struct SmsEntry {
  std::string Name;
  std::string Smsc;
  std::uint32_t Port = 0;      // 1 for COM1 ...
  std::uint32_t Baud = 0;      // bits per second
  std::uint32_t DataBits = 0;  // 5 to 8
  std::uint32_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
  std::uint32_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::vector<std::string> Script;  // modem script statements, in order

  bool operator==(const SmsEntry&) const = default;
};

struct AppSettings {
  std::string Id;
  std::string CurrentEntry;  // empty: none
  std::string Footer;
};

// What message delivery reads for every message.
struct ActiveSmsEntry {
  SmsEntry Entry;
  std::string Id;
  std::string Footer;
};

// True when `a` and `b` open the same entry key (KeyNamesEqual): letter
// case ignored as the registry ignores it, beyond A-Z too.
bool SameEntryName(const std::string& a, const std::string& b);

// Nothing when the entry's key does not open. Absent values read as 0 or
// empty; no defaults are substituted.
std::optional<SmsEntry> LoadSmsEntry(const std::string& name);

enum class SaveEntryResult {
  kSaved,
  kUnusableName,  // refused before touching the store
  kNotStored,     // the key could not be opened (edit) or created (new)
};

// Writes the entry's values. A new entry's key is created (and the
// application key with it); an edited entry's key is only opened. Saving a
// new entry under an existing name, in any case, overwrites its values.
// Empty script statements are not written.
SaveEntryResult SaveSmsEntry(const SmsEntry& entry, bool isNew);
// The same; when the entry was not stored, `failure` says what failed
// ("its registry key could not be created", "the value "Port" could not be
// written"), and what the save had written is gone again: the keys it
// created are removed, an existing entry has its former values back.
SaveEntryResult SaveSmsEntry(const SmsEntry& entry, bool isNew, std::string& failure);

// After a new entry was saved: appends its name to "Entries" and makes it
// current. True when appended; false when the name was listed already (in
// any case), is unusable, or the application key does not open.
bool RegisterSmsEntryName(const std::string& name);

// Removes the first listed name equal to `name` and the entry's key, then
// makes the first remaining element of "Entries" current, whichever entry
// was deleted.
void DeleteSmsEntry(const std::string& name);

// The listed entry names in stored order, empty ones skipped.
std::vector<std::string> LoadSmsEntryNames();

// The entry named by "CurrentEntry" (listed or not) with the ID and footer;
// nothing when no entry is current or its key does not open.
std::optional<ActiveSmsEntry> LoadActiveSmsEntry();

// The "Footer" setting as stored, from an open application key; "" when absent.
std::string ReadFooter(HKEY applicationKey);

AppSettings LoadAppSettings();
// Never creates the application key: false, and nothing saved, when it
// does not exist yet.
bool SaveAppSettings(const AppSettings& settings);

}  // namespace directory
