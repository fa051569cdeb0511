// The registry store: every persistent value of the server lives under one
// application key in HKEY_CURRENT_USER. Each operation opens the key it
// needs and closes it before returning; failures are silent (a key that
// cannot be opened reads as empty, a write to it does nothing).
// Used by the user-interface thread only; no locking.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/handle.h"
#include "server/directory/multi_string.h"

namespace directory {

// Start-up names the company key ("Orvandel") and the application (the
// program file's base name). Tests give each case a key of its own.
void SetRegistryCompanyKey(std::string_view company);
void SetRegistryApplicationName(std::string_view application);

// "Software\<company>\<application>"
std::string ApplicationKeyPath();

// The three ways of opening a key (paths are under HKEY_CURRENT_USER).
win::RegKey OpenKeyForReading(const std::string& path);
win::RegKey OpenKeyForWriting(const std::string& path);  // existing keys only
win::RegKey CreateKeyForWriting(const std::string& path);  // with missing parents
// The first key along `path` that does not exist ("Software\A" when only
// "Software" does), "" when the whole path exists: what creating `path`
// adds, and what removing it again takes away.
std::string FirstMissingKey(const std::string& path);

// Whether two names open the same child of one key: the registry compares
// key names without regard to case by the system's upper-case table, on the
// names as it receives them (ANSI text in UTF-16), which is what
// CompareStringOrdinal does when told to ignore case. Wider than the A-Z
// rule of NamesEqual: "B\xfcro" and "B\xdcRO" are one key in code page 1252.
bool KeyNamesEqual(const std::string& a, const std::string& b);

// Value operations. Reads of absent or unreadable values give 0, "" or an
// empty list; the stored type is not checked. Values of any size are read
// whole. Writes return true when the registry accepted the data.
DWORD RegReadDword(HKEY key, const char* name);
bool RegWriteDword(HKEY key, const char* name, DWORD value);
std::string RegReadString(HKEY key, const char* name);
bool RegWriteString(HKEY key, const char* name, const std::string& text);
StringList RegReadStringList(HKEY key, const char* name);
bool RegWriteStringList(HKEY key, const char* name, const StringList& list);

// A record with its index in the store.
struct StoredRecord {
  int Index;
  StringList Fields;
};

// A key of numbered records: REG_DWORD "Count" and REG_MULTI_SZ values
// "0" .. Count-1 (decimal, no leading zeros), kept dense. A damaged key may
// lack some of them: such an index reads as an empty record, holds no name
// and belongs to no group, and readers never visit those one by one, so a
// stray "Count" costs nothing.
class RecordKey {
 public:
  explicit RecordKey(std::string path) : m_path(std::move(path)) {}

  const std::string& Path() const { return m_path; }

  // One past the last record present, at most "Count".
  int RecordCount() const;
  StringList ReadRecord(int index) const;
  // The records present, in index order, from one walk over the values.
  std::vector<StoredRecord> ReadPresentRecords() const;
  bool WriteRecord(int index, const StringList& record) const;  // the key must exist
  // After the last record present, "Count" one past it (creates the key);
  // false when the key could not be made, a write failed or no index is
  // left. Many at once cost one walk over the key.
  bool AppendRecord(const StringList& record) const;
  bool AppendRecords(const std::vector<StringList>& records) const;
  void RemoveRecord(int index) const;                           // later records move down

  // With the key already open.
  static int RecordCount(HKEY key);
  static StringList ReadRecord(HKEY key, int index);
  static std::vector<StoredRecord> ReadPresentRecords(HKEY key);
  static bool WriteRecord(HKEY key, int index, const StringList& record);

 private:
  std::string m_path;
};

}  // namespace directory
