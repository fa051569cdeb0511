// Walking 8-bit ANSI text a character at a time. In the double-byte code
// pages (932, 936, 949, 950) the second byte of a character can equal a
// backslash or a letter; scanning byte by byte would take it for one.
// Portable: the code page's lead bytes come from the caller (on Windows:
// win::IsAnsiLeadByte, common/ansi_code_page.h).
#pragma once

#include <cstddef>
#include <string_view>

namespace text {

// Tells whether a byte opens a double-byte character. Null stands for a
// single-byte code page.
using LeadByteTest = bool (*)(unsigned char);

// Offset of the character after the one that starts at `i`. A lead byte
// pairs only with a byte that can be a trail byte (0x40 and above in every
// double-byte code page), so NUL, quotes, digits and control bytes are never
// swallowed by a stray lead byte, and a lead byte at the end stands alone.
inline std::size_t NextCharacter(std::string_view text, std::size_t i, LeadByteTest isLeadByte) {
  if (isLeadByte && i + 1 < text.size() && isLeadByte(static_cast<unsigned char>(text[i])) &&
      static_cast<unsigned char>(text[i + 1]) >= 0x40)
    return i + 2;
  return i + 1;
}

// True when the character at `i` is the single byte `c`.
inline bool IsCharacterAt(std::string_view text, std::size_t i, char c, LeadByteTest isLeadByte) {
  return text[i] == c && NextCharacter(text, i, isLeadByte) == i + 1;
}

// Offset of the first (last) character that is the single byte `c`; npos
// when there is none.
inline std::size_t FindCharacter(std::string_view text, char c, LeadByteTest isLeadByte) {
  for (std::size_t i = 0; i < text.size(); i = NextCharacter(text, i, isLeadByte))
    if (IsCharacterAt(text, i, c, isLeadByte)) return i;
  return std::string_view::npos;
}

inline std::size_t FindLastCharacter(std::string_view text, char c, LeadByteTest isLeadByte) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); i = NextCharacter(text, i, isLeadByte))
    if (IsCharacterAt(text, i, c, isLeadByte)) found = i;
  return found;
}

}  // namespace text
