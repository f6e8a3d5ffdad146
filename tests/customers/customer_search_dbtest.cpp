// The customer search statement against the private server: what matches and what does not.
#include "customers/CustomerSearch.h"
#include "db/modMySQL_Func.h"
#include "platform/AppState.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

namespace {

class CustomerSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testdb::ResetDatabases();
    App().appTitle = QStringLiteral("Sendora");
    testdb::Admin admin;
    admin.Exec(QStringLiteral(
        "INSERT INTO sms_sk.smsuser (userid, username, restcnt, regdate, hpno) VALUES"
        " ('id12', '가나상사', 5, '2026-01-01', '02-555-0000'),"
        " ('plain', '한빛 12번가', 0, '2026-01-02', '031-000-0000'),"
        " ('tel', '전화상사', 0, '2026-01-03', '010-1234-5678'),"
        " ('pct', '50% 할인마트', 0, '2026-01-04', ''),"
        " ('five', '500원 마트', 0, '2026-01-05', ''),"
        " ('under', 'a_b 상회', 0, '2026-01-06', ''),"
        " ('nounder', 'axb 상회', 0, '2026-01-07', ''),"
        " ('quote', 'O''Neil 무역', 0, '2026-01-08', ''),"
        " ('slash', 'c:\\\\dir 상점', 0, '2026-01-09', ''),"
        " ('ddom', '똠방상사', 0, '2026-01-10', '');"
        "INSERT INTO sms_sk.certified_telno (userid, telno, creator_name, bigo) VALUES"
        " ('tel', '01099998888', 'x', ''), ('tel', '0212345678', 'x', ''), ('tel', '01011112222', "
        "'x', ''),"
        " ('id12', '0311234567', 'x', '')"));
    ASSERT_TRUE(testdb::ConnectSms());
  }

  QStringList Ids(const QString& text) {
    RecordsetPtr rs;
    const int n = DBOpenRecordset(rs, CustomerSearchSql(text));
    QStringList ids;
    for (; rs && !rs->Eof(); rs->MoveNext()) ids << rs->Fields(QStringLiteral("userid"));
    EXPECT_EQ(n, ids.size());
    DBCloseRecordset(rs);
    ids.sort();
    return ids;
  }

  ScriptedPrompt m_prompt;
};

TEST_F(CustomerSearchTest, TypedTextMatchesItselfAnywhere) {
  const struct {
    QString text;
    QStringList ids;
  } cases[] = {
      {QStringLiteral("12"),
       {QStringLiteral("id12"), QStringLiteral("plain"), QStringLiteral("tel")}},
      {QStringLiteral("01012"), {QStringLiteral("tel")}},  // the phone without its dashes
      {QStringLiteral("50%"), {QStringLiteral("pct")}},
      {QStringLiteral("%"), {QStringLiteral("pct")}},
      {QStringLiteral("a_b"), {QStringLiteral("under")}},
      {QStringLiteral("O'Neil"), {QStringLiteral("quote")}},
      {QStringLiteral("c:\\dir"), {QStringLiteral("slash")}},
      {QStringLiteral("\\"), {QStringLiteral("slash")}},
      {QStringLiteral("똠방"), {QStringLiteral("ddom")}},
      {QStringLiteral("'"), {QStringLiteral("quote")}},
      {QStringLiteral("없는이름"), {}},
  };
  for (const auto& c : cases) {
    QStringList expected = c.ids;
    expected.sort();
    EXPECT_EQ(Ids(c.text), expected) << c.text.toStdString();
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(CustomerSearchTest, BlankListsEveryCustomerByTradeNameWithSenderNumbers) {
  RecordsetPtr rs;
  ASSERT_EQ(DBOpenRecordset(rs, CustomerSearchSql(QString())), 10);
  QStringList names;
  for (; !rs->Eof(); rs->MoveNext()) {
    names << rs->Fields(QStringLiteral("username"));
    const QString id = rs->Fields(QStringLiteral("userid"));
    if (id == QLatin1String("tel")) {
      EXPECT_EQ(rs->Fields(QStringLiteral("certcnt")), QStringLiteral("3"));
      EXPECT_EQ(rs->Fields(QStringLiteral("certtel")), QStringLiteral("01011112222"));
    } else if (id == QLatin1String("id12")) {
      EXPECT_EQ(rs->Fields(QStringLiteral("certcnt")), QStringLiteral("1"));
    } else {
      EXPECT_EQ(rs->Fields(QStringLiteral("certcnt")), QStringLiteral("0"));
      EXPECT_EQ(rs->Fields(QStringLiteral("certtel")), QString());
    }
  }
  // The server's order of the code page: ASCII without case (so 'X' before '_'), then the extended
  // syllables (똠) before the common ones.
  EXPECT_EQ(names, (QStringList{QStringLiteral("50% 할인마트"), QStringLiteral("500원 마트"),
                                QStringLiteral("axb 상회"), QStringLiteral("a_b 상회"),
                                QStringLiteral("c:\\dir 상점"), QStringLiteral("O'Neil 무역"),
                                QStringLiteral("똠방상사"), QStringLiteral("가나상사"),
                                QStringLiteral("전화상사"), QStringLiteral("한빛 12번가")}));
  DBCloseRecordset(rs);
}

}  // namespace
