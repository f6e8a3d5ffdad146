// The record set without a server: fields by name and position, and what a name it does not have
// brings up.
#include "db/Recordset.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

namespace {

class RecordsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDefaultPromptTitle(QStringLiteral("Sendora"));
    m_rs.AppendField(QStringLiteral("userid"), 20);
    m_rs.AppendField(QStringLiteral("UserName"), 40);
    m_rs.Open();
    m_rs.AddNew();
    m_rs.SetValue(QStringLiteral("USERID"), QStringLiteral("alpha"));
    m_rs.SetValue(1, QString::fromUtf16(u"홍길동"));
    m_rs.Update();
    m_rs.MoveFirst();
    Recordset::assertUnknownField = false;
  }
  void TearDown() override { Recordset::assertUnknownField = true; }

  static QString Box(const char* procedure, const char* name) {
    return QStringLiteral(
               "Error 3265 (Item cannot be found in the collection corresponding to the "
               "requested name or ordinal: %1) in procedure %2 of Module Recordset")
        .arg(QLatin1String(name), QLatin1String(procedure));
  }

  ScriptedPrompt m_prompt;
  Recordset m_rs;
};

TEST_F(RecordsetTest, KnownNamesReadQuietlyInAnyCase) {
  EXPECT_EQ(m_rs.Fields(QStringLiteral("UserId")), QStringLiteral("alpha"));
  EXPECT_EQ(m_rs.Fields(QStringLiteral("username")), QString::fromUtf16(u"홍길동"));
  m_rs.MoveNext();  // EOF: a known name reads empty without a word
  EXPECT_EQ(m_rs.Fields(QStringLiteral("userid")), QString());
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(RecordsetTest, UnknownNameShowsTheStandardErrorBoxAndReadsEmpty) {
  EXPECT_EQ(m_rs.Fields(QStringLiteral("user_id")), QString());
  m_rs.AddNew();
  m_rs.SetValue(QStringLiteral("nick"), QStringLiteral("x"));
  m_rs.Update();
  EXPECT_EQ(m_rs.Fields(QStringLiteral("userid")), QString());  // the new record, nothing set
  const auto messages = m_prompt.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, Box("Fields", "user_id"));
  EXPECT_EQ(messages[1].text, Box("SetValue", "nick"));
  EXPECT_EQ(messages[0].icon, MsgIcon::Critical);
}

// Cells keep the bytes the server sent and are decoded when read; each row counts its cells
// from its own start, so empty cells, double-byte text and a cut-off lead byte all land in
// their own field of their own row.
TEST(RecordsetBytes, CellsAreDecodedWhereTheyLie) {
  Recordset rs;
  rs.AppendField(QStringLiteral("a"), 10);
  rs.AppendField(QStringLiteral("b"), 10);
  rs.Open();
  const auto row = [&rs](const QByteArray& a, const QByteArray& b) {
    rs.ByteBuffer().insert(rs.ByteBuffer().end(), a.begin(), a.end());
    rs.EndCell();
    rs.ByteBuffer().insert(rs.ByteBuffer().end(), b.begin(), b.end());
    rs.EndCell();
    rs.EndRow();
  };
  row("\xC8\xAB\xB1\xE6\xB5\xBF/abc", "");  // 홍길동/abc, then an empty cell
  row("", "\xB0");                          // a lead byte without its second byte
  row("x", "yz");
  rs.ShrinkToFit();
  ASSERT_EQ(rs.RecordCount(), 3);
  QStringList cells;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) cells << rs.Fields(0) << rs.Fields(1);
  EXPECT_EQ(cells, (QStringList{QString::fromUtf16(u"홍길동/abc"), QString(), QString(),
                                QString::fromUtf16(u"\uFFFD"), QStringLiteral("x"),
                                QStringLiteral("yz")}));
  // What it holds is what came, with one offset per cell and one start per row.
  EXPECT_LE(rs.MemoryBytes(), 14u + 6 * sizeof(std::uint32_t) + 4 * sizeof(std::uint64_t) + 8);
}

#ifndef QT_NO_DEBUG
TEST_F(RecordsetTest, UnknownNameStopsADebugBuild) {
  Recordset::assertUnknownField = true;
  EXPECT_DEATH(m_rs.Fields(QStringLiteral("user_id")), "no field user_id");
}
#endif

}  // namespace
