// Conversion of the texts of fetched messages, in whatever charset they
// declare, to CP932. Japanese mail needs leniency: phones and Outlook put
// CP932-only characters (① ㈱, IBM extensions) into text declared as
// ISO-2022-JP, which strict converters turn into garbage.
#pragma once

#include <string>
#include <string_view>

namespace mirte::mail {

// Decodes ISO-2022-JP (and its common misuse) into CP932 by undoing the
// escape sequences and mapping each JIS X 0208 pair to Shift_JIS
// arithmetically, so NEC and IBM extension rows come out as CP932 has them.
// Half-width katakana (ESC ( I, SO/SI) is kept; characters of other sets
// become "?".
std::string Iso2022JpToCp932(std::string_view bytes);

// Converts `bytes` declared as `charset` (any case, may be empty) to CP932.
// Characters CP932 lacks become "?". An unknown or missing charset is taken
// as UTF-8 when the bytes are valid UTF-8, else as CP932.
std::string CharsetToCp932(std::string_view bytes, std::string_view charset);

// Bytes without a declared charset: UTF-8 when valid, else CP932 as they are.
std::string UndeclaredToCp932(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

}  // namespace mirte::mail
