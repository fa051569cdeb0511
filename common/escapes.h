// Backslash escapes in texts that stand for bytes: \r \n \t \\ \" and \xHH
// (two hex digits). Portable.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/dbcs.h"

namespace text {

// Decodes `in` up to its first unescaped `terminator` (with '\0': up to its
// end). Nothing when an escape is unknown or incomplete, or the terminator
// never comes. Double-byte characters are copied whole: their second byte is
// never a backslash or the terminator.
std::optional<std::string> DecodeEscapes(std::string_view in, char terminator = '\0',
                                         LeadByteTest isLeadByte = nullptr);

// Shows untrusted bytes as printable ASCII that DecodeEscapes turns back
// into them: \r, \n, \\ and \" for those four, \xHH for every other byte
// outside 0x20..0x7E (control bytes, DEL, and bytes of any code page, whose
// characters a cut may have split).
std::string EscapeBytes(std::string_view bytes);

}  // namespace text
