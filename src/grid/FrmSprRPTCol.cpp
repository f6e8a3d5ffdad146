#include "grid/FrmSprRPTCol.h"

#include "grid/FormNames.h"
#include "grid/SpreadGrid.h"
#include "grid/modFormIni.h"
#include "platform/ProfileIni.h"
#include "platform/Prompt.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

FrmSprRPTCol::FrmSprRPTCol(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FrmSprRPTCol"));
  setWindowTitle(QStringLiteral("보고서용 컬럼설정"));
  setFixedSize(300, 420);

  List1 = new QListWidget(this);
  List1->setObjectName(QStringLiteral("List1"));
  List1->setGeometry(8, 8, 284, 300);
  chkAll = new QCheckBox(QStringLiteral("전체(&A)"), this);
  chkAll->setObjectName(QStringLiteral("chkAll"));
  chkAll->setGeometry(8, 314, 120, 22);
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(8, 340, 284, 22);
  cmdSave = new QPushButton(QStringLiteral("저장(&S)"), this);
  cmdSave->setObjectName(QStringLiteral("cmdSave"));
  cmdSave->setGeometry(104, 376, 90, 32);
  cmdClose = new QPushButton(QStringLiteral("닫기(&C)"), this);
  cmdClose->setObjectName(QStringLiteral("cmdClose"));
  cmdClose->setGeometry(202, 376, 90, 32);
  List1->setAccessibleName(QStringLiteral("보고서용 컬럼"));  // no caption over it
  NameFormControlsOnShow(*this);

  connect(chkAll, &QCheckBox::clicked, this, [this](bool on) {
    for (int i = 0; i < List1->count(); ++i)
      List1->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  });
  // Ticks set while filling the list are not changes.
  connect(List1, &QListWidget::itemChanged, this, [this] {
    if (isVisible()) m_changed = true;
  });
  connect(cmdSave, &QPushButton::clicked, this, &FrmSprRPTCol::cmdSave_Click);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmSprRPTCol::SetParam(QWidget& form, SpreadGrid& grid) {
  m_file = FormIniFile(form.objectName());
  m_section = SpreadIniKey(grid) + QStringLiteral("_RPTCOL");
  const bool haveFile = QFile::exists(m_file);
  const QSignalBlocker quiet(List1);
  List1->clear();
  for (int c = 1; c <= grid.MaxCols(); ++c) {
    if (grid.ColHidden(c)) continue;
    auto* item = new QListWidgetItem(grid.GetText(c, 0), List1);
    item->setData(Qt::UserRole, c);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    const bool ticked = !haveFile || profile::GetString(m_section, QString::number(c),
                                                        QStringLiteral("1"), 2, m_file)
                                         .startsWith(QLatin1Char('1'));
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
  }
  Label1->setText(QStringLiteral("- 체크한 컬럼만 보고서에 나타납니다."));
  m_changed = false;
}

void FrmSprRPTCol::cmdSave_Click() {
  bool written = EnsureFormIniFolder();
  for (int i = 0; written && i < List1->count(); ++i) {
    const QListWidgetItem* item = List1->item(i);
    written = profile::WriteString(
        m_section, QString::number(item->data(Qt::UserRole).toInt()),
        item->checkState() == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0"), m_file);
  }
  // Better no "saved" than a false one; the dialog stays open with its ticks.
  if (!written) {
    MsgError(75, QStringLiteral("Path/File access error"), QStringLiteral("cmdSave_Click"),
             objectName(), true);
    return;
  }
  MsgBox(QStringLiteral("저장을 완료하였습니다."));
  m_changed = false;
  accept();
}

void FrmSprRPTCol::done(int result) {
  if (m_changed &&
      !MsgYesNo(QStringLiteral("수정된 내용이 저장되지 않았습니다. 그래도, 닫으시겠습니까?")))
    return;
  QDialog::done(result);
}
