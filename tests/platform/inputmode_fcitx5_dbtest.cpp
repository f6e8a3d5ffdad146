// The input-mode memory with the real fcitx5 and its Hangul add-on: the program's windows on an
// Xvfb screen, connected to fcitx5 through its Qt plug-in on a private session bus, keys typed
// through the X server, and the mode read from fcitx5's controller a moment after each step, the
// way busctl reads it. fcitx5 keeps a mode per window and learns of focus changes on its own
// schedule, which the stand-in of inputmode_bus_test does not.
#include "controls/HCText.h"
#include "customers/fBCust_Save.h"
#include "customers/fBFill_Save.h"
#include "grid/SpreadGrid.h"
#include "mainwindow/FrmMain.h"
#include "platform/AppState.h"
#include "platform/InputMode.h"
#include "platform/InputModeFcitx.h"
#include "support/Fcitx5Process.h"
#include "support/MainWindowFixture.h"
#include "support/PrivateSessionBus.h"
#include "support/VirtualDisplay.h"
#include "support/WindowManagerStandIn.h"
#include "support/XKeys.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// Before main: Qt takes its screen, its input-method plug-in and its session bus when the
// application object is made. fcitx5 can be started on demand there, as its package allows on a
// desktop; nothing in the program may do it.
const PrivateSessionBus& g_bus = SessionBusBeforeMain({"org.fcitx.Fcitx5"});
const bool g_desktopUp = [] {
  static VirtualDisplay display;
  if (!display.Start() || !g_bus.Started()) return false;
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  setenv("QT_IM_MODULE", "fcitx", 1);
  return true;
}();

Fcitx5Process* g_fcitx = nullptr;

class Fcitx5OnTheDesktop : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(g_desktopUp) << "Xvfb or dbus-daemon could not be started";
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    ASSERT_TRUE(inputmode::FcitxBackend::PluginConnection().isConnected())
        << "fcitx5's Qt plug-in (fcitx5-frontend-qt6) is not loaded";
    g_fcitx = new Fcitx5Process;
    ASSERT_TRUE(g_fcitx->Start()) << g_fcitx->Log().toStdString();
  }
  void TearDown() override { delete g_fcitx; }
};
[[maybe_unused]] auto* const g_environment =
    ::testing::AddGlobalTestEnvironment(new Fcitx5OnTheDesktop);

constexpr int kEnglish = 1;
constexpr int kHangul = 2;
constexpr int kGone = -1;  // fcitx5 not running

QString U(const char16_t* s) { return QString::fromUtf16(s); }

// One thing the staff member does, what fcitx5 reports afterwards, and optionally keys typed then
// and the text the field holds after them.
struct Step {
  const char* what;
  std::function<void()> act;
  int state;
  const char* keys = nullptr;
  HCText* field = nullptr;
  QString text;
};

// The state a moment after a step: it must reach the expected value and still hold it a little
// later (a late switch by the program counts against it).
void ExpectState(const Step& step) {
  const bool reached = QTest::qWaitFor([&] { return g_fcitx->State() == step.state; }, 3000);
  QTest::qWait(400);
  const int seen = g_fcitx->State();
  EXPECT_TRUE(reached && seen == step.state)
      << step.what << ": expected " << step.state << ", seen " << seen;
}

void RunSteps(const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    if (step.act) step.act();
    ExpectState(step);
    if (!step.keys) continue;
    ASSERT_TRUE(xkeys::Type(QString::fromLatin1(step.keys)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return step.field->Text() == step.text; }, 3000))
        << step.what << ": " << step.field->Text().toStdString();
    QTest::qWait(100);  // nothing more arrives
    EXPECT_EQ(step.field->Text(), step.text);
  }
}

void Focus(HCText* field) {
  field->txtBox->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(QTest::qWaitFor([field] { return field->txtBox->hasFocus(); }, 2000));
}

// Waits until the window manager has given the window the focus. (QTest's wait for an active
// window takes a dialog for active while its parent window is.)
void Active(QWidget* window) {
  ASSERT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 5000))
      << window->objectName().toStdString() << " never became active";
}

class InputModeWithFcitx5 : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    m_admin.Exec(QStringLiteral(
        "INSERT INTO sms_sk.smsuser (userid, username, restcnt, regdate, bigo, hpno, reguser) "
        "VALUES ('hg1', '한글상사', 10, '2026-01-01', '', '02-555-0000', 'staff1')"));
    App().osTypeCode = 110;
    m_testContext = inputmode::SetBackend(nullptr);  // the one detected for this process
    ASSERT_TRUE(g_fcitx->Start());
  }
  void TearDown() override {
    inputmode::SetBackend(m_testContext);
    EXPECT_FALSE(g_bus.Activated("org.fcitx.Fcitx5"));
  }

  std::unique_ptr<FrmMain> OpenMainWindow() {
    auto w = MainWindowTest::OpenMainWindow(QStringLiteral("staff1"));
    Active(w.get());
    return w;
  }

  WindowManagerStandIn m_windowManager;
  inputmode::Backend* m_testContext = nullptr;
};

