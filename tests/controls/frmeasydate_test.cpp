// The period dialog shown on the offscreen platform with "today" Wednesday 2024-05-15: its
// captions, the bold quarter and half, the quick-period and move buttons clicked, and the check
// that keeps a move from running on a wrong date.
#include "controls/FrmEasyDate.h"
#include "controls/DateBox.h"
#include "controls/EasyDateRules.h"
#include "platform/Clock.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

const QString kDateMessage =
    QStringLiteral("날짜의 입력형식이 잘못 되었거나,          \r\n존재하지 않는 날짜입니다.");

class FrmEasyDateTest : public ::testing::Test {
 protected:
  void SetUp() override { SetToday(QDate(2024, 5, 15)); }
  void TearDown() override { clock_::SetLocalNowOverride(nullptr); }
  static void SetToday(QDate day) {
    clock_::SetLocalNowOverride([day] { return QDateTime(day, QTime(9, 30)); });
  }
  std::unique_ptr<FrmEasyDate> Open() {
    auto dialog = std::make_unique<FrmEasyDate>();
    dialog->show();
    dialog->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    return dialog;
  }
  static QString Boxes(const FrmEasyDate& d) {
    return d.dateBox[0]->BoxText() + u' ' + d.dateBox[1]->BoxText();
  }

  ScriptedPrompt m_prompt;
};

TEST_F(FrmEasyDateTest, CaptionsBoldButtonsAndStartingTexts) {
  const char16_t* captions[] = {
      u"그제",      u"어제",      u"오늘   日", u"내일",   u"지지난주",  u"지난주",
      u"이번주   ", u"다음주",    u"지지난달",  u"지난달", u"이번달 月", u"다음달",
      u"지지난해",  u"지난해",    u"올해   年", u"다음해", u"1분기",     u"2분기",
      u"3분기",     u"4분기",     u"전반기",    u"후반기", u"최근1개월", u"최근2개월",
      u"최근3개월", u"최근6개월", u"최근1년"};
  FrmEasyDate dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("기간 간편설정"));
  EXPECT_EQ(dialog.cmdOK->text(), QStringLiteral("확인(&O)"));
  EXPECT_EQ(dialog.cmdClose->text(), QStringLiteral("닫기(&C)"));
  for (int i = 0; i < easydate::kQuickCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(dialog.cmdTermCng[size_t(i)]->text(), QString::fromUtf16(captions[i]));
    EXPECT_EQ(dialog.cmdTermCng[size_t(i)]->font().bold(), i == 17 || i == 20);
  }
  for (int i = 0; i < easydate::kMoveCount; ++i) {
    EXPECT_EQ(dialog.cmdMvDate[size_t(i)]->text(),
              i % 2 ? QStringLiteral("▶") : QStringLiteral("◀"));
  }
  QStringList labels;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
  for (const char16_t* group : {u"최근", u"반기", u"분기"})
    EXPECT_TRUE(labels.contains(QString::fromUtf16(group)));
  EXPECT_FALSE(dialog.OK());
  EXPECT_EQ(Boxes(dialog), QStringLiteral("2024-05-15 2024-05-15"));
  dialog.SetText1(QStringLiteral("2024-3-5"));
  dialog.SetText2(QStringLiteral("2024-02-30"));
  EXPECT_EQ(Boxes(dialog), QStringLiteral("2024-03-05 2024-05-15"));

  SetToday(QDate(2024, 11, 20));
  FrmEasyDate autumn;
  for (int i = 16; i <= 21; ++i)
    EXPECT_EQ(autumn.cmdTermCng[size_t(i)]->font().bold(), i == 19 || i == 21);
}

TEST_F(FrmEasyDateTest, EveryQuickPeriodButtonChoosesItsPeriodAndCloses) {
  for (int i = 0; i < easydate::kQuickCount; ++i) {
    SCOPED_TRACE(i);
    auto dialog = Open();
    QTest::mouseClick(dialog->cmdTermCng[size_t(i)], Qt::LeftButton);
    const easydate::Period expected = easydate::QuickPeriod(i, QDate(2024, 5, 15));
    EXPECT_TRUE(dialog->OK());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->Text1(), expected.from);
    EXPECT_EQ(dialog->Text2(), expected.to);
  }
}

TEST_F(FrmEasyDateTest, EveryMoveButtonMovesThePeriodAndTheDialogStays) {
  auto dialog = Open();
  for (int i = 0; i < easydate::kMoveCount; ++i) {
    SCOPED_TRACE(i);
    dialog->SetText1(QStringLiteral("2024-03-15"));
    dialog->SetText2(QStringLiteral("2024-04-10"));
    QTest::mouseClick(dialog->cmdMvDate[size_t(i)], Qt::LeftButton);
    const easydate::Period expected =
        easydate::MovePeriod(i, QDate(2024, 3, 15), QDate(2024, 4, 10));
    EXPECT_EQ(Boxes(*dialog), expected.from + u' ' + expected.to);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->OK());
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(FrmEasyDateTest, AWrongDateStopsTheMoveAndKeepsTheFocus) {
  auto dialog = Open();
  QLineEdit* from = dialog->dateBox[0]->meDate;
  QLineEdit* to = dialog->dateBox[1]->meDate;
  to->setFocus();
  to->setCursorPosition(8);
  QTest::keyClick(to, Qt::Key_3);
  QTest::keyClick(to, Qt::Key_Delete);
  QTest::mouseClick(dialog->cmdMvDate[1], Qt::LeftButton);
  EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kDateMessage});
  EXPECT_TRUE(to->hasFocus());
  EXPECT_EQ(Boxes(*dialog), QStringLiteral("2024-05-15 2024-05-3_"));

  // 29 February a year on is no date; the next check refuses it.
  m_prompt.Clear();
  dialog->SetText1(QStringLiteral("2024-02-29"));
  dialog->SetText2(QStringLiteral("2024-02-29"));
  from->setFocus();
  QTest::mouseClick(dialog->cmdMvDate[7], Qt::LeftButton);
  EXPECT_EQ(Boxes(*dialog), QStringLiteral("2025-02-29 2025-02-29"));
  EXPECT_TRUE(m_prompt.Records().empty());
  QTest::mouseClick(dialog->cmdMvDate[0], Qt::LeftButton);
  EXPECT_EQ(Boxes(*dialog), QStringLiteral("2025-02-29 2025-02-29"));
  QTest::keyClick(from, Qt::Key_Tab);
  EXPECT_TRUE(from->hasFocus());
  EXPECT_EQ(m_prompt.MessageTexts(), (QStringList{kDateMessage, kDateMessage}));
}

TEST_F(FrmEasyDateTest, OkTakesTheBoxesAsTheyStandCloseAndEscChooseNothing) {
  auto dialog = Open();
  dialog->dateBox[0]->meDate->setText(QStringLiteral("2024-01-02"));
  dialog->dateBox[1]->meDate->setText(QString());
  QTest::keyClick(dialog.get(), Qt::Key_O, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&dialog] { return dialog->OK(); }));  // the button animates
  EXPECT_EQ(dialog->Text1() + u'|' + dialog->Text2(), QStringLiteral("2024-01-02|"));

  for (const bool byEsc : {false, true}) {
    auto closing = Open();
    if (byEsc)
      QTest::keyClick(closing->dateBox[0]->meDate, Qt::Key_Escape);
    else
      QTest::mouseClick(closing->cmdClose, Qt::LeftButton);
    EXPECT_FALSE(closing->isVisible());
    EXPECT_FALSE(closing->OK());
    EXPECT_EQ(closing->result(), QDialog::Rejected);
  }
}

}  // namespace
