// Reading the statements of a modem script: what kind each one is and the
// quoted argument of a wait or send statement. Portable.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/dbcs.h"

namespace modem {

// The numbers are the classifier's codes.
enum class StatementKind {
  Unrecognised = 0,
  Dial = 1,
  HangUp = 2,
  Wait = 3,
  Send = 4,
  CarriageReturn = 5,
  SendMessage = 6,
  SendNumber = 7,
};

// Decided by the keyword the statement begins with, ignoring surrounding
// white space and letter case; whatever follows the keyword does not matter.
StatementKind ClassifyStatement(std::string_view statement);

// The text between the first two double quotes, trimmed of white space; no
// escapes. Empty optional when the statement has fewer than two quotes.
std::optional<std::string> WaitArgument(std::string_view statement);

// The text from the first double quote to the next unescaped one, with the
// escapes \r \n \t \\ \" and \xHH (two hex digits) decoded and nothing
// trimmed. Empty optional when a quote is missing or an escape is not one of
// these, so a mistyped script fails before it sends anything unintended.
// The text is read a character at a time in the code page that
// `isLeadByte` describes.
std::optional<std::string> SendArgument(std::string_view statement,
                                        text::LeadByteTest isLeadByte = nullptr);

}  // namespace modem
