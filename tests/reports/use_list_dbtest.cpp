// The usage ledger with a real window against the private server. Expected values are worked
// out by hand from the rows each test inserts.
#include "platform/Process.h"
#include "print/cFpPreview.h"
#include "reports/ReportTestSupport.h"
#include "reports/fRUseList.h"

#include <QFileInfo>
#include <QPushButton>
#include <QTest>

namespace {

class UseListTest : public ReportTest {
 protected:
  // cust: 1,000 carried over; before 2026-12-01 two charges (500 + 300), four SMS, two MMS.
  // In 2026-12-01..08: on the 3rd an ordinary charge of 100 and a compensation of 50, three
  // SMS; on the 5th two MMS; one SMS at the last second of the 8th. After it: an SMS on the 9th
  // at midnight. Queued: one MMS reserved for 2027-01-10.
  void InsertHistory(const QString& id = QStringLiteral("cust")) {
    m_admin.Exec(
        QStringLiteral(
            "INSERT INTO sms_sk.smsuser (userid, username, restcnt, iwolcnt) VALUES ('%1', "
            "'원장상사', 0, 1000);"
            "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, "
            "bigo) VALUES ('staff1', '%1', '20261101100000', 0, 500, 0, ''),"
            " ('staff1', '%1', '20261130235959', 0, 300, 0, ''),"
            " ('staff1', '%1', '20261203100000', 0, 100, 2420, '입금'),"
            " ('staff1', '%1', '20261203110000', 1, 50, 0, '보상');"
            "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM, RSLT_VAL) VALUES"
            " ('%1', '20261001090000', 99), ('%1', '20261101090000', -100),"
            " ('%1', '20261115090000', 3), ('%1', '20261130235959', NULL),"
            " ('%1', '20261203080000', 99), ('%1', '20261203120000', 99),"
            " ('%1', '20261203235959', 99), ('%1', '20261208235959', 99),"
            " ('%1', '20261209000000', 99);"
            "INSERT INTO sms_sk.tbl_msg_hist (ETC_CHAR_1, RESERVED_DTTM) VALUES"
            " ('%1', '20261020100000'), ('%1', '20261130100000'),"
            " ('%1', '20261205100000'), ('%1', '20261205110000');"
            "INSERT INTO sms_sk.tbl_submit_queue (ETC_CHAR_1, RESERVED_DTTM) VALUES"
            " ('%1', '20270110090000')")
            .arg(id));
  }

