#include "server/modem/script_statement.h"

#include <array>
#include <utility>

namespace modem {

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kWhiteSpace) - first + 1);
}

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

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

StatementKind ClassifyStatement(std::string_view statement) {
  std::string upper(Trim(statement));
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (const auto& [keyword, kind] : kKeywords)
    if (upper.starts_with(keyword)) return kind;
  return StatementKind::Unrecognised;
}

std::optional<std::string> WaitArgument(std::string_view statement) {
  const std::size_t open = statement.find('"');
  if (open == std::string_view::npos) return std::nullopt;
  const std::size_t close = statement.find('"', open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return std::string(Trim(statement.substr(open + 1, close - open - 1)));
}

std::optional<std::string> SendArgument(std::string_view statement) {
  const std::size_t open = statement.find('"');
  if (open == std::string_view::npos) return std::nullopt;
  std::string text;
  for (std::size_t i = open + 1; i < statement.size(); ++i) {
    const char c = statement[i];
    if (c == '"') return text;
    if (c != '\\') {
      text += c;
      continue;
    }
    if (++i == statement.size()) return std::nullopt;
    switch (statement[i]) {
      case 'r': text += '\r'; break;
      case 'n': text += '\n'; break;
      case 't': text += '\t'; break;
      case '\\': text += '\\'; break;
      case '"': text += '"'; break;
      case 'x': {
        if (i + 2 >= statement.size()) return std::nullopt;
        const int high = HexDigit(statement[i + 1]);
        const int low = HexDigit(statement[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        text += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default: return std::nullopt;
    }
  }
  return std::nullopt;  // no closing quote
}

}  // namespace modem