TEST_F(InputModeWithFcitx5, ModesFollowTheStaffMemberFromWindowToWindow) {
  auto w = OpenMainWindow();
  HCText* search = w->htField0;
  RunSteps({
      // The window opens in Hangul for its list; the search box takes that at its first focus.
      {"main window search box", [&] { Focus(search); }, kHangul, "gksrmf", search,
       U(u"한")},  // 글 still being composed
  });

  bool customerDialogDone = false;
  m_prompt.ModalNext([&](QDialog& d) {
    auto& dialog = dynamic_cast<fBCust_Save&>(d);
    HCText* tradeName = dialog.htField[0];
    HCText* id = dialog.htField[1];
    dialog.show();
    RunSteps({
        {"customer dialog opened right after searching in Hangul, trade name",
         [&] {
           Active(&dialog);
           EXPECT_TRUE(tradeName->txtBox->hasFocus());
         },
         kHangul, "gks ", tradeName, U(u"한 ")},
        {"customer dialog ID field (alphanumeric)", [&] { Focus(id); }, kEnglish, "gks ", id,
         QStringLiteral("gks ")},
        {"customer dialog trade name after Hangul was typed there, to ID, back",
         [&] { Focus(tradeName); }, kHangul, "rmf ", tradeName, U(u"글 ")},
    });
    dialog.reject();
    customerDialogDone = true;
    return int(QDialog::Rejected);
  });
  // Enter finishes the syllable and searches; F2 opens the customer dialog.
  ASSERT_TRUE(xkeys::Press(QStringLiteral("Return")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return w->spList->MaxRows() == 1; }, 5000));
  ASSERT_TRUE(xkeys::Press(QStringLiteral("F2")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return customerDialogDone; }, 60000));
  Active(w.get());

  bool chargeDialogDone = false;
  m_prompt.ModalNext([&](QDialog& d) {
    auto& dialog = dynamic_cast<fBFill_Save&>(d);
    HCText* customerId = dialog.htField[0];
    HCText* memo = dialog.htField[4];
    dialog.show();
    RunSteps({
        {"charge dialog opens, focus in the locked customer ID",
         [&] {
           Active(&dialog);
           EXPECT_TRUE(customerId->txtBox->hasFocus());
         },
         kEnglish, "gks ", customerId, QStringLiteral("hg1")},
        {"charge dialog: to the memo, then back to the customer ID",
         [&] {
           Focus(memo);
           QTest::qWait(600);
           Focus(customerId);
         },
         kEnglish,
         nullptr,
         nullptr,
         {}},
        {"the locked customer ID while in Hangul mode",
         [&] { g_fcitx->Call(QStringLiteral("Activate")); }, kHangul, "gks ", customerId,
         QStringLiteral("hg1")},
        {"memo again: English, as it was at its first focus",
         [&] { Focus(memo); },
         kEnglish,
         nullptr,
         nullptr,
         {}},
        {"memo switched to Hangul with Ctrl+Space and typed in",
         [&] { ASSERT_TRUE(xkeys::Press(QStringLiteral("ctrl+space"))); }, kHangul, "gks ", memo,
         U(u"한 ")},
        {"fcitx5 quits while the program runs: fields still take keys",
         [&] {
           ASSERT_TRUE(g_fcitx->Stop());
           Focus(customerId);
           Focus(memo);
         },
         kGone, "abc ", memo, QStringLiteral("abc ")},
        {"fcitx5 started again: the customer ID gets English",
         [&] {
           ASSERT_TRUE(g_fcitx->Start());
           Focus(customerId);
         },
         kEnglish,
         nullptr,
         nullptr,
         {}},
        {"and the memo its Hangul", [&] { Focus(memo); }, kHangul, "gks ", memo, U(u"한 ")},
    });
    dialog.reject();
    chargeDialogDone = true;
    return int(QDialog::Rejected);
  });
  w->spList->SetActiveCell(1, 1);
  w->btnCharge->click();
  ASSERT_TRUE(chargeDialogDone);
  EXPECT_TRUE(m_prompt.Messages().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
}

TEST_F(InputModeWithFcitx5, ProgramThatStartedBeforeFcitx5SwitchesOnceItRuns) {
  ASSERT_TRUE(g_fcitx->Stop());
  // What the program finds when fcitx5 is not running yet at its first field.
  const std::unique_ptr<inputmode::Backend> found = inputmode::DetectSessionBusBackend();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->Name(), QStringLiteral("none"));
  inputmode::SetBackend(found.get());
  {
    QWidget window;
    window.setObjectName(QStringLiteral("late"));
    auto* layout = new QVBoxLayout(&window);
    auto* name = new HCText(&window);
    auto* id = new HCText(&window);
    name->SetIMEMode(10);
    id->SetIMEMode(8);
    layout->addWidget(name);
    layout->addWidget(id);
    window.show();
    Active(&window);
    Focus(name);
    Focus(id);
    RunSteps({
        {"no fcitx5: keys go in as they are", [&] { Focus(name); }, kGone, "gks ", name,
         QStringLiteral("gks ")},
        {"fcitx5 started: a Hangul field focused then",
         [&] {
           ASSERT_TRUE(g_fcitx->Start());
           Focus(id);
           Focus(name);
         },
         kHangul, "gks ", name, U(u"한 ")},
        {"and an English one", [&] { Focus(id); }, kEnglish, "gks ", id, QStringLiteral("gks ")},
    });
    EXPECT_EQ(found->Name(), QStringLiteral("fcitx5"));
  }
  inputmode::SetBackend(nullptr);
}

}  // namespace
