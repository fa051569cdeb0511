#include "server/directory/sms_entries.h"

#include <gtest/gtest.h>

#include "server/directory/address_book.h"
#include "server/directory/event_log_setting.h"
#include "server/directory/registry_store.h"
#include "tests/support/registry_sandbox.h"

namespace directory {
namespace {

using Names = std::vector<std::string>;

class SmsEntries : public ::testing::Test {
 protected:
  testing_support::RegistrySandbox sandbox;
  const std::string app = ApplicationKeyPath();

  static SmsEntry Entry(const std::string& name, const std::string& smsc = "+49171") {
    return {name, smsc, 2, 9600, 8, 0, 0, {"dial", "send"}};
  }
  // Saves and registers, as the entry and settings dialogs do.
  static void Add(const std::string& name) {
    ASSERT_EQ(SaveSmsEntry(Entry(name), true), SaveEntryResult::kSaved) << name;
    ASSERT_TRUE(RegisterSmsEntryName(name)) << name;
  }
  Names StoredEntries() { return RegReadStringList(OpenKeyForReading(app).Get(), "Entries"); }
  std::string Current() { return LoadAppSettings().CurrentEntry; }
  bool KeyExists(const std::string& path) { return OpenKeyForReading(path).IsValid(); }
};

TEST_F(SmsEntries, SavedEntryLoadsBackAsStored) {
  SmsEntry entry{"Main", "+49171", 3, 115200, 7, 1, 2, {"", "ATD", "", "SEND"}};
  EXPECT_EQ(SaveSmsEntry(entry, false), SaveEntryResult::kNotStored) << "editing creates nothing";
  EXPECT_FALSE(KeyExists(app));

  ASSERT_EQ(SaveSmsEntry(entry, true), SaveEntryResult::kSaved) << "a fresh hive gets its keys";
  EXPECT_EQ(LoadSmsEntry("Main"), (SmsEntry{"Main", "+49171", 3, 115200, 7, 1, 2, {"ATD", "SEND"}}))
      << "empty statements are not written";

  entry.Smsc = "0800";
  ASSERT_EQ(SaveSmsEntry(entry, false), SaveEntryResult::kSaved);
  EXPECT_EQ(LoadSmsEntry("Main")->Smsc, "0800");
  EXPECT_TRUE(StoredEntries().empty()) << "saving does not register";
  EXPECT_FALSE(LoadSmsEntry("Absent"));
}

TEST_F(SmsEntries, RegisteringAppendsAndMakesCurrentUnlessListedInAnyCase) {
  EXPECT_FALSE(RegisterSmsEntryName("Main")) << "no application key yet";
  Add("One");
  Add("Two");
  Add("Three");
  EXPECT_EQ(StoredEntries(), (Names{"One", "Two", "Three"}));
  EXPECT_EQ(Current(), "Three");

  SaveAppSettings({"id", "One", "foot"});
  ASSERT_EQ(SaveSmsEntry(Entry("TWO", "0999"), true), SaveEntryResult::kSaved);
  EXPECT_FALSE(RegisterSmsEntryName("TWO"));
  EXPECT_EQ(LoadSmsEntry("Two")->Smsc, "0999") << "same key, values overwritten";
  EXPECT_EQ(StoredEntries(), (Names{"One", "Two", "Three"}));
  EXPECT_EQ(Current(), "One");
}

// The ANSI form of a UTF-16 name; empty when this code page lacks it.
std::string Ansi(const std::wstring& name) {
  char text[64] = {};
  BOOL lossy = FALSE;
  ::WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, text, sizeof text, nullptr, &lossy);
  return lossy ? std::string() : std::string(text);
}

TEST_F(SmsEntries, NamesThatOpenOneKeyAreOneEntryBeyondAToZ) {
  const std::string office = Ansi(L"B\u00fcro"), shouting = Ansi(L"B\u00dcRO");
  if (office.empty() || shouting.empty()) GTEST_SKIP() << "code page " << ::GetACP() << " has no \u00fc";
  Add(office);
  Add("Buro");
  ASSERT_TRUE(KeyExists(app + "\\" + shouting)) << "the registry opens one key for both";
  EXPECT_TRUE(SameEntryName(office, shouting));
  EXPECT_FALSE(SameEntryName(office, "Buro"));

  ASSERT_EQ(SaveSmsEntry(Entry(shouting, "0999"), true), SaveEntryResult::kSaved);
  EXPECT_FALSE(RegisterSmsEntryName(shouting)) << "listed already";
  EXPECT_EQ(StoredEntries(), (Names{office, "Buro"}));
  EXPECT_EQ(LoadSmsEntry(office)->Smsc, "0999");

  DeleteSmsEntry(shouting);
  EXPECT_EQ(StoredEntries(), Names{"Buro"});
  EXPECT_FALSE(KeyExists(app + "\\" + office));
  EXPECT_TRUE(KeyExists(app + "\\Buro"));
}

TEST_F(SmsEntries, AnEntryWhoseKeyCannotBeMadeSaysSoAndLeavesNothing) {
  // A volatile key takes no lasting child.
  win::RegKey parent;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, app.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, parent.Put(), nullptr),
            ERROR_SUCCESS);
  std::string failure;
  EXPECT_EQ(SaveSmsEntry(Entry("Main"), true, failure), SaveEntryResult::kNotStored);
  EXPECT_EQ(failure, "its registry key could not be created");
  EXPECT_FALSE(KeyExists(app + "\\Main"));
  EXPECT_EQ(SaveSmsEntry(Entry("Main"), false, failure), SaveEntryResult::kNotStored);
  EXPECT_EQ(failure, "its registry key could not be opened");

  EXPECT_EQ(FirstMissingKey(app + "\\Main\\Deeper"), app + "\\Main");
  EXPECT_EQ(FirstMissingKey(app), "");
}

