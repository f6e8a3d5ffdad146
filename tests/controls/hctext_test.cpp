// HCText driven with real key events on the offscreen platform: what the user sees in the box,
// where the caret stands, which keys beep and which messages come up.
#include "controls/HCText.h"
#include "controls/ControlSupport.h"
#include "platform/AppState.h"
#include "platform/InputMode.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <iterator>
#include <memory>

namespace {

int g_beeps = 0;
void CountBeep() { ++g_beeps; }

QString U(const char16_t* s) { return QString::fromUtf16(s); }

class HCTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App().osTypeCode = 110;
    App().appTitle = QStringLiteral("Sendora");
    SetDefaultPromptTitle(QStringLiteral("Sendora"));
    controls::SetBeepOverride(&CountBeep);
    g_beeps = 0;
    SetHanEngMode(false, nullptr);
  }
  void TearDown() override { controls::SetBeepOverride(nullptr); }

  // A window with a plain box first (it takes the focus when the window activates, so no field
  // has had its first arrival yet) and `count` fields after it, in tab order.
  void Build(int count = 3) {
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_park = new QLineEdit(m_window.get());
    layout->addWidget(m_park);
    for (int i = 0; i < count; ++i) {
      m_fields.push_back(new HCText(m_window.get()));
      layout->addWidget(m_fields.back());
    }
    m_window->resize(240, 40 * (count + 1));
    m_window->show();
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    m_park->setFocus();
    ASSERT_TRUE(m_park->hasFocus());
  }
  HCText* F(int i) { return m_fields[size_t(i)]; }
  void Focus(HCText* f) {
    f->setFocus();
    ASSERT_TRUE(f->txtBox->hasFocus());
  }
  static QString Box(HCText* f) { return f->txtBox->text(); }
  static int Caret(HCText* f) { return f->txtBox->cursorPosition(); }

  ScriptedPrompt m_prompt;
  std::unique_ptr<QWidget> m_window;
  QLineEdit* m_park = nullptr;
  std::vector<HCText*> m_fields;
};

void NumberField(HCText* f, int decimals, bool separators) {
  f->SetAcceptType(HCText::kNumber);
  f->SetShowSeparate(separators);
  f->SetDecPlace(decimals);
}

TEST_F(HCTextTest, TypedNumberKeepsItsDecimalsAndTheCaretInTheIntegerPart) {
  Build();
  HCText* f = F(0);
  NumberField(f, 2, true);
  Focus(f);
  EXPECT_TRUE(f->txtBox->hasSelectedText());  // arrival selects all, so typing replaces the "0"

  const struct {
    const char* step;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    const char* text;
    int caret;
    int beeps;
  } steps[] = {
      {"1", Qt::Key_1, {}, "1.00", 1, 0},
      {"2", Qt::Key_2, {}, "12.00", 2, 0},
      {"3", Qt::Key_3, {}, "123.00", 3, 0},
      {"4 inserts a separator", Qt::Key_4, {}, "1,234.00", 5, 0},
      {"keypad . jumps behind the point, beeps", Qt::Key_Period, Qt::KeypadModifier, "1,234.00", 6,
       1},
      {"5", Qt::Key_5, {}, "1,234.50", 7, 1},
      {". jumps back behind the point, beeps", Qt::Key_Period, {}, "1,234.50", 6, 2},
      {"6 pushes the last decimal out", Qt::Key_6, {}, "1,234.65", 7, 2},
      {"7", Qt::Key_7, {}, "1,234.67", 8, 2},
      {"third decimal is dropped", Qt::Key_8, {}, "1,234.67", 8, 2},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    QTest::keyClick(f->txtBox, s.key, s.mods);
    EXPECT_EQ(Box(f), QString::fromUtf8(s.text));
    EXPECT_EQ(Caret(f), s.caret);
    EXPECT_EQ(g_beeps, s.beeps);
  }
  EXPECT_EQ(f->Text(), QStringLiteral("1234.67"));

  // Neither Backspace behind the point nor Delete in front of it removes it.
  f->SetSelStart(6);
  QTest::keyClick(f->txtBox, Qt::Key_Backspace);
  EXPECT_EQ(Box(f), QStringLiteral("1,234.67"));
  f->SetSelStart(5);
  QTest::keyClick(f->txtBox, Qt::Key_Delete);
  EXPECT_EQ(Box(f), QStringLiteral("1,234.67"));
  EXPECT_EQ(g_beeps, 2);

  // Elsewhere they work, and the separators follow.
  f->SetSelStart(5);
  QTest::keyClick(f->txtBox, Qt::Key_Backspace);
  EXPECT_EQ(Box(f), QStringLiteral("123.67"));
  EXPECT_EQ(Caret(f), 3);
  f->SetSelStart(5);
  QTest::keyClick(f->txtBox, Qt::Key_Delete);  // the decimals are filled up again
  EXPECT_EQ(Box(f), QStringLiteral("123.60"));
}

