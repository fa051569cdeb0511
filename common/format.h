// Safe text formatting for the program's own patterns. Portable.
//
// Format("Timed out waiting for %s", text) fills each %s or %d of the pattern
// with the next argument, converted to text; "%%" is a percent sign. The
// arguments are never read as patterns, so untrusted text (alerts, modem
// bytes, registry data) is always shown literally. The pattern is always a
// constant of the program.
#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <vector>

namespace text {

std::string FormatList(std::string_view pattern, const std::vector<std::string>& args);

inline std::string ToText(std::string_view s) { return std::string(s); }
inline std::string ToText(const char* s) { return s ? std::string(s) : std::string(); }
inline std::string ToText(char c) { return std::string(1, c); }
template <std::integral T>
  requires(!std::same_as<T, char> && !std::same_as<T, bool>)
std::string ToText(T n) {
  return std::to_string(n);
}

template <typename... Args>
std::string Format(std::string_view pattern, const Args&... args) {
  return FormatList(pattern, {ToText(args)...});
}

}  // namespace text
