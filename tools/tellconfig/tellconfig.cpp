// tellconfig: writes the server's configuration from a command line, through
// the same store code the server reads; for setting up a machine from a
// script, for the run command's sample configuration and for the tests.
//   tellconfig reset                        remove the whole configuration
//   tellconfig entry NAME PORT SCRIPTFILE SMSC
//                                           save a new SMS entry (9600 8N1; the
//                                           statements are the file's non-empty
//                                           lines) and make it current
//   tellconfig current NAME                 make NAME the current entry
//   tellconfig settings ID FOOTER           the ID and footer settings
//   tellconfig group NAME                   add a group
//   tellconfig user NAME NUMBER GROUP       add a user ("<none>": no group)
//   tellconfig raw TEXT                     write an alert datagram whose text
//                                           is TEXT, with \t \r \n \\ and \xHH
//                                           escapes (malformed texts included)
// The configuration is the server's: HKCU\Software\Orvandel\tellistry.
// Exit code 0 on success, 1 on failure, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/mailslot_writer.h"
#include "server/directory/address_book.h"
#include "server/directory/registry_store.h"
#include "server/directory/sms_entries.h"

namespace {

std::string Unescape(const std::string& in) {
  std::string out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\\' || i + 1 == in.size()) {
      out += in[i];
      continue;
    }
    const char c = in[++i];
    if (c == 't') out += '\t';
    else if (c == 'r') out += '\r';
    else if (c == 'n') out += '\n';
    else if (c == 'x' && i + 2 < in.size()) {
      out += static_cast<char>(std::stoi(in.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else out += c;
  }
  return out;
}

bool SaveEntry(const std::string& name, const std::string& port, const std::string& file,
               const std::string& smsc) {
  directory::SmsEntry entry;
  entry.Name = name;
  entry.Smsc = smsc;
  entry.Port = std::stoul(port);
  entry.Baud = 9600;
  entry.DataBits = 8;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) entry.Script.push_back(line);
  }
  if (directory::SaveSmsEntry(entry, true) != directory::SaveEntryResult::kSaved) return false;
  directory::RegisterSmsEntryName(name);
  directory::AppSettings settings = directory::LoadAppSettings();
  settings.CurrentEntry = name;
  return directory::SaveAppSettings(settings);
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
    ok = SaveEntry(a[1], a[2], a[3], a[4]);
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
    directory::AddGroup({a[1], ""});
  } else if (command == "user" && a.size() == 4) {
    directory::AddUser({a[1], "", a[2], a[3]});
  } else if (command == "raw" && a.size() == 2) {
    char name[alert::kComputerNameSize] = {};
    DWORD length = sizeof name;
    ::GetComputerNameA(name, &length);
    ok = alert::WriteDatagramTo(alert::kLocalMailslotName,
                                alert::BuildDatagram(::GetTickCount(), name, Unescape(a[1])));
  } else {
    std::fputs("usage: tellconfig reset | entry NAME PORT SCRIPTFILE SMSC | current NAME |"
               " settings ID FOOTER | group NAME | user NAME NUMBER GROUP | raw TEXT\n",
               stderr);
    return 2;
  }
  if (!ok) std::fprintf(stderr, "tellconfig %s failed\n", command.c_str());
  return ok ? 0 : 1;
}
