// Automatic reply as a service the user starts and stops: the run, stop and
// check-now commands, the polling timer, the result of every cycle in the
// log and, on failure, in a message box. The desktop view and the
// command-line driver both forward to it.
#pragma once

#include <cstdint>
#include <string>

#include "mail_library.h"
#include "penwick_doc.h"
#include "ui_port.h"

namespace mirte {

// Command numbers whose enabling depends on the running state.
inline constexpr int kCmdAccountSettings = 130;
inline constexpr int kCmdAutoReplySettings = 134;
inline constexpr int kCmdRun = 136;
inline constexpr int kCmdCheckNow = 137;
inline constexpr int kCmdSendConditionSettings = 138;
inline constexpr int kCmdStop = 139;
inline constexpr int kCmdOptionSettings = 148;

inline constexpr uint32_t kPollTimerId = 1;

// The polling period of an interval index; an index outside 0 to 5 polls
// every 60 seconds.
uint32_t PollPeriodMs(int32_t interval);

// The text shown and logged for a negative cycle result (CP932).
std::string FailureText(int result);

class CAutoReplyControl {
 public:
  // All three must outlive the control.
  CAutoReplyControl(CPenwickDoc& doc, MailLibrary& library, UiPort& ui)
      : m_doc(doc), m_library(library), m_ui(ui) {}

  void OnRun();
  void OnStop();
  void OnCheckNow();
  void OnTimer(uint32_t id);

  // The run command given by the user: it also ends a suspension of the
  // auto-start rule.
  void OnRunCommand();
  // The auto-start rule, applied by every paint of the view: with
  // `auto_start` on, automatic reply is (re)started, unless a failed cycle
  // suspended the rule. Without that suspension a failure that persists
  // would restart at once each time its error box closes, and the user
  // could never reach the options to turn auto-start off.
  void OnPaintAutoStart(int32_t auto_start);
  // Ends the suspension (the user started automatic reply, or changed the
  // settings).
  void ResumeAutoStart() { m_bAutoStartSuspended = false; }

  // Whether command `id` is available in the current state: 139 only while
  // running, the run, check-now and settings commands only while not; other
  // commands are not this control's to decide (true).
  bool IsCommandEnabled(int id) const;

  int m_bRunning = 0;
  uint32_t m_nTimerId = 0;
  // The result of the last cycle; 0 before the first.
  int m_nLastResult = 0;
  // True while a cycle runs: a tick that arrives inside a message box of
  // that cycle does not start another one.
  bool m_bInCycle = false;
  // A cycle failed since the user last started automatic reply or changed
  // the settings: paints do not restart it.
  bool m_bAutoStartSuspended = false;

 private:
  void Log(const std::string& text, std::time_t time);

  CPenwickDoc& m_doc;
  MailLibrary& m_library;
  UiPort& m_ui;
};

}  // namespace mirte
