// HCTerm driven with real keys and clicks on the offscreen platform, "today" being Wednesday
// 2024-05-15: what the boxes show, where the focus goes, which messages come up, and what the
// calendar and the quick-period dialog hand back.
#include "controls/HCTerm.h"
#include "controls/DateBox.h"
#include "controls/FrmCalendar.h"
#include "controls/FrmEasyDate.h"
#include "platform/Clock.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace {

const QString kDateMessage =
    QStringLiteral("날짜의 입력형식이 잘못 되었거나,          \r\n존재하지 않는 날짜입니다.");

class HCTermTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock_::SetLocalNowOverride([] { return QDateTime(QDate(2024, 5, 15), QTime(9, 30)); });
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_park = new QLineEdit(m_window.get());
    term = new HCTerm(m_window.get());
    m_after = new QLineEdit(m_window.get());
    m_search = new QPushButton(QStringLiteral("조회"), m_window.get());
    for (QWidget* w : {(QWidget*)m_park, (QWidget*)term, (QWidget*)m_after, (QWidget*)m_search})
      layout->addWidget(w);
    m_window->move(300, 200);
    m_window->show();
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    m_park->setFocus();
  }
  void TearDown() override { clock_::SetLocalNowOverride(nullptr); }

  QString Box(int i) const { return term->meDate[size_t(i)]->displayText(); }
  QLineEdit* Edit(int i) const { return term->meDate[size_t(i)]; }
  // Into the from box the way a user gets there.
  void TabIntoFrom() {
    QTest::keyClick(m_park, Qt::Key_Tab);
    ASSERT_TRUE(Edit(0)->hasFocus());
  }
  void Retype(int i, const char* digits) {
    Edit(i)->selectAll();
    QTest::keyClick(Edit(i), Qt::Key_Backspace);
    Edit(i)->setCursorPosition(0);
    QTest::keyClicks(Edit(i), QString::fromLatin1(digits));
  }

  ScriptedPrompt m_prompt;
  std::unique_ptr<QWidget> m_window;
  QLineEdit* m_park = nullptr;
  HCTerm* term = nullptr;
  QLineEdit* m_after = nullptr;
  QPushButton* m_search = nullptr;
};

TEST_F(HCTermTest, TextsMethodsAndSetters) {
  EXPECT_EQ(term->Text1(), QStringLiteral("2024-05-15"));
  EXPECT_EQ(term->Text2(), QStringLiteral("2024-05-15"));
  const struct {
    const char* set;
    const char* box;
    const char* text;
  } cases[] = {{"2024-3-5", "2024-03-05", "2024-03-05"},
               {"2024/12/31", "2024-12-31", "2024-12-31"},
               {"2023-02-29", "____-__-__", ""},
               {"abc", "____-__-__", ""},
               {"", "____-__-__", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set);
    term->SetText1(QString::fromLatin1(c.set));
    term->SetText2(QString::fromLatin1(c.set));
    EXPECT_EQ(Box(0), QString::fromLatin1(c.box));
    EXPECT_EQ(term->Text1(), QString::fromLatin1(c.text));
    EXPECT_EQ(term->Text2(), QString::fromLatin1(c.text));
  }
  term->ThisYear();
  EXPECT_EQ(term->Text1() + u' ' + term->Text2(), QStringLiteral("2024-01-01 2024-05-15"));
  term->ThisMonth();
  EXPECT_EQ(term->Text1() + u' ' + term->Text2(), QStringLiteral("2024-05-01 2024-05-15"));
  term->SetText1(QString());
  term->ToDay();
  EXPECT_EQ(term->Text1() + u' ' + term->Text2(), QStringLiteral("2024-05-15 2024-05-15"));
}

