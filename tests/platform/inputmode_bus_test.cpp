// The input-mode layer against a private session bus with a stand-in fcitx5 on it: the fields
// and windows of the program switching the mode for real, detection, and a framework that goes
// away or hangs without the user hearing of it.
#include "controls/HCText.h"
#include "customers/fBCust_Save.h"
#include "grid/SpreadGrid.h"
#include "platform/AppState.h"
#include "platform/InputMode.h"
#include "platform/InputModeFcitx.h"
#include "support/FakeFcitx.h"
#include "support/PrivateSessionBus.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

// Before main: Qt must find this bus as the session bus when it first connects to one. fcitx5 can
// be started on demand there, as its package allows on a desktop; nothing here may do it.
const PrivateSessionBus& g_bus = SessionBusBeforeMain({"org.fcitx.Fcitx5"});

FakeFcitx* g_fcitx = nullptr;

class FcitxOnTheSessionBus : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(g_bus.Started()) << "dbus-daemon could not be started";
    g_fcitx = new FakeFcitx(QString::fromStdString(g_bus.Address()));
    ASSERT_TRUE(g_fcitx->Register());
    // Detected once, with fcitx5 running; later tests stop and restart it.
    ASSERT_EQ(inputmode::DetectedBackend().Name(), QStringLiteral("fcitx5"));
  }
  void TearDown() override { delete g_fcitx; }
};
[[maybe_unused]] auto* const g_environment =
    ::testing::AddGlobalTestEnvironment(new FcitxOnTheSessionBus);

QString U(const char16_t* s) { return QString::fromUtf16(s); }

// The service's state once it has handled everything the program sent before: asked on the
// program's own connection, which keeps the order of its messages.
int StateSeenByService() {
  QDBusMessage ask = QDBusMessage::createMethodCall(
      QStringLiteral("org.fcitx.Fcitx5"), QStringLiteral("/controller"),
      QStringLiteral("org.fcitx.Fcitx.Controller1"), QStringLiteral("State"));
  const QDBusMessage reply = QDBusConnection::sessionBus().call(ask);
  return reply.arguments().isEmpty() ? -1 : reply.arguments().constFirst().toInt();
}
constexpr int kEnglish = 1;
constexpr int kHangul = 2;

class InputModeOnBus : public ::testing::Test {
 protected:
  void SetUp() override {
    App().osTypeCode = 110;
    ASSERT_TRUE(g_fcitx->Register());
    m_testContext = inputmode::SetBackend(nullptr);  // the detected fcitx5 backend
    // The mode goes from window to window: each test starts from English, whatever the one
    // before left.
    SetHanEngMode(false, nullptr);
    StateSeenByService();
    g_fcitx->Reset();
  }
  void TearDown() override {
    inputmode::SetBackend(m_testContext);
    g_fcitx->SetStall(0);
  }

  // A window with a plain box that holds the focus first, then `count` fields.
  void Build(int count) {
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_park = new QLineEdit(m_window.get());
    layout->addWidget(m_park);
    for (int i = 0; i < count; ++i) {
      m_fields.push_back(new HCText(m_window.get()));
      layout->addWidget(m_fields.back());
    }
    Activate(m_window.get());
    m_park->setFocus();
  }
  // Settled: as long after the activation as any user takes to start typing.
  static void Activate(QWidget* window, bool settled = true) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    if (settled) QTest::qWait(inputmode::FcitxBackend::kSettleMs + 50);
  }
  static void Focus(HCText* f) {
    f->setFocus();
    ASSERT_TRUE(f->txtBox->hasFocus());
  }
  HCText* F(int i) { return m_fields[size_t(i)]; }

  ScriptedPrompt m_prompt;
  inputmode::Backend* m_testContext = nullptr;
  std::unique_ptr<QWidget> m_window;
  QLineEdit* m_park = nullptr;
  std::vector<HCText*> m_fields;
};

