// The sender-number dialog with real widgets against the private server.
#include "customers/FrmCertifiedTelNumMng.h"
#include "db/DbState.h"
#include "db/modMySQL_Func.h"
#include "grid/SpreadGrid.h"
#include "platform/AppState.h"
#include "support/ScriptedPrompt.h"
#include "support/TcpProxy.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

class CertifiedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testdb::ResetDatabases();
    App().appTitle = QStringLiteral("Sendora");
    SetDefaultPromptTitle(App().appTitle);
    App().staff.userName = QStringLiteral("김'직원");
    ASSERT_TRUE(testdb::ConnectSms());
    m_admin.Exec(QStringLiteral(
        "INSERT INTO sms_sk.certified_telno (userid, telno, creator_name, bigo) VALUES"
        " ('cust', '01011112222', '처음', ''), ('other', '0212345678', '남', '');"
        "INSERT INTO sms_sk.certified_telno_del (code, userid, telno, created_dttm, creator_name, "
        "bigo, del_dttm, del_name)"
        " VALUES (99, 'cust', '0311234567', NOW(), '예전', '', NOW(), '지운이')"));
  }

  std::unique_ptr<FrmCertifiedTelNumMng> Open(const QString& staff,
                                              const QString& id = QStringLiteral("cust")) {
    App().staff.userId = staff;
    auto dlg = std::make_unique<FrmCertifiedTelNumMng>();
    dlg->lblID->setText(id);
    dlg->lblCompName->setText(QStringLiteral("상호"));
    dlg->show();
    dlg->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    QTest::qWait(20);  // first activation loads the lists
    return dlg;
  }

  static void Add(FrmCertifiedTelNumMng& dlg, const QString& number) {
    dlg.txtTelNum->setText(number);
    QTest::mouseClick(dlg.btnAddNew, Qt::LeftButton);
  }

  QStringList Stored(const QString& table = QStringLiteral("certified_telno")) {
    return m_admin.Column(
        QStringLiteral("SELECT telno FROM sms_sk.%1 WHERE userid = 'cust' ORDER BY telno")
            .arg(table));
  }

  testdb::Admin m_admin;
  ScriptedPrompt m_prompt;
};

TEST_F(CertifiedTest, ListsLoadAtFirstActivation) {
  auto dlg = Open(QStringLiteral("staff1"));
  ASSERT_EQ(dlg->spList->MaxRows(), 1);
  EXPECT_EQ(dlg->spList->GetText(1, 1), QStringLiteral("010-1111-2222"));
  EXPECT_EQ(dlg->spList->GetText(3, 1), QStringLiteral("처음"));
  ASSERT_EQ(dlg->spDelList->MaxRows(), 1);
  EXPECT_EQ(dlg->spDelList->GetText(1, 1), QStringLiteral("031-123-4567"));
  EXPECT_EQ(dlg->spDelList->GetText(3, 1), QStringLiteral("지운이"));
  EXPECT_EQ(dlg->spDelList->GetText(6, 1), QStringLiteral("99"));
  EXPECT_FALSE(dlg->spDelList->isVisible());
}

TEST_F(CertifiedTest, NumberWithDashesIsStoredAsDigits) {
  auto dlg = Open(QStringLiteral("staff1"));
  Add(*dlg, QStringLiteral("010-1234-5678"));
  EXPECT_EQ(Stored(), (QStringList{QStringLiteral("01011112222"), QStringLiteral("01012345678")}));
  EXPECT_EQ(m_prompt.MessageTexts(), QStringList{QStringLiteral("자료가 저장되었습니다.")});
  EXPECT_EQ(dlg->spList->MaxRows(), 2);
  EXPECT_EQ(dlg->txtTelNum->text(), QString());
  EXPECT_EQ(m_admin.Value(QStringLiteral(
                "SELECT creator_name FROM sms_sk.certified_telno WHERE telno = '01012345678'")),
            QStringLiteral("김'직원"));
}

TEST_F(CertifiedTest, RuleViolationsAndEmptyNumbersWriteNothing) {
  auto dlg = Open(QStringLiteral("staff1"));
  Add(*dlg, QStringLiteral("12345678"));
  Add(*dlg, QStringLiteral(" - "));
  const QStringList texts = m_prompt.MessageTexts();
  ASSERT_EQ(texts.size(), 2);
  EXPECT_TRUE(texts[0].endsWith(QStringLiteral("---> 3번 세칙 위배")));
  EXPECT_EQ(texts[1], QStringLiteral("등록할 전화번호를 입력하세요."));
  EXPECT_EQ(Stored().size(), 1);
}

