#include "pop3.h"

#include "tls_policy.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>

namespace mirte::mail {

namespace {

// Replies beyond this are read and dropped: enough for any real message.
constexpr size_t kMaxMessageBytes = 64u << 20;
// RETR commands sent ahead of the one being read, when the server pipelines.
constexpr int kPipelineDepth = 16;

bool IsOk(const std::string& reply) { return reply.rfind("+OK", 0) == 0; }

bool HasLineBreak(const std::string& s) {
  return s.find_first_of("\r\n", 0) != std::string::npos ||
         s.find('\0') != std::string::npos;
}

std::string Md5Hex(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
  std::string hex;
  char two[3];
  for (unsigned int i = 0; i < length; ++i) {
    std::snprintf(two, sizeof two, "%02x", digest[i]);
    hex += two;
  }
  return hex;
}

}  // namespace

Pop3Session::Pop3Session(std::unique_ptr<Connection> conn) : conn_(std::move(conn)) {}

Pop3Session::~Pop3Session() = default;

std::unique_ptr<Pop3Session> Pop3Session::Connect(const std::string& host, int port) {
  NetError error;
  auto conn = Connection::Open(host, port, IsImplicitTlsPort(port), &error);
  if (!conn) return nullptr;
  std::unique_ptr<Pop3Session> s(new Pop3Session(std::move(conn)));
  std::string greeting;
  if (!s->ReadStatus(&greeting) || !IsOk(greeting)) return nullptr;
  size_t lt = greeting.find('<');
  size_t gt = lt == std::string::npos ? lt : greeting.find('>', lt);
  if (gt != std::string::npos) s->apop_challenge_ = greeting.substr(lt, gt - lt + 1);
  s->ReadCapabilities();
  if (!s->conn_->is_tls() && s->capabilities_.count("STLS")) {
    std::string reply;
    if (!s->Command("STLS", &reply) || !IsOk(reply)) return nullptr;
    if (!s->conn_->StartTls()) return nullptr;
    // Capabilities may differ once the channel is protected (RFC 2595).
    s->ReadCapabilities();
  }
  return s;
}

bool Pop3Session::ReadStatus(std::string* reply) {
  if (broken_) return false;
  if (!conn_->ReadLine(reply, 8192)) {
    broken_ = true;
    return false;
  }
  if (!IsOk(*reply) && reply->rfind("-ERR", 0) != 0) {
    // Not POP3: the dialogue cannot be trusted any further.
    broken_ = true;
    return false;
  }
  return true;
}

bool Pop3Session::Command(const std::string& line, std::string* reply) {
  if (broken_) return false;
  if (!conn_->Write(line + "\r\n")) {
    broken_ = true;
    return false;
  }
  return ReadStatus(reply);
}

bool Pop3Session::ReadCapabilities() {
  capabilities_.clear();
  std::string reply;
  if (!Command("CAPA", &reply) || !IsOk(reply)) return false;
  std::string list;
  bool truncated;
  if (!conn_->ReadDotTerminated(&list, 65536, &truncated)) {
    broken_ = true;
    return false;
  }
  size_t pos = 0;
  while (pos < list.size()) {
    size_t end = list.find("\r\n", pos);
    std::string line = list.substr(pos, end - pos);
    pos = end == std::string::npos ? list.size() : end + 2;
    std::string word = line.substr(0, line.find(' '));
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (!word.empty()) capabilities_.insert(word);
  }
  return true;
}

int Pop3Session::TimeoutOr(int code) const {
  return conn_->error() == NetError::kTimeout ? kTimeout : code;
}

int Pop3Session::Authenticate(const std::string& user, const std::string& password,
                              int apop) {
  if (HasLineBreak(user) || HasLineBreak(password)) return kRefused;
  std::string reply;
  if (apop != 0) {
    if (apop_challenge_.empty()) return kNoApopChallenge;
    if (!Command("APOP " + user + " " + Md5Hex(apop_challenge_ + password), &reply)) {
      return TimeoutOr(kProtocolError);
    }
    if (!IsOk(reply)) return kRefused;
  } else {
    if (!Command("USER " + user, &reply)) return TimeoutOr(kProtocolError);
    if (!IsOk(reply)) return kRefused;
    if (!Command("PASS " + password, &reply)) return TimeoutOr(kProtocolError);
    if (!IsOk(reply)) return kRefused;
  }
  if (!Command("STAT", &reply)) return TimeoutOr(kProtocolError);
  int count = -1;
  if (!IsOk(reply) || std::sscanf(reply.c_str(), "+OK %d", &count) != 1 || count < 0) {
    return kProtocolError;
  }
  count_ = count;
  if (count_ > 0) ReadUniqueIds();
  if (broken_) return TimeoutOr(kProtocolError);
  return count_;
}

void Pop3Session::ReadUniqueIds() {
  unique_ids_.clear();
  std::string reply;
  if (!Command("UIDL", &reply) || !IsOk(reply)) return;
  std::string list;
  bool truncated;
  if (!conn_->ReadDotTerminated(&list, 64u << 20, &truncated)) {
    broken_ = true;
    return;
  }
  unique_ids_.resize(static_cast<size_t>(count_));
  size_t pos = 0;
  while (pos < list.size()) {
    size_t end = list.find("\r\n", pos);
    if (end == std::string::npos) end = list.size();
    int number = 0;
    char id[128] = {};
    // A unique-id is 1 to 70 printable characters (RFC 1939 §7).
    if (std::sscanf(list.c_str() + pos, "%d %70[!-~]", &number, id) == 2 &&
        number >= 1 && number <= count_) {
      unique_ids_[static_cast<size_t>(number - 1)] = id;
    }
    pos = end + 2;
  }
}

bool Pop3Session::SendRetr(int number) {
  if (!conn_->Write("RETR " + std::to_string(number) + "\r\n")) {
    broken_ = true;
    return false;
  }
  in_flight_.push_back(number);
  return true;
}

void Pop3Session::TopUpPipeline(int after) {
  if (!capabilities_.count("PIPELINING")) return;
  next_to_send_ = std::max(next_to_send_, after + 1);
  std::string batch;
  while (static_cast<int>(in_flight_.size()) < kPipelineDepth && next_to_send_ <= count_) {
    batch += "RETR " + std::to_string(next_to_send_) + "\r\n";
    in_flight_.push_back(next_to_send_++);
  }
  if (!batch.empty() && !conn_->Write(batch)) broken_ = true;
}

bool Pop3Session::ReadRetr(std::string* raw, bool* ok) {
  in_flight_.pop_front();
  std::string reply;
  if (!ReadStatus(&reply)) return false;
  *ok = IsOk(reply);
  if (!*ok) return true;
  bool truncated = false;
  if (!conn_->ReadDotTerminated(raw, kMaxMessageBytes, &truncated)) {
    broken_ = true;
    return false;
  }
  return true;
}

int Pop3Session::FetchSize(int number) {
  if (number == current_number_ && current_ok_) {
    return static_cast<int>(current_.body.size());
  }
  current_number_ = 0;
  current_ok_ = false;
  if (broken_ || number < 1 || number > count_) return -1;

  // Replies to messages asked for ahead but not wanted now are read and
  // dropped, so that the dialogue stays in step.
  std::string raw;
  bool ok = false;
  while (!in_flight_.empty() && in_flight_.front() != number) {
    if (!ReadRetr(&raw, &ok)) return -1;
  }
  if (in_flight_.empty()) {
    next_to_send_ = number;
    if (!SendRetr(number)) return -1;
    next_to_send_ = number + 1;
  }
  TopUpPipeline(number);
  if (broken_ || !ReadRetr(&raw, &ok) || !ok) return -1;

  ParseMessage(raw, &current_);
  current_number_ = number;
  current_ok_ = true;
  return static_cast<int>(current_.body.size());
}

const FetchedMessage* Pop3Session::Current(int number) const {
  return number == current_number_ && current_ok_ ? &current_ : nullptr;
}

std::string Pop3Session::Identity(int number) const {
  if (number >= 1 && static_cast<size_t>(number) <= unique_ids_.size() &&
      !unique_ids_[static_cast<size_t>(number - 1)].empty()) {
    return unique_ids_[static_cast<size_t>(number - 1)];
  }
  const FetchedMessage* m = Current(number);
  if (m == nullptr) return std::string();
  return m->message_id.empty() ? m->date : m->message_id;
}

void Pop3Session::Quit() {
  if (broken_) return;
  // RSET undoes whatever the server noted during the session (Dovecot's
  // \Seen flags among it); nothing waits for the replies.
  conn_->Write("RSET\r\nQUIT\r\n");
  broken_ = true;
}

}  // namespace mirte::mail
