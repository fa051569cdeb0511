#include "server/directory/names.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/cp932.h"

namespace directory {
namespace {

using namespace std::string_literals;

TEST(NamesEqual, IgnoresCaseOfAsciiLettersOnly) {
  EXPECT_TRUE(NamesEqual("Sales", "sALES", nullptr));
  EXPECT_TRUE(NamesEqual("", "", nullptr));
  EXPECT_TRUE(NamesEqual("a1-[z]", "A1-[Z]", nullptr));
  EXPECT_FALSE(NamesEqual("Sales", "Sale", nullptr));
  EXPECT_FALSE(NamesEqual("Sales", " Sales", nullptr)) << "spaces are significant";
  EXPECT_FALSE(NamesEqual("Sales", "Sales ", nullptr));
  EXPECT_FALSE(NamesEqual("\xe9t\xe9", "\xc9T\xc9", nullptr)) << "no folding beyond A-Z";
  // Neighbours of the letter ranges must not fold onto each other.
  EXPECT_FALSE(NamesEqual("@", "`", nullptr));
  EXPECT_FALSE(NamesEqual("[", "{", nullptr));
  EXPECT_FALSE(NamesEqual("a\0b"s, "a\0c"s, nullptr));
}

TEST(IsUsableEntryName, RefusesNamesThatWouldReachAnotherKey) {
  EXPECT_TRUE(IsUsableEntryName("Main", nullptr));
  EXPECT_TRUE(IsUsableEntryName(" Users", nullptr));
  EXPECT_TRUE(IsUsableEntryName("Users2", nullptr));
  EXPECT_TRUE(IsUsableEntryName("a/b", nullptr));
  EXPECT_TRUE(IsUsableEntryName(std::string(255, 'x'), nullptr));

  EXPECT_FALSE(IsUsableEntryName("", nullptr));
  EXPECT_FALSE(IsUsableEntryName("a\\b", nullptr));
  EXPECT_FALSE(IsUsableEntryName("\\", nullptr));
  EXPECT_FALSE(IsUsableEntryName("a\0b"s, nullptr));
  EXPECT_FALSE(IsUsableEntryName(std::string(256, 'x'), nullptr));
  for (const char* book : {"Users", "USERS", "users", "Groups", "gROUPS"})
    EXPECT_FALSE(IsUsableEntryName(book, nullptr)) << book;
}

TEST(IsUsableEntryName, TakesATrailByteForPartOfItsCharacter) {
  const std::string display = "\x95\x5C\x8E\xA6";  // 表示: 95 5C is one character
  EXPECT_TRUE(IsUsableEntryName(display, testing_support::IsCp932LeadByte));
  EXPECT_FALSE(IsUsableEntryName(display + "\\x", testing_support::IsCp932LeadByte));
  EXPECT_FALSE(IsUsableEntryName(display, nullptr)) << "single-byte code page: a backslash";
  EXPECT_FALSE(IsUsableEntryName("\x95\0"s, testing_support::IsCp932LeadByte));
}

}  // namespace
}  // namespace directory
