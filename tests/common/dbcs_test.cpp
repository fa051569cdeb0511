#include "common/dbcs.h"

#include <gtest/gtest.h>

#include <string>

#include "common/ascii_case.h"
#include "common/escapes.h"
#include "tests/support/cp932.h"

namespace text {
namespace {

using namespace std::string_literals;
using testing_support::IsCp932LeadByte;

// "C:\表\ソ.exe": both characters end in a byte equal to a backslash.
const std::string kPath = "C:\\\x95\x5C\\\x83\x5C.exe";

TEST(DoubleByteText, BackslashesAreFoundOnlyAsCharacters) {
  EXPECT_EQ(FindLastCharacter(kPath, '\\', IsCp932LeadByte), 5u);
  EXPECT_EQ(FindLastCharacter(kPath, '\\', nullptr), 7u) << "byte by byte";
  EXPECT_EQ(FindCharacter("\x95\x5C"s, '\\', IsCp932LeadByte), std::string::npos);
  EXPECT_EQ(FindLastCharacter("", '\\', IsCp932LeadByte), std::string::npos);
  // A lead byte pairs only with a possible trail byte, and not at the end.
  EXPECT_EQ(FindCharacter("\x95\"x"s, '"', IsCp932LeadByte), 1u);
  EXPECT_EQ(FindCharacter("a\x95"s, '\x95', IsCp932LeadByte), 1u);
}

TEST(DoubleByteText, EscapesAndCaseSkipTrailBytes) {
  EXPECT_EQ(DecodeEscapes("\x95\x5C\x83\x5Cn\\r"s, '\0', IsCp932LeadByte), "\x95\x5C\x83\x5Cn\r"s);
  EXPECT_EQ(DecodeEscapes("\x83\x5Cn"s), "\x83\n"s) << "single-byte code page";
  EXPECT_EQ(DecodeEscapes("\x83\x5C\"x\""s, '"', IsCp932LeadByte), "\x83\x5C"s)
      << "the terminator after a double-byte character";
  // 83 61 and 83 41 are two different characters, not a case pair.
  EXPECT_FALSE(EqualIgnoringAsciiCase("\x83\x61"s, "\x83\x41"s, IsCp932LeadByte));
  EXPECT_TRUE(EqualIgnoringAsciiCase("\x83\x61z"s, "\x83\x61Z"s, IsCp932LeadByte));
  EXPECT_TRUE(EqualIgnoringAsciiCase("\x83\x61"s, "\x83\x41"s)) << "single-byte: plain letters";
}

}  // namespace
}  // namespace text
