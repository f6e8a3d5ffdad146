// The customer list with real widgets against the private server.
#include "app/modMain.h"
#include "controls/HCText.h"
#include "customers/ReadBusyPanel.h"
#include "customers/fBCust_Save.h"
#include "customers/fBFill_Save.h"
#include "db/modMySQL_Func.h"
#include "grid/ExcelExport.h"
#include "grid/SpreadGrid.h"
#include "mainwindow/FrmMain.h"
#include "platform/AppState.h"
#include "platform/Clock.h"
#include "platform/InputMode.h"
#include "platform/SettingsStore.h"
#include "reports/SummaryWindow.h"
#include "reports/fRUseList.h"
#include "support/MainWindowFixture.h"
#include "support/Typing.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

class FrmMainTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    m_admin.Exec(QStringLiteral(
        "INSERT INTO sms_sk.smsuser (userid, username, restcnt, regdate, bigo, hpno, reguser) "
        "VALUES"
        " ('a12', '가나상사', 10, '2026-01-01', '메모1', '02-555-0000', 'staff1'),"
        " ('plain', '다라 12번가', 20, '2026-01-02', '', '031-000-0000', 'staff1'),"
        " ('tel', '마바상사', -5, '2026-01-03', '', '010-1234-5678', 'staff1'),"
        " ('zz', '하늘', 0, '2026-01-04', '', '02-999-9999', 'staff1');"
        "INSERT INTO sms_sk.certified_telno (userid, telno, creator_name, bigo) VALUES"
        " ('tel', '01099998888', 'x', ''), ('tel', '0212345678', 'x', ''), ('tel', '01011112222', "
        "'x', ''),"
        " ('a12', '0311234567', 'x', '')"));
  }

  std::unique_ptr<FrmMain> Open(const QString& staff) {
    auto w = OpenMainWindow(staff);
    w->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    return w;
  }

  static void Search(FrmMain& w, const QString& text) {
    w.htField0->txtBox->setFocus();
    w.htField0->SetText(QString());
    TypeText(w.htField0->txtBox, text);
    QTest::keyClick(w.htField0->txtBox, Qt::Key_Return);
  }

  static QStringList Column(const FrmMain& w, int col) {
    QStringList out;
    for (int r = 1; r <= w.spList->MaxRows(); ++r) out << w.spList->GetText(col, r);
    return out;
  }
};

TEST_F(FrmMainTest, ButtonsFollowTheLoginId) {
  const struct {
    const char* staff;
    bool summaries;
    bool chargeList;
  } cases[] = {{"corvane", true, false},
               {"staff1", false, true},
               {"staff3", false, true},
               {"staff4", false, false},
               {"clerk3", false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.staff);
    auto w = Open(QLatin1String(c.staff));
    EXPECT_EQ(w->btnSumFill->isVisible(), c.summaries);
    EXPECT_EQ(w->btnSumUse->isVisible(), c.summaries);
    EXPECT_EQ(w->btnBalanceCheck->isVisible(), c.summaries);
    EXPECT_TRUE(w->btnLowBalance->isVisible());
    EXPECT_EQ(w->btnChargeList->isEnabled(), c.chargeList);
    // No button lies over the search box.
    for (QPushButton* b :
         {w->btnSumFill, w->btnSumUse, w->btnQuery, w->btnLowBalance, w->btnBalanceCheck}) {
      if (b->isVisible()) {
        EXPECT_GT(b->x(), w->htField0->geometry().right()) << b->objectName().toStdString();
      }
    }
    EXPECT_TRUE(w->windowTitle().endsWith(QStringLiteral("  *직원")));
    EXPECT_TRUE(w->windowTitle().contains(QStringLiteral("(HOST: ") + testdb::Host() +
                                          QStringLiteral(")")));
  }
}

