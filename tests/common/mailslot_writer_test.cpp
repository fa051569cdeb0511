#include "common/mailslot_writer.h"

#include <gtest/gtest.h>

#include "tests/support/test_mailslot.h"

namespace alert {
namespace {

using testing_support::RunProgram;
using testing_support::TestMailslot;

constexpr char kTestSlot[] = R"(\\.\mailslot\TELLISTRY_TESTS\writer)";

std::string ThisComputer() {
  char name[64] = {};
  DWORD length = sizeof name;
  ::GetComputerNameA(name, &length);
  return name;
}

TEST(WriteDatagramTo, DeliversExactlyTheRecordBytes) {
  TestMailslot slot(kTestSlot);
  ASSERT_TRUE(slot.IsOpen());
  const DatagramBytes sent = BuildDatagram(0xCAFEF00Du, "HOST", "a\tb\tc");
  ASSERT_TRUE(WriteDatagramTo(kTestSlot, sent));
  auto received = slot.Read(2000);
  ASSERT_TRUE(received);
  ASSERT_EQ(received->size(), kDatagramSize);
  EXPECT_TRUE(std::equal(sent.begin(), sent.end(), received->begin()));
}

TEST(WriteDatagramTo, FailsWhenNoMailslotListens) {
  EXPECT_FALSE(WriteDatagramTo(R"(\\.\mailslot\TELLISTRY_TESTS\nobody)", BuildDatagram(1, "", "")));
}

// Without domain broadcast (as here) the alert still reaches this machine's
// own server mailslot.
TEST(WriteAlert, FallsBackToTheLocalMailslot) {
  TestMailslot slot(kLocalMailslotName);
  ASSERT_TRUE(slot.IsOpen());
  const DWORD before = ::GetTickCount();
  ASSERT_TRUE(WriteAlert("Backup", "Admins", "Disk full"));
  auto received = slot.Read(2000);
  ASSERT_TRUE(received);
  ASSERT_EQ(received->size(), kDatagramSize);
  Datagram d = ParseDatagram(*received);
  EXPECT_EQ(d.text, "Backup\tAdmins\tDisk full");
  EXPECT_EQ(d.computerName, ThisComputer());
  EXPECT_LE(d.tick - before, 5000u);
}

TEST(WriteAlert, FailsWhenNoServerMailslotExists) {
  EXPECT_FALSE(WriteAlert("a", "b", "c"));
}

TEST(RaiseAlertProgram, WritesOneDatagramFromItsArguments) {
  TestMailslot slot(kLocalMailslotName);
  ASSERT_TRUE(slot.IsOpen());
  ASSERT_EQ(RunProgram("raisealert.exe", "\"Nightly backup\" Admins Tape \"drive 3\" failed"), 0);
  auto received = slot.Read(2000);
  ASSERT_TRUE(received);
  EXPECT_EQ(received->size(), kDatagramSize);
  EXPECT_EQ(ParseDatagram(*received).text, "Nightly backup\tAdmins\tTape drive 3 failed");
  EXPECT_FALSE(slot.Read(200)) << "exactly one datagram";
}

TEST(RaiseAlertProgram, ReportsFailureThroughItsExitCode) {
  EXPECT_EQ(RunProgram("raisealert.exe", "only two"), 2);
  EXPECT_EQ(RunProgram("raisealert.exe", "a b c"), 1) << "no server mailslot exists";
}

}  // namespace
}  // namespace alert
