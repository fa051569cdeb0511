#include "server/modem/script_statement.h"

#include <array>
#include <utility>

#include "common/ascii_case.h"
#include "common/escapes.h"
#include "common/trim.h"

namespace modem {

namespace {

// Longer keywords come before their prefixes: SENDMESSAGE and SENDNUMBER
// before SEND.
constexpr std::array<std::pair<std::string_view, StatementKind>, 7> kKeywords{{
    {"DIAL", StatementKind::Dial},
    {"HANGUP", StatementKind::HangUp},
    {"CR", StatementKind::CarriageReturn},
    {"WAITFOR", StatementKind::Wait},
    {"SENDMESSAGE", StatementKind::SendMessage},
    {"SENDNUMBER", StatementKind::SendNumber},
    {"SEND", StatementKind::Send},
}};

}  // namespace

StatementKind ClassifyStatement(std::string_view statement) {
  const std::string_view trimmed = text::Trim(statement);
  for (const auto& [keyword, kind] : kKeywords)
    if (text::EqualIgnoringAsciiCase(trimmed.substr(0, keyword.size()), keyword)) return kind;
  return StatementKind::Unrecognised;
}

std::optional<std::string> WaitArgument(std::string_view statement) {
  const std::size_t open = statement.find('"');
  if (open == std::string_view::npos) return std::nullopt;
  const std::size_t close = statement.find('"', open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return std::string(text::Trim(statement.substr(open + 1, close - open - 1)));
}

std::optional<std::string> SendArgument(std::string_view statement,
                                        text::LeadByteTest isLeadByte) {
  const std::size_t open = text::FindCharacter(statement, '"', isLeadByte);
  if (open == std::string_view::npos) return std::nullopt;
  return text::DecodeEscapes(statement.substr(open + 1), '"', isLeadByte);
}

}  // namespace modem
