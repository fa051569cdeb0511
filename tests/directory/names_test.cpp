#include "server/directory/names.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/cp932.h"

namespace directory {
namespace {

using namespace std::string_literals;

TEST(NamesEqual, IgnoresCaseOfAsciiLettersOnly) {
  EXPECT_TRUE(NamesEqual("Sales", "sALES"));
  EXPECT_TRUE(NamesEqual("", ""));
  EXPECT_TRUE(NamesEqual("a1-[z]", "A1-[Z]"));
  EXPECT_FALSE(NamesEqual("Sales", "Sale"));
  EXPECT_FALSE(NamesEqual("Sales", " Sales")) << "spaces are significant";
  EXPECT_FALSE(NamesEqual("Sales", "Sales "));
  EXPECT_FALSE(NamesEqual("\xe9t\xe9", "\xc9T\xc9")) << "no folding beyond A-Z";
  // Neighbours of the letter ranges must not fold onto each other.
  EXPECT_FALSE(NamesEqual("@", "`"));
  EXPECT_FALSE(NamesEqual("[", "{"));
  EXPECT_FALSE(NamesEqual("a\0b"s, "a\0c"s));
}

TEST(IsUsableEntryName, RefusesNamesThatWouldReachAnotherKey) {
  EXPECT_TRUE(IsUsableEntryName("Main"));
  EXPECT_TRUE(IsUsableEntryName(" Users"));
  EXPECT_TRUE(IsUsableEntryName("Users2"));
  EXPECT_TRUE(IsUsableEntryName("a/b"));
  EXPECT_TRUE(IsUsableEntryName(std::string(255, 'x')));

  EXPECT_FALSE(IsUsableEntryName(""));
  EXPECT_FALSE(IsUsableEntryName("a\\b"));
  EXPECT_FALSE(IsUsableEntryName("\\"));
  EXPECT_FALSE(IsUsableEntryName("a\0b"s));
  EXPECT_FALSE(IsUsableEntryName(std::string(256, 'x')));
  for (const char* book : {"Users", "USERS", "users", "Groups", "gROUPS"})
    EXPECT_FALSE(IsUsableEntryName(book)) << book;
}

TEST(IsUsableEntryName, TakesATrailByteForPartOfItsCharacter) {
  const std::string display = "\x95\x5C\x8E\xA6";  // 表示: 95 5C is one character
  EXPECT_TRUE(IsUsableEntryName(display, testing_support::IsCp932LeadByte));
  EXPECT_FALSE(IsUsableEntryName(display + "\\x", testing_support::IsCp932LeadByte));
  EXPECT_FALSE(IsUsableEntryName(display)) << "single-byte code page: a backslash";
  EXPECT_FALSE(IsUsableEntryName("\x95\0"s, testing_support::IsCp932LeadByte));
}

}  // namespace
}  // namespace directory
