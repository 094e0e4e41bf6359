// The program's one document: the settings of the single mailbox and the
// single reply, and the per-message reply records by which the cycle knows
// the messages it has already seen and answered. All texts are CP932 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive.h"
#include "message_port.h"

namespace mirte {

inline constexpr char kSettingsFileName[] = "MyData.dat";
inline constexpr char kRecordsFileName[] = "RvData.dat";

// Flag bits of a reply record.
inline constexpr uint8_t kFlagRecorded = 0x01;
inline constexpr uint8_t kFlagReplied = 0x10;

class CPenwickDoc {
 public:
  // `port` shows the messages of saving and loading; it must outlive the
  // document.
  explicit CPenwickDoc(MessagePort& port);
  virtual ~CPenwickDoc() = default;

  // Initialisation of a new document: title "ミルテ", settings mode, and the
  // settings read from "MyData.dat" (a missing file leaves the defaults after
  // its message). The first initialisation also reads the records from
  // "RvData.dat" when it exists; later ones keep the records in memory.
  virtual bool OnNewDocument();

  // Writes the document to `ar` or reads it from `ar`, as the archive's
  // direction says: the settings when `m_bSettingsMode` is not 0, else the
  // records. Throws ArchiveError when reading runs out of bytes or meets a
  // refused length; the fields read before then keep their new values.
  virtual void Serialize(Archive& ar);

  // Writes the document in its current mode to `file_name`, replacing it
  // whole. 1: written; 0: the file could not be opened ("ファイル書込み
  // オープン失敗" shown); -1: writing failed ("保存エラー？" shown).
  int SaveFile(const std::string& file_name);

  // Reads the document in its current mode from `file_name`. 1: opened and
  // read, also when reading failed part-way ("保存エラー？" shown); 0: the
  // file could not be opened ("ファイル読取りオープン失敗" shown).
  int LoadFile(const std::string& file_name);

  // Reads the records of earlier runs from "RvData.dat", once per document
  // and only when the file exists (a damaged file is reported). The
  // document's first initialisation does it; so must any other start.
  void LoadRecordsOnce();

  // The framework's open and save of a document file (no messages: the
  // caller reports). An empty file reads as nothing.
  enum class FileResult { kDone, kCannotOpen, kBadContent };
  FileResult ReadDocument(const std::string& path);
  FileResult WriteDocument(const std::string& path);

  // The framework's title of the document (CP932).
  const std::string& GetTitle() const { return m_strTitle; }
  void SetTitle(const std::string& title) { m_strTitle = title; }

  std::string GetReplySubject() const { return m_strReplySubject; }
  void SetReplySubject(const std::string& v) { m_strReplySubject = v; }
  std::string GetReplyBody() const { return m_strReplyBody; }
  void SetReplyBody(const std::string& v) { m_strReplyBody = v; }
  std::string GetMailAddress() const { return m_strMailAddress; }
  void SetMailAddress(const std::string& v) { m_strMailAddress = v; }
  std::string GetPop3Server() const { return m_strPop3Server; }
  void SetPop3Server(const std::string& v) { m_strPop3Server = v; }
  std::string GetSmtpServer() const { return m_strSmtpServer; }
  void SetSmtpServer(const std::string& v) { m_strSmtpServer = v; }
  std::string GetUserName() const { return m_strUserName; }
  void SetUserName(const std::string& v) { m_strUserName = v; }
  std::string GetPassword() const { return m_strPassword; }
  void SetPassword(const std::string& v) { m_strPassword = v; }
  std::string GetKeyword() const { return m_strKeyword; }
  void SetKeyword(const std::string& v) { m_strKeyword = v; }
  int32_t GetKeywordCheck() const { return m_bKeywordCheck; }
  void SetKeywordCheck(int32_t v) { m_bKeywordCheck = v; }
  int32_t GetEmptyBodyCheck() const { return m_bEmptyBodyCheck; }
  void SetEmptyBodyCheck(int32_t v) { m_bEmptyBodyCheck = v; }
  int32_t GetPop3Port() const { return m_nPop3Port; }
  void SetPop3Port(int32_t v) { m_nPop3Port = v; }
  int32_t GetSmtpPort() const { return m_nSmtpPort; }
  void SetSmtpPort(int32_t v) { m_nSmtpPort = v; }
  int32_t GetApop() const { return m_bApop; }
  void SetApop(int32_t v) { m_bApop = v; }
  int32_t GetAutoStart() const { return m_bAutoStart; }
  void SetAutoStart(int32_t v) { m_bAutoStart = v; }
  int32_t GetInterval() const { return m_nInterval; }
  void SetInterval(int32_t v) { m_nInterval = v; }
  int32_t GetRecordCount() const { return m_nRecordCount; }
  void SetRecordCount(int32_t v) { m_nRecordCount = v; }
  void SetSettingsMode(int32_t v) { m_bSettingsMode = v; }

  // Resizes the four record arrays together; new records are empty.
  void SetRecordArraySize(size_t n);

  // The per-message records, index i for message number i + 1. The four
  // arrays always have the same length.
  std::vector<std::string> m_aFrom;
  std::vector<std::string> m_aMailTag;
  std::vector<uint32_t> m_aBodyLength;
  std::vector<uint8_t> m_aFlags;

 private:
  void SerializeSettings(Archive& ar);
  void SerializeRecords(Archive& ar);
  void ShowMessage(const char* utf8_text);

  MessagePort& m_port;
  std::string m_strTitle;
  bool m_bRecordsRead = false;

  std::string m_strReplySubject;
  std::string m_strReplyBody;
  std::string m_strMailAddress;
  std::string m_strPop3Server;
  std::string m_strSmtpServer;
  std::string m_strUserName;
  std::string m_strPassword;
  std::string m_strKeyword;
  int32_t m_bKeywordCheck = 0;
  int32_t m_bEmptyBodyCheck = 0;
  int32_t m_nPop3Port = 110;
  int32_t m_nSmtpPort = 25;
  int32_t m_bApop = 1;
  int32_t m_bAutoStart = 0;
  int32_t m_nInterval = 0;
  int32_t m_nRecordCount = 0;
  int32_t m_bSettingsMode = 1;
};

}  // namespace mirte