TEST_F(SmsEntries, DeletingMakesTheFirstRemainingEntryCurrent) {
  auto threeWithThirdCurrent = [&] {
    testing_support::DeleteKeyTree(app);
    for (const char* name : {"One", "Two", "Three"}) Add(name);
    ASSERT_EQ(Current(), "Three");
  };
  threeWithThirdCurrent();
  DeleteSmsEntry("one");
  EXPECT_EQ(StoredEntries(), (Names{"Two", "Three"}));
  EXPECT_EQ(Current(), "Two") << "not the third, though it was current";
  EXPECT_FALSE(KeyExists(app + "\\One"));

  threeWithThirdCurrent();
  DeleteSmsEntry("Three");
  EXPECT_EQ(Current(), "One");

  threeWithThirdCurrent();
  DeleteSmsEntry("Absent");  // nothing listed goes, yet the first becomes current
  EXPECT_EQ(StoredEntries(), (Names{"One", "Two", "Three"}));
  EXPECT_EQ(Current(), "One");

  testing_support::DeleteKeyTree(app);
  Add("Only");
  SaveAppSettings({"id", "Only", "foot"});
  DeleteSmsEntry("Only");
  EXPECT_TRUE(StoredEntries().empty());
  EXPECT_EQ(Current(), "");
  EXPECT_FALSE(LoadActiveSmsEntry());
  EXPECT_EQ(LoadAppSettings().Id, "id");
}

TEST_F(SmsEntries, ActiveEntryIsWhateverCurrentEntryNames) {
  EXPECT_FALSE(LoadActiveSmsEntry()) << "no application key";
  Add("Listed");
  ASSERT_EQ(SaveSmsEntry(Entry("Unlisted", "0123"), true), SaveEntryResult::kSaved);
  ASSERT_TRUE(SaveAppSettings({"Shop 7", "unlisted", "-- end"}));

  std::optional<ActiveSmsEntry> active = LoadActiveSmsEntry();
  ASSERT_TRUE(active) << "a key that exists serves, listed or not";
  EXPECT_EQ(active->Entry.Smsc, "0123");
  EXPECT_EQ(active->Id, "Shop 7");
  EXPECT_EQ(active->Footer, "-- end");

  SaveAppSettings({"Shop 7", "Gone", ""});
  EXPECT_FALSE(LoadActiveSmsEntry()) << "no key of that name";
  SaveAppSettings({"Shop 7", "", ""});
  EXPECT_FALSE(LoadActiveSmsEntry());
}

