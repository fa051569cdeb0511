#include "common/format.h"

#include <gtest/gtest.h>

namespace text {
namespace {

TEST(Format, FillsConversionsInOrder) {
  EXPECT_EQ(Format("%d[%s] %s", 2, "Tue, 08 Dec 2026 06:10:18", "ERROR: x"),
            "2[Tue, 08 Dec 2026 06:10:18] ERROR: x");
  EXPECT_EQ(Format("(From %s) %s", std::string("Backup"), std::string_view("done")),
            "(From Backup) done");
  EXPECT_EQ(Format("100%% of %d", 7u), "100% of 7");
}

TEST(Format, ArgumentsAreNeverReadAsPatterns) {
  EXPECT_EQ(Format("Alert for %s", "%s%n%x%d"), "Alert for %s%n%x%d");
  EXPECT_EQ(Format("%s", std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Format, MissingArgumentsAndUnknownConversionsAreHarmless) {
  EXPECT_EQ(Format("%s and %s", "one"), "one and ");
  EXPECT_EQ(Format("%x %"), "%x %");
}

}  // namespace
}  // namespace text
