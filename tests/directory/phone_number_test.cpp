#include "server/directory/phone_number.h"

#include <gtest/gtest.h>

#include <string>

namespace directory {
namespace {

using namespace std::string_literals;

TEST(IsValidNumber, AcceptsPlusOrDigitThenDigits) {
  for (const char* text : {"+441234", "0711", "007", "0", "+", "12345678901234567890123456789012345",
                           " 0711 ", "\t\r\n\v\f+49\f\v\n\r\t"})
    EXPECT_TRUE(IsValidNumber(text)) << '[' << text << ']';
}

TEST(IsValidNumber, RejectsEverythingElse) {
  for (const std::string& text :
       {""s, " "s, " \t\r\n"s, "07 11"s, "07-11"s, "(07)11"s, "0711a"s, "a0711"s, "++44"s, "+4+4"s,
        "0711+"s, "-1"s, "\xb9\xb2"s, "07\xe9"s, "0\0001"s, "0711\x00"s, "\xa0" "0711"s})
    EXPECT_FALSE(IsValidNumber(text)) << '[' << text << ']';
}

}  // namespace
}  // namespace directory