TEST_F(FrmMainTest, TheListIsPutInHangulMode) {
  // A backend that records every switch, for the window that gets it.
  struct Recorder final : inputmode::Backend {
    bool ConversionMode(QWidget*, bool* hangul, long*, QString*) override {
      *hangul = false;
      return true;
    }
    void SetConversionMode(QWidget* w, bool hangul) override { calls.emplace_back(w, hangul); }
    QString Name() const override { return QStringLiteral("recorder"); }
    std::vector<std::pair<QWidget*, bool>> calls;
  } recorder;
  inputmode::Backend* previous = inputmode::SetBackend(&recorder);
  {
    auto w = Open(QStringLiteral("staff1"));
    const auto it = std::find_if(recorder.calls.begin(), recorder.calls.end(),
                                 [&w](const auto& c) { return c.first == w->spList; });
    ASSERT_NE(it, recorder.calls.end());
    EXPECT_TRUE(it->second);
  }
  inputmode::SetBackend(previous);
}

TEST_F(FrmMainTest, ShortSearchesAndExportAreForNamedStaffOnly) {
  {
    auto w = Open(QStringLiteral("staff3"));
    Search(*w, QStringLiteral("가"));
    QTest::keyClick(w.get(), Qt::Key_F8);
    EXPECT_EQ(m_prompt.MessageTexts(),
              (QStringList{QStringLiteral("검색어를 2자 이상 입력하세요."),
                           QStringLiteral("엑셀 내보내기 권한이 없습니다.")}));
    EXPECT_EQ(w->spList->MaxRows(), 0);
    EXPECT_TRUE(w->htField0->txtBox->hasFocus());
  }
  m_prompt.Clear();
  for (const char* staff : {"staff1", "staff2"}) {
    auto w = Open(QLatin1String(staff));
    Search(*w, QStringLiteral("늘"));
    EXPECT_EQ(Column(*w, 3), QStringList{QStringLiteral("zz")});
    Search(*w, QString());
    EXPECT_EQ(w->spList->MaxRows(), 4);  // blank lists every customer, by trade name
    EXPECT_EQ(Column(*w, 1), (QStringList{QStringLiteral("가나상사"), QStringLiteral("다라 12번가"),
                                          QStringLiteral("마바상사"), QStringLiteral("하늘")}));
  }
  EXPECT_TRUE(m_prompt.Messages().empty());
}

TEST_F(FrmMainTest, SearchFillsEveryColumn) {
  auto w = Open(QStringLiteral("staff3"));
  Search(*w, QStringLiteral("12"));
  // The window pauses while the search runs; the keys go back to the box for the next one.
  EXPECT_EQ(QApplication::focusWidget(), w->htField0->txtBox);
  EXPECT_EQ(Column(*w, 3),
            (QStringList{QStringLiteral("a12"), QStringLiteral("plain"), QStringLiteral("tel")}));
  EXPECT_EQ(Column(*w, 7),
            (QStringList{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("3")}));
  EXPECT_EQ(Column(*w, 8), (QStringList{QStringLiteral("031-123-4567"), QString(),
                                        QStringLiteral("010-1111-2222 외2건")}));
  EXPECT_EQ(w->spList->GetText(2, 3), QStringLiteral("010-1234-5678"));
  EXPECT_EQ(w->spList->Value(4, 3), QStringLiteral("-5"));
  EXPECT_EQ(w->spList->GetText(5, 1), QStringLiteral("2026-01-01"));
  EXPECT_EQ(w->spList->GetText(6, 1), QStringLiteral("메모1"));
  EXPECT_EQ(w->spList->GetText(9, 1), QStringLiteral("staff1"));
  EXPECT_EQ(
      w->spList->GetText(12, 1),
      m_admin.Value(QStringLiteral("SELECT userseq FROM sms_sk.smsuser WHERE userid = 'a12'")));

  Search(*w, QStringLiteral("없는상호"));
  EXPECT_EQ(w->spList->MaxRows(), 0);
  ASSERT_FALSE(m_prompt.Records().empty());
  EXPECT_EQ(m_prompt.Records().back().kind, PromptRecord::Kind::Hoverlet);
  EXPECT_EQ(m_prompt.Records().back().text, QStringLiteral("검색된 결과가 없습니다."));
}

