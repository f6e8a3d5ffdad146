// The secret store against a real Secret Service: gnome-keyring-daemon on a private session bus.
#include "platform/SecretStore.h"
#include "support/PrivateKeyring.h"
#include "support/PrivateSessionBus.h"

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QTest>

namespace {

// Before main: the store is looked for on this bus, never on the desktop's.
[[maybe_unused]] const PrivateSessionBus& g_bus = SessionBusBeforeMain();

const QString kService = QStringLiteral("Sendora-test");

class SecretStore : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SharedTestKeyring()); }
};

// Items the keyring itself holds for the service and key, asked over the bus by the attributes
// the store writes, so that an entry kept anywhere else does not count.
int ItemsInKeyring(const QString& key) {
  QDBusMessage search = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
      QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("SearchItems"));
  qDBusRegisterMetaType<QMap<QString, QString>>();
  const QMap<QString, QString> attributes{{QStringLiteral("server"), kService},
                                          {QStringLiteral("user"), key}};
  search << QVariant::fromValue(attributes);
  const QDBusMessage reply = QDBusConnection::sessionBus().call(search);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) return -1;
  int count = 0;
  for (const QVariant& list : reply.arguments()) {
    QList<QDBusObjectPath> paths;
    qvariant_cast<QDBusArgument>(list) >> paths;
    count += static_cast<int>(paths.size());
  }
  return count;
}

TEST_F(SecretStore, EntriesGoToTheKeyringAndComeBackAsTheyWere) {
  const struct {
    const char* key;
    const char* text;
  } cases[] = {
      {"plain", "pw3"},
      {"hangul", "비밀번호 똠방각하"},
      {"quotes", "a'b\"c\\d;e"},
      {"long", "0123456789abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwxyz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const QString key = QString::fromUtf8(c.key);
    const QString text = QString::fromUtf8(c.text);
    EXPECT_EQ(secrets::Read(kService, key).status, secrets::Status::NotFound);
    ASSERT_TRUE(secrets::Write(kService, key, text));
    EXPECT_EQ(ItemsInKeyring(key), 1);
    const secrets::Entry entry = secrets::Read(kService, key);
    EXPECT_EQ(entry.status, secrets::Status::Found);
    EXPECT_EQ(entry.text, text);
  }
  // A second write replaces the entry; removing leaves nothing, and removing again is no error.
  ASSERT_TRUE(secrets::Write(kService, QStringLiteral("plain"), QStringLiteral("changed")));
  EXPECT_EQ(ItemsInKeyring(QStringLiteral("plain")), 1);
  EXPECT_EQ(secrets::Read(kService, QStringLiteral("plain")).text, QStringLiteral("changed"));
  EXPECT_EQ(secrets::Read(kService, QStringLiteral("hangul")).text,
            QStringLiteral("비밀번호 똠방각하"));
  for (const auto& c : cases) {
    EXPECT_TRUE(secrets::Remove(kService, QString::fromUtf8(c.key)));
    EXPECT_EQ(ItemsInKeyring(QString::fromUtf8(c.key)), 0);
    EXPECT_EQ(secrets::Read(kService, QString::fromUtf8(c.key)).status, secrets::Status::NotFound);
  }
  EXPECT_TRUE(secrets::Remove(kService, QStringLiteral("plain")));
}

// A store that stops answering costs one bounded wait: the bus itself would wait 25 s.
TEST_F(SecretStore, AStoreThatDoesNotAnswerIsGivenUpAndComesBackOnceItAnswers) {
  ASSERT_TRUE(secrets::Write(kService, QStringLiteral("stall"), QStringLiteral("kept")));
  SharedTestKeyring()->Pause();
  QElapsedTimer waited;
  waited.start();
  EXPECT_EQ(secrets::Read(kService, QStringLiteral("stall")).status, secrets::Status::NoStore);
  EXPECT_GE(waited.elapsed(), secrets::kWaitMs / 2);  // it was asked, and did not answer
  EXPECT_LT(waited.elapsed(), secrets::kWaitMs + 5000);
  // While that call is unanswered the others do not queue behind it.
  waited.restart();
  EXPECT_FALSE(secrets::Write(kService, QStringLiteral("stall"), QStringLiteral("lost")));
  EXPECT_FALSE(secrets::Remove(kService, QStringLiteral("stall")));
  EXPECT_LT(waited.elapsed(), secrets::kWaitMs);
  SharedTestKeyring()->Resume();
  EXPECT_TRUE(QTest::qWaitFor(
      [] {
        return secrets::Read(kService, QStringLiteral("stall")).status != secrets::Status::NoStore;
      },
      10000));
  EXPECT_EQ(secrets::Read(kService, QStringLiteral("stall")).text, QStringLiteral("kept"));
  EXPECT_TRUE(secrets::Remove(kService, QStringLiteral("stall")));
}

}  // namespace
