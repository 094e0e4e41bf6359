// The parts of a fetched message that the program uses, parsed with GMime
// and converted to CP932.
#pragma once

#include <string>
#include <string_view>

namespace mirte::mail {

struct FetchedMessage {
  std::string subject;       // decoded; empty when there is none
  std::string message_id;    // the Message-ID field as it stands
  std::string date;          // the Date field as it stands
  std::string from;          // the first From mailbox, bare; may be empty
  std::string auto_headers;  // "Name: value" lines (CR LF) of the fields by
                             // which a message declares itself automatic
  std::string body;          // the first plain-text part, CR LF line ends,
                             // trailing blank lines and white space removed
};

// Makes GMime ready; safe to call more than once.
void InitMessageParsing();

// Parses the message `raw` (as RETR delivered it, dot-stuffing undone).
// Returns false when the bytes are not a message at all; the fields are
// then empty.
bool ParseMessage(std::string_view raw, FetchedMessage* out);

// Removes trailing CR, LF, space, tab and full-width spaces from CP932 text.
void TrimTrailingBlanks(std::string* cp932);

}  // namespace mirte::mail
