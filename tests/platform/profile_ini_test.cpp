// INI profile files: reads with the old API's rules, writes that leave the rest of the file alone.
#include "platform/ProfileIni.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <optional>
#include <ostream>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

std::optional<QByteArray> ReadBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  return f.readAll();
}

class ProfileIni : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString File(const QString& name = "Form.ini") const { return dir.filePath(name); }
  QTemporaryDir dir;
};

TEST_F(ProfileIni, ReadsFollowTheOldApi) {
  WriteBytes(File(),
             "orphan=before any section\r\n"
             "; WindowState=9\r\n"
             "[FormPosition]\r\n"
             "WindowState=2\r\n"
             "  Left  =  1200  \r\n"
             "Top=\"300\"\r\n"
             "Name='  quoted keeps blanks  '\r\n"
             "Empty=\r\n"
             "Equals=a=b ; not a comment\r\n"
             "Hangul=\xC8\xAB\xB1\xE6\xB5\xBF\r\n"  // 홍길동
             "Long=1234567890123\r\n"
             "NoEquals\r\n"
             "\r\n"
             "[spList_ColsWidth]\r\n"
             "1=1500\r\n"
             "\t[ Spaced ]  \r\n"
             "k=v\r\n"
             "[formposition]\r\n"
             "WindowState=0\r\n"
             "Extra=only in the second copy\r\n");
  const struct {
    const char* section;
    const char* key;
    QString def;
    int buffer;
    QString expected;
  } cases[] = {
      {"FormPosition", "WindowState", "", 10, "2"},
      {"FORMPOSITION", "windowstate", "", 10, "2"},  // first section of that name wins
      {"FormPosition", " Left ", "", 10, "1200"},
      {"FormPosition", "Top", "", 10, "300"},
      {"FormPosition", "Name", "", 100, "  quoted keeps blanks  "},
      {"FormPosition", "Empty", "d", 10, ""},
      {"FormPosition", "Equals", "", 100, "a=b ; not a comment"},
      {"FormPosition", "Hangul", "", 10, QString::fromUtf16(u"홍길동")},
      {"FormPosition", "Hangul", "", 3, QString::fromUtf16(u"홍길")},  // characters, not bytes
      {"FormPosition", "Long", "", 10, "123456789"},
      {"FormPosition", "NoEquals", "d", 10, "d"},
      {"FormPosition", "Extra", "d", 100, "d"},
      {"FormPosition", "orphan", "d", 10, "d"},
      {"FormPosition", "Missing", "dflt \t ", 10, "dflt"},
      {"FormPosition", "Missing", "abcdefghijk", 10, "abcdefghi"},
      {"NoSection", "WindowState", "d", 10, "d"},
      {"spList_ColsWidth", "1", "", 10, "1500"},
      {"spaced", "K", "", 10, "v"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key + " buffer " + std::to_string(c.buffer));
    EXPECT_EQ(profile::GetString(c.section, c.key, c.def, c.buffer, File()), c.expected);
  }
  EXPECT_EQ(profile::GetString("FormPosition", "Left", "d", 10, File("missing.ini")), "d");
}

// One write or delete on a file, then the whole file compared byte for byte.
struct Change {
  const char* name;
  std::optional<QByteArray> before;  // nullopt: no file
  std::function<bool(const QString&)> op;
  bool result;
  std::optional<QByteArray> after;
};

TEST_F(ProfileIni, ChangesTouchOnlyTheirOwnLine) {
  using profile::DeleteKey;
  using profile::DeleteSection;
  using profile::WriteString;
  const QByteArray form =
      "; keep me\r\n"
      "[FormPosition]\r\n"
      "left = 1\r\n"
      "Top=2\r\n"
      "\r\n"
      "[Other]\r\n"
      "; about x\r\n"
      "x=1\r\n";
  const Change cases[] = {
      {"new file gets CR LF", std::nullopt,
       [](const QString& f) { return WriteString("FormPosition", "Left", "100", f); }, true,
       "[FormPosition]\r\nLeft=100\r\n"},
      {"replace keeps spellings and the rest", form,
       [](const QString& f) { return WriteString("FORMPOSITION", "LEFT", "99", f); }, true,
       "; keep me\r\n[FormPosition]\r\nleft=99\r\nTop=2\r\n\r\n[Other]\r\n; about x\r\nx=1\r\n"},
      {"new key goes before the blank line", form,
       [](const QString& f) { return WriteString("formposition", "Width", "5", f); }, true,
       "; keep me\r\n[FormPosition]\r\nleft = 1\r\nTop=2\r\nWidth=5\r\n\r\n[Other]\r\n"
       "; about x\r\nx=1\r\n"},
      {"new section at the end", form,
       [](const QString& f) { return WriteString("spList_General", "FontSize", "9", f); }, true,
       form + "[spList_General]\r\nFontSize=9\r\n"},
      {"LF file without a last line break", QByteArray("[A]\nx=1"),
       [](const QString& f) { return WriteString("B", "y", "2", f); }, true,
       "[A]\nx=1\n[B]\ny=2\n"},
      {"Hangul in code page 949, emoji as '?'", std::nullopt,
       [](const QString& f) {
         return WriteString(QString::fromUtf16(u"설정"), QString::fromUtf16(u"이름"),
                            QString::fromUtf16(u"홍길동😀"), f);
       },
       true, "[\xBC\xB3\xC1\xA4]\r\n\xC0\xCC\xB8\xA7=\xC8\xAB\xB1\xE6\xB5\xBF?\r\n"},
      {"bytes that are not code page 949 survive",
       QByteArray("[A]\r\nraw=\xFF\x80\xC9\r\n[B]\r\nk=1\r\n"),
       [](const QString& f) { return WriteString("B", "k", "2", f); }, true,
       "[A]\r\nraw=\xFF\x80\xC9\r\n[B]\r\nk=2\r\n"},
      {"'=' in the key is refused", form,
       [](const QString& f) { return WriteString("FormPosition", "a=b", "1", f); }, false, form},
      {"line break in the value is refused", form,
       [](const QString& f) { return WriteString("Other", "x", "1\r\n[Evil]", f); }, false, form},
      {"delete a key", form, [](const QString& f) { return DeleteKey("formposition", "TOP", f); },
       true, "; keep me\r\n[FormPosition]\r\nleft = 1\r\n\r\n[Other]\r\n; about x\r\nx=1\r\n"},
      {"delete a key without a file", std::nullopt,
       [](const QString& f) { return DeleteKey("A", "k", f); }, true, std::nullopt},
      {"delete a section", form, [](const QString& f) { return DeleteSection("FORMposition", f); },
       true, "; keep me\r\n[Other]\r\n; about x\r\nx=1\r\n"},
  };
  for (const Change& c : cases) {
    SCOPED_TRACE(c.name);
    const QString file = File(QString("%1.ini").arg(&c - cases));
    if (c.before) WriteBytes(file, *c.before);
    EXPECT_EQ(c.op(file), c.result);
    const std::optional<QByteArray> after = ReadBytes(file);
    ASSERT_EQ(after.has_value(), c.after.has_value());
    if (after) {
      EXPECT_EQ(after->toStdString(), c.after->toStdString());
    }
  }
}

TEST_F(ProfileIni, WritingIntoAMissingFolderFails) {
  const QString f = dir.filePath("FormIni/frmMain.ini");
  EXPECT_FALSE(profile::WriteString("FormPosition", "Left", "1", f));
  EXPECT_FALSE(QFile::exists(f));
}

}  // namespace