TEST_F(HCTextTest, MinusGoesInFrontWhereverItIsTyped) {
  Build();
  const struct {
    int decimals;
    const char* keys;
    const char* text;
  } cases[] = {
      {0, "12-", "-12"},  {0, "1234-", "-1,234"}, {2, "-5", "-5.00"},
      {2, "-0", "-0.00"}, {2, "-", "-"},          {0, "-1-2", "-12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    HCText* f = F(0);
    NumberField(f, c.decimals, true);
    f->SetText(QString());
    Focus(f);
    QTest::keyClicks(f->txtBox, QString::fromUtf8(c.keys));
    EXPECT_EQ(Box(f), QString::fromUtf8(c.text));
    Focus(F(1));
  }
  EXPECT_EQ(g_beeps, 0);
}

TEST_F(HCTextTest, LeavingAnEmptyOrZeroNumberPutsZeroIn) {
  Build();
  const struct {
    bool separators;
    int decimals;
    const char* typed;
    const char* left;
  } cases[] = {
      {true, 2, "", "0.00"},  {false, 2, "", "0"},    {true, 0, "-", "0"},
      {false, 0, "000", "0"}, {true, 2, "5", "5.00"}, {false, 0, "-7", "-7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.separators << c.decimals << c.typed);
    HCText* f = F(0);
    NumberField(f, c.decimals, c.separators);
    Focus(f);
    QTest::keyClick(f->txtBox, Qt::Key_Backspace);  // the whole text is selected
    QTest::keyClicks(f->txtBox, QString::fromUtf8(c.typed));
    Focus(F(1));
    EXPECT_EQ(Box(f), QString::fromUtf8(c.left));
  }
}

TEST_F(HCTextTest, NumberFieldRefusesOtherCharactersButLetsCopyAndPasteThrough) {
  Build();
  HCText* f = F(0);
  NumberField(f, 0, true);
  Focus(f);
  QTest::keyClicks(f->txtBox, QStringLiteral("1a2 .,3"));
  EXPECT_EQ(Box(f), QStringLiteral("123"));
  EXPECT_EQ(g_beeps, 4);
  QGuiApplication::clipboard()->setText(QStringLiteral("4000"));
  f->txtBox->selectAll();
  QTest::keyClick(f->txtBox, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Box(f), QStringLiteral("4,000"));
  EXPECT_EQ(g_beeps, 4);
}

TEST_F(HCTextTest, SeparatorSwitchReformatsWithTheWholeNumberPattern) {
  Build(1);
  HCText* f = F(0);
  NumberField(f, 0, false);
  f->SetText(QStringLiteral("1234567"));
  f->SetShowSeparate(true);
  EXPECT_EQ(Box(f), QStringLiteral("1,234,567"));
  EXPECT_EQ(f->Text(), QStringLiteral("1234567"));
  f->SetShowSeparate(false);
  EXPECT_EQ(Box(f), QStringLiteral("1234567"));
}

TEST_F(HCTextTest, OverlongTextIsCutSilentlyOnKeyUpAndWithAMessageOnLeaving) {
  Build();
  const struct {
    int maxLength;
    QString text;
    QString cut;
  } cases[] = {
      {10, U(u"가나다라마A"), U(u"가나다라마")},
      {10, U(u"A가나다라마"), U(u"A가나다라")},  // the straddling syllable goes
      {3, QStringLiteral("abcdef"), QStringLiteral("abc")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    m_prompt.Clear();
    HCText* f = F(0);
    f->SetMaxLength(c.maxLength);

    f->SetText(c.text);
    Focus(f);
    QTest::keyClick(f->txtBox, Qt::Key_End);
    EXPECT_EQ(Box(f), c.cut);
    EXPECT_EQ(Caret(f), c.cut.size());
    Focus(F(1));
    EXPECT_TRUE(m_prompt.Messages().empty());

    f->SetText(c.text);
    Focus(f);
    Focus(F(1));
    EXPECT_EQ(Box(f), c.cut);
    const auto messages = m_prompt.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, QStringLiteral("입력길이 초과"));
    EXPECT_EQ(messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(messages[0].text,
              QStringLiteral("최대 입력 길이를 초과하였습니다. 입력된 자료는 길이에 맞게 자동으로 "
                             "짤립니다.\n\n현재 입력된 길이는 ") +
                  QString::number(c.maxLength + (c.maxLength == 10 ? 1 : 3)) +
                  QStringLiteral(" 이며, 최대입력 길이는 ") + QString::number(c.maxLength) +
                  QStringLiteral(" 입니다.\n(한글은 한 글자당 길이가 2입니다.)"));
  }
}

TEST_F(HCTextTest, TypingStopsAtTheCharacterLimitAndHangulIsCutToBytes) {
  Build();
  HCText* f = F(0);
  f->SetMaxLength(4);
  Focus(f);
  QTest::keyClicks(f->txtBox, QStringLiteral("abcdef"));
  EXPECT_EQ(Box(f), QStringLiteral("abcd"));
  EXPECT_EQ(g_beeps, 2);

  // Composed Hangul arrives as input-method text and is cut to bytes at once.
  f->txtBox->clear();
  QInputMethodEvent commit;
  commit.setCommitString(U(u"한글자"));
  QCoreApplication::sendEvent(f->txtBox, &commit);
  EXPECT_EQ(Box(f), U(u"한글"));
  EXPECT_TRUE(m_prompt.Messages().empty());
}

TEST_F(HCTextTest, NumberKindsRefuseComposedHangul) {
  Build();
  HCText* f = F(0);
  f->SetAcceptType(HCText::kTelNo);
  Focus(f);
  QInputMethodEvent commit;
  commit.setCommitString(U(u"0한1"));
  QCoreApplication::sendEvent(f->txtBox, &commit);
  EXPECT_EQ(Box(f), QStringLiteral("01"));
  EXPECT_EQ(g_beeps, 1);
}

TEST_F(HCTextTest, TelephoneFieldGroupsPastedAndTypedNumbers) {
  Build();
  HCText* f = F(0);
  f->SetAcceptType(HCText::kTelNo);
  QClipboard* clip = QGuiApplication::clipboard();

  Focus(f);
  clip->setText(QStringLiteral("010 1234 5678"));
  QTest::keyClick(f->txtBox, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Box(f), QStringLiteral("010-1234-5678"));
  EXPECT_EQ(clip->text(), QStringLiteral("010-1234-5678"));

  // Shift+Insert pastes through the same door.
  f->txtBox->clear();
  clip->setText(QStringLiteral("(02) 123-4567"));
  QTest::keyClick(f->txtBox, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(Box(f), QStringLiteral("02-123-4567"));
  EXPECT_EQ(g_beeps, 0);

  f->txtBox->clear();
  clip->setText(QStringLiteral("전화 없음"));
  QTest::keyClick(f->txtBox, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Box(f), QString());
  EXPECT_EQ(clip->text(), QStringLiteral("전화 없음"));
  EXPECT_EQ(g_beeps, 1);

  const struct {
    const char* typed;
    const char* left;
  } cases[] = {
      {"01012345678", "010-1234-5678"},
      {"0212345678", "02-1234-5678"},
      {"12345", "12345"},
      {"12a-3b45678", "1234-5678"},  // letters and "-" beep
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    f->SetText(QString());
    Focus(f);
    QTest::keyClicks(f->txtBox, QString::fromUtf8(c.typed));
    Focus(F(1));
    EXPECT_EQ(Box(f), QString::fromUtf8(c.left));
  }
  EXPECT_EQ(g_beeps, 4);
}

// The three ways text is pasted without the mouse's middle button.
enum class PasteRoute { CtrlV, ShiftInsert, ContextMenu };

void PasteBy(PasteRoute route, QLineEdit* box) {
  switch (route) {
    case PasteRoute::CtrlV:
      QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
      return;
    case PasteRoute::ShiftInsert:
      QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
      return;
    case PasteRoute::ContextMenu: {
      const QPoint at(4, 4);
      QContextMenuEvent event(QContextMenuEvent::Mouse, at, box->mapToGlobal(at));
      QCoreApplication::sendEvent(box, &event);
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      QAction* paste = nullptr;
      for (QAction* a : menu->actions())
        if (a->text().startsWith(QLineEdit::tr("&Paste"))) paste = a;
      ASSERT_NE(paste, nullptr);
      ASSERT_TRUE(paste->isEnabled());
      paste->trigger();
      menu->close();
      return;
    }
  }
}

TEST_F(HCTextTest, PastedTextMeetsTheKeyRulesAndTheByteLimitOnEveryRoute) {
  const struct {
    const char* name;
    int kind;
    int decimals;
    int maxLength;
    QString clip;
    QString box;  // after the paste, the field having been entered (all selected)
    int beeps;
  } cases[] = {
      {"number refuses a text", HCText::kNumber, 0, 0, "12abc", "0", 1},
      {"number keeps its separators", HCText::kNumber, 0, 0, "1,234,567", "1,234,567", 0},
      {"number without decimals refuses a fraction", HCText::kNumber, 0, 0, "12.5", "0", 1},
      {"number with decimals", HCText::kNumber, 2, 0, "-1,234.5", "-1,234.50", 0},
      {"number within the limit", HCText::kNumber, 0, 3, "12345", "123", 1},
      {"telephone refuses letters", HCText::kTelNo, 0, 0, "12ab", "", 1},
      {"telephone keeps the digits of a long text", HCText::kTelNo, 0, 0, "tel 02 1234 5678",
       "02-1234-5678", 0},
      {"telephone is grouped", HCText::kTelNo, 0, 0, "0212345678", "02-1234-5678", 0},
      {"code takes the digits", HCText::kCode10, 0, 0, "123-456-7890", "1234567890", 1},
      {"letters only", HCText::kLetters, 0, 0, "ab1C", "abC", 1},
      {"Hangul counts two bytes", HCText::kFreeText, 0, 7, U(u"가나다라"), U(u"가나다"), 1},
      {"first line only", HCText::kFreeText, 0, 0, "one\ntwo", "one", 0},
  };
  for (PasteRoute route : {PasteRoute::CtrlV, PasteRoute::ShiftInsert, PasteRoute::ContextMenu}) {
    Build(int(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); ++i) {
      const auto& c = cases[i];
      SCOPED_TRACE(testing::Message() << "route " << int(route) << ": " << c.name);
      HCText* f = F(int(i));
      f->SetAcceptType(c.kind);
      f->SetShowSeparate(c.kind == HCText::kNumber);
      f->SetDecPlace(c.decimals);
      f->SetText(c.kind != HCText::kNumber ? "" : c.decimals ? "0.00" : "0");
      f->SetMaxLength(c.maxLength);
      Focus(f);
      QGuiApplication::clipboard()->setText(c.clip);
      g_beeps = 0;
      PasteBy(route, f->txtBox);
      // A letters field refuses the paste keys themselves, as it refuses every key but a letter.
      const bool keyRefused = c.kind == HCText::kLetters && route != PasteRoute::ContextMenu;
      EXPECT_EQ(Box(f), keyRefused ? QString() : c.box);
      EXPECT_EQ(g_beeps, c.beeps);
    }
    m_fields.clear();
  }
}

TEST_F(HCTextTest, MiddleButtonPasteMeetsTheKeyRules) {
  if (!QGuiApplication::clipboard()->supportsSelection())
    GTEST_SKIP() << "this platform has no selection clipboard, so no middle-button paste";
  Build(2);
  HCText* number = F(0);
  NumberField(number, 0, true);
  Focus(number);
  QGuiApplication::clipboard()->setText(QStringLiteral("12abc"), QClipboard::Selection);
  QTest::mouseClick(number->txtBox, Qt::MiddleButton);
  EXPECT_EQ(Box(number), QStringLiteral("0"));
  QGuiApplication::clipboard()->setText(QStringLiteral("4321"), QClipboard::Selection);
  number->txtBox->clear();
  QTest::mouseClick(number->txtBox, Qt::MiddleButton);
  EXPECT_EQ(Box(number), QStringLiteral("4,321"));
}

TEST_F(HCTextTest, TimeFieldIsFormattedOnLeaving) {
  Build();
  HCText* f = F(0);
  f->SetAcceptType(HCText::kTime);
  const struct {
    const char* typed;
    const char* left;
    const char* message;  // nullptr: none
  } cases[] = {
      {"9", "09:00", nullptr},    {"14", "14:00", nullptr},   {"1425", "14:25", nullptr},
      {"0000", "00:00", nullptr}, {"2359", "23:59", nullptr}, {"123", "", nullptr},
      {"123456", "", nullptr},    {"2460", "", "[24:60]"},    {"25", "", "[25:00]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    m_prompt.Clear();
    f->SetText(QString());
    Focus(f);
    QTest::keyClicks(f->txtBox, QString::fromUtf8(c.typed));
    Focus(F(1));
    EXPECT_EQ(Box(f), QString::fromUtf8(c.left));
    const QStringList texts = m_prompt.MessageTexts();
    if (c.message) {
      ASSERT_EQ(texts.size(), 1);
      EXPECT_EQ(texts[0], QString::fromUtf8(c.message) +
                              QStringLiteral("는 시간형식이 아닙니다.(00:00~23:59)\n시:분 방식으로 "
                                             "입력하세요.\n예) 14:25 또는 1425\n     01:05 또는 "
                                             "0105"));
      EXPECT_EQ(m_prompt.Messages()[0].title, QStringLiteral("Sendora"));
    } else {
      EXPECT_TRUE(texts.isEmpty());
    }
  }
  // Set by code in the other shapes the routine knows.
  EXPECT_EQ(f->FormatTime(QStringLiteral("14.25")), QStringLiteral("14:25"));
  EXPECT_EQ(f->FormatTime(QStringLiteral("07:05")), QStringLiteral("07:05"));
}

TEST_F(HCTextTest, TenDigitCodeIsRegroupedOnLeaving) {
  Build();
  HCText* f = F(0);
  f->SetAcceptType(HCText::kCode10);
  const struct {
    const char* set;
    const char* left;
  } cases[] = {{"1234567890", "123-456-7890"},
               {"123-45-67890", "123-456-7890"},
               {"12345", "000-001-2345"},
               {"0123456789", "012-345-6789"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set);
    f->SetText(QString::fromUtf8(c.set));
    Focus(f);
    Focus(F(1));
    EXPECT_EQ(Box(f), QString::fromUtf8(c.left));
  }
}

TEST_F(HCTextTest, CaseConversionAndLetterField) {
  Build();
  const struct {
    int kind;
    int convert;
    const char* typed;
    const char* text;
    int beeps;
  } cases[] = {
      {HCText::kFreeText, 1, "abC 1", "ABC 1", 0},
      {HCText::kFreeText, 2, "AbC", "abc", 0},
      {HCText::kFreeText, 0, "AbC", "AbC", 0},
      {HCText::kLetters, 1, "a1b-c", "ABC", 2},
      {7, 2, "XY", "xy", 0},  // unknown kinds behave as free text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    g_beeps = 0;
    HCText* f = F(0);
    f->SetAcceptType(c.kind);
    f->SetConvertCase(c.convert);
    f->SetText(QString());
    Focus(f);
    QTest::keyClicks(f->txtBox, QString::fromUtf8(c.typed));
    EXPECT_EQ(Box(f), QString::fromUtf8(c.text));
    EXPECT_EQ(g_beeps, c.beeps);
  }
}

TEST_F(HCTextTest, HostKeyPressCanReplaceOrCancelACharacter) {
  Build();
  HCText* f = F(0);
  QObject::connect(f, &HCText::KeyPress, [](int& k) {
    if (k == 'x') k = 0;
    if (k == 'q') k = '!';
  });
  Focus(f);
  QTest::keyClicks(f->txtBox, QStringLiteral("axqb"));
  EXPECT_EQ(Box(f), QStringLiteral("a!b"));
}

TEST_F(HCTextTest, LockedFieldTakesNoTypingButReportsClicks) {
  Build();
  HCText* f = F(0);
  f->SetText(QStringLiteral("abc"));
  f->SetLocked(true);
  QSignalSpy clicks(f, &HCText::Click);
  QSignalSpy doubleClicks(f, &HCText::DblClick);
  QTest::mouseClick(f->txtBox, Qt::LeftButton);
  EXPECT_TRUE(f->txtBox->hasFocus());
  EXPECT_EQ(clicks.size(), 1);
  QTest::keyClicks(f->txtBox, QStringLiteral("xy"));
  QTest::keyClick(f->txtBox, Qt::Key_Backspace);
  EXPECT_EQ(Box(f), QStringLiteral("abc"));
  QTest::mouseDClick(f->txtBox, Qt::LeftButton);
  EXPECT_EQ(doubleClicks.size(), 1);
  QTest::keyClick(f->txtBox, Qt::Key_Return);
  EXPECT_TRUE(F(1)->txtBox->hasFocus());
}

// What Qt asks the focused box before it lets the input method compose in it.
bool FocusTakesInputMethod() {
  QInputMethodQueryEvent query(Qt::ImEnabled);
  QCoreApplication::sendEvent(QGuiApplication::focusObject(), &query);
  return query.value(Qt::ImEnabled).toBool();
}

TEST_F(HCTextTest, LockedFieldTakesNothingFromTheInputMethodWhateverItsMode) {
  Build(1);
  HCText* f = F(0);
  const struct {
    int mode;
    bool lockFirst;  // locked before or after the mode is set
  } cases[] = {{0, true}, {8, true}, {10, true}, {10, false}, {8, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << (c.lockFirst ? ", locked first" : ""));
    f->SetLocked(false);
    f->SetText(QStringLiteral("hg1"));
    if (c.lockFirst) f->SetLocked(true);
    f->SetIMEMode(c.mode);
    if (!c.lockFirst) f->SetLocked(true);
    Focus(f);
    EXPECT_FALSE(FocusTakesInputMethod());
    EXPECT_FALSE(f->txtBox->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(f->txtBox->inputMethodHints(), Qt::ImhNone);
    QInputMethodEvent composing(U(u"하"), {});
    QCoreApplication::sendEvent(f->txtBox, &composing);
    QInputMethodEvent commit;
    commit.setCommitString(U(u"한"));
    QCoreApplication::sendEvent(f->txtBox, &commit);
    EXPECT_EQ(Box(f), QStringLiteral("hg1"));

    f->SetLocked(false);  // unlocked, the same text goes in
    EXPECT_TRUE(FocusTakesInputMethod());
    EXPECT_EQ(f->txtBox->inputMethodHints(), c.mode == 8 ? Qt::ImhLatinOnly : Qt::ImhNone);
    f->txtBox->end(false);
    QCoreApplication::sendEvent(f->txtBox, &commit);
    EXPECT_EQ(Box(f), U(u"hg1한"));
    m_park->setFocus();
  }
}

TEST_F(HCTextTest, InputMethodIsOffOnlyInTheDisabledMode) {
  Build(1);
  HCText* f = F(0);
  const struct {
    int mode;
    bool takes;  // what the input method hears from the focused box
  } cases[] = {{0, true}, {8, true}, {10, true}, {3, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode);
    f->SetIMEMode(c.mode);
    Focus(f);
    EXPECT_EQ(FocusTakesInputMethod(), c.takes);
    m_park->setFocus();
  }
  // Set while the field has the focus.
  Focus(f);
  f->SetIMEMode(0);
  EXPECT_TRUE(FocusTakesInputMethod());
  f->SetIMEMode(3);
  EXPECT_FALSE(FocusTakesInputMethod());
}

TEST_F(HCTextTest, EmptyInputMethodEventsAreNoComposing) {
  Build(2);
  Focus(F(0));  // first visit in English
  SetHanEngMode(true, F(0)->txtBox);
  // The input method sends an empty event when a field takes the focus.
  QInputMethodEvent empty;
  QCoreApplication::sendEvent(F(0)->txtBox, &empty);
  Focus(F(1));
  Focus(F(0));
  EXPECT_FALSE(GetHanEngMode(F(0)->txtBox));
}

TEST_F(HCTextTest, EnterAndArrowsMoveTheFocus) {
  Build();
  QSignalSpy enterSeen(F(0), &HCText::KeyDown);
  Focus(F(0));
  QTest::keyClick(F(0)->txtBox, Qt::Key_Return);
  EXPECT_TRUE(F(1)->txtBox->hasFocus());
  QTest::keyClick(F(1)->txtBox, Qt::Key_Down);
  EXPECT_TRUE(F(2)->txtBox->hasFocus());
  QTest::keyClick(F(2)->txtBox, Qt::Key_Up);
  EXPECT_TRUE(F(1)->txtBox->hasFocus());
  QTest::keyClick(F(1)->txtBox, Qt::Key_Up);
  EXPECT_TRUE(F(0)->txtBox->hasFocus());
  ASSERT_EQ(enterSeen.size(), 1);
  EXPECT_EQ(enterSeen[0][0].toInt(), 13);

  // Without AutoTab the keys stay in the field, and Enter still types nothing.
  F(0)->SetAutoTab(false);
  QTest::keyClick(F(0)->txtBox, Qt::Key_Return);
  QTest::keyClick(F(0)->txtBox, Qt::Key_Down);
  EXPECT_TRUE(F(0)->txtBox->hasFocus());
  EXPECT_EQ(Box(F(0)), QString());
}

TEST_F(HCTextTest, ChangedFlagAndChangeEventFollowTheText) {
  Build();
  HCText* f = F(0);
  QSignalSpy changes(f, &HCText::Change);
  f->SetText(QStringLiteral("abc"));
  EXPECT_TRUE(f->bChanged());
  EXPECT_EQ(changes.size(), 1);
  Focus(f);
  EXPECT_FALSE(f->bChanged());
  QTest::keyClick(f->txtBox, Qt::Key_End);
  EXPECT_FALSE(f->bChanged());
  QTest::keyClick(f->txtBox, Qt::Key_D);
  EXPECT_TRUE(f->bChanged());
  EXPECT_EQ(changes.size(), 2);

  // The control's own reformatting is one change, not two.
  NumberField(F(1), 0, true);
  QSignalSpy numberChanges(F(1), &HCText::Change);
  Focus(F(1));
  QTest::keyClicks(F(1)->txtBox, QStringLiteral("1234"));
  EXPECT_EQ(Box(F(1)), QStringLiteral("1,234"));
  EXPECT_EQ(numberChanges.size(), 4);
}

TEST_F(HCTextTest, FocusColourAndFrameLines) {
  Build();
  HCText* f = F(0);
  f->SetFocusEffect(true);
  f->SetAppearance(0);
  f->SetBorderStyle(0);
  f->SetEdgeColor(0x0000FF);  // red
  f->SetEdgeFocus(true);
  f->SetEdgeFocusColor(0xFF0000);  // blue
  ASSERT_TRUE(f->LineEdgeVisible());
  EXPECT_EQ(f->txtBox->geometry(), QRect(1, 1, f->width() - 2, f->height() - 2));
  EXPECT_EQ(f->LineEdgeRect(1), QRect(0, f->height() - 1, f->width(), 1));
  EXPECT_EQ(f->LineEdgeColor(), QColor(255, 0, 0));

  Focus(f);
  EXPECT_EQ(f->txtBox->palette().color(QPalette::Base), QColor(0xFF, 0xE0, 0xC0));
  // The thicker frame's layout paints the control white again; only the box shows the colour.
  EXPECT_EQ(f->ControlBackground(), QColor(Qt::white));
  EXPECT_EQ(f->txtBox->geometry(), QRect(2, 2, f->width() - 4, f->height() - 4));
  EXPECT_EQ(f->LineEdgeRect(3), QRect(f->width() - 2, 0, 2, f->height()));
  EXPECT_EQ(f->LineEdgeColor(), QColor(0, 0, 255));

  f->SetBackColor(0x00FFFF);
  F(1)->SetFocusEffect(true);
  F(1)->SetFocusEffectParam(0x00FF00);
  Focus(F(1));
  EXPECT_EQ(F(1)->ControlBackground(), QColor(0, 255, 0));
  EXPECT_EQ(f->txtBox->palette().color(QPalette::Base), QColor(Qt::white));  // not BackColor
  EXPECT_EQ(f->txtBox->geometry(), QRect(1, 1, f->width() - 2, f->height() - 2));
  EXPECT_EQ(f->LineEdgeColor(), QColor(255, 0, 0));

  // A 3-D or bordered box hides the lines and fills the control.
  f->SetBorderStyle(1);
  EXPECT_FALSE(f->LineEdgeVisible());
  EXPECT_EQ(f->txtBox->geometry(), f->rect());
  ASSERT_GE(f->height(), 8);
  f->SetTopMagin(60);  // 4 pixels
  EXPECT_EQ(f->txtBox->geometry(), QRect(0, 4, f->width(), f->height() - 8));
  EXPECT_EQ(f->ControlBackground(), QColor(Qt::white));
}

TEST_F(HCTextTest, DisabledFieldIsGreyAndNegativeDecimalsAreRefused) {
  Build(1);
  HCText* f = F(0);
  f->SetEnabled(false);
  EXPECT_EQ(f->txtBox->palette().color(QPalette::Base), QColor(0xE0, 0xE0, 0xE0));
  f->SetEnabled(true);
  EXPECT_EQ(f->txtBox->palette().color(QPalette::Base), QColor(Qt::white));
  f->SetDecPlace(-1);
  EXPECT_EQ(f->DecPlace(), 0);
  EXPECT_EQ(m_prompt.MessageTexts(), QStringList{QStringLiteral("음수는 설정할 수 없습니다.")});
}

TEST_F(HCTextTest, FieldRestoresItsInputModeWhenTheFocusComesBack) {
  Build();
  HCText* hangulField = F(0);
  HCText* englishField = F(1);
  Focus(hangulField);
  SetHanEngMode(true, hangulField->txtBox);  // the user switches to Hangul and composes
  QInputMethodEvent composed;
  composed.setCommitString(U(u"가"));
  QCoreApplication::sendEvent(hangulField->txtBox, &composed);

  Focus(englishField);
  SetHanEngMode(false, englishField->txtBox);  // and back to English here
  QTest::sendKeyEvent(QTest::Press, englishField->txtBox, Qt::Key_Hangul, QString(), {});

  Focus(hangulField);
  EXPECT_TRUE(GetHanEngMode(hangulField->txtBox));
  Focus(englishField);
  EXPECT_FALSE(GetHanEngMode(englishField->txtBox));
  SetHanEngMode(true, englishField->txtBox);
  Focus(F(2));  // a first visit takes the mode it finds
  EXPECT_TRUE(GetHanEngMode(F(2)->txtBox));
}

// One mode for every window, like the test context, counting how often it is read: each read
// waits for the input method.
class CountingContext final : public inputmode::Backend {
 public:
  bool ConversionMode(QWidget*, bool* hangul, long*, QString*) override {
    ++reads;
    *hangul = this->hangul;
    return true;
  }
  void SetConversionMode(QWidget*, bool mode) override { hangul = mode; }
  QString Name() const override { return QStringLiteral("counting"); }
  bool hangul = false;
  int reads = 0;
};

TEST_F(HCTextTest, ComposingReadsTheModeOncePerVisitNotAtEveryKeystroke) {
  CountingContext context;
  inputmode::Backend* const shared = inputmode::SetBackend(&context);
  struct Restore {
    inputmode::Backend* backend;
    ~Restore() { inputmode::SetBackend(backend); }
  } restore{shared};
  Build(2);
  HCText* f = F(0);
  const auto compose = [f] {
    // "한글": six keystrokes, each a composing event, two syllables committed.
    for (const char16_t* preedit : {u"ㅎ", u"하", u"한"}) {
      QInputMethodEvent e(U(preedit), {});
      QCoreApplication::sendEvent(f->txtBox, &e);
    }
    for (const char16_t* preedit : {u"ㄱ", u"그", u"글"}) {
      QInputMethodEvent e(U(preedit), {});
      if (preedit[0] == u'ㄱ') e.setCommitString(U(u"한"));
      QCoreApplication::sendEvent(f->txtBox, &e);
    }
    QInputMethodEvent done;
    done.setCommitString(U(u"글"));
    QCoreApplication::sendEvent(f->txtBox, &done);
  };
  Focus(f);               // first visit in English
  context.hangul = true;  // switched with a key the field does not see
  int before = context.reads;
  compose();
  EXPECT_EQ(context.reads - before, 1);
  EXPECT_EQ(Box(f), U(u"한글"));

  // The mode key between two words: read at the key, and again at the composing after it.
  before = context.reads;
  QTest::sendKeyEvent(QTest::Press, f->txtBox, Qt::Key_Hangul, QString(), {});
  compose();
  EXPECT_EQ(context.reads - before, 2);

  // Every visit reads it afresh, and what composing read is what the field comes back to.
  Focus(F(1));
  context.hangul = false;
  Focus(f);
  EXPECT_TRUE(context.hangul);
  context.hangul = false;
  before = context.reads;
  compose();
  EXPECT_EQ(context.reads - before, 1);
  Focus(F(1));
  context.hangul = true;
  Focus(f);
  EXPECT_FALSE(context.hangul);
}

TEST_F(HCTextTest, OldSystemsHaveNoInputModeMemory) {
  App().osTypeCode = 51;
  Build();
  Focus(F(0));
  SetHanEngMode(true, F(0)->txtBox);
  QTest::sendKeyEvent(QTest::Press, F(0)->txtBox, Qt::Key_Hangul, QString(), {});
  Focus(F(1));
  SetHanEngMode(false, F(1)->txtBox);
  Focus(F(0));
  EXPECT_FALSE(GetHanEngMode(F(0)->txtBox));
}

TEST_F(HCTextTest, StoredPropertiesLeaveDefaultsOutAndLoadLikeAForm) {
  Build(2);
  HCText* f = F(0);
  QSignalSpy changed(f, &HCText::PropertyChanged);
  f->SetAcceptType(HCText::kNumber);
  f->SetShowSeparate(true);
  f->SetMaxLength(10);
  f->SetDecPlace(2);
  f->SetEdgeColor(0x336699);
  f->SetSelStart(0);
  EXPECT_EQ(changed.size(), 5);
  EXPECT_EQ(changed[4][0].toString(), QStringLiteral("EdgeColor"));

  HCText::PropertyBag bag;
  f->WriteProperties(bag);
  QStringList keys;
  for (const auto& [key, value] : bag) keys << key;
  // Setting the kind gave the field its "0" and counted as a change.
  EXPECT_EQ(keys, (QStringList{"Text", "AcceptType", "ShowSeparate", "MaxLength", "bChanged",
                               "DecPlace", "EdgeColor"}));
  EXPECT_EQ(bag.last().second, QVariant(double(0x336699)));

  HCText* copy = F(1);
  copy->ReadProperties(bag);
  HCText::PropertyBag again;
  copy->WriteProperties(again);
  EXPECT_EQ(again, bag);
  EXPECT_EQ(copy->txtBox->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);

  // Loading formats a stored number with the whole-number pattern; the decimals come later.
  const struct {
    const char* text;
    bool separators;
    const char* box;
  } loads[] = {{"1234567", true, "1,234,567"},
               {"1234567", false, "1234567"},
               {"", true, "0"},
               {"12.7", false, "13"}};
  for (const auto& l : loads) {
    SCOPED_TRACE(l.text);
    copy->ReadProperties(
        {{"Text", QString::fromUtf8(l.text)}, {"AcceptType", 1}, {"ShowSeparate", l.separators}});
    EXPECT_EQ(Box(copy), QString::fromUtf8(l.box));
  }
}

class FailingContext final : public inputmode::Backend {
 public:
  bool ConversionMode(QWidget*, bool*, long* number, QString* text) override {
    *number = 0x1234;
    *text = QStringLiteral("no context");
    return false;
  }
  void SetConversionMode(QWidget*, bool) override {}
  QString Name() const override { return QStringLiteral("failing"); }
};

TEST_F(HCTextTest, UnreadableInputModeIsReportedAndReadsAsEnglish) {
  FailingContext failing;
  inputmode::Backend* shared = inputmode::SetBackend(&failing);
  Build(1);
  Focus(F(0));
  inputmode::SetBackend(shared);
  EXPECT_EQ(m_prompt.MessageTexts(),
            QStringList{QStringLiteral(
                "Error 4660 (no context) in procedure GetHanEngMode of Module modMain")});
}

}  // namespace