TEST_F(HCTermTest, TypedDatesAreCheckedWhenTheFocusLeaves) {
  QSignalSpy changes(term, &HCTerm::Change);
  const struct {
    const char* typed;
    const char* box;
    bool refused;
  } cases[] = {{"20240301", "2024-03-01", false},
               {"20230229", "2023-02-29", true},
               {"20241301", "2024-13-01", true},
               {"2024031", "2024-03-1_", true},
               {"20240229", "2024-02-29", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    m_prompt.Clear();
    term->SetText2(QStringLiteral("2024-12-31"));
    TabIntoFrom();
    Retype(0, c.typed);
    EXPECT_EQ(Box(0), QString::fromLatin1(c.box));
    QTest::keyClick(Edit(0), Qt::Key_Tab);
    if (c.refused) {
      ASSERT_EQ(m_prompt.Messages().size(), 1u);
      EXPECT_EQ(m_prompt.Messages()[0].text, kDateMessage);
      EXPECT_EQ(m_prompt.Messages()[0].title, QStringLiteral("날짜입력 확인"));
      EXPECT_EQ(m_prompt.Messages()[0].icon, MsgIcon::Information);
      EXPECT_TRUE(Edit(0)->hasFocus());
      EXPECT_EQ(Box(0), QString::fromLatin1(c.box));  // left for correcting
      Retype(0, "20240101");
      QTest::keyClick(Edit(0), Qt::Key_Tab);
    }
    EXPECT_TRUE(Edit(1)->hasFocus());
    EXPECT_EQ(m_prompt.Messages().size(), c.refused ? 1u : 0u);
    m_park->setFocus();
  }
  EXPECT_GT(changes.size(), 5);

  // A digit overwrites the mask position at the caret, even over a selection.
  term->SetText1(QStringLiteral("2024-05-15"));
  Edit(0)->setFocus();
  Edit(0)->setSelection(5, 5);
  QTest::keyClick(Edit(0), Qt::Key_1);
  EXPECT_EQ(Box(0), QStringLiteral("2024-15-15"));
}

TEST_F(HCTermTest, EnterAndArrowsMoveTheFocusAndTheHostSeesKeysFirst) {
  std::vector<int> ups;
  QObject::connect(term, &HCTerm::KeyUp, [&ups](int& code, int) { ups.push_back(code); });
  TabIntoFrom();
  QTest::keyClick(Edit(0), Qt::Key_Return);
  EXPECT_TRUE(Edit(1)->hasFocus());
  QTest::keyClick(Edit(1), Qt::Key_Up);
  EXPECT_TRUE(Edit(0)->hasFocus());
  QTest::keyClick(Edit(0), Qt::Key_Down);
  EXPECT_TRUE(Edit(1)->hasFocus());
  QTest::keyClick(Edit(1), Qt::Key_Down);
  EXPECT_TRUE(m_after->hasFocus());
  EXPECT_EQ(ups, (std::vector<int>{13, 38, 40, 40}));

  term->SetAutoTab(false);
  Edit(0)->setFocus();
  QTest::keyClick(Edit(0), Qt::Key_Return);
  QTest::keyClick(Edit(0), Qt::Key_Down);
  EXPECT_TRUE(Edit(0)->hasFocus());

  // The host may cancel a key: no Tab from Down, no "7" typed.
  term->SetAutoTab(true);
  QObject::connect(term, &HCTerm::KeyDown, [](int& code, int) {
    if (code == 40) code = 0;
  });
  QObject::connect(term, &HCTerm::KeyPress, [](int& ascii) {
    if (ascii == '7') ascii = 0;
  });
  Edit(0)->setCursorPosition(0);
  QTest::keyClicks(Edit(0), QStringLiteral("1779"));
  QTest::keyClick(Edit(0), Qt::Key_Down);
  EXPECT_EQ(Box(0), QStringLiteral("1924-05-15"));
  EXPECT_TRUE(Edit(0)->hasFocus());
}

TEST_F(HCTermTest, LeavingTheFromBoxPullsTheToDateAlongButNotTheOtherWayRound) {
  term->SetText1(QStringLiteral("2024-05-01"));
  term->SetText2(QStringLiteral("2024-05-10"));
  TabIntoFrom();
  Retype(0, "20240520");
  QTest::keyClick(Edit(0), Qt::Key_Tab);
  EXPECT_EQ(term->Text2(), QStringLiteral("2024-05-20"));
  Retype(1, "20240510");
  QTest::keyClick(Edit(1), Qt::Key_Tab);
  EXPECT_TRUE(m_after->hasFocus());
  EXPECT_EQ(term->Text1() + u' ' + term->Text2(), QStringLiteral("2024-05-20 2024-05-10"));
  EXPECT_TRUE(m_prompt.Messages().empty());
}

TEST_F(HCTermTest, EmptyBoxesWithAndWithoutAllowEmpty) {
  // Off: an emptied box is refilled on arrival, and one emptied by keys cannot be left.
  term->SetText1(QString());
  TabIntoFrom();
  EXPECT_EQ(Box(0), QStringLiteral("2024-05-15"));
  Retype(0, "");
  QTest::keyClick(Edit(0), Qt::Key_Tab);
  EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kDateMessage});
  EXPECT_TRUE(Edit(0)->hasFocus());

  // On: the empty box stays empty, is left freely, and reads as "".
  m_prompt.Clear();
  term->SetAllowEmpty(true);
  m_park->setFocus();  // the same empty box may go now
  EXPECT_TRUE(m_park->hasFocus());
  term->SetText2(QString());
  TabIntoFrom();
  QTest::keyClick(Edit(0), Qt::Key_Tab);
  EXPECT_TRUE(Edit(1)->hasFocus());
  QTest::keyClick(Edit(1), Qt::Key_Tab);
  EXPECT_TRUE(m_after->hasFocus());
  EXPECT_EQ(Box(1), QStringLiteral("____-__-__"));
  EXPECT_EQ(term->Text1(), QString());
  EXPECT_EQ(term->Text2(), QString());
  EXPECT_TRUE(m_prompt.Messages().empty());
}

