#include "snd_condition_dlg.h"

#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "text_guard.h"

namespace mirte {

CSndConDitionDlg::CSndConDitionDlg() : DialogBase("送信条件", 186, 63, QColor(230, 255, 255)) {
  QPushButton* ok = AddButton("OK", 123, 42, 14, 14, true);
  QPushButton* cancel = AddButton("キャンセル", 143, 42, 36, 14, false);
  connect(ok, &QPushButton::clicked, this, &CSndConDitionDlg::OnOK);
  connect(cancel, &QPushButton::clicked, this, &CSndConDitionDlg::OnCancel);
  keyword_edit = AddLineEdit(74, 23, 105, 14);
  keyword_check = AddCheckBox("見出しキーワド", 7, 23, 63, 10);
  empty_body_check = AddCheckBox("本文空メール", 7, 38, 59, 10);
  AddLabel("受信メールに対して送信条件設定", 7, 7, 110, 8);
  guard_ = new TextGuard(keyword_edit, kLimit);
  ok->setFocus();
}

void CSndConDitionDlg::showEvent(QShowEvent* event) {
  if (!loaded_) {
    loaded_ = true;
    guard_->SetCp932Text(m_strKeyword);
    LoadCheck(keyword_check, m_bKeywordCheck);
    LoadCheck(empty_body_check, m_bEmptyBodyCheck);
  }
  DialogBase::showEvent(event);
}

bool CSndConDitionDlg::StoreFields() {
  std::string keyword = guard_->Cp932Text();
  if (!CheckLength(keyword_edit, keyword, kLimit)) return false;
  m_strKeyword = keyword;
  m_bKeywordCheck = StoreCheck(keyword_check);
  m_bEmptyBodyCheck = StoreCheck(empty_body_check);
  return true;
}

}  // namespace mirte
