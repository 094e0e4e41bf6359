// Which messages an automatic reply must never answer (RFC 3834 §2), as
// Sieve vacation and vacation(1) decide it: mail that declares itself
// automatic or bulk, list mail, bounces, and the user's own mail.
#pragma once

#include <string_view>

namespace mirte {

// `auto_headers` are the "Name: value" lines (CR LF) of the fields by which
// the message declares itself automatic, as the mail library gives them;
// `sender` is the address a reply would go to; `own_address` the user's.
bool MustNotAnswer(std::string_view auto_headers, std::string_view sender,
                   std::string_view own_address);

}  // namespace mirte
