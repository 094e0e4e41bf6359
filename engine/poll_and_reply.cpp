#include "poll_and_reply.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "activity_log.h"
#include "address.h"
#include "loop_protection.h"
#include "mail_common.h"
#include "nmail.h"
#include "text_codec.h"

namespace mirte {

namespace {

// Shows the busy cursor for as long as it lives.
class WaitCursor {
 public:
  explicit WaitCursor(UiPort& ui) : ui_(ui) { ui_.BeginWaitCursor(); }
  ~WaitCursor() { ui_.EndWaitCursor(); }

 private:
  UiPort& ui_;
};

struct Record {
  std::string from;
  std::string tag;
  uint32_t body_length = 0;
  uint8_t flags = 0;
};

// What the cycle keeps of each fetched message while it runs.
struct Fetched {
  std::string subject;
  bool must_not_answer = false;
  bool failed = false;  // the fetch failed: what the message is, is unknown
};

bool PassesConditions(const CPenwickDoc& doc, const std::string& subject, uint32_t length) {
  bool keyword = doc.GetKeywordCheck() != 0;
  bool empty_body = doc.GetEmptyBodyCheck() != 0;
  bool subject_matches = subject == doc.GetKeyword();
  if (keyword && empty_body) return subject_matches && length <= 2;
  if (keyword) return subject_matches;
  if (empty_body) return length < 2;
  return true;
}

// A refusal that concerns this one recipient, not the server or the
// settings: the cycle notes it and goes on with the next candidate. (An
// unsafe recipient never reaches the library; a refused address from it is
// the user's own, which concerns every reply.)
bool RecipientRefused(int send_result) { return send_result == NMAIL_ERR_RECIPIENT; }

}  // namespace

int PollAndReply(CPenwickDoc& doc, MailLibrary& library, UiPort& ui) {
  WaitCursor wait(ui);
  CMailCommon mail(library);
  if (mail.InitializeWinSock() < 0) {
    mail.EndWinSock();
    return kCycleInitFailed;
  }
  if (mail.Pop3ConnectPortNo(doc.GetPop3Server(), doc.GetPop3Port()) < 0) {
    mail.Pop3Close();
    mail.EndWinSock();
    return kCycleConnectFailed;
  }
  int count = mail.Pop3Authenticate(doc.GetUserName(), doc.GetPassword(), doc.GetApop());
  if (count < 0) {
    mail.Pop3Close();
    mail.EndWinSock();
    return count == -4 ? kCycleTimeout : kCycleLogInFailed;
  }
  const std::string stamp = LogTimeStamp(ui.CurrentTime());
  const std::string own_address = doc.GetMailAddress();

  // Every message is compared with the records as they stood before this
  // cycle, wherever they were: when messages are deleted from the server
  // the others move up, and a record must move with its message.
  std::unordered_map<std::string, size_t> previous;  // identity -> record index
  auto key_of = [](const std::string& tag, const std::string& from) {
    return tag + '\0' + from;
  };
  for (size_t j = 0; j < doc.m_aFrom.size(); ++j) {
    previous.emplace(key_of(doc.m_aMailTag[j], doc.m_aFrom[j]), j);
  }
  std::unordered_map<std::string, size_t> seen_now;  // identity -> first position

  const size_t n = static_cast<size_t>(count);
  std::vector<Record> records(n);
  std::vector<Fetched> fetched(n);
  for (size_t i = 0; i < n; ++i) {
    std::string subject, tag, from, auto_headers;
    if (mail.Pop3GetMail(static_cast<int>(i + 1), subject, tag, from, auto_headers) < 0) {
      // Unknown this time (the connection may have broken off): the record
      // at this position is kept, so that no answered message is forgotten,
      // and the message is no reply candidate until a cycle has read it.
      fetched[i].failed = true;
      if (i < doc.m_aFrom.size()) {
        records[i] = {doc.m_aFrom[i], doc.m_aMailTag[i], doc.m_aBodyLength[i], doc.m_aFlags[i]};
      } else {
        records[i] = {std::string(), std::string(), 0, kFlagRecorded};
      }
      continue;
    }
    fetched[i].subject = std::move(subject);
    fetched[i].must_not_answer = MustNotAnswer(auto_headers, from, own_address);
    std::string key = key_of(tag, from);
    auto [twin, first_time] = seen_now.emplace(key, i);
    if (!first_time) {
      // The same message twice: its twin carries the reply; this copy is
      // marked as if answered so that it never gets a second one.
      records[i] = records[twin->second];
      records[i].flags = kFlagRecorded | kFlagReplied;
    } else if (auto old = previous.find(key); old != previous.end()) {
      size_t j = old->second;
      records[i] = {doc.m_aFrom[j], doc.m_aMailTag[j], doc.m_aBodyLength[j], doc.m_aFlags[j]};
    } else {
      records[i] = {from, tag, static_cast<uint32_t>(mail.m_nBodyLength), kFlagRecorded};
    }
  }
  doc.SetRecordArraySize(n);
  for (size_t i = 0; i < n; ++i) {
    doc.m_aFrom[i] = std::move(records[i].from);
    doc.m_aMailTag[i] = std::move(records[i].tag);
    doc.m_aBodyLength[i] = records[i].body_length;
    doc.m_aFlags[i] = records[i].flags;
  }
  records.clear();

  // The records are saved before any reply goes out, so that a crash while
  // sending can never make the program forget what it has seen.
  doc.SetRecordCount(count);
  doc.SetSettingsMode(0);
  doc.SaveFile(kRecordsFileName);

  int result = count;
  const std::string server = doc.GetSmtpServer();
  const std::string reply_subject = doc.GetReplySubject();
  const std::string reply_body = doc.GetReplyBody();
  for (size_t i = 0; i < n; ++i) {
    if (doc.m_aFlags[i] & kFlagReplied) continue;
    if (fetched[i].failed || fetched[i].must_not_answer || !mail::IsSafeAddress(doc.m_aFrom[i])) {
      continue;
    }
    if (!PassesConditions(doc, fetched[i].subject, doc.m_aBodyLength[i])) continue;
    int sent = mail.SmtpSendMailPortNo(server, reply_subject, reply_body, own_address,
                                       doc.m_aFrom[i], doc.GetSmtpPort());
    const std::string who = own_address + doc.m_aFrom[i] + ")" + stamp;
    if (sent == 0) {
      AppendLog(kLogFileName, Cp932("送信アドレス(") + who, ui);
      doc.m_aFlags[i] |= kFlagReplied;
    } else if (RecipientRefused(sent)) {
      // This address will never take the reply: say so once, and never
      // try it again.
      AppendLog(kLogFileName, Cp932("送信失敗(") + who, ui);
      doc.m_aFlags[i] |= kFlagReplied;
    } else {
      AppendLog(kLogFileName, Cp932("送信失敗(") + who, ui);
      result = kCycleSendFailed;
      break;
    }
  }

  doc.SetSettingsMode(0);
  doc.SaveFile(kRecordsFileName);
  mail.Pop3Close();
  mail.EndWinSock();
  return result;
}

}  // namespace mirte
