// The secret store where there is no session bus at all, as in a bare X session: the store's
// answer comes at once, so the login must not wait for it, neither the first time nor after.
// Each desktop kind runs in a child process, since QtKeychain picks its back end once.
#include "platform/SecretStore.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const char kChildVar[] = "SENDORA_SECRETS_NO_BUS_CHILD";

TEST(SecretStoreWithoutBusChild, DISABLED_AnswersAtOnce) {
  ASSERT_TRUE(qEnvironmentVariableIsSet(kChildVar)) << "only run as a child of the test below";
  const QString service = QStringLiteral("Sendora-test");
  const QString key = QStringLiteral("passwd");
  // Under the wait a store that does not answer costs: that wait was not sat out.
  const qint64 atOnce = secrets::kWaitMs;
  // As the login uses it: load, save on leaving the box, forget.
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    QElapsedTimer waited;
    waited.start();
    EXPECT_EQ(secrets::Read(service, key).status, secrets::Status::NoStore);
    EXPECT_LT(waited.elapsed(), atOnce);
    waited.restart();
    EXPECT_FALSE(secrets::Write(service, key, QStringLiteral("pw3")));
    EXPECT_LT(waited.elapsed(), atOnce);
    waited.restart();
    EXPECT_FALSE(secrets::Remove(service, key));
    EXPECT_LT(waited.elapsed(), atOnce);
  }
}

TEST(SecretStoreWithoutBus, EveryCallAnswersAtOnceThatThereIsNoStore) {
  QTemporaryDir runtime;  // no bus socket where libdbus looks next
  ASSERT_TRUE(runtime.isValid());
  const struct {
    const char* what;
    const char* desktop;  // XDG_CURRENT_DESKTOP
    const char* kdeVersion;
  } desktops[] = {
      {"Secret Service", nullptr, nullptr},
      {"KWallet, as on a KDE 4 session", "KDE", "4"},
  };
  for (const auto& d : desktops) {
    SCOPED_TRACE(d.what);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // DISPLAY too: without it no bus is launched on the fly.
    for (const char* name :
         {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP",
          "DESKTOP_SESSION", "KDE_FULL_SESSION", "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID"})
      env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    if (d.desktop) {
      env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QString::fromLatin1(d.desktop));
      env.insert(QStringLiteral("KDE_SESSION_VERSION"), QString::fromLatin1(d.kdeVersion));
    }
    env.insert(QString::fromLatin1(kChildVar), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=SecretStoreWithoutBusChild.DISABLED_AnswersAtOnce"),
                 QStringLiteral("--gtest_also_run_disabled_tests")});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
  }
}

}  // namespace
