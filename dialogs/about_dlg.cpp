#include "about_dlg.h"

#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>

namespace mirte {

CAboutDlg::CAboutDlg() : DialogBase("バージョン情報 Penwick", 235, 55, QColor(), 9) {
  auto* icon = new QLabel(this);
  icon->setPixmap(QPixmap(":/images/icon.png"));
  Place(icon, 11, 17, 20, 20);
  AddLabel("ミルテ Version 0.9.3.0b", 40, 10, 119, 8);
  QPushButton* ok = AddButton("OK", 178, 7, 50, 16, true);
  connect(ok, &QPushButton::clicked, this, &CAboutDlg::OnOK);
  ok->setFocus();
}

}  // namespace mirte
