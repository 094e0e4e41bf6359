// A POP3 client session (RFC 1939, RFC 2449 CAPA, RFC 2595 STLS) that
// fetches messages read-only: it never deletes, and resets the session
// before it quits so that the server keeps no change.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "message.h"
#include "net.h"

namespace mirte::mail {

class Pop3Session {
 public:
  // Result codes of Authenticate besides the message count.
  static constexpr int kProtocolError = -2;
  static constexpr int kRefused = -3;
  static constexpr int kTimeout = -4;
  static constexpr int kNoApopChallenge = -8;

  // Connects and reads the greeting; port 995 means TLS from the start,
  // elsewhere STLS is used when the server offers it. Null on failure.
  static std::unique_ptr<Pop3Session> Connect(const std::string& host, int port);
  ~Pop3Session();

  // Logs in with APOP (`apop` not 0) or USER/PASS and returns the number of
  // messages, or one of the codes above.
  int Authenticate(const std::string& user, const std::string& password, int apop);

  // Fetches and parses message `number` (from 1) unless it is the current
  // one, and returns the byte length of its body text, or -1.
  int FetchSize(int number);

  // The current message after FetchSize(number); null when `number` is not
  // the message last fetched or its fetch failed.
  const FetchedMessage* Current(int number) const;

  // The message's identity: the server's unique-id, else its Message-ID,
  // else its Date.
  std::string Identity(int number) const;

  // Ends the session politely (RSET, QUIT), without waiting long.
  void Quit();

  bool is_tls() const { return conn_->is_tls(); }

 private:
  explicit Pop3Session(std::unique_ptr<Connection> conn);
  bool Command(const std::string& line, std::string* reply);
  bool ReadStatus(std::string* reply);
  bool ReadCapabilities();
  void ReadUniqueIds();
  bool SendRetr(int number);
  void TopUpPipeline(int after);
  // Reads the reply to the oldest RETR in flight: `ok` tells +OK, and the
  // message goes to `raw`. False when the dialogue broke off.
  bool ReadRetr(std::string* raw, bool* ok);
  int TimeoutOr(int code) const;

  std::unique_ptr<Connection> conn_;
  std::string apop_challenge_;
  std::unordered_set<std::string> capabilities_;
  bool broken_ = false;
  int count_ = 0;
  std::vector<std::string> unique_ids_;  // index number - 1
  std::deque<int> in_flight_;            // RETRs sent, replies unread
  int next_to_send_ = 1;
  int current_number_ = 0;
  bool current_ok_ = false;
  FetchedMessage current_;
};

}  // namespace mirte::mail
