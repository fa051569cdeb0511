#include "server/directory/sms_entries.h"

#include <algorithm>
#include <iterator>

#include "common/ansi_code_page.h"
#include "server/directory/names.h"
#include "server/directory/registry_store.h"

namespace directory {
namespace {

std::string EntryKeyPath(const std::string& name) { return ApplicationKeyPath() + "\\" + name; }

// Names are in the ANSI code page.
bool IsUsableName(const std::string& name) { return IsUsableEntryName(name, win::IsAnsiLeadByte); }

// The entry's values in their stored order; the name of the first one the
// store refused, nothing when all were written.
std::optional<const char*> WriteEntryValues(HKEY key, const SmsEntry& entry) {
  StringList script;
  std::ranges::copy_if(entry.Script, std::back_inserter(script),
                       [](const std::string& statement) { return !statement.empty(); });
  if (!RegWriteString(key, "SMSC", entry.Smsc)) return "SMSC";
  const std::pair<const char*, std::uint32_t> numbers[] = {
      {"Port", entry.Port}, {"Baud", entry.Baud}, {"Bits", entry.DataBits},
      {"Stop", entry.StopBits}, {"Parity", entry.Parity}};
  for (const auto& [name, value] : numbers)
    if (!RegWriteDword(key, name, value)) return name;
  if (!RegWriteStringList(key, "Script", script)) return "Script";
  return std::nullopt;
}

}  // namespace

bool SameEntryName(const std::string& a, const std::string& b) { return KeyNamesEqual(a, b); }

std::optional<SmsEntry> LoadSmsEntry(const std::string& name) {
  if (!IsUsableName(name)) return std::nullopt;
  win::RegKey key = OpenKeyForReading(EntryKeyPath(name));
  if (!key) return std::nullopt;
  SmsEntry entry;
  entry.Name = name;
  entry.Smsc = RegReadString(key.Get(), "SMSC");
  entry.Port = RegReadDword(key.Get(), "Port");
  entry.Baud = RegReadDword(key.Get(), "Baud");
  entry.DataBits = RegReadDword(key.Get(), "Bits");
  entry.StopBits = RegReadDword(key.Get(), "Stop");
  entry.Parity = RegReadDword(key.Get(), "Parity");
  entry.Script = RegReadStringList(key.Get(), "Script");
  return entry;
}

SaveEntryResult SaveSmsEntry(const SmsEntry& entry, bool isNew) {
  std::string failure;
  return SaveSmsEntry(entry, isNew, failure);
}

SaveEntryResult SaveSmsEntry(const SmsEntry& entry, bool isNew, std::string& failure) {
  if (!IsUsableName(entry.Name)) return SaveEntryResult::kUnusableName;
  const std::string path = EntryKeyPath(entry.Name);
  // What a failed save puts back: the keys it created go again, and an
  // existing entry gets its values back.
  const std::string created = isNew ? FirstMissingKey(path) : std::string();
  const std::optional<SmsEntry> previous = created.empty() ? LoadSmsEntry(entry.Name) : std::nullopt;
  win::RegKey key = isNew ? CreateKeyForWriting(path) : OpenKeyForWriting(path);
  if (!key) {
    failure = isNew ? "its registry key could not be created" : "its registry key could not be opened";
    return SaveEntryResult::kNotStored;
  }
  const std::optional<const char*> refused = WriteEntryValues(key.Get(), entry);
  if (!refused) return SaveEntryResult::kSaved;
  failure = std::string("the value \"") + *refused + "\" could not be written";
  if (!created.empty()) {
    key = {};
    ::RegDeleteTreeA(HKEY_CURRENT_USER, created.c_str());
  } else if (previous) {
    WriteEntryValues(key.Get(), *previous);
  }
  return SaveEntryResult::kNotStored;
}

bool RegisterSmsEntryName(const std::string& name) {
  if (!IsUsableName(name)) return false;
  win::RegKey key = OpenKeyForWriting(ApplicationKeyPath());
  if (!key) return false;
  StringList entries = RegReadStringList(key.Get(), "Entries");
  if (std::ranges::any_of(entries, [&](const std::string& e) { return SameEntryName(e, name); }))
    return false;
  entries.push_back(name);
  RegWriteStringList(key.Get(), "Entries", entries);
  RegWriteString(key.Get(), "CurrentEntry", name);
  return true;
}

void DeleteSmsEntry(const std::string& name) {
  win::RegKey key = OpenKeyForWriting(ApplicationKeyPath());
  if (!key) return;
  StringList entries = RegReadStringList(key.Get(), "Entries");
  const auto found = std::ranges::find_if(entries, [&](const std::string& e) { return SameEntryName(e, name); });
  if (found != entries.end()) {
    entries.erase(found);
    // An unusable name would reach the application key itself or the
    // address book, which are never an entry's key.
    if (IsUsableName(name)) ::RegDeleteKeyA(key.Get(), name.c_str());
  }
  RegWriteStringList(key.Get(), "Entries", entries);
  // The first remaining element, even an empty one, and whichever entry went.
  RegWriteString(key.Get(), "CurrentEntry", entries.empty() ? std::string() : entries.front());
}

std::vector<std::string> LoadSmsEntryNames() {
  StringList entries = RegReadStringList(OpenKeyForReading(ApplicationKeyPath()).Get(), "Entries");
  std::erase(entries, std::string());
  return entries;
}

std::optional<ActiveSmsEntry> LoadActiveSmsEntry() {
  std::string current;
  ActiveSmsEntry active;
  {
    win::RegKey key = OpenKeyForReading(ApplicationKeyPath());
    if (!key) return std::nullopt;
    current = RegReadString(key.Get(), "CurrentEntry");
    if (current.empty()) return std::nullopt;
    active.Id = RegReadString(key.Get(), "ID");
    active.Footer = ReadFooter(key.Get());
  }
  std::optional<SmsEntry> entry = LoadSmsEntry(current);
  if (!entry) return std::nullopt;
  active.Entry = std::move(*entry);
  return active;
}

std::string ReadFooter(HKEY applicationKey) { return RegReadString(applicationKey, "Footer"); }

AppSettings LoadAppSettings() {
  win::RegKey key = OpenKeyForReading(ApplicationKeyPath());
  return {RegReadString(key.Get(), "ID"), RegReadString(key.Get(), "CurrentEntry"),
          RegReadString(key.Get(), "Footer")};
}

bool SaveAppSettings(const AppSettings& settings) {
  win::RegKey key = OpenKeyForWriting(ApplicationKeyPath());
  if (!key) return false;
  const bool id = RegWriteString(key.Get(), "ID", settings.Id);
  const bool current = RegWriteString(key.Get(), "CurrentEntry", settings.CurrentEntry);
  const bool footer = RegWriteString(key.Get(), "Footer", settings.Footer);
  return id && current && footer;
}

}  // namespace directory
