// HCDateAdv, the single date, on the offscreen platform with "today" 2024-05-15: an empty start,
// today on arrival, the box colours, Enabled, the calendar and the stored properties.
#include "controls/HCDateAdv.h"
#include "controls/DateBox.h"
#include "controls/FrmCalendar.h"
#include "platform/Clock.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

class HCDateAdvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock_::SetLocalNowOverride([] { return QDateTime(QDate(2024, 5, 15), QTime(9, 30)); });
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_park = new QLineEdit(m_window.get());
    date = new HCDateAdv(m_window.get());
    layout->addWidget(m_park);
    layout->addWidget(date);
    m_window->show();
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    m_park->setFocus();
  }
  void TearDown() override { clock_::SetLocalNowOverride(nullptr); }

  ScriptedPrompt m_prompt;
  std::unique_ptr<QWidget> m_window;
  QLineEdit* m_park = nullptr;
  HCDateAdv* date = nullptr;
};

TEST_F(HCDateAdvTest, StartsEmptyAndTakesTodayOnArrivalUnlessEmptyIsAllowed) {
  EXPECT_EQ(date->meDate->displayText(), QStringLiteral("____-__-__"));
  EXPECT_EQ(date->Text(), QString());
  for (const bool allowEmpty : {true, false}) {
    SCOPED_TRACE(allowEmpty);
    date->SetAllowEmpty(allowEmpty);
    date->SetText(QString());
    QTest::keyClick(m_park, Qt::Key_Tab);
    ASSERT_TRUE(date->meDate->hasFocus());
    EXPECT_EQ(date->Text(), allowEmpty ? QString() : QStringLiteral("2024-05-15"));
    QTest::keyClick(date->meDate, Qt::Key_Up);  // AutoTab: back to the first field
    EXPECT_TRUE(m_park->hasFocus());
  }
  date->SetText(QStringLiteral("2024-2-30"));
  EXPECT_EQ(date->Text(), QString());
  date->ToDay();
  EXPECT_EQ(date->Text(), QStringLiteral("2024-05-15"));
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(HCDateAdvTest, ColoursEnabledAndCalendar) {
  EXPECT_EQ(date->dateBox->BoxBackground(), date->palette().color(QPalette::Base));
  date->SetBackColor(0x00FFFF);
  EXPECT_EQ(date->dateBox->BoxBackground(), QColor(255, 255, 0));
  date->SetFocusEffect(true);
  date->SetFocusEffectParam(0x00FF00);
  date->setFocus();
  EXPECT_EQ(date->dateBox->BoxBackground(), QColor(0, 255, 0));
  m_park->setFocus();
  EXPECT_EQ(date->dateBox->BoxBackground(), QColor(Qt::white));  // white, not BackColor

  QSignalSpy dateClicks(date, &HCDateAdv::DateClick);
  m_prompt.ModalNext([](QDialog& d) {
    auto& calendar = dynamic_cast<FrmCalendar&>(d);
    EXPECT_EQ(calendar.MonthView1->selectedDate(), QDate(2024, 5, 15));
    emit calendar.MonthView1->clicked(QDate(2024, 6, 1));
    return calendar.result();
  });
  QTest::mouseClick(date->cmdCaln, Qt::LeftButton);
  EXPECT_EQ(date->Text(), QStringLiteral("2024-06-01"));
  EXPECT_EQ(dateClicks.size(), 1);

  date->SetEnabled(false);
  for (QWidget* part : {(QWidget*)date->meDate, (QWidget*)date->udMvDay, (QWidget*)date->cmdCaln})
    EXPECT_FALSE(part->isEnabled());
  QTest::mouseClick(date->cmdCaln, Qt::LeftButton);  // no calendar
  EXPECT_TRUE(m_prompt.AllAnswersUsed());
}

TEST_F(HCDateAdvTest, StoredPropertiesLeaveDefaultsOut) {
  HCDateAdv::PropertyBag bag;
  date->WriteProperties(bag);
  EXPECT_TRUE(bag.isEmpty());

  date->SetText(QStringLiteral("2024-03-05"));
  date->SetEnabled(false);
  date->SetAllowEmpty(true);
  date->SetBackColor(0x00FFFF);
  date->SetAutoTab(false);
  date->WriteProperties(bag);
  QStringList keys;
  for (const auto& [key, value] : bag) keys << key;
  EXPECT_EQ(keys, (QStringList{"Text", "Enabled", "AllowEmpty", "BackColor", "AutoTab"}));

  HCDateAdv copy(m_window.get());
  copy.ReadProperties(bag);
  HCDateAdv::PropertyBag again;
  copy.WriteProperties(again);
  EXPECT_EQ(again, bag);
  EXPECT_EQ(copy.Text(), QStringLiteral("2024-03-05"));
  EXPECT_FALSE(copy.cmdCaln->isEnabled());

  copy.ReadProperties({});
  EXPECT_EQ(copy.meDate->displayText(), QStringLiteral("____-__-__"));
  EXPECT_TRUE(copy.Enabled());
  EXPECT_EQ(copy.BackColor(), 0x80000005u);
  EXPECT_TRUE(copy.AutoTab());
}

}  // namespace
