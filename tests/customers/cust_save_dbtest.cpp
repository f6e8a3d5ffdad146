// The customer dialog with real widgets against the private server.
#include "controls/HCText.h"
#include "customers/CustomerListOwner.h"
#include "customers/fBCust_Save.h"
#include "db/modMySQL_Func.h"
#include "platform/AppState.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDb.h"
#include "support/Typing.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Stands in for the customer list: records the call-backs.
class FakeList : public QWidget, public CustomerListOwner {
 public:
  FakeList() { setObjectName(QStringLiteral("FrmMain")); }
  void SyncUpdateUser(int& mode) override { calls.push_back(mode); }
  std::vector<int> calls;
};

class CustSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testdb::ResetDatabases();
    settings::SetRoot(m_settings.path());
    App().appTitle = QStringLiteral("Sendora");
    App().staff.userId = QStringLiteral("staff3");
    ASSERT_TRUE(testdb::ConnectSms());
    m_admin.Exec(
        QStringLiteral("INSERT INTO sms_sk.smsuser (userid, userpw, user_passwd, username, "
                       "restcnt, regdate, bigo, hpno, reguser)"
                       " VALUES ('taken', 'x', SHA1('other'), '기존상사', 7, '2025-01-01', '', "
                       "'02-111-2222', 'staff1')"));
    m_takenCode =
        m_admin.Value(QStringLiteral("SELECT userseq FROM sms_sk.smsuser WHERE userid = 'taken'"))
            .toInt();
  }

  std::unique_ptr<fBCust_Save> Open(int mode, QWidget* owner, int code = 0) {
    auto dlg = std::make_unique<fBCust_Save>();
    dlg->SetFormMode(mode, owner, code);
    dlg->show();
    dlg->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    return dlg;
  }

  static void Type(HCText* field, const QString& text) {
    field->txtBox->setFocus();
    field->txtBox->selectAll();
    TypeText(field->txtBox, text);
  }

  QString Stored(const char* column, const QString& userid) {
    return m_admin.Value(QStringLiteral("SELECT %1 FROM sms_sk.smsuser WHERE userid = '%2'")
                             .arg(QLatin1String(column), userid));
  }

  QTemporaryDir m_settings;
  testdb::Admin m_admin;
  ScriptedPrompt m_prompt;
  FakeList m_list;
  int m_takenCode = 0;
};

TEST_F(CustSaveTest, NewCustomerIsStoredExactlyAsTyped) {
  auto dlg = Open(1, &m_list);
  EXPECT_EQ(dlg->windowTitle(), QStringLiteral("고객등록 - 『신규등록』"));
  EXPECT_FALSE(dlg->btnResetPasswd->isVisible());
  const QString name = QStringLiteral("똠방 O'Neil \\ 상사");
  const QString memo = QStringLiteral("메모 '인용' \\n 그대로");
  Type(dlg->htField[0], name);
  Type(dlg->htField[1], QStringLiteral("new'id\\"));
  Type(dlg->htField[3], memo);
  Type(dlg->htField[4], QStringLiteral("02-555-1234"));
  dlg->chkCun->setChecked(false);
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);

  const QString id = QStringLiteral("new''id\\\\");
  EXPECT_EQ(Stored("username", id), name);
  EXPECT_EQ(Stored("bigo", id), memo);
  EXPECT_EQ(Stored("hpno", id), QStringLiteral("02-555-1234"));
  EXPECT_EQ(Stored("restcnt", id), QStringLiteral("0"));
  EXPECT_EQ(Stored("reguser", id), QStringLiteral("staff3"));
  EXPECT_EQ(Stored("userpw", id), QStringLiteral("zhpkw--374"));
  EXPECT_EQ(Stored("user_passwd = SHA1('4826')", id), QStringLiteral("1"));
  EXPECT_EQ(Stored("regdate = CURDATE()", id), QStringLiteral("1"));
  EXPECT_EQ(QString::number(dlg->CustomerCode()), Stored("userseq", id));
  EXPECT_EQ(m_list.calls, std::vector<int>{1});
  ASSERT_EQ(m_prompt.Records().size(), 1u);
  EXPECT_EQ(m_prompt.Records()[0].kind, PromptRecord::Kind::Hoverlet);
  EXPECT_EQ(m_prompt.Records()[0].text, QStringLiteral("자료가 저장되었습니다."));
  EXPECT_FALSE(dlg->isVisible());
}

