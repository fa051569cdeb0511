#include "server/directory/phone_number.h"

#include <algorithm>

namespace directory {
namespace {

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsValidNumber(std::string_view text) {
  const auto first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return false;
  const std::string_view number = text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
  return (number.front() == '+' || IsDigit(number.front())) &&
         std::all_of(number.begin() + 1, number.end(), IsDigit);
}

}  // namespace directory
