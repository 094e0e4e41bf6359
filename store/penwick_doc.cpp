#include "penwick_doc.h"

#include <sys/stat.h>

#include <cstring>

#include "file_replace.h"
#include "password_scrambler.h"
#include "text_codec.h"

namespace mirte {

CPenwickDoc::CPenwickDoc(MessagePort& port) : m_port(port) {}

bool CPenwickDoc::OnNewDocument() {
  m_strTitle = Cp932("ミルテ");
  m_bSettingsMode = 1;
  LoadFile(kSettingsFileName);
  LoadRecordsOnce();
  return true;
}

void CPenwickDoc::LoadRecordsOnce() {
  // The records of earlier runs, so that no message is answered twice after
  // a restart. Read once: later re-initialisations keep the records in
  // memory, which every cycle has saved.
  if (m_bRecordsRead) return;
  m_bRecordsRead = true;
  struct stat st;
  if (::stat(kRecordsFileName, &st) != 0) return;
  int32_t mode = m_bSettingsMode;
  m_bSettingsMode = 0;
  LoadFile(kRecordsFileName);
  m_bSettingsMode = mode;
}

CPenwickDoc::FileResult CPenwickDoc::ReadDocument(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return FileResult::kCannotOpen;
  if (bytes.empty()) return FileResult::kDone;
  Archive ar(bytes);
  try {
    Serialize(ar);
  } catch (const std::exception&) {
    return FileResult::kBadContent;
  }
  return FileResult::kDone;
}

CPenwickDoc::FileResult CPenwickDoc::WriteDocument(const std::string& path) {
  Archive ar;
  Serialize(ar);
  ReplaceOptions options;
  options.mode = 0600;
  switch (ReplaceFile(path, ar.bytes(), options)) {
    case ReplaceResult::kReplaced:
      return FileResult::kDone;
    case ReplaceResult::kCannotCreate:
      return FileResult::kCannotOpen;
    case ReplaceResult::kWriteFailed:
      break;
  }
  return FileResult::kBadContent;
}

void CPenwickDoc::SetRecordArraySize(size_t n) {
  m_aFrom.resize(n);
  m_aMailTag.resize(n);
  m_aBodyLength.resize(n, 0);
  m_aFlags.resize(n, 0);
}

void CPenwickDoc::Serialize(Archive& ar) {
  if (m_bSettingsMode != 0) {
    SerializeSettings(ar);
  } else {
    SerializeRecords(ar);
  }
}

void CPenwickDoc::SerializeSettings(Archive& ar) {
  PasswordScrambler scrambler;
  char buffer[256] = {};
  if (ar.IsStoring()) {
    ar.WriteText(m_strMailAddress);
    ar.WriteText(m_strPop3Server);
    ar.WriteText(m_strSmtpServer);
    ar.WriteText(m_strUserName);
    if (scrambler.Scramble(m_strPassword.c_str(), buffer) ==
        PasswordScrambler::kDone) {
      ar.WriteText(buffer);
    } else {
      ar.WriteText(m_strPassword);
    }
    ar.WriteInt32(m_nInterval);
    ar.WriteText(m_strReplySubject);
    ar.WriteText(m_strReplyBody);
    ar.WriteInt32(m_bKeywordCheck);
    ar.WriteInt32(m_bEmptyBodyCheck);
    ar.WriteText(m_strKeyword);
    ar.WriteInt32(m_nPop3Port);
    ar.WriteInt32(m_nSmtpPort);
    ar.WriteInt32(m_bApop);
    ar.WriteInt32(m_bAutoStart);
    return;
  }
  m_strMailAddress = ar.ReadText();
  m_strPop3Server = ar.ReadText();
  m_strSmtpServer = ar.ReadText();
  m_strUserName = ar.ReadText();
  m_strPassword = ar.ReadText();
  if (scrambler.Unscramble(m_strPassword.c_str(), buffer) ==
      PasswordScrambler::kDone) {
    m_strPassword = buffer;
  }
  m_nInterval = ar.ReadInt32();
  m_strReplySubject = ar.ReadText();
  m_strReplyBody = ar.ReadText();
  m_bKeywordCheck = ar.ReadInt32();
  m_bEmptyBodyCheck = ar.ReadInt32();
  m_strKeyword = ar.ReadText();
  m_nPop3Port = ar.ReadInt32();
  m_nSmtpPort = ar.ReadInt32();
  m_bApop = ar.ReadInt32();
  m_bAutoStart = ar.ReadInt32();
}

void CPenwickDoc::SerializeRecords(Archive& ar) {
  if (ar.IsStoring()) {
    ar.WriteInt32(m_nRecordCount);
    for (size_t i = 0; i < m_aFrom.size(); ++i) {
      ar.WriteText(m_aFrom[i]);
      ar.WriteText(m_aMailTag[i]);
      ar.WriteUInt32(m_aBodyLength[i]);
      ar.WriteByte(m_aFlags[i]);
    }
    return;
  }
  m_nRecordCount = ar.ReadInt32();
  SetRecordArraySize(0);
  try {
    for (uint32_t i = 0; i < static_cast<uint32_t>(m_nRecordCount); ++i) {
      // A record is appended only when all four of its fields were read, so
      // that the arrays stay of equal length when the file is cut short.
      std::string from = ar.ReadText();
      std::string tag = ar.ReadText();
      uint32_t length = ar.ReadUInt32();
      uint8_t flags = ar.ReadByte();
      m_aFrom.push_back(std::move(from));
      m_aMailTag.push_back(std::move(tag));
      m_aBodyLength.push_back(length);
      m_aFlags.push_back(flags);
    }
  } catch (...) {
    m_nRecordCount = static_cast<int32_t>(m_aFrom.size());
    throw;
  }
}

void CPenwickDoc::ShowMessage(const char* utf8_text) {
  m_port.ShowMessage(Cp932(utf8_text), MessageIcon::kWarning);
}

int CPenwickDoc::SaveFile(const std::string& file_name) {
  Archive ar;
  try {
    Serialize(ar);
  } catch (const std::exception&) {
    ShowMessage("保存エラー？");
    return -1;
  }
  // The settings file holds the (only lightly scrambled) password: it is
  // kept readable by its owner alone, and so are the records.
  ReplaceOptions options;
  options.mode = 0600;
  options.clear_read_only = true;
  switch (ReplaceFile(file_name, ar.bytes(), options)) {
    case ReplaceResult::kReplaced:
      return 1;
    case ReplaceResult::kCannotCreate:
      ShowMessage("ファイル書込みオープン失敗");
      return 0;
    case ReplaceResult::kWriteFailed:
      break;
  }
  ShowMessage("保存エラー？");
  return -1;
}

int CPenwickDoc::LoadFile(const std::string& file_name) {
  std::string bytes;
  if (!ReadWholeFile(file_name, &bytes)) {
    ShowMessage("ファイル読取りオープン失敗");
    return 0;
  }
  Archive ar(bytes);
  try {
    Serialize(ar);
  } catch (const std::exception&) {
    ShowMessage("保存エラー？");
  }
  return 1;
}

}  // namespace mirte
