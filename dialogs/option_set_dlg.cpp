#include "option_set_dlg.h"

#include <QtGui/QKeyEvent>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

namespace mirte {

bool ReadUnsigned(const std::string& text, uint64_t* value) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' ||
                             text[i] == '\n' || text[i] == '\v' || text[i] == '\f')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size() || text[i] < '0' || text[i] > '9') return false;
  uint64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = std::min<uint64_t>(v * 10 + static_cast<uint64_t>(text[i] - '0'), uint64_t{1} << 32);
  }
  if (negative && v != 0 && v < (uint64_t{1} << 32)) v = (uint64_t{1} << 32) - v;
  *value = v;
  return true;
}

COptionSetDlg::COptionSetDlg() : DialogBase("オプション設定", 180, 121, QColor(255, 240, 230)) {
  // Created in template order, which is the tab order.
  QPushButton* ok = AddButton("OK", 98, 100, 14, 14, true);
  pop3_edit = AddLineEdit(88, 16, 65, 12);
  smtp_edit = AddLineEdit(87, 33, 65, 12);
  apop_check = AddCheckBox("APOP使用", 7, 56, 50, 10);
  QPushButton* cancel = AddButton("キャンセル", 116, 100, 50, 14, false);
  AddLabel("受信（POP3）サーバ", 19, 18, 62, 8);
  AddLabel("送信（SMTP）サーバ", 19, 33, 62, 8);
  auto* group = new QGroupBox(QString::fromUtf8("ポート番号"), this);
  group->setFocusPolicy(Qt::NoFocus);
  Place(group, 7, 7, 166, 45);
  group->lower();
  AddLabel("※認証エラーが出た場合チェックを外して下さい。", 7, 70, 152, 8);
  auto_start_check = AddCheckBox("起動時に自動返信実行する。", 7, 84, 112, 10);
  connect(ok, &QPushButton::clicked, this, &COptionSetDlg::OnOK);
  connect(cancel, &QPushButton::clicked, this, &COptionSetDlg::OnCancel);
  // The port fields take typed digits only (pasted text goes in as it is).
  pop3_edit->installEventFilter(this);
  smtp_edit->installEventFilter(this);
  ok->setFocus();
}

bool COptionSetDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    QString text = key->text();
    bool printable = !text.isEmpty() && text[0].isPrint();
    if (printable && !(key->modifiers() & Qt::ControlModifier) &&
        !(text.size() == 1 && text[0] >= '0' && text[0] <= '9')) {
      return true;
    }
  }
  return DialogBase::eventFilter(watched, event);
}

void COptionSetDlg::showEvent(QShowEvent* event) {
  if (!loaded_) {
    loaded_ = true;
    pop3_edit->setText(QString::number(m_nPop3Port));
    smtp_edit->setText(QString::number(m_nSmtpPort));
    LoadCheck(apop_check, m_bApop);
    LoadCheck(auto_start_check, m_bAutoStart);
  }
  DialogBase::showEvent(event);
}

bool COptionSetDlg::StorePort(QLineEdit* edit, uint32_t* member) {
  uint64_t value = 0;
  if (!ReadUnsigned(edit->text().toStdString(), &value)) {
    return Fail(edit, "Please enter a positive integer.");
  }
  if (value > 65535) {
    return Fail(edit, QString("Please enter an integer between %1 and %2.").arg(0).arg(65535));
  }
  *member = static_cast<uint32_t>(value);
  return true;
}

bool COptionSetDlg::StoreFields() {
  if (!StorePort(pop3_edit, &m_nPop3Port) || !StorePort(smtp_edit, &m_nSmtpPort)) return false;
  m_bApop = StoreCheck(apop_check);
  m_bAutoStart = StoreCheck(auto_start_check);
  return true;
}

}  // namespace mirte
