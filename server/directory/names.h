// How names of users, groups and SMS entries are matched, and which names
// can name an SMS entry's key. Portable. The lead-byte test has no default:
// every caller says which code page its text is in (on Windows the ANSI code
// page's win::IsAnsiLeadByte, through directory::SameName and the SMS entry
// functions; null only for text known to be single-byte).
#pragma once

#include <string_view>

#include "common/dbcs.h"

namespace directory {

// Whole strings, letter case ignored for A-Z only; no trimming, so
// surrounding spaces are significant.
bool NamesEqual(std::string_view a, std::string_view b, text::LeadByteTest isLeadByte);

// An SMS entry's values live in the child key of the application key that
// bears its name. A name that the registry cannot use as one key name
// (empty, a backslash, a NUL, longer than 255 characters), or that would
// land in the address book's keys ("Users", "Groups" in any case), is
// refused, so no entry ever writes into or deletes another key. The second
// byte of a double-byte character is no backslash.
bool IsUsableEntryName(std::string_view name, text::LeadByteTest isLeadByte);

}  // namespace directory