TEST_F(FrmMainTest, ActiveRowIsKeptOrMovesToTheLastRow) {
  auto w = Open(QStringLiteral("staff1"));
  Search(*w, QString());
  w->spList->SetActiveCell(2, 3);
  QTest::keyClick(w.get(), Qt::Key_F5);
  EXPECT_EQ(w->spList->ActiveRow(), 3);
  EXPECT_EQ(w->spList->ActiveCol(), 2);
  Search(*w, QStringLiteral("상사"));  // two rows now
  EXPECT_EQ(w->spList->MaxRows(), 2);
  EXPECT_EQ(w->spList->ActiveRow(), 2);
  EXPECT_EQ(w->spList->ActiveCol(), 2);
}

TEST_F(FrmMainTest, NothingSelectedGivesTheRightMessage) {
  auto w = Open(QStringLiteral("staff1"));
  QTest::mouseClick(w->btnEdit, Qt::LeftButton);
  QTest::mouseClick(w->btnCharge, Qt::LeftButton);
  QTest::mouseClick(w->btnUseLog, Qt::LeftButton);
  QTest::mouseClick(w->btnCertifiedTelNum, Qt::LeftButton);
  EXPECT_EQ(m_prompt.MessageTexts(),
            (QStringList{QStringLiteral("먼저 그리드에서 수정할 자료를 선택하세요."),
                         QStringLiteral("우선 충전할 고객을 선택해 주세요"),
                         QStringLiteral("우선 조회할 고객을 선택해 주세요"),
                         QStringLiteral("우선 발신번호 사전등록할 고객을 선택해 주세요.")}));
  for (const auto& m : m_prompt.Messages()) EXPECT_EQ(m.icon, MsgIcon::Information);
}

TEST_F(FrmMainTest, ReportButtonsOpenTheirWindowsForTheSelectedCustomer) {
  QStringList opened;
  const auto record = [&opened](QDialog& d) {
    QString line = d.objectName();
    if (auto* summary = qobject_cast<SummaryWindow*>(&d)) line += u' ' + summary->htField->Text();
    if (auto* ledger = qobject_cast<fRUseList*>(&d)) line += u' ' + ledger->spList->GetText(1, 1);
    opened << line;
    return int(QDialog::Rejected);
  };
  // A carried-over balance gives the ledger a row whatever today is.
  m_admin.Exec(QStringLiteral("UPDATE sms_sk.smsuser SET iwolcnt = 5 WHERE userid = 'tel'"));
  {
    auto w = Open(QStringLiteral("staff1"));
    Search(*w, QStringLiteral("tel"));
    w->spList->SetActiveCell(1, 1);
    for (int i = 0; i < 3; ++i) m_prompt.ModalNext(record);
    QTest::mouseClick(w->btnUseLog, Qt::LeftButton);
    QTest::keyClick(w.get(), Qt::Key_F6);
    QTest::mouseClick(w->btnChargeList, Qt::LeftButton);
    // F8 exports the list after asking; No writes nothing.
    m_prompt.AnswerNext(MsgResult::No);
    QTest::keyClick(w.get(), Qt::Key_F8);
    EXPECT_EQ(m_prompt.MessageTexts(), QStringList{ExportQuestionText()});
  }
  auto w = Open(QStringLiteral("corvane"));
  for (int i = 0; i < 3; ++i) m_prompt.ModalNext(record);
  QTest::mouseClick(w->btnSumFill, Qt::LeftButton);  // no row: the box stays empty
  Search(*w, QStringLiteral("tel"));
  w->spList->SetActiveCell(1, 1);
  QTest::mouseClick(w->btnSumFill, Qt::LeftButton);
  QTest::mouseClick(w->btnSumUse, Qt::LeftButton);
  EXPECT_EQ(opened, (QStringList{QStringLiteral("fRUseList tel"), QStringLiteral("fRUseList tel"),
                                 QStringLiteral("fRChargeList"), QStringLiteral("fRSumFill "),
                                 QStringLiteral("fRSumFill tel"), QStringLiteral("fRSumUse tel")}));
  EXPECT_TRUE(m_prompt.AllAnswersUsed());
}

