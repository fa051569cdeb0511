// White space around a text (blank, tab, CR, LF, vertical tab, form feed).
// Portable.
#pragma once

#include <string_view>

namespace text {

inline constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

inline std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kWhiteSpace) - first + 1);
}

}  // namespace text
