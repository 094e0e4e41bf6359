// The view's four settings commands.
#include "account_dlg.h"
#include "auto_set_dlg.h"
#include "option_set_dlg.h"
#include "penwick_view.h"
#include "snd_condition_dlg.h"

namespace mirte {

namespace {
// After OK: the whole settings file is written again, and paints may start
// automatic reply again.
void SaveSettings(CPenwickDoc& doc, CPenwickView& view) {
  doc.SetSettingsMode(1);
  doc.SaveFile(kSettingsFileName);
  view.SettingsChanged();
}
}  // namespace

void CPenwickView::OnAccountSettings() {
  CAccountDlg dlg;
  dlg.m_strMailAddress = m_doc.GetMailAddress();
  dlg.m_strPop3Server = m_doc.GetPop3Server();
  dlg.m_strSmtpServer = m_doc.GetSmtpServer();
  dlg.m_strUserName = m_doc.GetUserName();
  dlg.m_strPassword = m_doc.GetPassword();
  if (dlg.DoModal() != DialogBase::IDOK) return;
  m_doc.SetMailAddress(dlg.m_strMailAddress);
  m_doc.SetPop3Server(dlg.m_strPop3Server);
  m_doc.SetSmtpServer(dlg.m_strSmtpServer);
  m_doc.SetUserName(dlg.m_strUserName);
  m_doc.SetPassword(dlg.m_strPassword);
  SaveSettings(m_doc, *this);
}

void CPenwickView::OnAutoReplySettings() {
  CAutoSetDlg dlg;
  dlg.m_strReplySubject = m_doc.GetReplySubject();
  dlg.m_strReplyBody = m_doc.GetReplyBody();
  dlg.m_nInterval = m_doc.GetInterval();
  if (dlg.DoModal() != DialogBase::IDOK) return;
  m_doc.SetReplySubject(dlg.m_strReplySubject);
  m_doc.SetReplyBody(dlg.m_strReplyBody);
  m_doc.SetInterval(dlg.m_nInterval);
  SaveSettings(m_doc, *this);
}

void CPenwickView::OnSendConditionSettings() {
  CSndConDitionDlg dlg;
  dlg.m_bKeywordCheck = m_doc.GetKeywordCheck();
  dlg.m_bEmptyBodyCheck = m_doc.GetEmptyBodyCheck();
  dlg.m_strKeyword = m_doc.GetKeyword();
  if (dlg.DoModal() != DialogBase::IDOK) return;
  m_doc.SetKeywordCheck(dlg.m_bKeywordCheck);
  m_doc.SetEmptyBodyCheck(dlg.m_bEmptyBodyCheck);
  m_doc.SetKeyword(dlg.m_strKeyword);
  SaveSettings(m_doc, *this);
}

void CPenwickView::OnOptionSettings() {
  COptionSetDlg dlg;
  // The ports pass bit for bit between the signed and unsigned forms.
  dlg.m_nPop3Port = static_cast<uint32_t>(m_doc.GetPop3Port());
  dlg.m_nSmtpPort = static_cast<uint32_t>(m_doc.GetSmtpPort());
  dlg.m_bApop = m_doc.GetApop();
  dlg.m_bAutoStart = m_doc.GetAutoStart();
  if (dlg.DoModal() != DialogBase::IDOK) return;
  m_doc.SetPop3Port(static_cast<int32_t>(dlg.m_nPop3Port));
  m_doc.SetSmtpPort(static_cast<int32_t>(dlg.m_nSmtpPort));
  m_doc.SetApop(dlg.m_bApop);
  m_doc.SetAutoStart(dlg.m_bAutoStart);
  SaveSettings(m_doc, *this);
}

}  // namespace mirte