  std::unique_ptr<fRUseList> Open(const QString& id, const char* from = "2026-12-01",
                                  const char* to = "2026-12-08") {
    auto w = std::make_unique<fRUseList>();
    SetPeriod(*w->htDate, from, to);
    w->SetFormMode(id);
    return w;
  }
};

TEST_F(UseListTest, CarryOverIsOneRowAndTheTotalIsTheBalance) {
  InsertHistory();
  auto w = Open(QStringLiteral("cust"));
  // 1,000 + 800 - 4 - 3 x 2 = 1,790 before the period.
  ASSERT_EQ(w->spList->MaxRows(), 6);
  EXPECT_EQ(Row(*w->spList, 1, 1, 5),
            (QStringList{QStringLiteral("cust"), QString(), QStringLiteral("[전기이월]"),
                         QStringLiteral("1,790"), QString()}));
  // Both charges of the 3rd are one row; its type and note come from one of them.
  EXPECT_EQ(Row(*w->spList, 2, 2, 2), QStringList{QStringLiteral("2026-12-03")});
  EXPECT_EQ(w->spList->GetText(4, 2), QStringLiteral("150"));
  EXPECT_TRUE(QStringList({QStringLiteral("일반충전"), QStringLiteral("보상충전")})
                  .contains(w->spList->GetText(3, 2)));
  EXPECT_EQ(
      Row(*w->spList, 3, 2, 4),
      (QStringList{QStringLiteral("2026-12-03"), QStringLiteral("SMS사용"), QStringLiteral("-3")}));
  EXPECT_EQ(
      Row(*w->spList, 4, 2, 4),
      (QStringList{QStringLiteral("2026-12-05"), QStringLiteral("MMS사용"), QStringLiteral("-6")}));
  EXPECT_EQ(
      Row(*w->spList, 5, 2, 4),
      (QStringList{QStringLiteral("2026-12-08"), QStringLiteral("SMS사용"), QStringLiteral("-1")}));
  // Queued MMS count whatever the period.
  EXPECT_EQ(Row(*w->spList, 6, 2, 4),
            (QStringList{QStringLiteral("2027-01-10"), QStringLiteral("MMS전송중"),
                         QStringLiteral("-3")}));
  // 1,790 + 150 - 3 - 6 - 1 - 3
  EXPECT_EQ(w->spSum->GetText(4, 1), QStringLiteral("1,927"));
  EXPECT_EQ(w->spSum->GetText(3, 1), QStringLiteral("[합 계]"));
  EXPECT_TRUE(w->spList->ColHidden(6));
  EXPECT_FALSE(NoticeShown());
}

TEST_F(UseListTest, PeriodsAndCustomersWithoutHistory) {
  InsertHistory();
  m_admin.Exec(
      QStringLiteral("INSERT INTO sms_sk.smsuser (userid, username) VALUES ('fresh', '새고객');"
                     "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM, RSLT_VAL) VALUES"
                     " ('fresh', '20261208000000', 99)"));
  const struct {
    const char* id;
    const char* from;
    const char* to;
    QStringList kinds;
    const char* total;
  } cases[] = {
      // One day covers 00:00:00 to 23:59:59; carry-over then holds everything before.
      {"cust",
       "2026-12-08",
       "2026-12-08",
       {QStringLiteral("[전기이월]"), QStringLiteral("SMS사용"), QStringLiteral("MMS전송중")},
       "1,927"},
      {"cust",
       "2026-12-09",
       "2026-12-09",
       {QStringLiteral("[전기이월]"), QStringLiteral("SMS사용"), QStringLiteral("MMS전송중")},
       "1,926"},
      // Nothing before the period: no carry-over row.
      {"fresh", "2026-12-01", "2026-12-08", {QStringLiteral("SMS사용")}, "-1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.id) + " " + c.from);
    auto w = Open(QLatin1String(c.id), c.from, c.to);
    EXPECT_EQ(Column(*w->spList, 3), c.kinds);
    EXPECT_EQ(w->spSum->GetText(4, 1), QLatin1String(c.total));
  }
}

TEST_F(UseListTest, QuotesAndBackslashesInTheIdMatchOnlyThemselves) {
  InsertHistory(QStringLiteral("ab"));
  m_admin.Exec(QStringLiteral(
      "INSERT INTO sms_sk.smsuser (userid, username) VALUES ('a\\\\b', '역슬래시'), "
      "('a''b', '따옴표');"
      "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM) VALUES ('a\\\\b', '20261202100000'),"
      " ('a''b', '20261202100000'), ('a''b', '20261202110000')"));
  const struct {
    QString id;
    const char* total;
  } cases[] = {{QStringLiteral("a\\b"), "-1"}, {QStringLiteral("a'b"), "-2"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id.toStdString());
    auto w = Open(c.id);
    EXPECT_EQ(Column(*w->spList, 1), QStringList{c.id});
    EXPECT_EQ(w->spSum->GetText(4, 1), QLatin1String(c.total));
  }
  EXPECT_TRUE(m_prompt.Messages().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
}

TEST_F(UseListTest, RunsWhereTheServerDefaultsToStrictGrouping) {
  InsertHistory();
  m_admin.Exec(QStringLiteral("SET GLOBAL sql_mode = 'ONLY_FULL_GROUP_BY,STRICT_TRANS_TABLES'"));
  Connect();
  auto w = Open(QStringLiteral("cust"));
  m_admin.Exec(QStringLiteral("SET GLOBAL sql_mode = DEFAULT"));
  EXPECT_TRUE(m_prompt.Messages().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
  EXPECT_EQ(w->spList->MaxRows(), 6);
}

TEST_F(UseListTest, EmptyResultNoticeOnlyWhileShownAndQueryKeepsTheCustomer) {
  auto w = Open(QStringLiteral("nobody"));
  EXPECT_EQ(w->spList->MaxRows(), 0);
  EXPECT_FALSE(NoticeShown());  // the first query runs before the window is shown
  w->show();
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  QTest::keyClick(w.get(), Qt::Key_F5);
  EXPECT_TRUE(NoticeShown());
  EXPECT_EQ(w->spSum->GetText(3, 1), QStringLiteral("[합 계]"));

  // F5 asks again for the same customer with the new period.
  InsertHistory(QStringLiteral("nobody"));
  QTest::mouseClick(w->btnQuery, Qt::LeftButton);
  EXPECT_EQ(w->spSum->GetText(4, 1), QStringLiteral("1,927"));
}

TEST_F(UseListTest, DefaultPeriodIsTheLastWeek) {
  fRUseList w;
  EXPECT_EQ(w.htDate->Text1(), QStringLiteral("2026-12-01"));
  EXPECT_EQ(w.htDate->Text2(), QStringLiteral("2026-12-08"));
  EXPECT_EQ(w.windowTitle(), QStringLiteral("문자사용내역"));
}

TEST_F(UseListTest, DemoCustomersTotalTheirStoredBalance) {
  m_admin.ExecFile(testdb::SchemaFile(QStringLiteral("demo_data.sql")));
  clock_::SetLocalNowOverride(nullptr);
  // Carried over, the quote in the name, queued MMS, the ones charged three ways in one day.
  const QStringList ids = m_admin.Column(QStringLiteral(
      "SELECT userid FROM sms_sk.smsuser WHERE userseq IN (1, 7, 14, 22, 77, 128) ORDER BY 1"));
  ASSERT_EQ(ids.size(), 6);
  const QString today = QDate::currentDate().toString(Qt::ISODate);
  for (const QString& id : ids) {
    SCOPED_TRACE(id.toStdString());
    auto w = std::make_unique<fRUseList>();
    w->htDate->SetText1(QDate::currentDate().addDays(-30).toString(Qt::ISODate));
    w->htDate->SetText2(today);
    w->SetFormMode(id);
    const QString balance = m_admin.Value(
        QStringLiteral("SELECT restcnt FROM sms_sk.smsuser WHERE userid = '%1'").arg(id));
    EXPECT_EQ(w->spSum->Value(4, 1), balance);
  }
}

TEST_F(UseListTest, ExportButtonWritesTheLedgerAndOpensIt) {
  InsertHistory();
  QStringList opened;
  process::SetOpenWithDefaultAppOverride([&opened](const QString& file) {
    opened << file;
    return true;
  });
  auto w = Open(QStringLiteral("cust"));
  m_prompt.AnswerNext(MsgResult::Yes);
  QTest::mouseClick(w->btnExcel, Qt::LeftButton);
  process::SetOpenWithDefaultAppOverride(nullptr);
  ASSERT_EQ(opened.size(), 1);
  EXPECT_TRUE(opened[0].endsWith(QStringLiteral(".xlsx")));
  EXPECT_TRUE(opened[0].contains(QStringLiteral("/ExpExcel/Exp")));
  EXPECT_GT(QFileInfo(opened[0]).size(), 0);
}

TEST_F(UseListTest, PrintButtonOpensThePreviewOfTheLedger) {
  InsertHistory();
  CreatePrintPreview(App().appTitle);
  auto w = Open(QStringLiteral("cust"));
  QString title;
  m_prompt.ModalNext([&title](QDialog& d) {
    title = d.windowTitle();
    return int(QDialog::Rejected);
  });
  QTest::mouseClick(w->btnPrint, Qt::LeftButton);
  ReleasePrintPreview();
  EXPECT_TRUE(m_prompt.AllAnswersUsed());
  EXPECT_EQ(title, QStringLiteral("스프레드 인쇄 미리보기"));
}

}  // namespace
