// The per-user settings store. The shared test main points Root() at a temporary folder.
#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <ostream>

#include <sys/stat.h>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using settings::DeleteSetting;
using settings::GetSetting;
using settings::SaveSetting;

const char16_t kShared[] = u"코르반공통";

// Values that an INI writer could easily mangle.
const QString kOddValues[] = {
    QString(),
    QString::fromUtf16(u"홍길동 (주)코르반 ￦1,000"),
    QStringLiteral("a=b; c=d \"double\" 'single'"),
    QStringLiteral("  blanks around  "),
    QStringLiteral("line 1\nline 2\r\nline 3\r"),
    QStringLiteral("1, 2, 3"),
    QStringLiteral("@Invalid()"),
    QStringLiteral("C:\\Program Files\\x %U1234 %41 [Config] #hash\ttab"),
    QString::fromUtf16(u"😀 outside the BMP"),
};

TEST(SettingsStore, OddValuesReadBackExactly) {
  const QString app = QString::fromUtf16(kShared);
  int i = 0;
  for (const QString& v : kOddValues) SaveSetting(app, "Odd", QString("k%1").arg(i++), v);
  // Read after all writes, so a later write that disturbed an earlier value shows too.
  i = 0;
  for (const QString& v : kOddValues) {
    const QString got = GetSetting(app, "Odd", QString("k%1").arg(i++), "<default>");
    EXPECT_EQ(got, v);
  }
}

TEST(SettingsStore, NamesIgnoreCaseAndAbsentEntriesGiveTheDefault) {
  SaveSetting("Sendora", "Config", "SQLSlowTime", "5");
  SaveSetting("sendora", "CONFIG", "SqlSlowTime", "7");  // the same entry
  SaveSetting("Sendora", "Config", "Empty", "");
  EXPECT_EQ(GetSetting("SENDORA", "config", "sqlslowtime"), "7");
  EXPECT_EQ(GetSetting("Sendora", "Config", "Empty", "d"), "");  // an empty value is a value
  EXPECT_EQ(GetSetting("NoSuchApp", "Config", "SQLSlowTime", "3"), "3");
  EXPECT_EQ(GetSetting("Sendora", "NoSection", "SQLSlowTime", "3"), "3");
  EXPECT_EQ(GetSetting("Sendora", "Config", "Absent"), QString());
}

TEST(SettingsStore, NamesThatLookAlikeStayApart) {
  // Each (app, section, key) gets a value of its own.
  const struct {
    const char16_t* app;
    const char16_t* section;
    const char16_t* key;
  } names[] = {
      {u"Apart", u"Config", u"k"},     {u"Apart", u"General", u"k"},
      {u"Apart", u"", u"k"},           {u"Apart", u"a/b", u"k"},
      {u"Apart", u"a%2Fb", u"k"},      {u"Apart", u"Config/k", u"x"},
      {u"Apart", u"Config", u"k/x"},   {u"a/b:c*?", u"Config", u"k"},
      {u"a%2Fb:c*?", u"Config", u"k"}, {u"..", u"Config", u"k"},
      {u"", u"Config", u"k"},          {u"코르반공통", u"Config", u"k"},
  };
  int i = 0;
  for (const auto& n : names)
    SaveSetting(QString::fromUtf16(n.app), QString::fromUtf16(n.section), QString::fromUtf16(n.key),
                QString::number(i++));
  i = 0;
  for (const auto& n : names) {
    SCOPED_TRACE(i);
    EXPECT_EQ(GetSetting(QString::fromUtf16(n.app), QString::fromUtf16(n.section),
                         QString::fromUtf16(n.key)),
              QString::number(i++));
  }
  // Files stay inside the root, with readable names.
  EXPECT_TRUE(QFile::exists(settings::Root() + QString::fromUtf16(u"/코르반공통.ini")));
  EXPECT_TRUE(QFile::exists(settings::Root() + "/a%2Fb%3Ac%2A%3F.ini"));
  const QStringList files = QDir(settings::Root()).entryList(QDir::Files | QDir::Hidden);
  for (const QString& f : files) EXPECT_FALSE(f.startsWith('.')) << f.toStdString();
}

