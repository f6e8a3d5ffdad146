// Window and grid layouts in the per-window profile files, and the report-column dialog.
#include "grid/FrmSprRPTCol.h"
#include "grid/GridMenu.h"
#include "grid/SpreadGrid.h"
#include "grid/modFormIni.h"
#include "platform/AppPaths.h"
#include "platform/ProfileIni.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

namespace {

const QRect kDesign(40, 30, 500, 320);

// A window as the program builds one: a data grid and the sum grid under it.
struct Window {
  QWidget form;
  SpreadGrid* spList;
  SpreadGrid* spSum;
  Window() {
    form.setObjectName("FrmLayout");
    form.setGeometry(kDesign);
    spList = new SpreadGrid(&form);
    spList->setObjectName("spList");
    spSum = new SpreadGrid(&form);
    spSum->setObjectName("spSum");
    for (SpreadGrid* g : {spList, spSum}) {
      g->SetMaxCols(4);
      g->SetMaxRows(3);
      g->SetColWidth(-1, 10);
      g->SetRowHeight(-1, 12);
      g->SetRowHeight(0, 14);
      g->SetFontSize(-1, -1, 9);
      g->SetFontSize(-1, 0, 9);
    }
    spList->setGeometry(0, 0, 480, 200);
    spSum->setGeometry(0, 210, 480, 30);
    for (int c = 1; c <= 4; ++c) spList->SetText(c, 0, QString("항목%1").arg(c));
  }
};

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class FormIni : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    paths::SetAppFolder(dir.path());
  }
  void TearDown() override {
    paths::SetAppFolder(QString());
    EXPECT_TRUE(prompt.Messages().empty()) << prompt.MessageTexts().join(" | ").toStdString();
  }
  QString File() const { return FormIniFile("FrmLayout"); }
  QString Get(const QString& section, const QString& key) const {
    return profile::GetString(section, key, "<none>", 10, File());
  }

  QTemporaryDir dir;
  ScriptedPrompt prompt;
};

// --- numbers as the old runtime read them -------------------------------------------------

TEST(NumericValue, ReadsWhatTheOldRuntimeCalledNumeric) {
  const struct {
    const char* text;
    std::optional<double> value;
  } cases[] = {{"12", 12},
               {" 12.5 ", 12.5},
               {"-100", -100},
               {"+3", 3},
               {"1,500", 1500},
               {"2.", 2},
               {".5", 0.5},
               {"1e3", 1000},
               {"1D2", 100},
               {"", std::nullopt},
               {" ", std::nullopt},
               {"abc", std::nullopt},
               {"12px", std::nullopt},
               {"1e999", std::nullopt},
               {"--1", std::nullopt},
               {"1.2.3", std::nullopt},
               {".", std::nullopt}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(NumericValue(c.text), c.value);
  }
}

// --- a layout saved and read back -------------------------------------------------------------

TEST_F(FormIni, SavedLayoutComesBackWhenTheWindowReopens) {
  QRect geometry;
  {
    Window w;
    AttachGridServices(w.form, *w.spList, true, w.spSum);
    LoadFormLayout(w.form);
    EXPECT_FALSE(QFile::exists(File())) << "opening writes nothing";
    w.form.show();
    w.form.setGeometry(130, 95, 610, 405);
    w.spList->SetColWidth(2, 17.25);
    w.spList->SetColWidth(4, 3.5);
    SaveSpreadIni_Cw(w.form, *w.spList, 2, QString(), true, w.spSum);
    SaveSpreadIni_Cw(w.form, *w.spList, 4, QString(), true, w.spSum);
    // Font and height through the menu, as the user sets them.
    prompt.MenuNext(2);
    prompt.InputNext("14");
    SpreadPopupMenu(w.form, *w.spList, true);
    prompt.MenuNext(1);
    prompt.InputNext("22");
    SpreadPopupMenu(w.form, *w.spList, true);
    geometry = QRect(w.form.pos(), w.form.size());
    w.form.close();
  }
  const QByteArray bytes = ReadBytes(File());
  EXPECT_TRUE(bytes.contains("[FormPosition]\r\nWindowState=0\r\n"));
  EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n")) << "CR LF throughout";

  Window w;
  LoadFormLayout(w.form);
  w.form.show();
  EXPECT_EQ(QRect(w.form.pos(), w.form.size()), geometry);
  EXPECT_FALSE(w.form.isMaximized());
  EXPECT_EQ(w.spList->ColWidth(1), 10);
  EXPECT_EQ(w.spList->ColWidth(2), 17.25);
  EXPECT_EQ(w.spList->ColWidth(4), 3.5);
  EXPECT_EQ(w.spSum->ColWidth(2), 17.25) << "paired sum grid";
  EXPECT_EQ(w.spSum->ColWidth(4), 3.5);
  EXPECT_EQ(w.spList->FontSize(1, 1), 14);
  EXPECT_EQ(w.spList->FontSize(3, 0), 14);
  EXPECT_EQ(w.spList->RowHeight(-1), 22);
  EXPECT_EQ(w.spList->RowHeight(0), 24);
  EXPECT_EQ(w.spSum->FontSize(1, 1), 9) << "the sum grid has its own general section";

  // Saving again what was read changes no byte.
  w.form.close();
  EXPECT_EQ(ReadBytes(File()), bytes);
}

