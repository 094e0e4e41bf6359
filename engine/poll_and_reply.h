// One poll-and-reply cycle: log in to the mailbox, fetch every message,
// recognise the ones seen before, record the new ones, answer each message
// that passes the send conditions once, and save the records.
#pragma once

#include "mail_library.h"
#include "penwick_doc.h"
#include "ui_port.h"

namespace mirte {

// Results of a cycle besides the message count (0 or more).
inline constexpr int kCycleInitFailed = -1;
inline constexpr int kCycleConnectFailed = -2;
inline constexpr int kCycleLogInFailed = -3;
inline constexpr int kCycleTimeout = -4;
inline constexpr int kCycleSendFailed = -5;

// Runs one cycle over `doc`'s settings and records, talking to the servers
// through `library`. Returns the number of messages in the mailbox, or one
// of the codes above. Appends one log line per reply attempt to "log.txt"
// and saves "RvData.dat" twice once the log-in succeeded.
int PollAndReply(CPenwickDoc& doc, MailLibrary& library, UiPort& ui);

}  // namespace mirte
