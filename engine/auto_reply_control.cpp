#include "auto_reply_control.h"

#include "activity_log.h"
#include "poll_and_reply.h"
#include "text_codec.h"

namespace mirte {

uint32_t PollPeriodMs(int32_t interval) {
  static constexpr uint32_t kPeriods[] = {60000, 180000, 300000, 600000, 3600000, 5400000};
  if (interval < 0 || interval > 5) return kPeriods[0];
  return kPeriods[interval];
}

std::string FailureText(int result) {
  switch (result) {
    case kCycleSendFailed: return Cp932("送信時の接続エラー");
    case kCycleTimeout: return Cp932("ﾀｲﾑアウト");
    case kCycleLogInFailed: return Cp932("認証失敗");
    case kCycleConnectFailed: return Cp932("接続失敗");
    case kCycleInitFailed: return Cp932("初期化失敗");
    default: return Cp932("その他のエラー");
  }
}

void CAutoReplyControl::Log(const std::string& text, std::time_t time) {
  AppendLog(kLogFileName, text + LogTimeStamp(time), m_ui);
}

void CAutoReplyControl::OnRun() {
  m_nTimerId = m_ui.SetTimer(kPollTimerId, PollPeriodMs(m_doc.GetInterval()));
  if (m_nTimerId == 0) {
    OnStop();
    m_ui.ShowMessage(Cp932("タイマー不正"), MessageIcon::kError);
    return;
  }
  m_bRunning = 1;
  Log(Cp932("自動返信実行"), m_ui.CurrentTime());
  OnTimer(kPollTimerId);
  m_ui.DrawStatus(m_bRunning);
}

void CAutoReplyControl::OnRunCommand() {
  ResumeAutoStart();
  OnRun();
}

void CAutoReplyControl::OnPaintAutoStart(int32_t auto_start) {
  if (auto_start != 0 && !m_bAutoStartSuspended) OnRun();
}

void CAutoReplyControl::OnStop() {
  m_ui.KillTimer(m_nTimerId);
  m_bRunning = 0;
  Log(Cp932("自動返信停止"), m_ui.CurrentTime());
  m_ui.DrawStatus(m_bRunning);
}

void CAutoReplyControl::OnCheckNow() {
  Log(Cp932("自動返信実行"), m_ui.CurrentTime());
  m_ui.DrawStatus(1);
  OnTimer(kPollTimerId);
  m_ui.DrawStatus(0);
}

void CAutoReplyControl::OnTimer(uint32_t id) {
  if (id != kPollTimerId || m_bInCycle) return;
  const std::time_t started = m_ui.CurrentTime();
  m_bInCycle = true;
  int result = PollAndReply(m_doc, m_library, m_ui);
  m_bInCycle = false;
  m_nLastResult = result;
  std::string text;
  if (result < 0) {
    text = FailureText(result);
    m_bAutoStartSuspended = true;
    OnStop();
    m_ui.ShowMessage(text, MessageIcon::kError);
  } else {
    text = Cp932("接続OK POPサーバー(") + std::to_string(result) + Cp932("件)");
  }
  Log(text, started);
}

bool CAutoReplyControl::IsCommandEnabled(int id) const {
  switch (id) {
    case kCmdStop:
      return m_bRunning == 1;
    case kCmdRun:
    case kCmdCheckNow:
    case kCmdAccountSettings:
    case kCmdAutoReplySettings:
    case kCmdSendConditionSettings:
    case kCmdOptionSettings:
      return m_bRunning == 0;
    default:
      return true;
  }
}

}  // namespace mirte