TEST_F(FormIni, ADialogSavesItsPositionWhenRejected) {
  {
    QDialog d;
    d.setObjectName("FrmLayout");
    LoadFormLayout(d);
    LoadFormLayout(d);  // twice is harmless
    d.show();
    d.move(210, 160);
    d.resize(300, 200);
    ASSERT_EQ(d.pos(), QPoint(210, 160));
    d.reject();
  }
  EXPECT_EQ(Get("FormPosition", "Left"), QString::number(210 * 1440 / 96));
  EXPECT_EQ(Get("FormPosition", "Width"), QString::number(300 * 1440 / 96));
}

TEST_F(FormIni, NothingIsSavedForAHiddenOrMinimisedWindowOrAnInvisibleGrid) {
  Window w;
  SaveFormIni(w.form);
  SaveSpreadIni_Cw(w.form, *w.spList, 1);
  EXPECT_FALSE(QFile::exists(File()));
  w.form.show();
  w.form.showMinimized();
  SaveFormIni(w.form);
  EXPECT_FALSE(QFile::exists(File()));
}

TEST_F(FormIni, MaximisedSaveKeepsTheEarlierPositionAndReopensMaximised) {
  {
    Window w;
    w.form.show();
    w.form.move(120, 80);
    w.form.resize(400, 300);
    SaveFormIni(w.form);
    w.form.showMaximized();
    SaveFormIni(w.form);
  }
  EXPECT_EQ(Get("FormPosition", "WindowState"), "2");
  EXPECT_EQ(Get("FormPosition", "Left"), "1800");
  Window w;
  LoadFormIni(w.form);
  w.form.show();
  EXPECT_TRUE(w.form.isMaximized());
  w.form.showNormal();
  EXPECT_EQ(w.form.pos(), QPoint(120, 80)) << "restores to the saved normal position";
}

TEST_F(FormIni, PositionKeysThatAreNotPositiveKeepTheDesignValue) {
  const struct {
    const char* name;
    QByteArray position;
    QRect expect;
  } cases[] = {
      {"Left=0, Top=-100", "Left=0\r\nTop=-100\r\nWidth=6000\r\nHeight=4500\r\n",
       QRect(kDesign.topLeft(), QSize(400, 300))},
      {"Top only", "Top=1500\r\n", QRect(QPoint(kDesign.x(), 100), kDesign.size())},
      {"zero size", "Width=0\r\nHeight=-15\r\n", kDesign},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(File(), "[FormPosition]\r\nWindowState=0\r\n" + c.position);
    Window w;
    EXPECT_TRUE(LoadFormIni(w.form));
    EXPECT_EQ(QRect(w.form.pos(), w.form.size()), c.expect);
  }
}

TEST_F(FormIni, APositionOffEveryScreenIsMovedOntoOne) {
  // Where a second monitor stood, far to the right and below.
  WriteBytes(File(), "[FormPosition]\r\nLeft=150000\r\nTop=90000\r\nWidth=6000\r\nHeight=4500\r\n");
  Window w;
  LoadFormIni(w.form);
  EXPECT_EQ(w.form.size(), QSize(400, 300));
  const QRect frame(w.form.pos(), w.form.size());
  bool inside = false;
  for (QScreen* s : QGuiApplication::screens())
    inside = inside || s->availableGeometry().contains(frame);
  EXPECT_TRUE(inside) << frame.x() << "," << frame.y();

  // A window merely hanging over an edge stays where the user left it.
  WriteBytes(File(), "[FormPosition]\r\nLeft=150\r\nTop=150\r\nWidth=150000\r\nHeight=4500\r\n");
  Window v;
  LoadFormIni(v.form);
  EXPECT_EQ(v.form.pos(), QPoint(10, 10));
}

