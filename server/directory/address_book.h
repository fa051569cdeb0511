// The address book: users and groups in the numbered record keys "Users"
// and "Groups" under the application key, and the resolution of an alert's
// recipient into telephone numbers. A user belongs to the group whose Name
// equals its Group field (NamesEqual); "<none>" stands for no group.
// Indices are positions in the store and shift when an earlier record goes.
// User-interface thread only; failures are silent (a missing key reads as
// no records).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/handle.h"
#include "server/directory/registry_store.h"

namespace directory {

inline constexpr char kNoGroup[] = "<none>";

struct UserRecord {
  std::string Name;
  std::string Description;
  std::string Number;
  std::string Group = kNoGroup;
};

struct GroupRecord {
  std::string Name;
  std::string Description;
};

// A record with its index in the store, which the update and delete
// operations take.
template <typename Record>
struct Indexed {
  int Index;
  Record Fields;
};

// All records in store order. A record whose value is missing (a damaged
// store) is not listed, so a list costs what the key holds, never what its
// "Count" claims.
std::vector<Indexed<UserRecord>> LoadUsers();
std::vector<Indexed<GroupRecord>> LoadGroups();
// One record; nothing when the index is outside the records.
std::optional<UserRecord> LoadUser(int index);
std::optional<GroupRecord> LoadGroup(int index);

// Appending creates the keys on first use; false when the store refused
// (see RecordKey::AppendRecord). Names need not be unique.
bool AddUser(const UserRecord& user);
bool AddUsers(const std::vector<UserRecord>& users);
bool AddGroup(const GroupRecord& group);

// Names of users and groups as the dialogs compare them: NamesEqual in the
// ANSI code page.
bool SameName(const std::string& a, const std::string& b);

// Update and delete act only on an existing record (false otherwise).
bool UpdateUser(int index, const UserRecord& user);
bool DeleteUser(int index);
// Rewrites the group and carries its name to its users, also when only the
// letter case changed.
bool UpdateGroup(int index, const GroupRecord& group);
// Removes the group; its users stay, with Group "<none>".
bool DeleteGroup(int index);

// Sets Group to `newName` in every user whose Group equals `oldName`.
void ReplaceGroupInUsers(const std::string& oldName, const std::string& newName);

// Resolves the recipients of the alerts of one thread, without reading the
// store for each: the users and groups read last are kept until the
// registry reports a change anywhere under HKEY_CURRENT_USER\Software (a
// watch armed before each read, so no change is missed; on Windows the
// watch belongs to the thread that armed it). With no watch to be had it
// reads each time.
class Recipients {
 public:
  Recipients();
  Recipients(const Recipients&) = delete;
  Recipients& operator=(const Recipients&) = delete;

  // The numbers an alert for `recipient` goes to, empty when it names
  // nothing: the first group of that name (its members, in user order, as
  // stored: empty and repeated numbers included; even none), else the first
  // user of that name, else the recipient itself, untrimmed, when it is a
  // valid number. A missing record has no name and no group: it never
  // matches.
  std::vector<std::string> Resolve(const std::string& recipient);

 private:
  win::RegKey m_watched;        // HKEY_CURRENT_USER\Software, opened to be watched
  win::KernelHandle m_changed;  // manual reset; set until the kept records are current
  std::vector<StoredRecord> m_groups;
  std::vector<StoredRecord> m_users;
};

}  // namespace directory
