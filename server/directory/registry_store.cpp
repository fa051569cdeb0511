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

// One past the highest record value name below `limit` ("0", "1", ...).
int RecordsPresentBelow(HKEY key, LONG limit) {
  int end = 0;
  char name[32];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    LONG rc = ::RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;  // a name too long to be a record's
    const std::string_view text(name, length);
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0') ||
        text.find_first_not_of("0123456789") != std::string_view::npos)
      continue;
    const long long index = std::stoll(std::string(text));
    if (index < limit) end = std::max(end, static_cast<int>(index) + 1);
  }
  return end;
}

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
  const auto count = static_cast<LONG>(RegReadDword(key, "Count"));
  if (count <= 0) return 0;
  DWORD values = 0;
  if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return 0;
  if (static_cast<LONG>(values) > count) return count;
  // Fewer values than "Count" claims: a damaged count must not send readers
  // through billions of empty records, so end after the last record present
  // (a gap inside still reads as an empty record).
  return RecordsPresentBelow(key, count);
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

std::vector<StringList> RecordKey::ReadAllRecords() const {
  win::RegKey key = OpenKeyForReading(m_path);
  std::vector<StringList> records;
  const int count = RecordCount(key.Get());
  for (int i = 0; i < count; ++i)
    records.push_back(ReadRecord(key.Get(), i));
  return records;
}

bool RecordKey::WriteRecord(int index, const StringList& record) const {
  return WriteRecord(OpenKeyForWriting(m_path).Get(), index, record);
}

void RecordKey::AppendRecord(const StringList& record) const {
  win::RegKey key = CreateKeyForWriting(m_path);
  if (!key) return;
  const int count = RecordCount(key.Get());
  WriteRecord(key.Get(), count, record);
  RegWriteDword(key.Get(), "Count", static_cast<DWORD>(count + 1));
}

void RecordKey::RemoveRecord(int index) const {
  win::RegKey key = OpenKeyForWriting(m_path);
  if (!key) return;
  const int count = RecordCount(key.Get());
  // An index outside the records must not cost the last record.
  if (index < 0 || index >= count) return;
  ::RegDeleteValueA(key.Get(), ValueName(index).c_str());
  for (int j = index + 1; j < count; ++j)
    WriteRecord(key.Get(), j - 1, ReadRecord(key.Get(), j));
  ::RegDeleteValueA(key.Get(), ValueName(count - 1).c_str());
  RegWriteDword(key.Get(), "Count", static_cast<DWORD>(count - 1));
}

}  // namespace directory
