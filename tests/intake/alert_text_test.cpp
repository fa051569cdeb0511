#include "server/intake/alert_text.h"

#include <gtest/gtest.h>

namespace intake {
namespace {

TEST(SplitAlertText, NeedsTwoTabs) {
  EXPECT_FALSE(SplitAlertText("no tabs at all"));
  EXPECT_FALSE(SplitAlertText("label\trecipient only"));
  EXPECT_FALSE(SplitAlertText(""));
}

TEST(SplitAlertText, OnlyTheFirstTwoTabsSeparate) {
  auto f = SplitAlertText("Backup\tAdmins\tdisk\tfull\t");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->label, "Backup");
  EXPECT_EQ(f->recipient, "Admins");
  EXPECT_EQ(f->message, "disk\tfull\t");

  auto empty = SplitAlertText("\t\t");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->label, "");
  EXPECT_EQ(empty->recipient, "");
  EXPECT_EQ(empty->message, "");
}

TEST(ComposeSentText, PutsTheLabelInParenthesesBeforeTheMessage) {
  EXPECT_EQ(ComposeSentText({"Backup", "Admins", "disk full"}), "(From Backup) disk full");
  EXPECT_EQ(ComposeSentText({"", "x", "m"}), "(From ) m");
  EXPECT_EQ(ComposeSentText({"L", "x", ""}), "(From L) ");
  EXPECT_EQ(ComposeSentText({"%s%n", "x", "%x%d"}), "(From %s%n) %x%d");
}

}  // namespace
}  // namespace intake
