#include "server/directory/phone_number.h"

#include <algorithm>

#include "common/trim.h"

namespace directory {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsValidNumber(std::string_view text) {
  const std::string_view number = text::Trim(text);
  if (number.empty()) return false;
  return (number.front() == '+' || IsDigit(number.front())) &&
         std::all_of(number.begin() + 1, number.end(), IsDigit);
}

}  // namespace directory
