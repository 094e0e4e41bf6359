// Conversions between the program's CP932 (Windows Shift_JIS) byte strings
// and the encodings met at its edges: UTF-8 (the desktop and the terminal)
// and UTF-16LE (an old form of stored texts). Everything runs on glibc iconv.
#pragma once

#include <string>
#include <string_view>

namespace mirte {

// CP932 bytes to UTF-8. A byte sequence that is not CP932 becomes U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);

// UTF-8 to CP932. A character that CP932 lacks (or invalid UTF-8) becomes
// "?". When `lossless` is given it tells whether nothing was substituted.
std::string Utf8ToCp932(std::string_view utf8, bool* lossless = nullptr);

// UTF-16LE code units (2 bytes each) to CP932; characters CP932 lacks
// become "?".
std::string Utf16LeToCp932(std::string_view utf16le);

// Whether every character of a UTF-8 text has a CP932 form.
bool IsCp932Representable(std::string_view utf8);

// Shorthand for the program's own texts, written in the sources as UTF-8.
inline std::string Cp932(std::string_view utf8) { return Utf8ToCp932(utf8); }

// Whether `b` opens a two-byte CP932 character.
constexpr bool IsCp932LeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The longest prefix of `cp932` of at most `max_bytes` bytes that does not
// split a two-byte character.
std::string_view Cp932Prefix(std::string_view cp932, size_t max_bytes);

}  // namespace mirte
