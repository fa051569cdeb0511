#include "server/directory/registry_store.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace directory {
namespace {

struct RegistryRoot {
  std::string company;
  std::string application;
};

RegistryRoot& Root() {
  static RegistryRoot root;
  return root;
}

// The whole data of a value, however large; nothing when it cannot be read.
std::optional<std::vector<char>> ReadValueBytes(HKEY key, const char* name) {
  if (!key) return std::nullopt;
  std::vector<char> data(8192);
  for (;;) {
    DWORD size = static_cast<DWORD>(data.size());
    LONG rc = ::RegQueryValueExA(key, name, nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc == ERROR_SUCCESS) {
      data.resize(size);
      return data;
    }
    if (rc != ERROR_MORE_DATA) return std::nullopt;
    // The value grew, or is larger than the first buffer: ask again.
    data.resize(std::max<std::size_t>(size, data.size() * 2));
  }
}

bool WriteValue(HKEY key, const char* name, DWORD type, const void* data, std::size_t size) {
  return key && ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data),
                                 static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

win::RegKey OpenKey(const std::string& path, REGSAM access) {
  win::RegKey key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, access, key.Put()) != ERROR_SUCCESS)
    key.Release();
  return key;
}

std::string ValueName(int index) { return std::to_string(index); }

// The highest "Count" a reader takes for a count (a REG_DWORD read as a
// signed number), so the highest record index is one below it.
constexpr LONG kMaxCount = 0x7fffffff;

// A record's index from its value's name ("0", "1", ...), if it is one.
std::optional<int> RecordIndex(std::string_view name) {
  if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == '0') ||
      name.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  const long long index = std::stoll(std::string(name));
  if (index > kMaxCount) return std::nullopt;
  return static_cast<int>(index);
}

struct RecordValue {
  int index;
  std::optional<std::vector<char>> data;  // read with it; none when it could not be
};

// The record values below `limit`, in ascending order, from one walk over the
// key's values: the cost follows the values present, never the count a
// damaged "Count" claims. With `withData` each value's data comes in the
// same call as its name (one round trip to the registry per record).
std::vector<RecordValue> RecordValuesBelow(HKEY key, LONG limit, bool withData) {
  std::vector<RecordValue> records;
  char name[32];
  std::vector<char> data(withData ? 8192 : 0);
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    DWORD size = static_cast<DWORD>(data.size());
    LONG rc = ::RegEnumValueA(key, i, name, &length, nullptr, nullptr,
                              withData ? reinterpret_cast<BYTE*>(data.data()) : nullptr,
                              withData ? &size : nullptr);
    const bool whole = rc == ERROR_SUCCESS;
    if (rc == ERROR_MORE_DATA && withData) {
      // Data larger than the buffer, or a name too long to be a record's:
      // the name alone, and a record's data by its name below.
      length = sizeof name;
      rc = ::RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    }
    if (rc == ERROR_MORE_DATA) continue;  // a name too long to be a record's
    // No more values, or the key failed (deleted meanwhile, say): what was
    // found so far is all there is.
    if (rc != ERROR_SUCCESS) break;
    const std::optional<int> index = RecordIndex(std::string_view(name, length));
    if (!index || *index >= limit) continue;
    RecordValue record{*index, std::nullopt};
    if (whole && withData) record.data.emplace(data.begin(), data.begin() + size);
    else if (withData) record.data = ReadValueBytes(key, name);
    records.push_back(std::move(record));
  }
  std::ranges::sort(records, {}, &RecordValue::index);
  return records;
}

std::vector<int> RecordsPresentBelow(HKEY key, LONG limit) {
  std::vector<int> indices;
  for (const RecordValue& record : RecordValuesBelow(key, limit, false))
    indices.push_back(record.index);
  return indices;
}

LONG StoredCount(HKEY key) { return static_cast<LONG>(RegReadDword(key, "Count")); }

}  // namespace


void SetRegistryCompanyKey(std::string_view company) { Root().company = company; }
void SetRegistryApplicationName(std::string_view application) { Root().application = application; }

std::string ApplicationKeyPath() {
  const RegistryRoot& root = Root();
  return "Software\\" + root.company + "\\" + root.application;
}

win::RegKey OpenKeyForReading(const std::string& path) { return OpenKey(path, KEY_READ); }

win::RegKey OpenKeyForWriting(const std::string& path) {
  return OpenKey(path, KEY_READ | KEY_WRITE);
}

win::RegKey CreateKeyForWriting(const std::string& path) {
  win::RegKey key;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
    key.Release();
  return key;
}

bool KeyNamesEqual(const std::string& a, const std::string& b) {
  const auto wide = [](const std::string& text) {
    const int size = static_cast<int>(text.size());
    std::wstring result(text.empty() ? 0 : ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0), L'\0');
    if (!result.empty())
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, result.data(), static_cast<int>(result.size()));
    return result;
  };
  const std::wstring wa = wide(a), wb = wide(b);
  return ::CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

std::string FirstMissingKey(const std::string& path) {
  for (std::size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
    const std::string prefix = path.substr(0, end);
    if (!OpenKey(prefix, KEY_READ)) return prefix;
    if (end == std::string::npos) return {};
  }
}