TEST_F(CustSaveTest, RequiredFieldsAreCheckedInOrder) {
  auto dlg = Open(1, &m_list);
  const QString expected[] = {QStringLiteral("[상호]은(는) 필수 입력 사항입니다."),
                              QStringLiteral("[ID]은(는) 필수 입력 사항입니다."),
                              QStringLiteral("[전화번호]은(는) 필수 입력 사항입니다.")};
  HCText* fill[] = {dlg->htField[0], dlg->htField[1], dlg->htField[4]};
  for (int i = 0; i < 3; ++i) {
    m_prompt.Clear();
    QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
    ASSERT_EQ(m_prompt.Messages().size(), 1u);
    EXPECT_EQ(m_prompt.Messages()[0].text, expected[i]);
    EXPECT_EQ(m_prompt.Messages()[0].title, QStringLiteral("필수입력"));
    EXPECT_TRUE(fill[i]->txtBox->hasFocus());
    Type(fill[i], QStringLiteral("01099998888"));
  }
  EXPECT_EQ(m_admin.Value(QStringLiteral("SELECT COUNT(*) FROM sms_sk.smsuser")),
            QStringLiteral("1"));
}

TEST_F(CustSaveTest, ContinueRegisteringKeepsTheDialogAndRefusesTheSameIdTwice) {
  auto dlg = Open(1, &m_list);
  ASSERT_TRUE(dlg->chkCun->isVisible());
  ASSERT_TRUE(dlg->chkCun->isChecked());  // the default
  for (int i = 0; i < 2; ++i) {
    Type(dlg->htField[0], QStringLiteral("연속상사"));
    Type(dlg->htField[1], QStringLiteral("twice"));
    Type(dlg->htField[4], QStringLiteral("02-123-4567"));
    QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  }
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(
      m_admin.Value(QStringLiteral("SELECT COUNT(*) FROM sms_sk.smsuser WHERE userid = 'twice'")),
      QStringLiteral("1"));
  EXPECT_EQ(m_prompt.MessageTexts(),
            QStringList{QStringLiteral("[twice]은(는) 이미 사용중인 ID입니다.")});
  EXPECT_EQ(m_list.calls, std::vector<int>{1});
  // After the first save the fields were emptied for the next customer.
  EXPECT_EQ(dlg->htField[0]->Text(), QStringLiteral("연속상사"));
}

TEST_F(CustSaveTest, ContinueSettingIsRememberedAndAbsentWhenEditing) {
  {
    auto dlg = Open(1, &m_list);
    QTest::mouseClick(dlg->chkCun, Qt::LeftButton);
    EXPECT_EQ(settings::GetSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                                   QStringLiteral("FBCUST_SAVE_CHKCUNTINUE")),
              QStringLiteral("0"));
  }
  auto again = Open(1, &m_list);
  EXPECT_FALSE(again->chkCun->isChecked());
  auto noOwner = Open(1, nullptr);
  EXPECT_FALSE(noOwner->chkCun->isVisible());
  auto edit = Open(2, &m_list, m_takenCode);
  EXPECT_FALSE(edit->chkCun->isVisible());
}

TEST_F(CustSaveTest, EditingKeepsItsOwnIdButNotAnothers) {
  m_admin.Exec(
      QStringLiteral("INSERT INTO sms_sk.smsuser (userid, username, restcnt, regdate, hpno) VALUES "
                     "('second', '둘째', 0, CURDATE(), '02-1')"));
  auto dlg = Open(2, &m_list, m_takenCode);
  EXPECT_EQ(dlg->windowTitle(), QStringLiteral("고객등록 - 『수정』"));
  EXPECT_TRUE(dlg->btnResetPasswd->isVisible());
  EXPECT_TRUE(dlg->htField[1]->Locked());
  EXPECT_EQ(dlg->htField[0]->Text(), QStringLiteral("기존상사"));
  EXPECT_EQ(dlg->htField[4]->Text(), QStringLiteral("02-111-2222"));

  dlg->htField[1]->SetText(QStringLiteral("second"));
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  EXPECT_EQ(m_prompt.MessageTexts(),
            QStringList{QStringLiteral("[second]은(는) 이미 사용중인 ID입니다.")});

  m_prompt.Clear();
  dlg->htField[1]->SetText(QStringLiteral("taken"));
  Type(dlg->htField[0], QStringLiteral("바뀐상사"));
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  EXPECT_EQ(Stored("username", QStringLiteral("taken")), QStringLiteral("바뀐상사"));
  EXPECT_EQ(Stored("update_user", QStringLiteral("taken")), QStringLiteral("staff3"));
  EXPECT_EQ(m_list.calls, std::vector<int>{2});
  EXPECT_FALSE(dlg->isVisible());
}

TEST_F(CustSaveTest, EditWithoutChangesSaysNothingWasSaved) {
  m_admin.Exec(QStringLiteral("UPDATE sms_sk.smsuser SET update_user = 'staff3'"));
  auto dlg = Open(2, &m_list, m_takenCode);
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  EXPECT_EQ(m_prompt.MessageTexts(),
            QStringList{QStringLiteral("수정된 내용이 없거나, 자료저장을 실패하였습니다.")});
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_TRUE(m_list.calls.empty());
}

