#include "server/directory/multi_string.h"

#include <gtest/gtest.h>

#include <string>

namespace directory {
namespace {

using namespace std::string_literals;

StringList Decode(const std::string& bytes) { return DecodeMultiString(bytes); }

TEST(MultiString, EncodesEachStringWithNulThenAFinalNul) {
  EXPECT_EQ(EncodeMultiString({"a", "b"}), "a\0b\0\0"s);
  EXPECT_EQ(EncodeMultiString({}), "\0"s);
  EXPECT_EQ(EncodeMultiString({"", "x", ""}), "\0x\0\0\0"s);
}

TEST(MultiString, RoundTripsListsWithEmptyStringsInside) {
  for (const StringList& list : {StringList{"a", "b"}, StringList{}, StringList{"a", "", "c"},
                                 StringList{"", "x"}, StringList{"Name", "", "+44 1", "<none>"}})
    EXPECT_EQ(Decode(EncodeMultiString(list)), list);
}

TEST(MultiString, DecodesStoredLayouts) {
  EXPECT_EQ(Decode("a\0\0c\0\0"s), (StringList{"a", "", "c"}));
  EXPECT_EQ(Decode("a\0b\0"s), (StringList{"a", "b"}));  // no final NUL
  EXPECT_EQ(Decode("a\0b"s), (StringList{"a", "b"}));    // last string without NUL
  EXPECT_EQ(Decode("\0"s), StringList{});
  EXPECT_EQ(Decode(""), StringList{});
  EXPECT_EQ(Decode("\0\0"s), StringList{""});
  EXPECT_EQ(Decode("abc"), StringList{"abc"});
}

TEST(MultiString, StringsAreStoredUpToAnEmbeddedNul) {
  EXPECT_EQ(EncodeMultiString({"a\0b"s, "c"}), "a\0c\0\0"s);
}

}  // namespace
}  // namespace directory
