#include "server/directory/registry_store.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "tests/support/registry_sandbox.h"

namespace directory {
namespace {

using namespace std::string_literals;

class RegistryStore : public ::testing::Test {
 protected:
  testing_support::RegistrySandbox sandbox;
  const std::string app = ApplicationKeyPath();
  const std::string users = app + "\\Users";

  // Raw access, to plant data the store would never write itself.
  void SetRaw(const std::string& path, const char* name, DWORD type, const std::string& bytes) {
    win::RegKey key = CreateKeyForWriting(path);
    ASSERT_TRUE(key);
    ASSERT_EQ(::RegSetValueExA(key.Get(), name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                               static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }
  std::string GetRaw(const std::string& path, const char* name, DWORD* type = nullptr) {
    win::RegKey key = OpenKeyForReading(path);
    char data[64] = {};
    DWORD size = sizeof data;
    if (!key || ::RegQueryValueExA(key.Get(), name, nullptr, type, reinterpret_cast<BYTE*>(data),
                                   &size) != ERROR_SUCCESS)
      return "<absent>";
    return std::string(data, size);
  }
  bool KeyExists(const std::string& path) { return OpenKeyForReading(path).IsValid(); }
};

TEST_F(RegistryStore, ApplicationKeyPathIsSoftwareCompanyApplication) {
  SetRegistryCompanyKey("Orvandel");
  SetRegistryApplicationName("tellistry");
  EXPECT_EQ(ApplicationKeyPath(), "Software\\Orvandel\\tellistry");
}

TEST_F(RegistryStore, FreshHiveReadsEmptyAndFirstAppendCreatesTheKeys) {
  ASSERT_FALSE(KeyExists(app));
  RecordKey records(users);
  EXPECT_EQ(records.RecordCount(), 0);
  EXPECT_TRUE(records.ReadRecord(0).empty());
  EXPECT_TRUE(records.ReadPresentRecords().empty());
  {
    win::RegKey key = OpenKeyForReading(app);
    EXPECT_FALSE(key);
    EXPECT_EQ(RegReadDword(key.Get(), "Count"), 0u);
    EXPECT_EQ(RegReadString(key.Get(), "ID"), "");
    EXPECT_TRUE(RegReadStringList(key.Get(), "Entries").empty());
    EXPECT_FALSE(RegWriteString(key.Get(), "ID", "x"));
  }
  // Writes through a key opened "existing only" do nothing on a fresh hive.
  EXPECT_FALSE(records.WriteRecord(0, {"a"}));
  records.RemoveRecord(0);
  EXPECT_FALSE(KeyExists(app));

  records.AppendRecord({"Ann", "Ops", "+441", "<none>"});
  EXPECT_TRUE(KeyExists(users));
  EXPECT_EQ(records.RecordCount(), 1);
  EXPECT_EQ(records.ReadRecord(0), (StringList{"Ann", "Ops", "+441", "<none>"}));
}

TEST_F(RegistryStore, RecordsStayDenseWithDecimalNames) {
  RecordKey records(users);
  for (int i = 0; i < 12; ++i) records.AppendRecord({"user" + std::to_string(i)});
  EXPECT_EQ(records.RecordCount(), 12);
  EXPECT_EQ(GetRaw(users, "10"), "user10\0\0"s);
  EXPECT_EQ(GetRaw(users, "010"), "<absent>");
  DWORD type = 0;
  EXPECT_EQ(GetRaw(users, "Count", &type), "\x0c\0\0\0"s);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));

