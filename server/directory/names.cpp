#include "server/directory/names.h"

#include <cstddef>

#include "common/ascii_case.h"

namespace directory {
namespace {

// The registry's limit for the name of one key.
constexpr std::size_t kMaxKeyNameLength = 255;

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b, text::LeadByteTest isLeadByte) {
  return text::EqualIgnoringAsciiCase(a, b, isLeadByte);
}

bool IsUsableEntryName(std::string_view name, text::LeadByteTest isLeadByte) {
  return !name.empty() && name.size() <= kMaxKeyNameLength &&
         name.find('\0') == std::string_view::npos &&
         text::FindCharacter(name, '\\', isLeadByte) == std::string_view::npos &&
         !NamesEqual(name, "Users", nullptr) && !NamesEqual(name, "Groups", nullptr);
}

}  // namespace directory
