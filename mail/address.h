// Which mail addresses may be handed to an SMTP server and put into a
// header. Recipients come from strangers' messages, so this is strict.
#pragma once

#include <string_view>

namespace mirte::mail {

// A local part and a domain around one "@", printable ASCII only, and none
// of the characters that end, quote or list addresses (blanks, angle
// brackets, commas, semicolons, colons, quotes, parentheses, brackets,
// backslashes).
bool IsSafeAddress(std::string_view address);

// The part before the last "@" (the whole text when there is none).
std::string_view LocalPart(std::string_view address);

}  // namespace mirte::mail
