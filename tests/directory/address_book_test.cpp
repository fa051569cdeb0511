#include "server/directory/address_book.h"

#include <gtest/gtest.h>

#include "server/directory/registry_store.h"
#include "tests/support/registry_sandbox.h"

namespace directory {
namespace {

using Numbers = std::vector<std::string>;

class AddressBook : public ::testing::Test {
 protected:
  testing_support::RegistrySandbox sandbox;

  static void User(const std::string& name, const std::string& number, const std::string& group) {
    AddUser({name, "desc of " + name, number, group});
  }
  static void Group(const std::string& name) { AddGroup({name, "desc of " + name}); }

  static std::vector<std::string> UserGroups() {
    std::vector<std::string> groups;
    for (const UserRecord& u : LoadUsers()) groups.push_back(u.Group);
    return groups;
  }
  static std::vector<std::string> GroupNames() {
    std::vector<std::string> names;
    for (const GroupRecord& g : LoadGroups()) names.push_back(g.Name);
    return names;
  }
};

TEST_F(AddressBook, GroupBeatsUserBeatsLiteralNumber) {
  Group("Sales");
  Group("Night");
  User("u1", "0711", "sales");
  User("Sales", "0999", kNoGroup);
  User("u2", "0712", "SALES");
  User("Night", "0888", kNoGroup);
  User("999", "0123", kNoGroup);
  User("0555", "0556", "Night ");  // not a member: the spaces count

  EXPECT_EQ(ResolveRecipient("sales"), (Numbers{"0711", "0712"})) << "members in user order";
  EXPECT_EQ(ResolveRecipient("Night"), Numbers{}) << "an empty group ends the search";
  EXPECT_EQ(ResolveRecipient("999"), Numbers{"0123"}) << "a user before the literal number";
  EXPECT_EQ(ResolveRecipient("0555"), Numbers{"0556"});
  EXPECT_EQ(ResolveRecipient("U1"), Numbers{"0711"});
  EXPECT_EQ(ResolveRecipient(" u1"), Numbers{});
  EXPECT_EQ(ResolveRecipient(" 0711 "), Numbers{" 0711 "}) << "literal kept untrimmed";
  EXPECT_EQ(ResolveRecipient("+"), Numbers{"+"});
  EXPECT_EQ(ResolveRecipient("Nobody"), Numbers{});
  EXPECT_EQ(ResolveRecipient(""), Numbers{});
}

TEST_F(AddressBook, FirstOfEqualNamesWinsAndMembersKeepEveryNumber) {
  User("Ann", "0711", "Ops");
  User("ANN", "0722", "Ops");
  User("Bob", "", "ops");
  User("Cid", "0711", "Ops");
  Group("Ops");
  Group("ops");
  EXPECT_EQ(ResolveRecipient("ann"), Numbers{"0711"});
  EXPECT_EQ(ResolveRecipient("OPS"), (Numbers{"0711", "0722", "", "0711"}));
  EXPECT_EQ(GroupMemberNumbers("Ops"), (Numbers{"0711", "0722", "", "0711"}));
}

TEST_F(AddressBook, MissingKeysLeaveOnlyTheLiteralRule) {
  EXPECT_EQ(ResolveRecipient("+44 "), Numbers{"+44 "});
  EXPECT_EQ(ResolveRecipient("Ann"), Numbers{});
  Group("Ops");  // groups but no users: the group still matches, with no members
  EXPECT_EQ(ResolveRecipient("Ops"), Numbers{});
}

TEST_F(AddressBook, ShortRecordsReadWithEmptyFields) {
  {
    RecordKey users(ApplicationKeyPath() + "\\Users");
    users.AppendRecord({"Ann", "d", "0711"});  // no Group field
    users.AppendRecord({});
  }
  const std::vector<UserRecord> all = LoadUsers();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].Group, "");
  EXPECT_EQ(all[1].Name, "");
  EXPECT_EQ(ResolveRecipient("Ann"), Numbers{"0711"});
  EXPECT_EQ(GroupMemberNumbers(""), (Numbers{"0711", ""}));
  ReplaceGroupInUsers("", "Ops");
  EXPECT_EQ(UserGroups(), (std::vector<std::string>{"Ops", "Ops"}));
  EXPECT_EQ(LoadUser(0)->Number, "0711");
}

