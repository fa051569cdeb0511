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
bool SameName(const std::string& a, const std::string& b) { return NamesEqual(a, b, win::IsAnsiLeadByte); }

}  // namespace

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
  if (!IsUsableName(entry.Name)) return SaveEntryResult::kUnusableName;
  const std::string path = EntryKeyPath(entry.Name);
  win::RegKey key = isNew ? CreateKeyForWriting(path) : OpenKeyForWriting(path);
  if (!key) return SaveEntryResult::kNotStored;

  StringList script;
  std::ranges::copy_if(entry.Script, std::back_inserter(script),
                       [](const std::string& statement) { return !statement.empty(); });
  const bool stored = RegWriteString(key.Get(), "SMSC", entry.Smsc) &&
                      RegWriteDword(key.Get(), "Port", entry.Port) &&
                      RegWriteDword(key.Get(), "Baud", entry.Baud) &&
                      RegWriteDword(key.Get(), "Bits", entry.DataBits) &&
                      RegWriteDword(key.Get(), "Stop", entry.StopBits) &&
                      RegWriteDword(key.Get(), "Parity", entry.Parity) &&
                      RegWriteStringList(key.Get(), "Script", script);
  return stored ? SaveEntryResult::kSaved : SaveEntryResult::kNotStored;
}

bool RegisterSmsEntryName(const std::string& name) {
  if (!IsUsableName(name)) return false;
  win::RegKey key = OpenKeyForWriting(ApplicationKeyPath());
  if (!key) return false;
  StringList entries = RegReadStringList(key.Get(), "Entries");
  if (std::ranges::any_of(entries, [&](const std::string& e) { return SameName(e, name); }))
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
  const auto found = std::ranges::find_if(entries, [&](const std::string& e) { return SameName(e, name); });
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
