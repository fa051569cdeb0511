#include "server/log/log_entry.h"

#include <gtest/gtest.h>

namespace activity {
namespace {

LogTime Morning() {
  LogTime t;
  t.year = 2026;
  t.month = 12;
  t.dayOfWeek = 2;
  t.day = 8;
  t.hour = 6;
  t.minute = 10;
  t.second = 18;
  return t;
}

TEST(LogEntry, HasLevelTimeStampAndPrefixedText) {
  EXPECT_EQ(FormatLogEntry("abc", LogLevel::Warning, Morning()),
            "1[Tue, 08 Dec 2026 06:10:18] WARNING: abc");
  EXPECT_EQ(FormatLogEntry("Welcome", LogLevel::Information, Morning()),
            "0[Tue, 08 Dec 2026 06:10:18] INFO: Welcome");
  EXPECT_EQ(FormatLogEntry("", LogLevel::Error, Morning()), "2[Tue, 08 Dec 2026 06:10:18] ERROR: ");
}

TEST(LogEntry, TextIsNeverAPattern) {
  EXPECT_EQ(FormatLogEntry("100%s %d done", LogLevel::Information, Morning()),
            "0[Tue, 08 Dec 2026 06:10:18] INFO: 100%s %d done");
}

TEST(LogEntry, TimeStampUsesEnglishNamesAndTwoDigitFields) {
  LogTime t{2027, 1, 0, 3, 23, 5, 9};
  EXPECT_EQ(FormatTimeStamp(t), "Sun, 03 Jan 2027 23:05:09");
  t.month = 5;
  t.dayOfWeek = 6;
  t.day = 31;
  EXPECT_EQ(FormatTimeStamp(t), "Sat, 31 May 2027 23:05:09");
}

TEST(LogEntry, ListShowsEntryWithoutItsLevelAndKeepsTheLevel) {
  const std::string entry = FormatLogEntry("abc", LogLevel::Warning, Morning());
  EXPECT_EQ(DisplayedLine(entry), "[Tue, 08 Dec 2026 06:10:18] WARNING: abc");
  EXPECT_EQ(EntryLevel(entry), 1);
  EXPECT_EQ(EntryLevel("2[x"), 2);
  EXPECT_EQ(EntryLevel("[x"), 0);
  EXPECT_EQ(EntryLevel(""), 0);
  EXPECT_EQ(DisplayedLine(""), "");
}

TEST(LogList, HoldsAtMost101Lines) {
  // Appending 150 lines one by one under the cap.
  int count = 0, first = 1;
  for (int entry = 1; entry <= 150; ++entry) {
    if (MustDropOldestLine(count)) {
      ++first;
      --count;
    }
    ++count;
  }
  EXPECT_EQ(count, 101);
  EXPECT_EQ(first, 50);
  EXPECT_FALSE(MustDropOldestLine(100));
  EXPECT_TRUE(MustDropOldestLine(101));
}

TEST(LogList, ColoursByLevel) {
  EXPECT_EQ(LineTextColour(0), 0x0000FF00u);
  EXPECT_EQ(LineTextColour(1), 0x0000FFFFu);
  EXPECT_EQ(LineTextColour(2), 0x000000FFu);
  EXPECT_EQ(LineTextColour(7), 0x000000FFu);
}

}  // namespace
}  // namespace activity
