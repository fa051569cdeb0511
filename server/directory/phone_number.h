// The telephone-number test shared by recipient resolution and the user and
// SMS entry dialogs. Portable.
#pragma once

#include <string_view>

namespace directory {

// After trimming white space at both ends: "+" or a digit, then digits only.
// No length limit; a lone "+" passes. Blanks, hyphens, brackets, a second
// "+" and bytes outside ASCII fail.
bool IsValidNumber(std::string_view text);

}  // namespace directory