TEST_F(FrmMainTest, AddedCustomerIsAppendedWithoutANewSearch) {
  auto w = Open(QStringLiteral("staff3"));
  Search(*w, QStringLiteral("상사"));
  const int before = w->spList->MaxRows();
  m_prompt.ModalNext([](QDialog& d) {
    auto& dlg = dynamic_cast<fBCust_Save&>(d);
    EXPECT_TRUE(dlg.chkCun->isVisibleTo(&dlg));
    dlg.chkCun->setChecked(false);
    dlg.htField[0]->SetText(QStringLiteral("새 상사"));
    dlg.htField[1]->SetText(QStringLiteral("fresh"));
    dlg.htField[3]->SetText(QStringLiteral("새 메모"));
    dlg.htField[4]->SetText(QStringLiteral("02-777-8888"));
    dlg.show();
    QMetaObject::invokeMethod(dlg.btnSave, "click");
    return dlg.result();
  });
  QTest::keyClick(w.get(), Qt::Key_F2);
  ASSERT_EQ(w->spList->MaxRows(), before + 1);
  const int r = before + 1;
  EXPECT_EQ(w->spList->GetText(1, r), QStringLiteral("새 상사"));
  EXPECT_EQ(w->spList->GetText(3, r), QStringLiteral("fresh"));
  EXPECT_EQ(w->spList->Value(4, r), QStringLiteral("0"));
  EXPECT_EQ(w->spList->GetText(5, r), clock_::LocalNow().toString(QStringLiteral("yyyy-MM-dd")));
  EXPECT_EQ(w->spList->GetText(9, r), QStringLiteral("staff3"));
  EXPECT_EQ(w->spList->GetText(6, r), QStringLiteral("새 메모"));
  EXPECT_EQ(w->spList->GetText(2, r), QStringLiteral("02-777-8888"));
  EXPECT_EQ(w->spList->GetText(7, r), QString());  // current again after the next search
  EXPECT_EQ(
      w->spList->GetText(12, r),
      m_admin.Value(QStringLiteral("SELECT userseq FROM sms_sk.smsuser WHERE userid = 'fresh'")));
  EXPECT_EQ(w->spList->ActiveRow(), r);
}

TEST_F(FrmMainTest, EditedCustomerIsUpdatedInPlace) {
  auto w = Open(QStringLiteral("staff3"));
  Search(*w, QStringLiteral("상사"));
  w->spList->SetActiveCell(1, 2);
  m_prompt.ModalNext([](QDialog& d) {
    auto& dlg = dynamic_cast<fBCust_Save&>(d);
    EXPECT_EQ(dlg.htField[1]->Text(), QStringLiteral("tel"));
    dlg.htField[0]->SetText(QStringLiteral("이름 바뀜"));
    dlg.show();
    QMetaObject::invokeMethod(dlg.btnSave, "click");
    return dlg.result();
  });
  QTest::mouseDClick(w->spList->CellArea(), Qt::LeftButton, {}, w->spList->CellRect(1, 2).center());
  EXPECT_EQ(w->spList->MaxRows(), 2);
  EXPECT_EQ(w->spList->GetText(1, 2), QStringLiteral("이름 바뀜"));
  EXPECT_EQ(
      m_admin.Value(QStringLiteral("SELECT username FROM sms_sk.smsuser WHERE userid = 'tel'")),
      QStringLiteral("이름 바뀜"));
}

TEST_F(FrmMainTest, BalanceIsReadBackAfterTheChargeDialogEvenWhenCancelled) {
  auto w = Open(QStringLiteral("staff3"));
  Search(*w, QStringLiteral("마바"));
  w->spList->SetActiveCell(1, 1);
  m_prompt.ModalNext([this](QDialog& d) {
    EXPECT_EQ(dynamic_cast<fBFill_Save&>(d).htField[0]->Text(), QStringLiteral("tel"));
    m_admin.Exec(QStringLiteral("UPDATE sms_sk.smsuser SET restcnt = 777 WHERE userid = 'tel'"));
    return int(QDialog::Rejected);
  });
  QTest::keyClick(w->spList->CellArea()->parentWidget(), Qt::Key_Return);  // the grid's view
  EXPECT_EQ(w->spList->Value(4, 1), QStringLiteral("777"));
  EXPECT_TRUE(m_prompt.AllAnswersUsed());
}

