// The byte layout of a list of strings in a REG_MULTI_SZ value. Portable.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace directory {

using StringList = std::vector<std::string>;

// Each string followed by a NUL, then one more NUL; an empty list is one NUL.
// A string is stored up to its first NUL (record fields never hold one).
std::string EncodeMultiString(const StringList& list);

// Walks all of `data`: every run of bytes up to a NUL is one string. An empty
// run at the very end is the terminator, not an element; empty runs before it
// are elements. A last string without its NUL ends at the end of the data.
StringList DecodeMultiString(std::span<const char> data);

}  // namespace directory
