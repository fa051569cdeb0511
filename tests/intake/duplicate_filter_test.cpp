#include "server/intake/duplicate_filter.h"

#include <gtest/gtest.h>

namespace intake {
namespace {

TEST(DuplicateFilter, DropsOnlyARepeatOfTheLastAccepted) {
  DuplicateFilter filter;
  EXPECT_TRUE(filter.Accept(100, "HOST", "a"));
  EXPECT_FALSE(filter.Accept(100, "host", "a"));  // same tick and text, name in other case
  EXPECT_TRUE(filter.Accept(100, "OTHER", "a"));  // same tick, other computer
  EXPECT_TRUE(filter.Accept(100, "HOST", "a"));   // A, B, A: accepted again
  EXPECT_TRUE(filter.Accept(101, "HOST", "a"));
}

TEST(DuplicateFilter, TwoTextsInOneTickAreTwoAlerts) {
  DuplicateFilter filter;
  EXPECT_TRUE(filter.Accept(100, "HOST", "x\tAdmins\tfirst"));
  EXPECT_TRUE(filter.Accept(100, "HOST", "x\tAdmins\tsecond"));
  EXPECT_FALSE(filter.Accept(100, "HOST", "x\tAdmins\tsecond"));
  EXPECT_TRUE(filter.Accept(100, "HOST", "x\tAdmins\tsecon"));  // a prefix is another text
  EXPECT_TRUE(filter.Accept(100, "HOST", ""));
  EXPECT_FALSE(filter.Accept(100, "HOST", ""));
}

TEST(DuplicateFilter, FirstDatagramIsAcceptedWhateverItCarries) {
  DuplicateFilter filter;
  EXPECT_TRUE(filter.Accept(0xFFFFFFFFu, "", ""));
  EXPECT_FALSE(filter.Accept(0xFFFFFFFFu, "", ""));
}

TEST(SameComputerName, FoldsLettersOnly) {
  EXPECT_TRUE(SameComputerName("Build-07", "BUILD-07"));
  EXPECT_FALSE(SameComputerName("BUILD-07", "BUILD_07"));
  EXPECT_FALSE(SameComputerName("HOST", "HOST2"));
  EXPECT_FALSE(SameComputerName("[", "{"));  // 0x5B and 0x7B are not letters
}

}  // namespace
}  // namespace intake