  EXPECT_TRUE(records.WriteRecord(3, {"changed", "d"}));
  EXPECT_EQ(records.ReadRecord(3), (StringList{"changed", "d"}));
  EXPECT_EQ(records.RecordCount(), 12);
}

TEST_F(RegistryStore, RemoveMovesLaterRecordsDown) {
  RecordKey records(users);
  auto fill = [&] {
    testing_support::DeleteKeyTree(users);
    for (const char* n : {"a", "b", "c"}) records.AppendRecord({n});
  };
  auto names = [&] {
    std::vector<std::string> out;
    for (const StoredRecord& r : records.ReadPresentRecords()) out.push_back(r.Fields.at(0));
    return out;
  };
  fill();
  records.RemoveRecord(0);
  EXPECT_EQ(names(), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(GetRaw(users, "2"), "<absent>");

  fill();
  records.RemoveRecord(1);
  EXPECT_EQ(names(), (std::vector<std::string>{"a", "c"}));

  fill();
  records.RemoveRecord(2);
  EXPECT_EQ(names(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(GetRaw(users, "2"), "<absent>");

  // An index outside the records removes nothing.
  for (int bad : {3, 7, -1}) records.RemoveRecord(bad);
  EXPECT_EQ(names(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(RegistryStore, StringListByteLayouts) {
  win::RegKey key = CreateKeyForWriting(app);
  ASSERT_TRUE(RegWriteStringList(key.Get(), "two", {"a", "b"}));
  ASSERT_TRUE(RegWriteStringList(key.Get(), "none", {}));
  DWORD type = 0;
  EXPECT_EQ(GetRaw(app, "two", &type), "a\0b\0\0"s);
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(GetRaw(app, "none"), "\0"s);
  EXPECT_EQ(RegReadStringList(key.Get(), "two"), (StringList{"a", "b"}));
  EXPECT_TRUE(RegReadStringList(key.Get(), "none").empty());

  ASSERT_TRUE(RegWriteString(key.Get(), "ID", "Ops"));
  EXPECT_EQ(GetRaw(app, "ID", &type), "Ops\0"s);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  SetRaw(app, "gap", REG_MULTI_SZ, "a\0\0c\0\0"s);
  EXPECT_EQ(RegReadStringList(key.Get(), "gap"), (StringList{"a", "", "c"}));
  SetRaw(app, "unended", REG_MULTI_SZ, "a\0b\0"s);
  EXPECT_EQ(RegReadStringList(key.Get(), "unended"), (StringList{"a", "b"}));
}

TEST_F(RegistryStore, OddStoredDataReadsSafely) {
  SetRaw(app, "sz", REG_SZ, "text");  // no terminator
  SetRaw(app, "dw", REG_DWORD, "\x05\0\0\0"s);
  SetRaw(app, "short", REG_BINARY, "\x07"s);
  SetRaw(app, "long", REG_BINARY, "12345678");
  SetRaw(app, "multi", REG_MULTI_SZ, "first\0second\0\0"s);
  win::RegKey key = OpenKeyForReading(app);
  EXPECT_EQ(RegReadString(key.Get(), "sz"), "text");
  EXPECT_EQ(RegReadDword(key.Get(), "dw"), 5u);
  EXPECT_EQ(RegReadDword(key.Get(), "short"), 7u);
  EXPECT_EQ(RegReadDword(key.Get(), "long"), 0u) << "too long for a DWORD";
  EXPECT_EQ(RegReadDword(key.Get(), "sz"), 0u);
  EXPECT_EQ(RegReadString(key.Get(), "multi"), "first");
  EXPECT_EQ(RegReadStringList(key.Get(), "sz"), StringList{"text"});
  EXPECT_EQ(RegReadString(key.Get(), "absent"), "");
}

TEST_F(RegistryStore, ValuesLargerThan8192BytesAreReadWhole) {
  const std::string big(20000, 'x');
  win::RegKey key = CreateKeyForWriting(app);
  ASSERT_TRUE(RegWriteString(key.Get(), "big", big));
  EXPECT_EQ(RegReadString(key.Get(), "big"), big);
  ASSERT_TRUE(RegWriteStringList(key.Get(), "bigs", {big, "tail"}));
  EXPECT_EQ(RegReadStringList(key.Get(), "bigs"), (StringList{big, "tail"}));

  // Records are read with their names in one walk; a big one among small
  // ones is read whole all the same.
  RecordKey records(users);
  ASSERT_TRUE(records.AppendRecords({{"a"}, {big, "b"}, {"c"}}));
  const std::vector<StoredRecord> read = records.ReadPresentRecords();
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[1].Index, 1);
  EXPECT_EQ(read[1].Fields, (StringList{big, "b"}));
  EXPECT_EQ(read[2].Fields, StringList{"c"});
}

TEST_F(RegistryStore, DamagedCountIsBoundedByTheRecordsPresent) {
  RecordKey records(users);
  for (const char* n : {"a", "b", "c"}) records.AppendRecord({n});
  win::RegKey key = OpenKeyForWriting(users);
  RegWriteDword(key.Get(), "Count", 0x7fffffff);
  EXPECT_EQ(records.RecordCount(), 3);
  EXPECT_EQ(records.ReadPresentRecords().size(), 3u);
  records.AppendRecord({"d"});
  EXPECT_EQ(records.ReadRecord(3), StringList{"d"});
  EXPECT_EQ(RegReadDword(key.Get(), "Count"), 4u);

  RegWriteDword(key.Get(), "Count", 0xffffffff);  // -1
  EXPECT_EQ(records.RecordCount(), 0);
  EXPECT_TRUE(records.ReadPresentRecords().empty());

  // A value missing inside the count is an empty record: not listed, and
  // the ones after it stay readable. Removing a record moves the gap down
  // with the records after it.
  RegWriteDword(key.Get(), "Count", 4);
  ::RegDeleteValueA(key.Get(), "1");
  auto indices = [&] {
    std::vector<int> out;
    for (const StoredRecord& r : records.ReadPresentRecords()) out.push_back(r.Index);
    return out;
  };
  EXPECT_EQ(indices(), (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(records.RecordCount(), 4);
  records.RemoveRecord(0);
  EXPECT_EQ(indices(), (std::vector<int>{1, 2}));
  EXPECT_EQ(records.ReadRecord(1), StringList{"c"});
  EXPECT_EQ(records.ReadRecord(2), StringList{"d"});
  EXPECT_EQ(GetRaw(users, "3"), "<absent>");
  EXPECT_EQ(RegReadDword(key.Get(), "Count"), 3u);
}

TEST_F(RegistryStore, AppendGoesAfterTheLastRecordPresentWhateverTheCount) {
  RecordKey records(users);
  auto names = [&] {
    std::string out;
    for (const StoredRecord& r : records.ReadPresentRecords()) out += std::to_string(r.Index) + r.Fields.at(0) + " ";
    return out;
  };
  // Count absent, zero, negative, too low, a REG_QWORD, a REG_SZ.
  const std::vector<std::pair<DWORD, std::string>> damaged = {
      {REG_NONE, ""}, {REG_DWORD, "\0\0\0\0"s}, {REG_DWORD, "\xff\xff\xff\xff"s},
      {REG_DWORD, "\x01\0\0\0"s}, {REG_QWORD, "\x03\0\0\0\0\0\0\0"s}, {REG_SZ, "3"s}};
  for (const auto& [type, bytes] : damaged) {
    testing_support::DeleteKeyTree(users);
    for (const char* n : {"a", "b", "c"}) records.AppendRecord({n});
    if (type == REG_NONE) {
      ::RegDeleteValueA(OpenKeyForWriting(users).Get(), "Count");
    } else {
      SetRaw(users, "Count", type, bytes);
    }
    EXPECT_TRUE(records.AppendRecord({"new"}));
    EXPECT_EQ(GetRaw(users, "Count"), "\x04\0\0\0"s) << "type " << type;
    EXPECT_EQ(names(), "0a 1b 2c 3new ") << "type " << type;
  }

  // The count at its highest: no index left, nothing changes.
  testing_support::DeleteKeyTree(users);
  SetRaw(users, "Count", REG_DWORD, "\xff\xff\xff\x7f"s);
  SetRaw(users, "2147483645", REG_MULTI_SZ, "x\0\0"s);
  EXPECT_TRUE(records.AppendRecord({"last"}));
  EXPECT_EQ(names(), "2147483645x 2147483646last ");
  EXPECT_FALSE(records.AppendRecord({"one too many"}));
  EXPECT_EQ(GetRaw(users, "Count"), "\xff\xff\xff\x7f"s);
  EXPECT_EQ(names(), "2147483645x 2147483646last ");
  EXPECT_EQ(records.RecordCount(), 0x7fffffff);
}

TEST_F(RegistryStore, AKeyDeletedWhileItIsReadEndsTheRead) {
  constexpr int kRecords = 3000;
  {
    win::RegKey key = CreateKeyForWriting(users);
    RegWriteDword(key.Get(), "Count", 0x7fffffff);
    for (int i = 0; i < kRecords; ++i) RecordKey::WriteRecord(key.Get(), 2 * i, {"u"});
  }
  win::RegKey reader = OpenKeyForReading(users);
  std::thread deleter([&] { testing_support::DeleteKeyTree(users); });
  const std::size_t read = RecordKey::ReadPresentRecords(reader.Get()).size();
  deleter.join();
  std::printf("read %zu of %d records while the key was deleted\n", read, kRecords);
  EXPECT_LE(read, static_cast<std::size_t>(kRecords));
  EXPECT_TRUE(RecordKey::ReadPresentRecords(reader.Get()).empty());
  EXPECT_EQ(RecordKey::RecordCount(reader.Get()), 0);
}

}  // namespace
}  // namespace directory
