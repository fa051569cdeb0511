#include "server/directory/address_book.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "server/directory/registry_store.h"
#include "tests/support/registry_sandbox.h"

namespace directory {
namespace {

using Strings = std::vector<std::string>;

// A fresh Recipients reads the store: the resolution rule as it is now.
Strings ResolveRecipient(const std::string& recipient) { return Recipients().Resolve(recipient); }

class AddressBook : public ::testing::Test {
 protected:
  testing_support::RegistrySandbox sandbox;

  static void User(const std::string& name, const std::string& number, const std::string& group) {
    AddUser({name, "desc of " + name, number, group});
  }
  static void Group(const std::string& name) { AddGroup({name, ""}); }
  static Strings UserGroups() {
    Strings groups;
    for (const auto& u : LoadUsers()) groups.push_back(u.Fields.Group);
    return groups;
  }
  static Strings GroupNames() {
    Strings names;
    for (const auto& g : LoadGroups()) names.push_back(g.Fields.Name);
    return names;
  }
};

TEST_F(AddressBook, GroupBeatsUserBeatsLiteralNumber) {
  EXPECT_EQ(ResolveRecipient(" +44 "), Strings{" +44 "}) << "no keys: literal rule alone";
  Group("Sales");
  Group("Night");
  Group("sales");
  User("u1", "0711", "sales");
  User("Sales", "0999", kNoGroup);
  User("u2", "0712", "SALES");
  User("Night", "0888", kNoGroup);
  User("999", "0123", kNoGroup);
  User("u3", "0555", "Night ");  // not a member: the space counts
  User("U3", "0556", kNoGroup);
  User("u4", "0711", "Sales");
  User("u5", "", "Sales");

  EXPECT_EQ(ResolveRecipient("SALES"), (Strings{"0711", "0712", "0711", ""}))
      << "every member in user order, shared and empty numbers too";
  EXPECT_EQ(ResolveRecipient("Night"), Strings{}) << "an empty group ends the search";
  EXPECT_EQ(ResolveRecipient("999"), Strings{"0123"}) << "a user before the literal number";
  EXPECT_EQ(ResolveRecipient("u3"), Strings{"0555"}) << "the first of equal names";
  EXPECT_EQ(ResolveRecipient(" u1"), Strings{});
  EXPECT_EQ(ResolveRecipient(" 0711 "), Strings{" 0711 "}) << "literal kept untrimmed";
  EXPECT_EQ(ResolveRecipient("Nobody"), Strings{});
  EXPECT_EQ(ResolveRecipient(""), Strings{});
}

TEST_F(AddressBook, GroupRenameIsCarriedToItsUsers) {
  Group("Dev");
  Group("Ops");
  Group("OPS");
  for (const char* group : {"ops", "OPS", "Dev", "Ops", "Ops "}) User("u", "1", group);

  ASSERT_TRUE(UpdateGroup(1, {"Operations", "night shift"}));
  EXPECT_EQ(GroupNames(), (Strings{"Dev", "Operations", "OPS"}));
  EXPECT_EQ(LoadGroup(1)->Description, "night shift");
  EXPECT_EQ(UserGroups(), (Strings{"Operations", "Operations", "Dev", "Operations", "Ops "}))
      << "the other group named Ops is left without members";
  EXPECT_EQ(LoadUser(0)->Description, "desc of u");

  ASSERT_TRUE(UpdateGroup(1, {"OPERATIONS", ""})) << "a change of case alone";
  EXPECT_EQ(UserGroups(), (Strings{"OPERATIONS", "OPERATIONS", "Dev", "OPERATIONS", "Ops "}));
}

TEST_F(AddressBook, GroupDeletionLeavesItsUsersWithoutGroup) {
  Group("Ops");
  Group("Dev");
  Group("OPS");
  User("a", "1", "Ops");
  User("b", "2", "Dev");
  User("c", "3", "ops");

  ASSERT_TRUE(DeleteGroup(2)) << "either of two equal names frees all their users";
  EXPECT_EQ(GroupNames(), (Strings{"Ops", "Dev"}));
  EXPECT_EQ(UserGroups(), (Strings{kNoGroup, "Dev", kNoGroup}));

  ASSERT_TRUE(DeleteUser(1));
  EXPECT_EQ(GroupNames(), (Strings{"Ops", "Dev"})) << "deleting a user changes no group";
  EXPECT_EQ(LoadUser(1)->Name, "c");
}

TEST_F(AddressBook, ChangesOutsideTheRecordsDoNothing) {
  EXPECT_FALSE(UpdateUser(0, {"a", "", "1", kNoGroup}));
  EXPECT_FALSE(DeleteGroup(0));
  EXPECT_FALSE(OpenKeyForReading(ApplicationKeyPath())) << "nothing created on a fresh hive";

  Group("Ops");
  User("a", "1", "Ops");
  User("b", "2", "");
  for (int bad : {-1, 2}) {
    EXPECT_FALSE(UpdateUser(bad, {"x", "", "9", kNoGroup})) << bad;
    EXPECT_FALSE(DeleteUser(bad)) << bad;
  }
  // A missing group record reads with an empty Name; that must not move
  // the users whose Group is empty.
  EXPECT_FALSE(UpdateGroup(1, {"New", ""}));
  EXPECT_FALSE(DeleteGroup(1));
  EXPECT_EQ(UserGroups(), (Strings{"Ops", ""}));
  EXPECT_EQ(GroupNames(), Strings{"Ops"});

  ASSERT_TRUE(UpdateUser(1, {"b2", "d", "0711", "Ops"}));
  EXPECT_EQ(ResolveRecipient("Ops"), (Strings{"1", "0711"}));
}

TEST_F(AddressBook, AStrayRecordFarAboveTheRestCostsNothing) {
  Group("Far");
  User("Ann", "0711", "Far");
  // As an external edit or a damaged store could leave them: a count of
  // 2^31 - 1 and one record just below it, in both keys.
  for (const char* key : {"\\Users", "\\Groups"}) {
    win::RegKey records = OpenKeyForWriting(ApplicationKeyPath() + key);
    ASSERT_TRUE(RegWriteDword(records.Get(), "Count", 0x7fffffff));
  }
  ASSERT_TRUE(RecordKey(ApplicationKeyPath() + "\\Users").WriteRecord(2147483646, {"Zed", "", "0777", "far"}));
  ASSERT_TRUE(RecordKey(ApplicationKeyPath() + "\\Groups").WriteRecord(2147483646, {"Zed", ""}));

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ResolveRecipient("Far"), (Strings{"0711", "0777"}));
  EXPECT_EQ(ResolveRecipient("zed"), Strings{}) << "the far group, without members";
  EXPECT_EQ(ResolveRecipient(""), Strings{}) << "a missing record has no name";
  const auto elapsed = std::chrono::steady_clock::now() - start;
  std::printf("three resolutions past a count of 2^31 - 1: %lld ms\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));

  const auto users = LoadUsers();
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[1].Index, 2147483646);
  ASSERT_TRUE(DeleteUser(0));
  EXPECT_EQ(LoadUsers().at(0).Index, 2147483645);
  ASSERT_TRUE(UpdateGroup(0, {"Near", ""}));
  EXPECT_EQ(ResolveRecipient("near"), Strings{"0777"});
}

TEST_F(AddressBook, KeptRecipientsFollowEveryChangeOfTheStore) {
  Recipients recipients;
  EXPECT_EQ(recipients.Resolve("Ops"), Strings{}) << "no keys yet";
  Group("Ops");
  EXPECT_EQ(recipients.Resolve("Ops"), Strings{}) << "a new group, without members";
  User("Ann", "0711", "Ops");
  User("Bob", "0712", "Ops");
  EXPECT_EQ(recipients.Resolve("ops"), (Strings{"0711", "0712"}));
  EXPECT_EQ(recipients.Resolve("Bob"), Strings{"0712"});
  ASSERT_TRUE(UpdateUser(1, {"Bob", "", "0999", kNoGroup}));
  EXPECT_EQ(recipients.Resolve("Ops"), Strings{"0711"});
  EXPECT_EQ(recipients.Resolve("Bob"), Strings{"0999"});
  // The whole application key removed and made again, as a reset does.
  testing_support::DeleteKeyTree(ApplicationKeyPath());
  EXPECT_EQ(recipients.Resolve("Bob"), Strings{});
  User("Bob", "0444", kNoGroup);
  EXPECT_EQ(recipients.Resolve("Bob"), Strings{"0444"});
  EXPECT_EQ(recipients.Resolve("Ops"), Strings{});
}

}  // namespace
}  // namespace directory