TEST_F(CertifiedTest, EleventhNumberIsRefusedBeforeTheRules) {
  QString values;
  for (int i = 0; i < 9; ++i)
    values += QStringLiteral(", ('cust', '0101234000%1', 'x', '')").arg(i);
  m_admin.Exec(
      QStringLiteral(
          "INSERT INTO sms_sk.certified_telno (userid, telno, creator_name, bigo) VALUES") +
      values.mid(1));
  auto dlg = Open(QStringLiteral("staff1"));
  ASSERT_EQ(dlg->spList->MaxRows(), 10);
  Add(*dlg, QStringLiteral("12"));  // would break a rule too
  EXPECT_EQ(m_prompt.MessageTexts(),
            QStringList{QStringLiteral("한 아이디당 최대 10건까지 등록가능합니다.")});
  EXPECT_EQ(Stored().size(), 10);
}

TEST_F(CertifiedTest, DeleteKeepsAnArchiveRow) {
  auto dlg = Open(QStringLiteral("staff1"));
  dlg->spList->SetActiveCell(1, 1);
  m_prompt.AnswerNext(MsgResult::No);
  QTest::mouseClick(dlg->btnDel, Qt::LeftButton);
  EXPECT_EQ(Stored().size(), 1);
  ASSERT_EQ(m_prompt.Messages().size(), 1u);
  EXPECT_EQ(m_prompt.Messages()[0].title, QStringLiteral("삭제"));
  EXPECT_EQ(m_prompt.Messages()[0].defaultButton, MsgResult::No);

  m_prompt.AnswerNext(MsgResult::Yes);
  QTest::mouseClick(dlg->btnDel, Qt::LeftButton);
  EXPECT_TRUE(Stored().isEmpty());
  EXPECT_EQ(Stored(QStringLiteral("certified_telno_del")),
            (QStringList{QStringLiteral("01011112222"), QStringLiteral("0311234567")}));
  EXPECT_EQ(m_admin.Value(QStringLiteral(
                "SELECT del_name FROM sms_sk.certified_telno_del WHERE telno = '01011112222'")),
            QStringLiteral("김'직원"));
  EXPECT_EQ(dlg->spList->MaxRows(), 0);
  EXPECT_EQ(dlg->spDelList->MaxRows(), 2);
  EXPECT_EQ(m_prompt.Records().back().kind, PromptRecord::Kind::Hoverlet);
  EXPECT_EQ(m_prompt.Records().back().text, QStringLiteral("자료를 삭제하였습니다."));
}

