// Decoding of header texts (RFC 5322 unfolding, RFC 2047 encoded-words) to
// CP932.
#pragma once

#include <string>
#include <string_view>

namespace mirte::mail {

// Unfolds a raw header value and decodes its encoded-words. Adjacent
// encoded-words of one charset are joined before conversion, since senders
// split a character across words (and pad each base64 word). Undeclared
// 8-bit bytes are UTF-8 when valid, else CP932. Control characters become
// spaces, so the result is one line without zero bytes.
std::string DecodeHeaderText(std::string_view raw);

// Encodes base64 (RFC 4648), padded, on one line.
std::string EncodeBase64(std::string_view data);

// Decodes base64, skipping characters outside the alphabet and padding
// wherever it stands.
std::string DecodeBase64(std::string_view text);

}  // namespace mirte::mail
