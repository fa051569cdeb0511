// Letter case of ASCII letters only: names of users, groups, SMS entries and
// computers, and script keywords, match without regard to A-Z case. No other
// byte is folded, and neither is the second byte of a double-byte character
// (which can lie in a-z), so two different characters never match. Portable.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/dbcs.h"

namespace text {

inline char FoldAsciiCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b,
                                   LeadByteTest isLeadByte = nullptr) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    const std::size_t next = NextCharacter(a, i, isLeadByte);
    if (next == i + 1 ? FoldAsciiCase(a[i]) != FoldAsciiCase(b[i]) : a.substr(i, 2) != b.substr(i, 2))
      return false;
    i = next;
  }
  return true;
}

}  // namespace text