TEST_F(FrmMainTest, FunctionKeysWorkFromTheGridToo) {
  auto w = Open(QStringLiteral("staff3"));
  Search(*w, QStringLiteral("마바"));
  w->spList->SetActiveCell(1, 1);
  QWidget* view = w->spList->CellArea()->parentWidget();
  view->setFocus();
  m_prompt.ModalNext([](QDialog& d) {
    EXPECT_EQ(d.objectName(), QStringLiteral("FrmCertifiedTelNumMng"));
    EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("lblID"))->text(), QStringLiteral("tel"));
    EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("lblCompName"))->text(),
              QStringLiteral("마바상사"));
    return int(QDialog::Rejected);
  });
  QTest::keyClick(view, Qt::Key_F12);
  m_prompt.ModalNext([](QDialog& d) {
    EXPECT_EQ(d.objectName(), QStringLiteral("fBCust_Save"));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("고객등록 - 『수정』"));
    return int(QDialog::Rejected);
  });
  QTest::keyClick(view, Qt::Key_F3);
  EXPECT_TRUE(m_prompt.AllAnswersUsed());
}

// A search held up on the server (another connection holds the table) shows that it is working
// and is stopped by its button: the list stays as it was, without a box.
TEST_F(FrmMainTest, AStoppedSearchLeavesTheListAsItWas) {
  auto w = Open(QStringLiteral("staff1"));
  Search(*w, QStringLiteral("tel"));
  const int rows = w->spList->MaxRows();
  ASSERT_GT(rows, 0);
  const auto texts = [&] {
    QStringList out;
    for (int r = 1; r <= w->spList->MaxRows(); ++r)
      for (int c = 1; c <= 3; ++c) out << w->spList->GetText(c, r);
    return out;
  };
  const QStringList before = texts();
  m_prompt.Clear();

  testdb::Admin locker;
  locker.Exec(QStringLiteral("LOCK TABLES sms_sk.smsuser WRITE"));
  w->htField0->SetText(QStringLiteral("마바"));
  bool busyShown = false;
  QTimer::singleShot(800, [&] {
    busyShown = w->pnlBusy->isVisible() && !w->btnCharge->isEnabled();
    QTest::mouseClick(w->pnlBusy->btnStop, Qt::LeftButton);
  });
  QElapsedTimer clock;
  clock.start();
  QTest::mouseClick(w->btnQuery, Qt::LeftButton);
  EXPECT_LT(clock.elapsed(), 2500);
  EXPECT_TRUE(busyShown);
  EXPECT_FALSE(w->pnlBusy->isVisible());
  EXPECT_TRUE(w->btnCharge->isEnabled());
  EXPECT_EQ(texts(), before);
  EXPECT_TRUE(m_prompt.Messages().empty());
  locker.Exec(QStringLiteral("UNLOCK TABLES"));
}

TEST_F(FrmMainTest, ClosingEndsTheSessionWork) {
  // As start-up opens it: the window deletes itself, and its closing shuts the program down.
  Open(QStringLiteral("staff1")).reset();
  QPointer<FrmMain> w = ShowMainWindow();
  ASSERT_TRUE(DBInit_MYSQL(testdb::Host(), QLatin1String(testdb::kInHouseUser),
                           QLatin1String(testdb::kInHousePassword), QStringLiteral("cv_inhouse"),
                           false, testdb::Port()));
  QWidget other;
  other.setObjectName(QStringLiteral("fRUseList"));
  other.show();
  QTest::mouseClick(w->btnClose, Qt::LeftButton);
  EXPECT_FALSE(other.isVisible());
  EXPECT_FALSE(DBIsOpen_MYSQL());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w.isNull());
}

}  // namespace
