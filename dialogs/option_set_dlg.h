// COptionSetDlg (template 149): the two ports, APOP, and auto-start.
#pragma once

#include <cstdint>
#include <string>

#include "dialog_base.h"

class QCheckBox;
class QLineEdit;

namespace mirte {

// Reads a port field as the toolkit reads an unsigned number: leading
// blanks skipped, an optional sign, the digits that follow; whatever comes
// after them is ignored. False when there are no digits. A minus sign
// wraps the value modulo 2^32; a value beyond 32 bits reads as 2^32.
bool ReadUnsigned(const std::string& text, uint64_t* value);

class COptionSetDlg : public DialogBase {
  Q_OBJECT

 public:
  COptionSetDlg();

  int32_t m_bApop = 1;
  uint32_t m_nPop3Port = 110;
  uint32_t m_nSmtpPort = 25;
  int32_t m_bAutoStart = 0;

  QLineEdit* pop3_edit;
  QLineEdit* smtp_edit;
  QCheckBox* apop_check;
  QCheckBox* auto_start_check;

 protected:
  bool StoreFields() override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool StorePort(QLineEdit* edit, uint32_t* member);
  bool loaded_ = false;
};

}  // namespace mirte