TEST_F(FormIni, DamagedFilesNeverStopTheWindow) {
  const QByteArray files[] = {
      QByteArray("\x00\xff\xfe garbage \x80\x81\r\n[[[\r\n===\r\n", 26),
      "[FormPosition]\r\nLeft=abc\r\nTop=1e999\r\nWidth=99999999999\r\nHeight=\r\n"
      "WindowState=x\r\n[spList_ColsWidth]\r\n1=-5\r\n2=wide\r\n3=1e9\r\n"
      "[spList_General]\r\nFontSize=999\r\nRowHeight=-3\r\n",
      "[spList_General]\nFontSize=0\nRowHeight",  // LF only, no last line break
      "",
  };
  for (const QByteArray& bytes : files) {
    SCOPED_TRACE(bytes.toStdString());
    WriteBytes(File(), bytes);
    Window w;
    EXPECT_TRUE(LoadFormIni(w.form));
    w.form.show();
    EXPECT_EQ(w.form.geometry(), kDesign);
    EXPECT_FALSE(w.form.isMaximized());
    for (int c = 1; c <= 4; ++c) EXPECT_EQ(w.spList->ColWidth(c), 10);
    EXPECT_EQ(w.spList->FontSize(1, 1), 9);
    EXPECT_EQ(w.spList->RowHeight(-1), 12);
  }
}

TEST_F(FormIni, FileOfTheOldProgramReadsAndOurWritesLeaveItsOtherBytesAlone) {
  // As the old program left it: CR LF, code page 949 comments, sections in its order.
  const QByteArray old =
      "; \xB0\xED\xB0\xB4\xB8\xF1\xB7\xCF\r\n"  // 고객목록
      "[FormPosition]\r\n"
      "WindowState=0\r\n"
      "Left=1500\r\n"
      "Top=1200\r\n"
      "Width=9000\r\n"
      "Height=6000\r\n"
      "[spList_ColsWidth]\r\n"
      "1=12.5\r\n"
      "3=20\r\n"
      "[spList_General]\r\n"
      "FontSize=11\r\n"
      "RowHeight=15\r\n"
      "[spList_RPTCOL]\r\n"
      "1=1\r\n"
      "2=0\r\n"
      "[spList_Memo]\r\n"
      "note=\xC8\xAB\xB1\xE6\xB5\xBF\r\n";  // 홍길동
  WriteBytes(File(), old);
  Window w;
  w.spList->SetColHidden(4, true);
  LoadFormIni(w.form);
  EXPECT_EQ(QRect(w.form.pos(), w.form.size()), QRect(100, 80, 600, 400));
  EXPECT_EQ(w.spList->ColWidth(1), 12.5);
  EXPECT_EQ(w.spList->ColWidth(2), 10);
  EXPECT_EQ(w.spList->ColWidth(3), 20);
  EXPECT_EQ(w.spList->FontSize(2, 2), 11);
  EXPECT_EQ(w.spList->RowHeight(-1), 15);
  EXPECT_EQ(w.spList->RowHeight(0), 17);
  EXPECT_EQ(profile::GetString("spList_Memo", "note", "", 10, File()), "홍길동");

  w.form.show();
  w.spList->SetColWidth(3, 21);
  SaveSpreadIni_Cw(w.form, *w.spList, 3);
  QByteArray expect = old;
  expect.replace("3=20\r\n", "3=21\r\n");
  EXPECT_EQ(ReadBytes(File()), expect);

  // The report-column ticks the old program stored.
  FrmSprRPTCol dialog;
  dialog.SetParam(w.form, *w.spList);
  ASSERT_EQ(dialog.List1->count(), 3);
  EXPECT_EQ(dialog.List1->item(0)->checkState(), Qt::Checked);
  EXPECT_EQ(dialog.List1->item(1)->checkState(), Qt::Unchecked);
  EXPECT_EQ(dialog.List1->item(2)->checkState(), Qt::Checked) << "no key: ticked";
}

TEST_F(FormIni, GridOfASetUsesItsIndexInTheKey) {
  WriteBytes(File(), "[spList_2_General]\r\nFontSize=16\r\n[spList_General]\r\nFontSize=20\r\n");
  Window w;
  w.spList->setProperty("Index", 2);
  EXPECT_EQ(SpreadIniKey(*w.spList), "spList_2");
  EXPECT_EQ(SpreadIniKey(*w.spSum), "spSum");
  LoadFormIni(w.form);
  EXPECT_EQ(w.spList->FontSize(1, 1), 16);
}

TEST_F(FormIni, OnlyTheWindowsOwnGridsAreLoaded) {
  WriteBytes(File(), "[spList_General]\r\nFontSize=20\r\n");
  Window w;
  QDialog child(&w.form);  // another window parented to this one, with a grid of the same name
  auto* other = new SpreadGrid(&child);
  other->setObjectName("spList");
  other->SetFontSize(-1, -1, 9);
  LoadFormIni(w.form);
  EXPECT_EQ(w.spList->FontSize(1, 1), 20);
  EXPECT_EQ(other->FontSize(1, 1), 9);
}

