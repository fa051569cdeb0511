// tellconfig: writes the server's configuration from a command line, through
// the same store code the server reads; for setting up a machine from a
// script, for the run command's sample configuration and for the tests.
//   tellconfig reset                        remove the whole configuration
//   tellconfig entry NAME PORT SCRIPTFILE SMSC
//                                           save a new SMS entry (9600 8N1; the
//                                           statements are the file's lines,
//                                           trimmed, blank ones dropped, as the
//                                           entry dialog keeps them) and make
//                                           it current
//   tellconfig current NAME                 make NAME the current entry
//   tellconfig settings ID FOOTER           the ID and footer settings
//   tellconfig group NAME                   add a group
//   tellconfig user NAME NUMBER GROUP [COUNT]
//                                           add a user ("<none>": no group);
//                                           COUNT of them at once, "{n}" in
//                                           NAME and NUMBER replaced by each
//                                           one's number (1..COUNT)
//   tellconfig eventlog on|off              the "EventLog" setting: whether
//                                           warnings, errors and the start and
//                                           end of the server also go to the
//                                           Windows Event Log
//   tellconfig raw TEXT [COUNT]             write an alert datagram whose text
//                                           is TEXT, with \t \r \n \\ \" and \xHH
//                                           escapes (malformed texts included);
//                                           COUNT of them at once, each with
//                                           its own tick and "{n}" in TEXT
//                                           replaced by its number (1..COUNT);
//                                           prints how many were written and
//                                           the times of the first and last
//                                           write (microseconds since 1970)
// The configuration is the server's: HKCU\Software\Orvandel\tellistry.
// Exit code 0 on success, 1 on failure, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/ansi_code_page.h"
#include "common/escapes.h"
#include "common/mailslot_writer.h"
#include "common/trim.h"
#include "server/directory/address_book.h"
#include "server/directory/event_log_setting.h"
#include "server/directory/registry_store.h"
#include "server/directory/sms_entries.h"

namespace {

std::optional<std::uint32_t> PortNumber(const std::string& text) {
  if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return static_cast<std::uint32_t>(std::stoul(text));
}

bool SaveEntry(const std::string& name, std::uint32_t port, const std::string& file,
               const std::string& smsc) {
  directory::SmsEntry entry;
  entry.Name = name;
  entry.Smsc = smsc;
  entry.Port = port;
  entry.Baud = 9600;
  entry.DataBits = 8;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) {
    const std::string_view statement = text::Trim(line);
    if (!statement.empty()) entry.Script.emplace_back(statement);
  }
  if (directory::SaveSmsEntry(entry, true) != directory::SaveEntryResult::kSaved) return false;
  if (directory::RegisterSmsEntryName(name)) return true;  // listed and made current
  directory::AppSettings settings = directory::LoadAppSettings();
  settings.CurrentEntry = name;
  return directory::SaveAppSettings(settings);
}

int Usage() {
  std::fputs("usage: tellconfig reset | entry NAME PORT SCRIPTFILE SMSC | current NAME |"
             " settings ID FOOTER | group NAME | user NAME NUMBER GROUP [COUNT] |"
             " eventlog on|off | raw TEXT [COUNT]\n",
             stderr);
  return 2;
}

long long MicrosecondsSince1970() {
  FILETIME now{};
  ::GetSystemTimePreciseAsFileTime(&now);
  const unsigned long long hundreds =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return static_cast<long long>((hundreds - 116444736000000000ULL) / 10);
}

// `text` with every "{n}" replaced by `n`.
std::string Numbered(std::string text, unsigned long n) {
  for (std::size_t at; (at = text.find("{n}")) != std::string::npos;) text.replace(at, 3, std::to_string(n));
  return text;
}

// Writes `count` datagrams of `text` ("{n}" numbered), each with a tick of
// its own so that none is taken for a repeat of the one before it.
bool WriteRaw(const std::string& text, unsigned long count) {
  char name[alert::kComputerNameSize] = {};
  DWORD length = sizeof name;
  ::GetComputerNameA(name, &length);
  const std::uint32_t tick = ::GetTickCount();
  unsigned long written = 0;
  long long first = 0, last = 0;
  for (unsigned long i = 1; i <= count; ++i) {
    const std::string numbered = Numbered(text, i);
    const long long before = MicrosecondsSince1970();
    if (alert::WriteDatagramTo(alert::kLocalMailslotName,
                               alert::BuildDatagram(tick + static_cast<std::uint32_t>(i - 1), name,
                                                    numbered)))
      ++written;
    if (i == 1) first = before;
    last = MicrosecondsSince1970();
  }
  std::printf("written %lu of %lu, first at %lld, last at %lld\n", written, count, first, last);
  return written == count;
}

}  // namespace

int main(int argc, char** argv) {
  directory::SetRegistryCompanyKey("Orvandel");
  directory::SetRegistryApplicationName("tellistry");
  const std::vector<std::string> a(argv + 1, argv + argc);
  const std::string command = a.empty() ? "" : a[0];
  bool ok = true;
  if (command == "reset" && a.size() == 1) {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, directory::ApplicationKeyPath().c_str());
  } else if (command == "entry" && a.size() == 5) {
    const std::optional<std::uint32_t> port = PortNumber(a[2]);
    if (!port) return Usage();
    ok = SaveEntry(a[1], *port, a[3], a[4]);
  } else if (command == "current" && a.size() == 2) {
    directory::AppSettings settings = directory::LoadAppSettings();
    settings.CurrentEntry = a[1];
    ok = directory::SaveAppSettings(settings);
  } else if (command == "settings" && a.size() == 3) {
    directory::AppSettings settings = directory::LoadAppSettings();
    settings.Id = a[1];
    settings.Footer = a[2];
    ok = directory::SaveAppSettings(settings);
  } else if (command == "group" && a.size() == 2) {
    ok = directory::AddGroup({a[1], ""});
  } else if (command == "user" && (a.size() == 4 || a.size() == 5)) {
    const unsigned long count = a.size() == 5 ? std::strtoul(a[4].c_str(), nullptr, 10) : 1;
    if (count == 0) return Usage();
    std::vector<directory::UserRecord> users;
    for (unsigned long i = 1; i <= count; ++i)
      users.push_back({Numbered(a[1], i), "", Numbered(a[2], i), a[3]});
    ok = directory::AddUsers(users);
  } else if (command == "eventlog" && a.size() == 2 && (a[1] == "on" || a[1] == "off")) {
    ok = directory::SaveEventLogEnabled(a[1] == "on");
  } else if (command == "raw" && (a.size() == 2 || a.size() == 3)) {
    const std::optional<std::string> decoded = text::DecodeEscapes(a[1], '\0', win::IsAnsiLeadByte);
    const unsigned long count = a.size() == 3 ? std::strtoul(a[2].c_str(), nullptr, 10) : 1;
    if (!decoded || count == 0) return Usage();
    ok = WriteRaw(*decoded, count);
  } else {
    return Usage();
  }
  if (!ok) std::fprintf(stderr, "tellconfig %s failed\n", command.c_str());
  return ok ? 0 : 1;
}