TEST_F(SmsEntries, SettingsAreNeverSavedIntoAMissingApplicationKey) {
  EXPECT_FALSE(SaveAppSettings({"id", "Main", "foot"}));
  EXPECT_FALSE(KeyExists(app));

  Add("Main");
  ASSERT_TRUE(SaveAppSettings({"id", "", "foot"}));
  const AppSettings saved = LoadAppSettings();
  EXPECT_EQ(saved.Id, "id");
  EXPECT_EQ(saved.CurrentEntry, "");
  EXPECT_EQ(saved.Footer, "foot");

  RegWriteStringList(OpenKeyForWriting(app).Get(), "Entries", {"", "Main", "", "Spare"});
  EXPECT_EQ(LoadSmsEntryNames(), (Names{"Main", "Spare"}));
}

TEST_F(SmsEntries, UnusableNamesNeverReachAnotherKey) {
  AddUser({"Ann", "", "0711", kNoGroup});
  AddGroup({"Ops", ""});
  Add("Main");
  for (const std::string& name : {std::string(), std::string("Main\\Sub"), std::string("USERS"),
                                  std::string("groups"), std::string(300, 'x')}) {
    EXPECT_EQ(SaveSmsEntry(Entry(name), true), SaveEntryResult::kUnusableName) << name;
    EXPECT_EQ(SaveSmsEntry(Entry(name), false), SaveEntryResult::kUnusableName) << name;
    EXPECT_FALSE(RegisterSmsEntryName(name)) << name;
    EXPECT_FALSE(LoadSmsEntry(name)) << "the address book is no entry";
  }
  EXPECT_EQ(StoredEntries(), Names{"Main"});
  EXPECT_EQ(RegReadString(OpenKeyForReading(app).Get(), "SMSC"), "");
  EXPECT_EQ(RegReadString(OpenKeyForReading(app + "\\Users").Get(), "SMSC"), "");
  EXPECT_FALSE(KeyExists(app + "\\Main\\Sub"));

  // A store written by other means may list or point at such names.
  RegWriteStringList(OpenKeyForWriting(app).Get(), "Entries", {"Users", "", "Main"});
  SaveAppSettings({"", "Groups", ""});
  EXPECT_FALSE(LoadActiveSmsEntry());
  DeleteSmsEntry("users");
  DeleteSmsEntry("");
  EXPECT_EQ(StoredEntries(), Names{"Main"});
  EXPECT_EQ(Recipients().Resolve("Ann"), Names{"0711"}) << "address book intact";
  EXPECT_EQ(LoadGroups().size(), 1u);
  EXPECT_TRUE(KeyExists(app));
}

// Only a DWORD 0 keeps the program out of the Windows Event Log.
TEST_F(SmsEntries, EventLogSettingIsOffOnlyForADwordZero) {
  EXPECT_TRUE(LoadEventLogEnabled()) << "no application key";
  ASSERT_TRUE(SaveEventLogEnabled(false)) << "creates the application key";
  EXPECT_FALSE(LoadEventLogEnabled());
  ASSERT_TRUE(SaveEventLogEnabled(true));
  EXPECT_TRUE(LoadEventLogEnabled());
  EXPECT_EQ(RegReadDword(OpenKeyForReading(app).Get(), "EventLog"), 1u);

  win::RegKey key = OpenKeyForWriting(app);
  RegWriteDword(key.Get(), "EventLog", 2);
  EXPECT_TRUE(LoadEventLogEnabled());
  RegWriteString(key.Get(), "EventLog", "0");
  EXPECT_TRUE(LoadEventLogEnabled()) << "a string is not a DWORD";
  const unsigned char zeros[8] = {};
  ::RegSetValueExA(key.Get(), "EventLog", 0, REG_BINARY, zeros, sizeof zeros);
  EXPECT_TRUE(LoadEventLogEnabled());
}

}  // namespace
}  // namespace directory