TEST_F(HCTermTest, SpinnerStepsValidEmptyAndWrongBoxes) {
  const struct {
    const char* box;
    bool up;
    const char* after;
  } cases[] = {{"2024-02-28", true, "2024-02-29"}, {"2024-03-01", false, "2024-02-29"},
               {"2024-12-31", true, "2025-01-01"}, {"", true, "2024-05-15"},
               {"", false, "2024-05-15"},          {"2023-02-29", true, "2023-02-29"},
               {"2024-03-1", false, "2024-03-1_"}};
  for (int i = 0; i < 2; ++i) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << i << ' ' << c.box << (c.up ? " up" : " down"));
      Edit(i)->setText(QString::fromLatin1(c.box));
      DateSpinner* spin = term->udMvDay[size_t(i)];
      QTest::mouseClick(c.up ? spin->upButton : spin->downButton, Qt::LeftButton);
      EXPECT_EQ(Box(i), QString::fromLatin1(c.after));
    }
  }
  // The spinner checks nothing: the from date may now be after the to date.
  term->ToDay();
  QTest::mouseClick(term->udMvDay[0]->upButton, Qt::LeftButton);
  EXPECT_EQ(term->Text1() + u' ' + term->Text2(), QStringLiteral("2024-05-16 2024-05-15"));
  EXPECT_TRUE(m_park->hasFocus());
  EXPECT_TRUE(m_prompt.Records().empty());
}

// Clicks the day `day` of the month shown (a day shown only once).
void ClickDay(QCalendarWidget* calendar, int day) {
  auto* view = calendar->findChild<QTableView*>();
  ASSERT_NE(view, nullptr);
  for (int r = 1; r < view->model()->rowCount(); ++r) {
    for (int c = 0; c < view->model()->columnCount(); ++c) {
      const QModelIndex index = view->model()->index(r, c);
      if (index.data().toInt() != day) continue;
      QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
      return;
    }
  }
  ADD_FAILURE() << "no day " << day;
}

