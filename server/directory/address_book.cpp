#include "server/directory/address_book.h"

#include <algorithm>
#include <utility>

#include "common/ansi_code_page.h"
#include "server/directory/names.h"
#include "server/directory/phone_number.h"
#include "server/directory/registry_store.h"

namespace directory {
namespace {

RecordKey UsersKey() { return RecordKey(ApplicationKeyPath() + "\\Users"); }
RecordKey GroupsKey() { return RecordKey(ApplicationKeyPath() + "\\Groups"); }

// Missing fields read as empty strings; surplus strings are ignored.
const std::string& Field(const StringList& fields, std::size_t i) {
  static const std::string empty;
  return i < fields.size() ? fields[i] : empty;
}

UserRecord ToUser(const StringList& f) { return {Field(f, 0), Field(f, 1), Field(f, 2), Field(f, 3)}; }
GroupRecord ToGroup(const StringList& f) { return {Field(f, 0), Field(f, 1)}; }
StringList Fields(const UserRecord& u) { return {u.Name, u.Description, u.Number, u.Group}; }
StringList Fields(const GroupRecord& g) { return {g.Name, g.Description}; }

bool IsRecordIndex(HKEY key, int index) { return index >= 0 && index < RecordKey::RecordCount(key); }

// The first record, from index 0 up, whose Name equals `name`. A missing
// record has no name.
const StringList* FindFirstByName(const std::vector<StoredRecord>& records, const std::string& name) {
  for (const StoredRecord& record : records)
    if (SameName(Field(record.Fields, 0), name)) return &record.Fields;
  return nullptr;
}

// The Number of every member of the group, in user order, as stored (empty
// and repeated numbers included).
std::vector<std::string> MemberNumbers(const std::vector<StoredRecord>& users,
                                       const std::string& group) {
  std::vector<std::string> numbers;
  for (const StoredRecord& user : users)
    if (SameName(Field(user.Fields, 3), group)) numbers.push_back(Field(user.Fields, 2));
  return numbers;
}

std::vector<std::string> ResolveIn(const std::vector<StoredRecord>& groups,
                                   const std::vector<StoredRecord>& users,
                                   const std::string& recipient) {
  if (FindFirstByName(groups, recipient)) return MemberNumbers(users, recipient);
  if (const StringList* user = FindFirstByName(users, recipient)) return {Field(*user, 2)};
  if (IsValidNumber(recipient)) return {recipient};
  return {};
}

}  // namespace

std::vector<Indexed<UserRecord>> LoadUsers() {
  std::vector<Indexed<UserRecord>> users;
  for (const StoredRecord& r : UsersKey().ReadPresentRecords()) users.push_back({r.Index, ToUser(r.Fields)});
  return users;
}

std::vector<Indexed<GroupRecord>> LoadGroups() {
  std::vector<Indexed<GroupRecord>> groups;
  for (const StoredRecord& r : GroupsKey().ReadPresentRecords()) groups.push_back({r.Index, ToGroup(r.Fields)});
  return groups;
}

std::optional<UserRecord> LoadUser(int index) {
  win::RegKey key = OpenKeyForReading(UsersKey().Path());
  if (!IsRecordIndex(key.Get(), index)) return std::nullopt;
  return ToUser(RecordKey::ReadRecord(key.Get(), index));
}

std::optional<GroupRecord> LoadGroup(int index) {
  win::RegKey key = OpenKeyForReading(GroupsKey().Path());
  if (!IsRecordIndex(key.Get(), index)) return std::nullopt;
  return ToGroup(RecordKey::ReadRecord(key.Get(), index));
}

bool AddUser(const UserRecord& user) { return UsersKey().AppendRecord(Fields(user)); }

bool AddUsers(const std::vector<UserRecord>& users) {
  std::vector<StringList> records;
  for (const UserRecord& user : users) records.push_back(Fields(user));
  return UsersKey().AppendRecords(records);
}

bool AddGroup(const GroupRecord& group) { return GroupsKey().AppendRecord(Fields(group)); }

bool SameName(const std::string& a, const std::string& b) { return NamesEqual(a, b, win::IsAnsiLeadByte); }

bool UpdateUser(int index, const UserRecord& user) {
  win::RegKey key = OpenKeyForWriting(UsersKey().Path());
  // Writing past the last record would leave a gap in the numbering.
  if (!IsRecordIndex(key.Get(), index)) return false;
  return RecordKey::WriteRecord(key.Get(), index, Fields(user));
}

bool DeleteUser(int index) {
  const RecordKey users = UsersKey();
  if (!IsRecordIndex(OpenKeyForReading(users.Path()).Get(), index)) return false;
  users.RemoveRecord(index);
  return true;
}

bool UpdateGroup(int index, const GroupRecord& group) {
  win::RegKey key = OpenKeyForWriting(GroupsKey().Path());
  if (!IsRecordIndex(key.Get(), index)) return false;
  const std::string oldName = Field(RecordKey::ReadRecord(key.Get(), index), 0);
  if (!RecordKey::WriteRecord(key.Get(), index, Fields(group))) return false;
  // Also when the name is unchanged, so a change of letter case reaches the
  // users' Group fields.
  ReplaceGroupInUsers(oldName, group.Name);
  return true;
}

bool DeleteGroup(int index) {
  const RecordKey groups = GroupsKey();
  std::string name;
  {
    win::RegKey key = OpenKeyForWriting(groups.Path());
    if (!IsRecordIndex(key.Get(), index)) return false;
    name = Field(RecordKey::ReadRecord(key.Get(), index), 0);
  }
  groups.RemoveRecord(index);
  ReplaceGroupInUsers(name, kNoGroup);
  return true;
}

void ReplaceGroupInUsers(const std::string& oldName, const std::string& newName) {
  win::RegKey key = OpenKeyForWriting(UsersKey().Path());
  for (StoredRecord& user : RecordKey::ReadPresentRecords(key.Get())) {
    if (!SameName(Field(user.Fields, 3), oldName)) continue;
    user.Fields.resize(std::max<std::size_t>(user.Fields.size(), 4));
    user.Fields[3] = newName;
    RecordKey::WriteRecord(key.Get(), user.Index, user.Fields);
  }
}

Recipients::Recipients() {
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_NOTIFY, m_watched.Put()) != ERROR_SUCCESS)
    m_watched.Release();
  // Set from the start: the first alert reads the store.
  m_changed.Reset(::CreateEventA(nullptr, TRUE, TRUE, nullptr));
}

std::vector<std::string> Recipients::Resolve(const std::string& recipient) {
  // Set, or no event at all (the wait fails): the store is read again.
  if (::WaitForSingleObject(m_changed.Get(), 0) != WAIT_TIMEOUT) {
    // Armed before the read, so a change made while it reads is seen by the
    // next alert; without a watch the event stays set and each alert reads.
    ::ResetEvent(m_changed.Get());
    if (!m_watched || ::RegNotifyChangeKeyValue(m_watched.Get(), TRUE,
                                                REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                                m_changed.Get(), TRUE) != ERROR_SUCCESS)
      ::SetEvent(m_changed.Get());
    m_groups = GroupsKey().ReadPresentRecords();
    m_users = UsersKey().ReadPresentRecords();
  }
  return ResolveIn(m_groups, m_users, recipient);
}

}  // namespace directory
