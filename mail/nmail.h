// The mail library: ten functions for POP3 fetching and SMTP sending, with
// the argument orders and results that the program relies on. Texts are
// zero-terminated CP932 byte strings.
//
// Every network wait is bounded (60 s). TLS: POP3 port 995 and SMTP port 465
// start with TLS; elsewhere STLS/STARTTLS is used when the server offers it.
// Certificates are checked against the system's trusted store and the host
// name; a failed check is a failed connection. The library never deletes or
// changes mail on the server.
#pragma once

// Results shared by the functions below. Connection values and message
// counts are 0 or more; these are the failures.
enum NMailResult {
  NMAIL_SUCCESS = 1,              // SMTP sent; POP3 closed
  NMAIL_ERR_CONNECT = -1,         // no connection (or the greeting failed)
  NMAIL_ERR_PROTOCOL = -2,        // the server broke off or answered nonsense
  NMAIL_ERR_AUTH = -3,            // log-in refused
  NMAIL_ERR_TIMEOUT = -4,         // the server did not answer in time
  NMAIL_ERR_RECIPIENT = -5,       // SMTP: no such recipient, permanently (5xx
                                  // at RCPT about the mailbox, not a policy)
  NMAIL_ERR_TEMPORARY = -6,       // SMTP: temporary failure (4xx)
  NMAIL_ERR_BAD_ADDRESS = -7,     // SMTP: an address unsafe to send to
  NMAIL_ERR_NO_APOP = -8,         // POP3: APOP asked for, no challenge offered
  NMAIL_ERR_TLS = -9,             // TLS or certificate check failed
  NMAIL_ERR_REJECTED = -10,       // SMTP: refused permanently for another
                                  // reason (relaying, policy, content)
  NMAIL_ERR_NOT_INITIALISED = -11,
  NMAIL_ERR_BAD_HANDLE = -12,     // POP3: no such connection
  NMAIL_ERR_NO_MESSAGE = -13,     // POP3: no such message, or fetch failed
};

// Makes the library ready (OpenSSL, GMime). Returns 0, or a negative value
// when it cannot be made ready. Nested calls are counted.
int NMailInitializeWinSock();

// Releases what initialisation prepared when the last nested call ends:
// open connections are closed and the kept log-in is forgotten. Harmless
// when nothing was initialised. Returns 0.
int NMailEndWinSock();

// Connects to a POP3 server (port 110) and reads its greeting. Returns the
// connection value (0 or more), or -1.
int NMailPop3Connect(const char* host);
int NMailPop3ConnectPortNo(const char* host, int port);

// Logs in (APOP when `apop` is not 0, else USER/PASS) and returns the number of
// messages, or NMAIL_ERR_TIMEOUT, NMAIL_ERR_AUTH, NMAIL_ERR_NO_APOP,
// NMAIL_ERR_PROTOCOL, NMAIL_ERR_BAD_HANDLE. On success the user name and
// password are kept for SMTP authentication until NMailEndWinSock.
int NMailPop3Authenticate(int handle, const char* user, const char* password,
                          int apop);

// Ends the connection. Returns 1; harmless for -1 or a closed connection
// (returns NMAIL_ERR_BAD_HANDLE then).
int NMailPop3Close(int handle);

// Fetches message `number` (from 1) and returns the byte length of the body
// text that NMailPop3GetMail will write (without its terminating zero), or
// a negative value. Fetching in ascending order is fastest.
int NMailPop3GetMailSize(int handle, int number);

// Writes the texts of message `number` (each at most 8191 bytes and a zero,
// cut at a character boundary) into areas of 8192 bytes:
//   subject   the Subject, decoded;
//   identity  the server's unique-id, else the Message-ID, else the Date;
//   from      the From address, bare, or empty when there is none;
//   header    the fields by which the message declares itself automatic
//             (Return-Path, Auto-Submitted, Precedence,
//             X-Auto-Response-Suppress, List-*), "Name: value" per line;
// and the body text (CR LF line ends, trailing blanks removed) into `body`,
// which must hold NMailPop3GetMailSize's value plus one bytes. The last two
// arguments must be 0. Returns 0, or a negative value.
int NMailPop3GetMail(int handle, int number, char* subject, char* identity,
                     char* from, char* header, char* body, int zero8,
                     int zero9);

// Sends one message from `from` to `to` with `subject` and `body` through
// the SMTP server (port 25). The zero arguments must be 0. Returns 1 when the
// server accepted the message, else a negative NMailResult.
int NMailSmtpSendMail(const char* server, const char* to, int zero3, int zero4,
                      const char* from, const char* subject, const char* body,
                      int zero8, int zero9, int zero10);
int NMailSmtpSendMailPortNo(const char* server, const char* to, int zero3,
                            int zero4, const char* from, const char* subject,
                            const char* body, int zero8, int zero9, int zero10,
                            int port);