DWORD RegReadDword(HKEY key, const char* name) {
  auto data = ReadValueBytes(key, name);
  if (!data || data->size() > sizeof(DWORD)) return 0;
  DWORD value = 0;
  for (std::size_t i = 0; i < data->size(); ++i)
    value |= static_cast<DWORD>(static_cast<unsigned char>((*data)[i])) << (8 * i);
  return value;
}

bool RegWriteDword(HKEY key, const char* name, DWORD value) {
  return WriteValue(key, name, REG_DWORD, &value, sizeof value);
}

std::string RegReadString(HKEY key, const char* name) {
  auto data = ReadValueBytes(key, name);
  if (!data) return {};
  std::string text(data->begin(), data->end());
  return text.substr(0, text.find('\0'));
}

bool RegWriteString(HKEY key, const char* name, const std::string& text) {
  const std::string stored = text.substr(0, text.find('\0'));
  return WriteValue(key, name, REG_SZ, stored.c_str(), stored.size() + 1);
}

StringList RegReadStringList(HKEY key, const char* name) {
  auto data = ReadValueBytes(key, name);
  return data ? DecodeMultiString(*data) : StringList{};
}

bool RegWriteStringList(HKEY key, const char* name, const StringList& list) {
  const std::string bytes = EncodeMultiString(list);
  return WriteValue(key, name, REG_MULTI_SZ, bytes.data(), bytes.size());
}

int RecordKey::RecordCount(HKEY key) {
  const LONG count = StoredCount(key);
  if (count <= 0) return 0;
  DWORD values = 0;
  if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return 0;
  if (static_cast<LONG>(values) > count) return count;
  // Fewer values than "Count" claims: end after the last record present (a
  // gap inside still reads as an empty record).
  const std::vector<int> present = RecordsPresentBelow(key, count);
  return present.empty() ? 0 : present.back() + 1;
}

std::vector<StoredRecord> RecordKey::ReadPresentRecords(HKEY key) {
  std::vector<StoredRecord> records;
  const LONG count = StoredCount(key);
  if (count <= 0) return records;
  for (RecordValue& record : RecordValuesBelow(key, count, true))
    records.push_back({record.index, record.data ? DecodeMultiString(*record.data) : StringList{}});
  return records;
}

int RecordKey::RecordCount() const { return RecordCount(OpenKeyForReading(m_path).Get()); }

StringList RecordKey::ReadRecord(HKEY key, int index) {
  return RegReadStringList(key, ValueName(index).c_str());
}

bool RecordKey::WriteRecord(HKEY key, int index, const StringList& record) {
  return RegWriteStringList(key, ValueName(index).c_str(), record);
}

StringList RecordKey::ReadRecord(int index) const {
  return ReadRecord(OpenKeyForReading(m_path).Get(), index);
}

std::vector<StoredRecord> RecordKey::ReadPresentRecords() const {
  return ReadPresentRecords(OpenKeyForReading(m_path).Get());
}

bool RecordKey::WriteRecord(int index, const StringList& record) const {
  return WriteRecord(OpenKeyForWriting(m_path).Get(), index, record);
}

bool RecordKey::AppendRecord(const StringList& record) const { return AppendRecords({record}); }

bool RecordKey::AppendRecords(const std::vector<StringList>& records) const {
  win::RegKey key = CreateKeyForWriting(m_path);
  if (!key) return false;
  // After the last record present, whatever "Count" says (absent, zero,
  // negative, not a DWORD, too low), so a damaged count never costs a
  // record, and the hidden ones come back into view.
  const std::vector<int> present = RecordsPresentBelow(key.Get(), kMaxCount);
  int next = present.empty() ? 0 : present.back() + 1;
  bool written = true;
  for (const StringList& record : records) {
    // The count must stay positive: no index is left once it is at its
    // highest.
    if (next >= kMaxCount || !WriteRecord(key.Get(), next, record)) {
      written = false;
      break;
    }
    ++next;
  }
  return RegWriteDword(key.Get(), "Count", static_cast<DWORD>(next)) && written;
}

void RecordKey::RemoveRecord(int index) const {
  win::RegKey key = OpenKeyForWriting(m_path);
  if (!key) return;
  const int count = RecordCount(key.Get());
  // An index outside the records must not cost the last record.
  if (index < 0 || index >= count) return;
  ::RegDeleteValueA(key.Get(), ValueName(index).c_str());
  // Each later record moves down by one; a gap moves down with them, so only
  // the values present are touched.
  const std::vector<StoredRecord> records = ReadPresentRecords(key.Get());
  for (std::size_t r = 0; r < records.size(); ++r) {
    const int j = records[r].Index;
    if (j <= index) continue;
    WriteRecord(key.Get(), j - 1, records[r].Fields);
    const bool filledByNext = r + 1 < records.size() && records[r + 1].Index == j + 1;
    if (!filledByNext) ::RegDeleteValueA(key.Get(), ValueName(j).c_str());
  }
  RegWriteDword(key.Get(), "Count", static_cast<DWORD>(count - 1));
}

}  // namespace directory
