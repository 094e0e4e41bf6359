// The reply as it goes on the wire: RFC 5322 headers, MIME, and the
// Japanese encodings every mail program shows right.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace mirte::mail {

// The message text (headers, blank line, body; CR LF line ends; no
// dot-stuffing) of a reply from `from` to `to` with the CP932 `subject` and
// `body`. Text that converts to ISO-2022-JP without loss is sent so; other
// text (CP932's own characters such as ① ㈱) as UTF-8. The subject becomes
// RFC 2047 encoded-words folded within 78 columns. The reply declares itself
// automatic (Auto-Submitted, X-Auto-Response-Suppress). Both addresses must
// have passed IsSafeAddress (address.h).
std::string ComposeReply(std::string_view from, std::string_view to,
                         std::string_view subject, std::string_view body,
                         std::time_t now);

// CP932 to ISO-2022-JP, only when nothing is lost on the way (the round trip
// gives back the same bytes). Returns false otherwise.
bool Cp932ToIso2022Jp(std::string_view cp932, std::string* jis);

}  // namespace mirte::mail
