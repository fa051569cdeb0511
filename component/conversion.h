// Conversion of COM strings to the 8-bit text of the alert datagram.
#pragma once

#include <windows.h>

#include <string>

namespace pagoret {

// The code page of every wide/8-bit conversion in the component: the calling
// thread's ANSI code page on Windows NT 5 or later; on older systems the
// default ANSI code page of the thread's locale (the system's when that
// cannot be read). Decided once, on the first call.
UINT ConversionCodePage();

// Converts up to the first NUL (the length prefix of a BSTR is ignored);
// null gives the empty string, a character outside the code page becomes its
// default character. Throws std::bad_alloc when memory runs out.
std::string ToAnsi(const wchar_t* text);

}  // namespace pagoret