TEST_F(HCTermTest, CalendarUnderTheBoxChoosesADayOrNothing) {
  QSignalSpy dateClicks(term, &HCTerm::DateClick);
  const struct {
    const char* name;
    const char* box;
    QDate shown;
    std::function<void(FrmCalendar&)> user;
    const char* after;
    int dateClicks;
  } cases[] = {
      {"click on the 20th", "2024-05-15", QDate(2024, 5, 15),
       [](FrmCalendar& f) { ClickDay(f.MonthView1, 20); }, "2024-05-20", 1},
      {"Enter on the day after", "2024-05-15", QDate(2024, 5, 15),
       [](FrmCalendar& f) {
         auto* view = f.MonthView1->findChild<QTableView*>();
         QTest::keyClick(view, Qt::Key_Right);
         QTest::keyClick(view, Qt::Key_Return);
       },
       "2024-05-16", 1},
      {"Esc on a date", "2024-03-15", QDate(2024, 3, 15),
       [](FrmCalendar& f) { QTest::keyClick(f.MonthView1, Qt::Key_Escape); }, "2024-03-15", 0},
      // Emptied, then refilled with today when the focus comes back to the box.
      {"Esc on a wrong date", "2023-02-29", QDate(2024, 5, 15),
       [](FrmCalendar& f) { QTest::keyClick(f.MonthView1, Qt::Key_Escape); }, "2024-05-15", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_park->setFocus();
    dateClicks.clear();
    Edit(1)->setText(QString::fromLatin1(c.box));
    m_prompt.ModalNext([&](QDialog& d) {
      auto& calendar = dynamic_cast<FrmCalendar&>(d);
      EXPECT_EQ(calendar.pos(),
                Edit(1)->mapToGlobal(QPoint(0, 0)) + QPoint(0, term->cmdCaln[1]->height()));
      EXPECT_EQ(calendar.MonthView1->selectedDate(), c.shown);
      calendar.show();
      c.user(calendar);
      return calendar.result();
    });
    QTest::mouseClick(term->cmdCaln[1], Qt::LeftButton);
    EXPECT_TRUE(m_prompt.AllAnswersUsed());
    EXPECT_EQ(Box(1), QString::fromLatin1(c.after));
    EXPECT_TRUE(Edit(1)->hasFocus());
    EXPECT_EQ(dateClicks.size(), c.dateClicks);
  }
}

TEST_F(HCTermTest, QuickPeriodDialogChosenClosedAndPlaced) {
  term->SetText1(QStringLiteral("2024-03-15"));
  term->SetText2(QStringLiteral("2024-04-10"));
  m_prompt.ModalNext([](QDialog& d) {
    auto& dialog = dynamic_cast<FrmEasyDate&>(d);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("기간 간편설정"));
    EXPECT_EQ(dialog.dateBox[0]->Text() + u' ' + dialog.dateBox[1]->Text(),
              QStringLiteral("2024-03-15 2024-04-10"));
    dialog.show();
    QTest::mouseClick(dialog.cmdTermCng[5], Qt::LeftButton);  // last week
    return dialog.result();
  });
  QTest::mouseClick(term->cmdAdvn, Qt::LeftButton);
  EXPECT_EQ(term->Text1() + u' ' + term->Text2(), QStringLiteral("2024-05-05 2024-05-11"));
  EXPECT_TRUE(Edit(0)->hasFocus());

  m_park->setFocus();
  m_prompt.ModalNext([](QDialog& d) {
    auto& dialog = dynamic_cast<FrmEasyDate&>(d);
    dialog.show();
    QTest::mouseClick(dialog.cmdTermCng[14], Qt::LeftButton);
    dialog.setResult(QDialog::Rejected);  // OK decides, not the result code
    return dialog.result();
  });
  QTest::mouseClick(term->cmdAdvn, Qt::LeftButton);
  EXPECT_EQ(term->Text1() + u' ' + term->Text2(), QStringLiteral("2024-01-01 2024-12-31"));

  m_prompt.ModalNext([](QDialog& d) {
    auto& dialog = dynamic_cast<FrmEasyDate&>(d);
    dialog.show();
    QTest::mouseClick(dialog.cmdMvDate[7], Qt::LeftButton);
    QTest::mouseClick(dialog.cmdClose, Qt::LeftButton);
    return dialog.result();
  });
  QTest::mouseClick(term->cmdAdvn, Qt::LeftButton);
  EXPECT_EQ(term->Text1() + u' ' + term->Text2(), QStringLiteral("2024-01-01 2024-12-31"));
  EXPECT_TRUE(Edit(0)->hasFocus());

  const QPoint origin = term->mapToGlobal(QPoint(0, 0));
  const int width = FrmEasyDate().width();
  ASSERT_NE(width, term->width());
  const struct {
    int showPos;
    QPoint at;
  } placements[] = {{0, origin},
                    {1, QPoint(origin.x() + term->width() - width, origin.y())},
                    {2, QPoint(origin.x() + (term->width() - width) / 2, origin.y())},
                    {3, FrmEasyDate(term).pos()}};
  for (const auto& p : placements) {
    SCOPED_TRACE(p.showPos);
    term->SetEasyDateShowPos(p.showPos);
    m_prompt.ModalNext([&p](QDialog& d) {
      EXPECT_EQ(d.pos(), p.at);
      return int(QDialog::Rejected);
    });
    QTest::mouseClick(term->cmdAdvn, Qt::LeftButton);
  }
  EXPECT_TRUE(m_prompt.AllAnswersUsed());
}

