// The system's ANSI code page, in which the server's texts are. Win32.
#pragma once

#include <windows.h>

namespace win {

// The lead bytes of the ANSI code page, as a text::LeadByteTest.
inline bool IsAnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != 0; }

}  // namespace win
