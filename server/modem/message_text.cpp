#include "server/modem/message_text.h"

#include <algorithm>

namespace modem {

namespace {

// Characters the service centre cannot take, and what is sent instead.
constexpr std::string_view kSourceCharacters = "[]$@\\^_`{}|~\x7f";
constexpr std::string_view kReplacements = "()##/#-'()!=.";
static_assert(kSourceCharacters.size() == kReplacements.size());

}  // namespace

void BlankControlCharacters(std::string& text) {
  // Every byte, trail bytes included: an invalid double-byte pair must not
  // carry a control byte past this point.
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t') c = ' ';
  }
}

void SubstituteCharacters(std::string& text, LeadByteTest isLeadByte) {
  BlankControlCharacters(text);
  for (std::size_t i = 0, next = 0; i < text.size(); i = next) {
    next = text::NextCharacter(text, i, isLeadByte);
    if (next > i + 1) continue;  // a double-byte character stays whole
    const std::size_t at = kSourceCharacters.find(text[i]);
    if (at != std::string_view::npos) text[i] = kReplacements[at];
  }
}

std::string ComposeMessage(std::string_view id, std::string_view text, std::string_view footer) {
  if (footer.size() >= kMaxMessageLength) return std::string(footer.substr(0, kMaxMessageLength));
  std::string message;
  message.reserve(id.size() + 1 + text.size() + footer.size());
  message.append(id).append(1, ':').append(text);
  message.resize(std::min(message.size(), kMaxMessageLength - footer.size()));
  message.append(footer);
  return message;
}

}  // namespace modem
