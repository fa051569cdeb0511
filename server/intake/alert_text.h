// The fields of a queued alert text and the text that is sent. Portable.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace intake {

struct AlertFields {
  std::string label;
  std::string recipient;
  std::string message;  // may be empty and may hold further TABs
};

// Splits "label TAB recipient TAB message" at its first two TABs; nothing
// when the text has fewer than two. (A TAB byte is never the second byte of
// a double-byte character, so a plain byte search is safe in any ANSI code
// page.)
std::optional<AlertFields> SplitAlertText(std::string_view text);

// "(From <label>) <message>"
std::string ComposeSentText(const AlertFields& fields);

}  // namespace intake
