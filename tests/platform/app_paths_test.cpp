// Where the program writes its own files: beside a portable copy that may write there, in the
// user's data folder for a packaged install or a read-only application folder. Checked through
// the writers themselves (layouts, the event log, the SQL log, exports, the server list).
#include "app/modServerAddressUtil.h"
#include "db/DbState.h"
#include "db/SqlLog.h"
#include "grid/ExcelExport.h"
#include "grid/SpreadGrid.h"
#include "grid/modFormIni.h"
#include "platform/AppPaths.h"
#include "platform/EventLog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>
#include <utility>

namespace {

class AppPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedApp = paths::AppFolder();
    m_savedXdg = qgetenv("XDG_DATA_HOME");
    m_hadXdg = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", m_xdg.path().toLocal8Bit());
  }
  void TearDown() override {
    paths::SetAppFolder(m_savedApp);
    if (m_hadXdg)
      qputenv("XDG_DATA_HOME", m_savedXdg);
    else
      qunsetenv("XDG_DATA_HOME");
  }

  QTemporaryDir m_xdg;
  QString m_savedApp;
  QByteArray m_savedXdg;
  bool m_hadXdg = false;
};

// Every file the program writes for itself, each through its own writer, under one folder.
QStringList WriteEverything() {
  QStringList written;
  EXPECT_TRUE(EnsureFormIniFolder());
  written << QFileInfo(FormIniFile(QStringLiteral("FrmMain"))).absolutePath();
  eventlog::Write(QStringLiteral("where am I"));
  written << eventlog::FilePath();
  SQLLogSetDay(QDate(2024, 3, 5));
  const int level = std::exchange(Db().logLevel, 1);
  SQLLogExec(QStringLiteral("SELECT 1"), QStringLiteral("1"), 0);
  Db().logLevel = level;
  written << Db().statementLogFile;
  SpreadGrid grid;
  const QString exported =
      ExportToExcelFile(grid, QStringLiteral("Sheet1"), true, /*noConfirm=*/true, false,
                        /*openAfterwards=*/false, false, /*skipDataCheck=*/true);
  EXPECT_FALSE(exported.isEmpty());
  written << exported;
  EXPECT_TRUE(WriteUTF8(ServerAddressFilePath(), QStringLiteral("{}")));
  written << ServerAddressFilePath();
  return written;
}

TEST_F(AppPathsTest, WritableFilesGoBesideAPortableCopyAndToTheUserFolderOtherwise) {
  struct Case {
    const char* name;
    std::function<void(const QString& app)> prepare;
    bool packaged;
    bool beside;
  };
  const Case cases[] = {
      {"writable portable folder", [](const QString&) {}, false, true},
      // No write bit for anyone: read-only even when the tests run as root.
      {"read-only folder",
       [](const QString& app) {
         QFile::setPermissions(app, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ExeGroup);
       },
       false, false},
      {"packaged install, folder writable",
       [](const QString& app) {
         QFile marker(QDir(app).filePath(QLatin1String(paths::kPackagedMarker)));
         ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
       },
       true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir app;
    QDir(paths::UserDataFolder()).removeRecursively();
    paths::SetAppFolder(app.path());
    c.prepare(app.path());

    EXPECT_EQ(paths::IsPackagedInstall(), c.packaged);
    const QString expected = c.beside ? app.path() : paths::UserDataFolder();
    EXPECT_EQ(paths::DataFolder(), expected);
    for (const QString& file : WriteEverything()) {
      SCOPED_TRACE(file.toStdString());
      EXPECT_TRUE(file.startsWith(expected + u'/'));
      EXPECT_TRUE(QFileInfo::exists(file));
    }
    if (!c.beside) {
      // Nothing of the user's lands in the program's folder, and the user folder is private.
      const QStringList left = QDir(app.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
      EXPECT_EQ(left,
                c.packaged ? QStringList{QLatin1String(paths::kPackagedMarker)} : QStringList());
      EXPECT_EQ(QFileInfo(expected).permissions() & 0x0077, 0);
    }
    EXPECT_EQ(QFileInfo::exists(paths::UserDataFolder()), !c.beside);
    QFile::setPermissions(app.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
}

// A packaged install may ship a server list beside the program: it counts until the user has a
// list of their own, which then wins.
TEST_F(AppPathsTest, TheServerListBesideAReadOnlyProgramIsReadUntilTheUserHasOne) {
  QTemporaryDir app;
  QDir(paths::UserDataFolder()).removeRecursively();
  paths::SetAppFolder(app.path());
  QFile marker(QDir(app.path()).filePath(QLatin1String(paths::kPackagedMarker)));
  ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
  const auto list = [](const char* host) {
    return QStringLiteral(R"({"ver": 3, "servers": [{"name": "메일", "host": "%1"}]})")
        .arg(QLatin1String(host));
  };
  ASSERT_TRUE(
      WriteUTF8(app.filePath(QStringLiteral("server_address_setting.json")), list("192.0.2.1")));
  LoadServerAddressFile();
  EXPECT_EQ(GetServerHost(QStringLiteral("메일")), QStringLiteral("192.0.2.1"));

  ASSERT_TRUE(WriteUTF8(ServerAddressFilePath(), list("192.0.2.2")));
  LoadServerAddressFile();
  EXPECT_EQ(GetServerHost(QStringLiteral("메일")), QStringLiteral("192.0.2.2"));
}

}  // namespace
