#pragma once
// The charge dialog as the charge tests drive it: opened for a customer, an amount typed into
// the amount box and Enter pressed, as a staff member would.

#include "customers/fBFill_Save.h"

#include <QComboBox>
#include <QLineEdit>
#include <QString>
#include <QTest>

#include <memory>

inline const QString kLostNotSaved = QStringLiteral(
    "저장 중 서버와의 연결이 끊겨 충전이 저장되지 않았습니다.\n\n"
    "잔여 건수도 바뀌지 않았습니다. 다시 저장하세요.");

// Types the amount and moves on, so the count follows.
inline void EnterAmount(fBFill_Save& dlg, const QString& amount) {
  dlg.cmbMoney->setFocus();
  dlg.cmbMoney->lineEdit()->selectAll();
  QTest::keyClicks(dlg.cmbMoney, amount);
  QTest::keyClick(dlg.cmbMoney, Qt::Key_Return);
}

inline std::unique_ptr<fBFill_Save> OpenChargeWithAmount(const QString& customer,
                                                         const QString& amount) {
  auto dlg = std::make_unique<fBFill_Save>();
  dlg->SetFormMode(customer, 1, nullptr, 0);
  dlg->show();
  QTest::qWait(30);
  EnterAmount(*dlg, amount);
  return dlg;
}
