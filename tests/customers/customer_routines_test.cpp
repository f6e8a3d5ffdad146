// Shared routines of the customer windows that need no database.
#include "customers/modCustomer.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

namespace {

TEST(CustomerRoutines, DigitsOnlyDropsEverythingElse) {
  EXPECT_EQ(DigitsOnly(QStringLiteral("010-1234-5678")), QStringLiteral("01012345678"));
  EXPECT_EQ(DigitsOnly(QStringLiteral(" (02) 555 0000 ")), QStringLiteral("025550000"));
  EXPECT_EQ(DigitsOnly(QStringLiteral("１２３ abc")),
            QString());  // full-width digits are not digits here
  EXPECT_EQ(DigitsOnly(QString()), QString());
}

TEST(CustomerRoutines, ParseDateTime14Parts) {
  const QString t = QStringLiteral("20261208093015");
  EXPECT_EQ(ParseDateTime14(t, 0), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
  EXPECT_EQ(ParseDateTime14(t, 1).time(), QTime(9, 30, 15));
  EXPECT_EQ(ParseDateTime14(t, 2), QDateTime(QDate(2026, 12, 8), QTime(9, 30, 15)));
  EXPECT_FALSE(ParseDateTime14(QStringLiteral("2026120809"), 2).isValid());
  EXPECT_FALSE(ParseDateTime14(QStringLiteral("20261332093015"), 2).isValid());
}

TEST(CustomerRoutines, SafeSetFocusSkipsHiddenAndDisabledControls) {
  QWidget window;
  auto* a = new QLineEdit(&window);
  auto* hidden = new QLineEdit(&window);
  auto* disabled = new QLineEdit(&window);
  window.show();
  hidden->hide();
  disabled->setEnabled(false);
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  a->setFocus();
  SafeSetFocus(hidden);
  SafeSetFocus(disabled);
  SafeSetFocus(nullptr);
  EXPECT_TRUE(a->hasFocus());
  SafeSetFocus(a);
  EXPECT_TRUE(a->hasFocus());
}

}  // namespace
