// The print windows as a screen reader reads them: every button, box and grid has a name.
#include "grid/SpreadGrid.h"
#include "print/FrmSPPrint_HeaderFooter.h"
#include "print/FrmSPPrint_PageSetup.h"
#include "print/FrmSPPrint_Preview.h"
#include "print/FrmSPPrint_PrintDlg.h"
#include "print/PrintSetup.h"
#include "support/AccessibleTree.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSpinBox>

#include <memory>
#include <ostream>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

TEST(PrintDialogsNamed, EveryControlHasAName) {
  SpreadGrid grid;
  grid.SetMaxCols(2);
  grid.SetMaxRows(3);
  print::Session session;
  session.grid = &grid;
  session.settingsApp = QStringLiteral("Sendora_PritSetUp");
  session.settingsKey = QStringLiteral("test");

  FrmSPPrint_PageSetup setup(session);
  FrmSPPrint_PrintDlg printDialog(session, QStringLiteral("doc"), 2);
  FrmSPPrint_HeaderFooter headerFooter(session);
  FrmSPPrint_Preview preview(session, QStringLiteral("doc"));
  for (QWidget* w :
       std::initializer_list<QWidget*>{&setup, &printDialog, &headerFooter, &preview}) {
    w->show();
    EXPECT_EQ(a11y::Unnamed(*w), QStringList()) << w->objectName().toStdString();
  }
}

}  // namespace