TEST_F(CustSaveTest, PasswordResetNeedsTheExactWord) {
  auto dlg = Open(2, &m_list, m_takenCode);
  m_prompt.InputNext(QStringLiteral(""));  // cancel
  QTest::mouseClick(dlg->btnResetPasswd, Qt::LeftButton);
  EXPECT_EQ(Stored("user_passwd = SHA1('4826')", QStringLiteral("taken")), QStringLiteral("0"));
  EXPECT_TRUE(m_prompt.Messages().empty());

  m_prompt.InputNext(QStringLiteral("초기화 "));
  m_prompt.InputNext(QStringLiteral("reset"));
  m_prompt.InputNext(QStringLiteral("초기화"));
  QTest::mouseClick(dlg->btnResetPasswd, Qt::LeftButton);
  EXPECT_TRUE(m_prompt.AllAnswersUsed());
  EXPECT_EQ(Stored("user_passwd = SHA1('4826')", QStringLiteral("taken")), QStringLiteral("1"));
  EXPECT_EQ(Stored("update_user", QStringLiteral("taken")), QStringLiteral("staff3"));
  EXPECT_EQ(m_prompt.MessageTexts(),
            QStringList{QStringLiteral("비밀번호 초기화를 완료하였습니다.")});
  EXPECT_EQ(m_prompt.Records()[0].title, QStringLiteral("비밀번호 초기화"));
  EXPECT_FALSE(dlg->isVisible());

  m_prompt.Clear();
  auto again = Open(2, &m_list, m_takenCode);
  m_prompt.InputNext(QStringLiteral("초기화"));
  QTest::mouseClick(again->btnResetPasswd, Qt::LeftButton);
  EXPECT_EQ(m_prompt.MessageTexts(),
            QStringList{QStringLiteral("수정된 내용이 없거나, 자료저장을 실패하였습니다.\n"
                                       "(이미 비밀번호가 초기화 된 경우일 수도 있습니다.)")});
}

TEST_F(CustSaveTest, F2FormatsThePhoneBeforeSaving) {
  auto dlg = Open(1, &m_list);
  dlg->chkCun->setChecked(false);
  Type(dlg->htField[0], QStringLiteral("전화상사"));
  Type(dlg->htField[1], QStringLiteral("f2"));
  Type(dlg->htField[4], QStringLiteral("01012345678"));
  QTest::keyClick(dlg->htField[4]->txtBox, Qt::Key_F2);
  EXPECT_EQ(Stored("hpno", QStringLiteral("f2")), QStringLiteral("010-1234-5678"));
}

TEST_F(CustSaveTest, CharacterTheDatabaseCannotHoldWritesNothing) {
  auto dlg = Open(1, &m_list);
  Type(dlg->htField[0], QStringLiteral("웃음 😀 상사"));
  Type(dlg->htField[1], QStringLiteral("emoji"));
  Type(dlg->htField[4], QStringLiteral("02-123-4567"));
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  const QStringList texts = m_prompt.MessageTexts();
  ASSERT_EQ(texts.size(), 2);
  EXPECT_TRUE(texts[0].contains(QStringLiteral("😀")));
  EXPECT_EQ(texts[1], QStringLiteral("수정된 내용이 없거나, 자료저장을 실패하였습니다."));
  EXPECT_EQ(
      m_admin.Value(QStringLiteral("SELECT COUNT(*) FROM sms_sk.smsuser WHERE userid = 'emoji'")),
      QStringLiteral("0"));
  EXPECT_TRUE(dlg->isVisible());
}

TEST_F(CustSaveTest, EveryFieldStopsAtItsColumnsSizeOnALaxServer) {
  // The server of old that cut over-long values silently.
  m_admin.Exec(QStringLiteral("SET GLOBAL sql_mode = ''"));
  ASSERT_TRUE(testdb::ConnectSms());
  auto dlg = Open(1, &m_list);
  dlg->chkCun->setChecked(false);
  const struct {
    int field;
    QString typed;
    QString kept;
  } cases[] = {
      {0, QString(20, u'가'), QString(15, u'가')},  // 30 bytes, a syllable counting 2
      {1, QStringLiteral("abcdefghijklmnopqrstu"), QStringLiteral("abcdefghijklmno")},
      {3, QString(250, u'x'), QString(200, u'x')},
      {4, QString(40, u'1'), QString(30, u'1')},
  };
  for (const auto& c : cases) {
    Type(dlg->htField[static_cast<std::size_t>(c.field)], c.typed);
    EXPECT_EQ(dlg->htField[static_cast<std::size_t>(c.field)]->txtBox->text(), c.kept) << c.field;
  }
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  const QString id = QStringLiteral("abcdefghijklmno");
  EXPECT_EQ(Stored("username", id), QString(15, u'가'));
  EXPECT_EQ(Stored("bigo", id), QString(200, u'x'));
  // Stored whole, as shown: never cut by the server.
  EXPECT_EQ(Stored("hpno", id), dlg->htField[4]->Text());
  EXPECT_LE(Stored("hpno", id).size(), 30);
  m_admin.Exec(QStringLiteral("SET GLOBAL sql_mode = DEFAULT"));
}

}  // namespace
