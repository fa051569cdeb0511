// Preparing an alert text for the SMS service centre. Portable.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/dbcs.h"

namespace modem {

// The longest message the service centre takes, in bytes.
inline constexpr std::size_t kMaxMessageLength = 140;

using text::LeadByteTest;

// Every control byte except TAB (0x00-0x1F) becomes a blank, so text from
// outside cannot smuggle Ctrl-Z, ESC or CR plus AT commands to the modem.
void BlankControlCharacters(std::string& text);

// Makes a copy of an alert text fit for the modem, in place; the length never
// changes. Every control byte except TAB (0x00-0x1F) becomes a blank, so a
// remote sender cannot smuggle Ctrl-Z, ESC or CR plus AT commands to the
// modem. Then "[]$@\^_`{}|~" and DEL become "()##/#-'()!=." position by
// position; the second byte of a double-byte character is left alone.
void SubstituteCharacters(std::string& text, LeadByteTest isLeadByte = nullptr);

// "<id>:<text>" cut so that with the footer appended the whole stays within
// kMaxMessageLength bytes. A footer longer than that on its own leaves no
// room: the message is then the footer's first kMaxMessageLength bytes.
std::string ComposeMessage(std::string_view id, std::string_view text, std::string_view footer);

}  // namespace modem