TEST_F(CertifiedTest, ArchiveAndDeleteHappenTogetherOrNotAtAll) {
  const struct {
    const char* name;
    const char* trigger;
  } cases[] = {
      {"archive refused",
       "CREATE TRIGGER sms_sk.refuse BEFORE INSERT ON sms_sk.certified_telno_del FOR EACH ROW"
       " SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'archive refused'"},
      {"delete refused after the archive row was written",
       "CREATE TRIGGER sms_sk.refuse BEFORE DELETE ON sms_sk.certified_telno FOR EACH ROW"
       " SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'delete refused'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_admin.Exec(QStringLiteral("DROP TRIGGER IF EXISTS sms_sk.refuse"));
    m_admin.Exec(QLatin1String(c.trigger));
    m_prompt.Clear();
    auto dlg = Open(QStringLiteral("staff1"));
    dlg->spList->SetActiveCell(1, 1);
    m_prompt.AnswerNext(MsgResult::Yes);
    QTest::mouseClick(dlg->btnDel, Qt::LeftButton);
    EXPECT_EQ(Stored(), QStringList{QStringLiteral("01011112222")});
    EXPECT_EQ(Stored(QStringLiteral("certified_telno_del")),
              QStringList{QStringLiteral("0311234567")});
    EXPECT_EQ(dlg->spList->MaxRows(), 1);
    EXPECT_EQ(m_prompt.MessageTexts().last(),
              QStringLiteral("자료를 삭제 할 수 없습니다.\n\n이미 삭제되었거나, 삭제할 수 없는 "
                             "경우가 발생했습니다."));
  }
  m_admin.Exec(QStringLiteral("DROP TRIGGER IF EXISTS sms_sk.refuse"));
}

// The delete's COMMIT cut off in the network: what the dialog shows must be what the data
// holds once everything still on its way has arrived.
TEST_F(CertifiedTest, CutDeleteIsSettledOnlyOnProof) {
  DBSetCompression(false);
  enum class Said { Deleted, Kept };
  const struct {
    const char* name;
    bool hold;
    int fakedKills;
    Said said;
  } cases[] = {
      {"answer lost", false, 0, Said::Deleted},
      {"commit held, released after the check", true, 0, Said::Kept},
      {"old connection lingers past the wait, then its commit arrives", true, 2, Said::Deleted},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_admin.Exec(QStringLiteral(
        "DELETE FROM sms_sk.certified_telno_del WHERE code <> 99;"
        "INSERT IGNORE INTO sms_sk.certified_telno (code, userid, telno, creator_name, bigo)"
        " SELECT code, userid, telno, creator_name, bigo FROM (SELECT 1 AS code, 'cust' AS userid,"
        " '01011112222' AS telno, '처음' AS creator_name, '' AS bigo) AS t"));
    testdb::TcpProxy proxy(testdb::Port());
    ASSERT_TRUE(testdb::ConnectSms(proxy.Port()));
    Db().sessions[0]->OldConnectionWaitMs = 300;
    m_prompt.Clear();
    auto dlg = Open(QStringLiteral("staff1"));
    ASSERT_EQ(dlg->spList->MaxRows(), 1);
    dlg->spList->SetActiveCell(1, 1);
    const long oldId = Db().sessions[0]->Identity().id;
    m_prompt.AnswerNext(MsgResult::Yes);  // delete?
    if (c.hold)
      proxy.Hold("COMMIT");
    else
      proxy.CutAfter("COMMIT");
    if (c.fakedKills) {
      proxy.AnswerOkInstead("KILL", c.fakedKills);
      // Asked whether to check again: meanwhile the held COMMIT arrives.
      m_prompt.AnswerNext(MsgResult::Yes);
      m_prompt.WhileMessageShown([&](const QString& text) {
        if (!text.contains(QStringLiteral("다시 확인"))) return;
        proxy.ReleaseHeld();
        testdb::Admin watcher;
        for (int i = 0;
             i < 250 &&
             watcher.Value(QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST "
                                          "WHERE ID = %1")
                               .arg(oldId)) != QLatin1String("0");
             ++i)
          QThread::msleep(20);
      });
    }
    QTest::mouseClick(dlg->btnDel, Qt::LeftButton);
    m_prompt.WhileMessageShown(nullptr);
    proxy.ReleaseHeld();
    QTest::qWait(300);
    const Said said = dlg->spList->MaxRows() == 0 ? Said::Deleted : Said::Kept;
    EXPECT_EQ(said, c.said);
    EXPECT_EQ(Stored().isEmpty(), said == Said::Deleted) << "the dialog's word against the data";
    EXPECT_EQ(Stored(QStringLiteral("certified_telno_del")).size(), said == Said::Deleted ? 2 : 1);
    EXPECT_TRUE(m_prompt.AllAnswersUsed());
  }
}

TEST_F(CertifiedTest, StaffOutsideTheListOnlyLooks) {
  auto dlg = Open(QStringLiteral("clerk3"));
  EXPECT_FALSE(dlg->txtTelNum->isEnabled());
  EXPECT_FALSE(dlg->btnAddNew->isEnabled());
  EXPECT_FALSE(dlg->btnDel->isEnabled());
  QTest::mouseClick(dlg->Option1[1], Qt::LeftButton);
  EXPECT_TRUE(dlg->spDelList->isVisible());
  EXPECT_FALSE(dlg->spList->isVisible());
  EXPECT_FALSE(dlg->btnAddNew->isVisible());
  QTest::mouseClick(dlg->Option1[0], Qt::LeftButton);
  EXPECT_TRUE(dlg->spList->isVisible());
  EXPECT_FALSE(dlg->spDelList->isVisible());
  EXPECT_EQ(dlg->spList->MaxRows(), 1);
  EXPECT_TRUE(m_prompt.Records().empty());
}

}  // namespace
