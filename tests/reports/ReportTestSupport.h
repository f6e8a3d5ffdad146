#pragma once
// What the report tests share: a fresh database, a session, a fixed local date and readers of
// the grids.

#include "controls/HCTerm.h"
#include "db/modMySQL_Func.h"
#include "grid/SpreadGrid.h"
#include "platform/AppState.h"
#include "platform/Clock.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <QStringList>

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testdb::ResetDatabases();
    clock_::SetLocalNowOverride([] { return QDateTime(QDate(2026, 12, 8), QTime(9, 30)); });
    App().appTitle = QStringLiteral("Sendora");
    SetDefaultPromptTitle(App().appTitle);
    App().staff.userId = QStringLiteral("corvane");
    App().staff.userName = QStringLiteral("관리자");
    Connect();
  }
  void TearDown() override { clock_::SetLocalNowOverride(nullptr); }

  void Connect() { ASSERT_TRUE(testdb::ConnectSms()); }

  static void SetPeriod(HCTerm& term, const char* from, const char* to) {
    term.SetText1(QLatin1String(from));
    term.SetText2(QLatin1String(to));
  }

  // The shown texts of one row, columns first..last.
  static QStringList Row(const SpreadGrid& grid, int row, int first, int last) {
    QStringList out;
    for (int c = first; c <= last; ++c) out << grid.GetText(c, row);
    return out;
  }
  static QStringList Column(const SpreadGrid& grid, int col) {
    QStringList out;
    for (int r = 1; r <= grid.MaxRows(); ++r) out << grid.GetText(col, r);
    return out;
  }

  bool NoticeShown() const {
    for (const auto& r : m_prompt.Records())
      if (r.kind == PromptRecord::Kind::Hoverlet &&
          r.text == QStringLiteral("검색된 결과가 없습니다."))
        return true;
    return false;
  }

  testdb::Admin m_admin;
  ScriptedPrompt m_prompt;
};