TEST(SettingsStore, DeleteRemovesOnlyWhatItNames) {
  SaveSetting("DelApp", "One", "a", "1");
  SaveSetting("DelApp", "One", "b", "2");
  SaveSetting("DelApp", "Two", "a", "3");
  DeleteSetting("DelApp", "one", "A");
  EXPECT_EQ(GetSetting("DelApp", "One", "a", "gone") + GetSetting("DelApp", "One", "b"), "gone2");
  DeleteSetting("DelApp", "ONE", "");  // the whole section
  DeleteSetting("DelApp", "", "");     // names nothing, deletes nothing
  EXPECT_EQ(GetSetting("DelApp", "One", "b", "gone") + GetSetting("DelApp", "Two", "a"), "gone3");
}

int ModeOf(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return -1;
  return int(st.st_mode & 07777);
}

// Sets the process umask for a scope and puts the old one back.
struct Umask {
  explicit Umask(mode_t mask) : old(::umask(mask)) {}
  ~Umask() { ::umask(old); }
  mode_t old;
};

TEST(SettingsStore, FileIsTheOwnersAloneWhateverTheUmaskOrItsFormerRights) {
  // The file holds the remembered staff password.
  const struct {
    const char* app;
    int before;  // -1: no file yet
    bool viaDelete;
  } cases[] = {
      {"PermNew", -1, false},
      {"PermWide", 0644, false},
      {"PermOpen", 0666, true},
  };
  const Umask open(0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.app);
    const QString path = settings::Root() + '/' + QString(c.app).toLower() + ".ini";
    QFile::remove(path);
    if (c.before >= 0) {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write("[login]\nkeep=1\npw=old\n");
      f.close();
      ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode_t(c.before)), 0);
    }
    if (c.viaDelete)
      DeleteSetting(c.app, "Login", "pw");
    else
      SaveSetting(c.app, "Login", "pw", "secret");
    EXPECT_EQ(ModeOf(path), 0600) << std::oct << ModeOf(path);
    if (c.before >= 0) {
      EXPECT_EQ(GetSetting(c.app, "Login", "keep"), "1");
    }
    EXPECT_EQ(GetSetting(c.app, "Login", "pw", "none"), c.viaDelete ? "none" : "secret");
  }
}

// Two program instances share the store: what one saves the other reads at once, and a process
// that has already read a key sees the other's later change.
const char kChildRootVar[] = "SENDORA_SETTINGS_CHILD_ROOT";

TEST(SettingsStoreChild, DISABLED_ReadsAndAnswers) {
  const QString root = qEnvironmentVariable(kChildRootVar);
  ASSERT_FALSE(root.isEmpty()) << "only run as a child of the test below";
  settings::SetRoot(root);
  const QString app = QString::fromUtf16(kShared);
  int i = 0;
  for (const QString& v : kOddValues)
    EXPECT_EQ(GetSetting(app, "CROSS", QString("K%1").arg(i++), "<default>"), v);
  SaveSetting(app, "Cross", "Reply", QString::fromUtf16(u"자식 프로세스 = 답"));
}

TEST(SettingsStore, AnotherProcessReadsWhatWasSavedAndIsReadBack) {
  const QString app = QString::fromUtf16(kShared);
  int i = 0;
  for (const QString& v : kOddValues) SaveSetting(app, "Cross", QString("k%1").arg(i++), v);
  ASSERT_EQ(GetSetting(app, "Cross", "Reply", "none yet"), "none yet");

  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(kChildRootVar, settings::Root());
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {"--gtest_filter=SettingsStoreChild.DISABLED_ReadsAndAnswers",
               "--gtest_also_run_disabled_tests"});
  ASSERT_TRUE(child.waitForFinished(60000));
  const QString output = QString::fromUtf8(child.readAll());
  EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
  EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();

  EXPECT_EQ(GetSetting(app, "Cross", "Reply"), QString::fromUtf16(u"자식 프로세스 = 답"));
}

}  // namespace