TEST_F(HCTermTest, AClickElsewhereOnAWrongDateIsCancelled) {
  QSignalSpy searches(m_search, &QPushButton::clicked);
  TabIntoFrom();
  Retype(0, "20240231");
  QTest::mouseClick(m_search, Qt::LeftButton);
  EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kDateMessage});
  EXPECT_TRUE(Edit(0)->hasFocus());
  EXPECT_EQ(searches.size(), 0);
  Retype(0, "20240229");
  QTest::mouseClick(m_search, Qt::LeftButton);
  EXPECT_EQ(searches.size(), 1);
  EXPECT_EQ(m_prompt.Messages().size(), 1u);
}

// What a real message box does to the focus: takes it while it is up and gives it back.
class FocusTakingPrompt final : public PromptHandler {
 public:
  explicit FocusTakingPrompt(QWidget* taker) : m_taker(taker), m_previous(&Prompts()) {
    SetPromptHandler(this);
  }
  ~FocusTakingPrompt() override { SetPromptHandler(m_previous); }
  MsgResult MessageBox(const QString&, const QString&, MsgButtons, MsgIcon, MsgResult) override {
    ++messages;
    QWidget* back = QApplication::focusWidget();
    m_taker->setFocus();
    if (back) back->setFocus();
    return MsgResult::Ok;
  }
  QString InputBox(const QString&, const QString&, const QString&) override { return {}; }
  void ShowHoverlet(const QString&, int) override {}
  int ShowModal(QDialog&) override { return 0; }
  int messages = 0;

 private:
  QWidget* m_taker;
  PromptHandler* m_previous;
};

TEST_F(HCTermTest, TheMessageTakingTheFocusDoesNotBringASecondMessage) {
  FocusTakingPrompt prompt(m_after);
  TabIntoFrom();
  Retype(0, "2024");
  QTest::keyClick(Edit(0), Qt::Key_Tab);
  EXPECT_EQ(prompt.messages, 1);
  EXPECT_TRUE(Edit(0)->hasFocus());
}

TEST_F(HCTermTest, FocusColourWhileInTheBox) {
  term->SetFocusEffect(true);
  term->SetFocusEffectParam(0x00FF00);
  TabIntoFrom();
  EXPECT_EQ(term->dateBox[0]->BoxBackground(), QColor(0, 255, 0));
  QTest::keyClick(Edit(0), Qt::Key_Tab);
  EXPECT_EQ(term->dateBox[0]->BoxBackground(), QColor(Qt::white));
  EXPECT_EQ(term->dateBox[1]->BoxBackground(), QColor(0, 255, 0));
}

TEST_F(HCTermTest, StoredPropertiesLeaveDefaultsOutAndLoadInOrder) {
  HCTerm::PropertyBag bag;
  term->WriteProperties(bag);
  EXPECT_TRUE(bag.isEmpty());  // today's dates are the default

  QSignalSpy changed(term, &HCTerm::PropertyChanged);
  term->SetForeColor(0x123456);
  term->SetBackStyle(1);
  term->SetBorderStyle(1);
  term->SetText1(QStringLiteral("2024-01-02"));
  term->SetText2(QString());
  term->SetAllowEmpty(true);
  term->SetFocusEffect(true);
  term->SetFocusEffectParam(0x00FF00);
  term->SetAutoTab(false);
  term->SetEasyDateShowPos(2);
  EXPECT_EQ(changed.size(), 10);
  term->WriteProperties(bag);
  QStringList keys;
  for (const auto& [key, value] : bag) keys << key;
  EXPECT_EQ(keys,
            (QStringList{"ForeColor", "BackStyle", "BorderStyle", "Text1", "Text2", "AllowEmpty",
                         "FocusEffect", "FocusEffectParam", "AutoTab", "EasyDateShowPos"}));
  EXPECT_EQ(bag[4].second, QVariant(QStringLiteral("____-__-__")));

  HCTerm copy(m_window.get());
  copy.ReadProperties(bag);
  HCTerm::PropertyBag again;
  copy.WriteProperties(again);
  EXPECT_EQ(again, bag);
  EXPECT_EQ(copy.Text1() + u'|' + copy.Text2(), QStringLiteral("2024-01-02|"));

  copy.ReadProperties({});
  EXPECT_EQ(copy.Text1() + u'|' + copy.Text2(), QStringLiteral("2024-05-15|2024-05-15"));
  EXPECT_TRUE(copy.AutoTab());
  EXPECT_FALSE(copy.AllowEmpty());
  EXPECT_EQ(copy.FocusEffectParam(), 0xC0E0FFu);
  EXPECT_EQ(copy.EasyDateShowPos(), 0);
}

}  // namespace