TEST_F(InputModeOnBus, FieldLeftInHangulGetsHangulBackAfterEnglishElsewhere) {
  Build(3);
  HCText* tradeName = F(0);
  HCText* login = F(1);
  Focus(tradeName);
  g_fcitx->UserSwitches(true);
  QInputMethodEvent composed;
  composed.setCommitString(U(u"가"));
  QCoreApplication::sendEvent(tradeName->txtBox, &composed);

  Focus(login);  // first visit: takes Hangul as it finds it
  EXPECT_EQ(StateSeenByService(), kHangul);
  g_fcitx->UserSwitches(false);
  QTest::sendKeyEvent(QTest::Press, login->txtBox, Qt::Key_Hangul, QString(), {});

  const struct {
    HCText* field;
    int state;
  } arrivals[] = {{tradeName, kHangul}, {login, kEnglish}, {tradeName, kHangul}};
  for (const auto& a : arrivals) {
    Focus(a.field);
    EXPECT_EQ(StateSeenByService(), a.state);
    EXPECT_TRUE(GetHanEngMode(a.field->txtBox) == (a.state == kHangul));
  }
  EXPECT_EQ(g_fcitx->ActivateCalls(), 2);
  EXPECT_EQ(g_fcitx->DeactivateCalls(), 1);

  Focus(F(2));  // a first visit switches nothing
  EXPECT_EQ(StateSeenByService(), kHangul);
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(InputModeOnBus, CustomerDialogPutsTheIdFieldInEnglish) {
  fBCust_Save dialog;
  Activate(&dialog);
  HCText* tradeName = dialog.htField[0];
  HCText* id = dialog.htField[1];
  Focus(tradeName);
  g_fcitx->UserSwitches(true);  // the trade name is typed in Hangul
  QInputMethodEvent composed;
  composed.setCommitString(U(u"상"));
  QCoreApplication::sendEvent(tradeName->txtBox, &composed);

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    Focus(id);
    EXPECT_EQ(StateSeenByService(), kEnglish);
    Focus(tradeName);
    EXPECT_EQ(StateSeenByService(), kHangul);
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(InputModeOnBus, GridSetToHangulWhileItsWindowLoadsIsHangulOnceTheWindowIsActive) {
  Build(1);  // another window of the program has the focus while the list loads
  auto list = std::make_unique<QWidget>();
  auto* grid = new SpreadGrid(list.get());
  SetHanEngMode(true, grid);
  EXPECT_EQ(StateSeenByService(), kEnglish);  // not switched under the other window's feet
  EXPECT_TRUE(GetHanEngMode(grid));

  Activate(list.get());
  EXPECT_EQ(StateSeenByService(), kHangul);
  EXPECT_EQ(g_fcitx->ActivateCalls(), 1);

  // Already active: switched at once, and a later activation switches nothing again.
  SetHanEngMode(false, grid);
  EXPECT_EQ(StateSeenByService(), kEnglish);
  Activate(m_window.get());
  Activate(list.get());
  EXPECT_EQ(StateSeenByService(), kEnglish);
  EXPECT_EQ(g_fcitx->ActivateCalls(), 1);
}

TEST_F(InputModeOnBus, SwitchRightAfterActivationWaitsUntilTheWindowSettled) {
  Build(1);
  auto dialog = std::make_unique<QWidget>();
  auto* first = new HCText(dialog.get());
  first->SetIMEMode(10);
  Activate(dialog.get(), false);
  Focus(first);  // fcitx5 may not know yet that this window has the focus
  EXPECT_EQ(StateSeenByService(), kEnglish);
  EXPECT_TRUE(GetHanEngMode(first->txtBox));
  EXPECT_TRUE(QTest::qWaitFor([] { return StateSeenByService() == kHangul; }, 2000));
  EXPECT_EQ(g_fcitx->ActivateCalls(), 1);
}

TEST_F(InputModeOnBus, NewWindowContinuesInTheModeLastUsedInTheProgram) {
  Build(1);
  Focus(F(0));  // English here
  // Then Hangul in another program; fcitx5 still serves that one when the next window opens.
  g_fcitx->UserSwitches(true);
  auto dialog = std::make_unique<QWidget>();
  auto* first = new HCText(dialog.get());
  Activate(dialog.get(), false);
  Focus(first);
  EXPECT_FALSE(GetHanEngMode(first->txtBox));
  EXPECT_TRUE(QTest::qWaitFor([] { return StateSeenByService() == kEnglish; }, 2000));
  QTest::qWait(inputmode::FcitxBackend::kSettleMs);
  EXPECT_EQ(StateSeenByService(), kEnglish);
}

TEST_F(InputModeOnBus, WithThePluginsReportsAWindowWaitsUntilFcitxServesIt) {
  // The connection of fcitx5's Qt plug-in, to which fcitx5 reports the input contexts it
  // focuses; the real plug-in is not loaded on the offscreen platform.
  const QString pluginName = QStringLiteral("plugin-standin");
  QDBusConnection plugin =
      QDBusConnection::connectToBus(QString::fromStdString(g_bus.Address()), pluginName);
  const QString owner = plugin.baseService();
  const QString contextA = QStringLiteral("/inputcontext/1");
  const QString contextB = QStringLiteral("/inputcontext/2");
  {
    inputmode::FcitxBackend backend(QDBusConnection::sessionBus(),
                                    inputmode::FcitxBackend::kCallTimeoutMs, plugin);
    inputmode::SetBackend(&backend);
    QWidget a;
    auto* hangulField = new HCText(&a);
    hangulField->SetIMEMode(10);
    Activate(&a, false);
    Focus(hangulField);
    QTest::qWait(2 * inputmode::FcitxBackend::kSettleMs);  // long settled, never reported
    EXPECT_EQ(StateSeenByService(), kEnglish);
    EXPECT_TRUE(GetHanEngMode(hangulField->txtBox));
    g_fcitx->ReportCurrentIM(owner, contextA, false);
    EXPECT_TRUE(QTest::qWaitFor([] { return StateSeenByService() == kHangul; }, 1000));

    QWidget b;
    auto* idField = new HCText(&b);
    idField->SetIMEMode(8);
    Activate(&b, false);
    Focus(idField);
    g_fcitx->ReportCurrentIM(owner, contextA, true);  // late, for the window before
    QTest::qWait(2 * inputmode::FcitxBackend::kSettleMs);
    EXPECT_EQ(StateSeenByService(), kHangul);
    g_fcitx->ReportCurrentIM(owner, contextB, true);
    EXPECT_TRUE(QTest::qWaitFor([] { return StateSeenByService() == kEnglish; }, 1000));
    EXPECT_EQ(g_fcitx->ActivateCalls(), 1);
    EXPECT_EQ(g_fcitx->DeactivateCalls(), 1);
    inputmode::SetBackend(nullptr);
  }
  QDBusConnection::disconnectFromBus(pluginName);
}

TEST_F(InputModeOnBus, WindowClosedBeforeItWasActiveLeavesNothingBehind) {
  Build(1);
  auto never = std::make_unique<QWidget>();
  SetHanEngMode(true, never.get());
  never.reset();
  auto other = std::make_unique<QWidget>();
  Activate(other.get());
  Activate(m_window.get());
  EXPECT_EQ(StateSeenByService(), kEnglish);
  EXPECT_EQ(g_fcitx->ActivateCalls(), 0);
}

TEST_F(InputModeOnBus, FcitxQuittingMidRunCostsNoMessageAndRestartingItSwitchesAgain) {
  Build(2);
  F(0)->SetIMEMode(10);
  F(1)->SetIMEMode(8);
  Focus(F(0));
  Focus(F(1));
  g_fcitx->Unregister();
  for (int i = 0; i < 10; ++i) {
    Focus(F(i % 2));
    EXPECT_FALSE(GetHanEngMode(F(i % 2)->txtBox));  // reads as English
  }
  EXPECT_TRUE(m_prompt.Records().empty());

  ASSERT_TRUE(g_fcitx->Register());
  Focus(F(0));
  EXPECT_EQ(StateSeenByService(), kHangul);
  Focus(F(1));
  EXPECT_EQ(StateSeenByService(), kEnglish);
}

TEST_F(InputModeOnBus, NothingStartsFcitxOnDemand) {
  Build(2);
  F(0)->SetIMEMode(10);
  F(1)->SetIMEMode(8);
  Focus(F(0));
  g_fcitx->Unregister();
  // Before the program has heard that it quit, its calls still go out.
  for (int i = 1; i < 5; ++i) {
    Focus(F(i % 2));
    GetHanEngMode(F(i % 2)->txtBox);
  }
  QTest::qWait(200);  // and once it has heard
  for (int i = 0; i < 4; ++i) Focus(F(i % 2));
  EXPECT_FALSE(g_bus.Activated("org.fcitx.Fcitx5"));
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(InputModeOnBus, HungFrameworkIsAskedOnceAndThenLeftAlone) {
  const QString name = QStringLiteral("hung-probe");
  {
    inputmode::FcitxBackend backend(
        QDBusConnection::connectToBus(QString::fromStdString(g_bus.Address()), name), 100);
    g_fcitx->UserSwitches(true);
    g_fcitx->SetStall(400);
    bool hangul = true;
    long number = 0;
    QString text;
    EXPECT_TRUE(backend.ConversionMode(nullptr, &hangul, &number, &text));
    EXPECT_FALSE(hangul);
    for (int i = 0; i < 5; ++i) {
      EXPECT_TRUE(backend.ConversionMode(nullptr, &hangul, &number, &text));
      backend.SetConversionMode(nullptr, false);
    }
    QTest::qWait(600);  // let the stalled answer go by
  }
  QDBusConnection::disconnectFromBus(name);
  EXPECT_EQ(g_fcitx->StateCalls(), 1);
  EXPECT_EQ(g_fcitx->DeactivateCalls(), 0);
  EXPECT_EQ(g_fcitx->State(), kHangul);
}

TEST_F(InputModeOnBus, DetectionFindsFcitxOnlyWhereItRuns) {
  const QString address = QString::fromStdString(g_bus.Address());
  QTemporaryDir noRuntimeBus;
  const struct {
    const char* what;
    bool serviceRunning;
    std::function<std::unique_ptr<inputmode::Backend>()> detect;
    const char* found;  // nullptr: nothing to drive
  } rows[] = {
      {"no bus", true,
       [] {
         return inputmode::DetectOnBus(QDBusConnection::connectToBus(
             QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("probe-none")));
       },
       nullptr},
      {"bus without fcitx5 (yet)", false,
       [&] {
         return inputmode::DetectOnBus(
             QDBusConnection::connectToBus(address, QStringLiteral("probe-empty")));
       },
       "none"},
      {"fcitx5 on the bus", true,
       [&] {
         return inputmode::DetectOnBus(
             QDBusConnection::connectToBus(address, QStringLiteral("probe-fcitx")));
       },
       "fcitx5"},
      {"no session bus address anywhere", true,
       [&] {
         const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
         const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
         qunsetenv("DBUS_SESSION_BUS_ADDRESS");
         qputenv("XDG_RUNTIME_DIR", noRuntimeBus.path().toLocal8Bit());
         auto found = inputmode::DetectSessionBusBackend();
         qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
         qputenv("XDG_RUNTIME_DIR", runtime);
         return found;
       },
       nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.serviceRunning)
      ASSERT_TRUE(g_fcitx->Register());
    else
      g_fcitx->Unregister();
    const std::unique_ptr<inputmode::Backend> found = row.detect();
    if (row.found) {
      ASSERT_TRUE(found) << "nothing detected";
      EXPECT_EQ(found->Name(), QString::fromUtf8(row.found));
    } else {
      EXPECT_FALSE(found) << found->Name().toStdString();
    }
  }
  for (const char* name : {"probe-none", "probe-empty", "probe-fcitx"})
    QDBusConnection::disconnectFromBus(QString::fromUtf8(name));
  // Detected once, the backend follows fcitx5 quitting and starting again.
  const auto named = [](const char* name) {
    return QTest::qWaitFor(
        [name] { return inputmode::DetectedBackend().Name() == QLatin1String(name); }, 2000);
  };
  g_fcitx->Unregister();
  EXPECT_TRUE(named("none"));
  ASSERT_TRUE(g_fcitx->Register());
  EXPECT_TRUE(named("fcitx5"));
}

TEST_F(InputModeOnBus, WithoutAFrameworkFieldsReadEnglishAndSwitchNothingSilently) {
  const std::unique_ptr<inputmode::Backend> none = inputmode::MakeNoFrameworkBackend();
  inputmode::SetBackend(none.get());
  Build(3);
  F(0)->SetIMEMode(10);
  F(1)->SetIMEMode(8);
  for (int i = 0; i < 9; ++i) {
    Focus(F(i % 3));
    SetHanEngMode(true, F(i % 3)->txtBox);
    QTest::sendKeyEvent(QTest::Press, F(i % 3)->txtBox, Qt::Key_Hangul, QString(), {});
    EXPECT_FALSE(GetHanEngMode(F(i % 3)->txtBox));
  }
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_EQ(g_fcitx->StateCalls() + g_fcitx->ActivateCalls() + g_fcitx->DeactivateCalls(), 0);
}

}  // namespace
