#include "auto_set_dlg.h"

#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>

#include "text_guard.h"

namespace mirte {

CAutoSetDlg::CAutoSetDlg() : DialogBase("自動返信メール設定", 200, 215, QColor(235, 255, 235)) {
  QPushButton* ok = AddButton("OK", 131, 194, 14, 14, true);
  QPushButton* cancel = AddButton("キャンセル", 150, 194, 36, 14, false);
  connect(ok, &QPushButton::clicked, this, &CAutoSetDlg::OnOK);
  connect(cancel, &QPushButton::clicked, this, &CAutoSetDlg::OnCancel);
  m_listInterval = new QListWidget(this);
  m_listInterval->setSelectionMode(QAbstractItemView::SingleSelection);
  m_listInterval->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_listInterval->setPalette(QPalette());  // the toolkit's own colours
  Place(m_listInterval, 122, 7, 62, 18);
  m_editSubject = AddLineEdit(33, 28, 152, 14);
  m_editBody = new QPlainTextEdit(this);
  m_editBody->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_editBody->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_editBody->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_editBody->setTabChangesFocus(true);
  Place(m_editBody, 7, 62, 178, 127);
  AddLabel("受信サーバー問い合わせ時間", 7, 7, 96, 8);
  AddLabel("見出し", 7, 31, 23, 8);
  AddLabel("返信内容", 7, 49, 33, 8);
  body_guard_ = new TextGuard(m_editBody, kBodyLimit);
  subject_guard_ = new TextGuard(m_editSubject, 0);
}

void CAutoSetDlg::OnInitDialog() {
  body_guard_->SetCp932Text(m_strReplyBody);
  subject_guard_->SetCp932Text(m_strReplySubject);
  for (const char* row : {"60秒", "３分", "５分", "10分", "60分", "90分"}) {
    m_listInterval->addItem(QString::fromUtf8(row));
  }
  m_listInterval->setFocus();
  if (m_nInterval >= 0 && m_nInterval < m_listInterval->count()) {
    m_listInterval->setCurrentRow(m_nInterval);
    m_listInterval->scrollToItem(m_listInterval->currentItem());
  } else {
    m_listInterval->setCurrentRow(-1);
  }
  initialised_ = true;
}

void CAutoSetDlg::showEvent(QShowEvent* event) {
  if (!initialised_) OnInitDialog();
  DialogBase::showEvent(event);
}

void CAutoSetDlg::OnOK() {
  // No row can be selected only when the stored index lay outside 0 to 5;
  // the first row then keeps the document's index within them.
  QList<QListWidgetItem*> selected = m_listInterval->selectedItems();
  m_nInterval = selected.isEmpty() ? 0 : m_listInterval->row(selected.first());
  DialogBase::OnOK();
}

bool CAutoSetDlg::StoreFields() {
  std::string body = body_guard_->Cp932Text();
  if (!CheckLength(m_editBody, body, kBodyLimit)) return false;
  m_strReplyBody = body;
  m_strReplySubject = subject_guard_->Cp932Text();
  return true;
}

}  // namespace mirte
