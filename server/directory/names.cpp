#include "server/directory/names.h"

#include <algorithm>
#include <cstddef>

namespace directory {
namespace {

char FoldAsciiCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The registry's limit for the name of one key.
constexpr std::size_t kMaxKeyNameLength = 255;

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return FoldAsciiCase(x) == FoldAsciiCase(y); });
}

bool IsUsableEntryName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxKeyNameLength &&
         name.find_first_of(std::string_view("\\\0", 2)) == std::string_view::npos &&
         !NamesEqual(name, "Users") && !NamesEqual(name, "Groups");
}

}  // namespace directory