TEST_F(AddressBook, GroupRenameIsCarriedToItsUsers) {
  Group("Dev");
  Group("Ops");
  User("a", "1", "ops");
  User("b", "2", "OPS");
  User("c", "3", "Dev");
  User("d", "4", "Ops");
  User("e", "5", "Ops ");

  ASSERT_TRUE(UpdateGroup(1, {"Operations", "night shift"}));
  EXPECT_EQ(GroupNames(), (std::vector<std::string>{"Dev", "Operations"}));
  EXPECT_EQ(LoadGroup(1)->Description, "night shift");
  EXPECT_EQ(UserGroups(), (std::vector<std::string>{"Operations", "Operations", "Dev", "Operations", "Ops "}));
  EXPECT_EQ(LoadUser(0)->Description, "desc of a") << "other fields unchanged";

  ASSERT_TRUE(UpdateGroup(1, {"OPERATIONS", ""})) << "a change of case alone";
  EXPECT_EQ(UserGroups(), (std::vector<std::string>{"OPERATIONS", "OPERATIONS", "Dev", "OPERATIONS", "Ops "}));
}

TEST_F(AddressBook, GroupDeletionLeavesItsUsersWithoutGroup) {
  Group("Ops");
  Group("Dev");
  Group("OPS");
  User("a", "1", "Ops");
  User("b", "2", "Dev");
  User("c", "3", "ops");

  ASSERT_TRUE(DeleteGroup(2)) << "either of two equal names frees all their users";
  EXPECT_EQ(GroupNames(), (std::vector<std::string>{"Ops", "Dev"}));
  EXPECT_EQ(UserGroups(), (std::vector<std::string>{kNoGroup, "Dev", kNoGroup}));
  EXPECT_EQ(LoadUsers().size(), 3u);

  ASSERT_TRUE(DeleteGroup(0));
  EXPECT_EQ(GroupNames(), std::vector<std::string>{"Dev"});

  ASSERT_TRUE(DeleteUser(1));
  EXPECT_EQ(GroupNames(), std::vector<std::string>{"Dev"}) << "deleting a user changes no group";
  EXPECT_EQ(LoadUsers().size(), 2u);
  EXPECT_EQ(LoadUser(1)->Name, "c");
}

TEST_F(AddressBook, ChangesOutsideTheRecordsDoNothing) {
  EXPECT_FALSE(UpdateUser(0, {"a", "", "1", kNoGroup}));
  EXPECT_FALSE(UpdateGroup(0, {"g", ""}));
  EXPECT_FALSE(DeleteUser(0));
  EXPECT_FALSE(DeleteGroup(0));
  EXPECT_FALSE(LoadUser(0));
  EXPECT_FALSE(OpenKeyForReading(ApplicationKeyPath())) << "nothing created on a fresh hive";

  Group("Ops");
  User("a", "1", "Ops");
  User("b", "2", "");
  for (int bad : {-1, 2, 100}) {
    EXPECT_FALSE(UpdateUser(bad, {"x", "", "9", kNoGroup})) << bad;
    EXPECT_FALSE(DeleteUser(bad)) << bad;
  }
  // An empty group name must not be "renamed" or "deleted" from a missing record.
  EXPECT_FALSE(UpdateGroup(1, {"New", ""}));
  EXPECT_FALSE(DeleteGroup(1));
  EXPECT_EQ(LoadUsers().size(), 2u);
  EXPECT_EQ(UserGroups(), (std::vector<std::string>{"Ops", ""}));
  EXPECT_EQ(LoadGroups().size(), 1u);

  ASSERT_TRUE(UpdateUser(1, {"b2", "d", "0711", "Ops"}));
  EXPECT_EQ(ResolveRecipient("Ops"), (Numbers{"1", "0711"}));
}

}  // namespace
}  // namespace directory