TEST_F(FormIni, DelFormIniRemovesTheFileAndResetGivesTheDesignLayout) {
  DelFormIni("FrmLayout");  // no file: nothing to say
  WriteBytes(File(), "[FormPosition]\r\nLeft=3000\r\n[spList_General]\r\nFontSize=20\r\n");
  DelFormIni("FrmLayout");
  EXPECT_FALSE(QFile::exists(File()));
  Window w;
  EXPECT_FALSE(LoadFormIni(w.form));
  EXPECT_EQ(w.form.pos(), kDesign.topLeft());
  EXPECT_EQ(w.spList->FontSize(1, 1), 9);
}

// --- the report-column dialog ------------------------------------------------------------------

class ReportColumns : public FormIni {
 protected:
  void SetUp() override {
    FormIni::SetUp();
    w.spList->SetColHidden(3, true);
  }
  std::vector<bool> Ticks(const FrmSprRPTCol& d) const {
    std::vector<bool> out;
    for (int i = 0; i < d.List1->count(); ++i)
      out.push_back(d.List1->item(i)->checkState() == Qt::Checked);
    return out;
  }
  Window w;
};

TEST_F(ReportColumns, WithoutAFileOrKeysEveryVisibleColumnIsTicked) {
  for (const bool withFile : {false, true}) {
    SCOPED_TRACE(withFile);
    if (withFile) WriteBytes(File(), "[FormPosition]\r\nLeft=1500\r\n");
    FrmSprRPTCol d;
    d.SetParam(w.form, *w.spList);
    EXPECT_EQ(d.windowTitle(), "보고서용 컬럼설정");
    EXPECT_EQ(d.chkAll->text(), "전체(&A)");
    EXPECT_EQ(d.Label1->text(), "- 체크한 컬럼만 보고서에 나타납니다.");
    ASSERT_EQ(d.List1->count(), 3);
    EXPECT_EQ(d.List1->item(2)->text(), "항목4");
    EXPECT_EQ(Ticks(d), (std::vector<bool>{true, true, true}));
    EXPECT_FALSE(d.Changed());
  }
}

TEST_F(ReportColumns, SaveWritesEveryListedColumnAndSaysSo) {
  FrmSprRPTCol d;
  d.SetParam(w.form, *w.spList);
  d.show();
  d.chkAll->click();  // ticks all (they already are)
  d.chkAll->click();  // clears all
  EXPECT_EQ(Ticks(d), (std::vector<bool>{false, false, false}));
  d.List1->item(2)->setCheckState(Qt::Checked);
  EXPECT_TRUE(d.Changed());
  d.cmdSave->click();
  EXPECT_EQ(prompt.MessageTexts(), QStringList{"저장을 완료하였습니다."});
  EXPECT_EQ(prompt.Messages()[0].buttons, MsgButtons::Ok);
  prompt.Clear();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(Get("spList_RPTCOL", "1"), "0");
  EXPECT_EQ(Get("spList_RPTCOL", "2"), "0");
  EXPECT_EQ(Get("spList_RPTCOL", "3"), "<none>") << "hidden columns are not listed";
  EXPECT_EQ(Get("spList_RPTCOL", "4"), "1");

  FrmSprRPTCol again;
  again.SetParam(w.form, *w.spList);
  EXPECT_EQ(Ticks(again), (std::vector<bool>{false, false, true}));
}

TEST_F(ReportColumns, UnsavedChangesAskBeforeClosing) {
  FrmSprRPTCol d;
  d.SetParam(w.form, *w.spList);
  d.show();
  d.cmdClose->click();  // nothing changed: closes without asking
  EXPECT_FALSE(d.isVisible());

  d.show();
  d.List1->item(0)->setCheckState(Qt::Unchecked);
  for (auto close : {std::function<void()>([&] { d.cmdClose->click(); }),
                     std::function<void()>([&] { d.close(); })}) {
    prompt.Clear();
    prompt.AnswerNext(MsgResult::No);
    close();
    EXPECT_TRUE(d.isVisible()) << "No keeps the dialog open";
    ASSERT_EQ(prompt.Messages().size(), 1u);
    const PromptRecord ask = prompt.Messages()[0];
    EXPECT_EQ(ask.text, "수정된 내용이 저장되지 않았습니다. 그래도, 닫으시겠습니까?");
    EXPECT_EQ(ask.buttons, MsgButtons::YesNo);
    EXPECT_EQ(ask.icon, MsgIcon::Question);
    EXPECT_EQ(ask.defaultButton, MsgResult::No);
  }
  prompt.Clear();
  prompt.AnswerNext(MsgResult::Yes);
  d.cmdClose->click();
  EXPECT_FALSE(d.isVisible());
  prompt.Clear();
  EXPECT_FALSE(QFile::exists(File())) << "closing writes nothing";
}

}  // namespace
