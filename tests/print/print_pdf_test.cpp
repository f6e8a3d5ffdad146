// Printing a grid as the program does it, read back from the PDF: the header and footer texts,
// the stored page setup and its defaults, copies, and grids wider than a page.
#include "PrintTestSupport.h"

#include "platform/AppState.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "print/FrmSPPrint_PageSetup.h"
#include "print/FrmSPPrint_Preview.h"
#include "print/FrmSPPrint_PrintDlg.h"
#include "print/SheetPrinter.h"
#include "print/cFpPreview.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include <functional>
#include <iterator>

namespace {

const QString kApp = QStringLiteral("PrintTest");

// The ledger's arguments, with the flags a test changes.
struct Call {
  QString key = QStringLiteral("fRUseList");
  QString title = QStringLiteral("문자사용내역");
  int orientation = 1;
  double left = 0.3, right = 0.2, top = 0.5, bottom = 0.5;
  bool footerOn = false, allowFit = true;
  QString note;
  QString centre = QStringLiteral("기간");
  bool direct = true;
  bool pageNumbers = true, printDate = true;
};

bool Preview(cFpPreview& fp, SpreadGrid& grid, const Call& c) {
  bool printed = false;
  fp.SpreadPreview(grid, c.key, c.title, QStringLiteral("Corvane"), c.centre, c.orientation, c.left,
                   c.right, c.top, c.bottom, c.footerOn, c.allowFit, c.note, c.direct, 16,
                   c.pageNumbers, c.printDate, printed);
  return printed;
}

class PrintPdf : public ::testing::Test {
 protected:
  void SetUp() override {
    settings::DeleteSetting(print::SettingsAppFor(kApp), QStringLiteral("fRUseList"), QString());
    fp.SetAppName(kApp);
    clock_::SetLocalNowOverride([] { return QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)); });
  }
  void TearDown() override { clock_::SetLocalNowOverride(nullptr); }

  // Rows of a grid that prints on exactly `pages` pages with the session's setup.
  int RowsForPages(print::PageSetup setup, int pages) {
    // The probe's new rows are empty: every row counts, not only those with data.
    setup.options[print::OptDataOnly] = false;
    auto probe = MakeGrid(1, 3);
    QPdfWriter pdf(spool.Path(QStringLiteral("probe.pdf")));
    for (int rows = pages * 20; rows < pages * 200; ++rows) {
      probe->SetMaxRows(rows);
      print::SheetPrinter sheet(*probe, setup);
      pdf.setPageLayout(sheet.Layout());
      sheet.Paginate(pdf, pdf.pageLayout());
      if (sheet.PageCount() == pages) return rows;
    }
    return -1;
  }

  PdfSpooler spool;
  ScriptedPrompt prompt;
  cFpPreview fp;
};

TEST_F(PrintPdf, TitleWithSlashPrintsTheSlash) {
  auto grid = MakeGrid(5, 3);
  Call c;
  c.title = QStringLiteral("2024/05 사용/충전 내역");
  EXPECT_TRUE(Preview(fp, *grid, c));
  ASSERT_EQ(spool.jobs.size(), 1u);
  const QString text = Squeezed(PdfText(spool.jobs[0].file, 1));
  EXPECT_TRUE(text.contains(Squeezed(c.title))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("R5C3")));
}

TEST_F(PrintPdf, PageNumberAndCountOnTheLeftOfEachPage) {
  Call c;
  c.footerOn = true;
  auto grid = MakeGrid(1, 3);
  Preview(fp, *grid, c);  // the session's setup, to size the grid
  const int rows = RowsForPages(fp.LastSession().setup, 10);
  ASSERT_GT(rows, 0);
  grid = MakeGrid(rows, 3);
  spool.jobs.clear();
  Preview(fp, *grid, c);
  ASSERT_EQ(spool.jobs.size(), 1u);
  const QString file = spool.jobs[0].file;
  EXPECT_EQ(PdfPages(file), 10);
  const QString page3 = PdfText(file, 3);
  EXPECT_TRUE(page3.contains(QStringLiteral("Page: 3/10"))) << page3.toStdString();
  EXPECT_FALSE(page3.contains(QStringLiteral("Page: 2/10")));
  EXPECT_TRUE(Squeezed(page3).contains(QStringLiteral("출력일:2024-05-0607:08:09")));
  // Left: at the left margin (0.3 inch), not centred.
  const double x = WordLeft(file, 3, QStringLiteral("Page:"));
  EXPECT_NEAR(x, 0.3 * 72, 3.0);
}

TEST_F(PrintPdf, FooterOffWithoutNotePrintsNoDateLine) {
  auto grid = MakeGrid(5, 3);
  struct Case {
    const char* name;
    bool footerOn;
    QString note;
    bool date, pageLine, noteShown;
  } cases[] = {
      {"footer off, no note", false, QString(), false, false, false},
      {"footer off, a note", false, QStringLiteral("비고/메모"), false, false, true},
      {"footer on", true, QString(), true, true, false},
  };
  for (const Case& k : cases) {
    spool.jobs.clear();
    Call c;
    c.footerOn = k.footerOn;
    c.note = k.note;
    Preview(fp, *grid, c);
    ASSERT_EQ(spool.jobs.size(), 1u);
    const QString text = PdfText(spool.jobs[0].file);
    EXPECT_EQ(text.contains(QStringLiteral("출력일")), k.date) << k.name;
    EXPECT_EQ(text.contains(QStringLiteral("Page:")), k.pageLine) << k.name;
    EXPECT_EQ(text.contains(QStringLiteral("비고/메모")), k.noteShown) << k.name;
  }
}

TEST_F(PrintPdf, NoStoredSettingsUseTheCallersAndEveryOptionButFit) {
  auto grid = MakeGrid(5, 3);
  Call c;
  c.orientation = print::OrientLandscape;
  c.left = 1.0;
  c.direct = false;
  print::Session seen;
  prompt.ModalNext([&](QDialog& d) {
    auto& preview = dynamic_cast<FrmSPPrint_Preview&>(d);
    seen = fp.LastSession();
    EXPECT_EQ(preview.lblPage->text(), QStringLiteral("Page 1 of 1"));
    return int(QDialog::Rejected);
  });
  EXPECT_FALSE(Preview(fp, *grid, c));
  const print::PageSetup& p = seen.setup;
  EXPECT_DOUBLE_EQ(p.marginLeft, 1.0);
  EXPECT_DOUBLE_EQ(p.marginRight, 0.2);
  EXPECT_DOUBLE_EQ(p.marginTop, 0.5);
  EXPECT_DOUBLE_EQ(p.marginBottom, 0.5);
  EXPECT_EQ(p.orientation, print::OrientLandscape);
  for (int i = 0; i < print::OptionCount; ++i)
    EXPECT_EQ(p.options[size_t(i)], i != print::OptFitToPage) << i;
  EXPECT_EQ(print::ZoomEntries()[p.zoom], QStringLiteral("Page Height"));
  EXPECT_EQ(prompt.Messages().size(), 0u);

  // And on paper: landscape A4, the sheet starting at the caller's left margin.
  c.direct = true;
  c.footerOn = true;
  Preview(fp, *grid, c);
  ASSERT_EQ(spool.jobs.size(), 1u);
  EXPECT_TRUE(PdfPageSize(spool.jobs[0].file).startsWith(QStringLiteral("842 x 595")));
  EXPECT_NEAR(WordLeft(spool.jobs[0].file, 1, QStringLiteral("Page:")), 72.0, 3.0);
}

TEST_F(PrintPdf, StoredSettingsWinOverTheCallers) {
  const QString app = print::SettingsAppFor(kApp), key = QStringLiteral("fRUseList");
  settings::SaveSetting(app, key, QStringLiteral("PrintMarginLeft"), QStringLiteral("2.00"));
  settings::SaveSetting(app, key, QStringLiteral("PrintOrientation"), QStringLiteral("1"));
  settings::SaveSetting(app, key, QStringLiteral("PrintZoomType"), QStringLiteral("2"));
  settings::SaveSetting(app, key, QStringLiteral("CheckBox_0"), QStringLiteral("0"));
  settings::SaveSetting(app, key, QStringLiteral("CheckBox_7"), QStringLiteral("1"));
  auto grid = MakeGrid(5, 3);
  Call c;
  c.orientation = print::OrientLandscape;
  c.footerOn = true;
  Preview(fp, *grid, c);
  const print::PageSetup& p = fp.LastSession().setup;
  EXPECT_DOUBLE_EQ(p.marginLeft, 2.0);
  EXPECT_EQ(p.orientation, print::OrientPortrait);
  EXPECT_EQ(p.zoom, 2);
  EXPECT_FALSE(p.options[print::OptColHeaders]);
  EXPECT_TRUE(p.options[print::OptFitToPage]);
  const QString file = spool.jobs.at(0).file;
  EXPECT_TRUE(PdfPageSize(file).startsWith(QStringLiteral("595 x 842")));
  EXPECT_NEAR(WordLeft(file, 1, QStringLiteral("Page:")), 144.0, 3.0);
  EXPECT_FALSE(PdfText(file).contains(QStringLiteral("H1")));  // column headers off
  // Fit to page stays off when the caller does not allow it, whatever is stored.
  c.allowFit = false;
  Preview(fp, *grid, c);
  EXPECT_FALSE(fp.LastSession().setup.options[print::OptFitToPage]);
}

TEST_F(PrintPdf, TwoCopiesSendTwoJobs) {
  auto grid = MakeGrid(30, 3);
  Call c;
  c.direct = false;
  struct Case {
    const char* name;
    QString typed;
    bool workstation;
    int jobs;
    QString printer;
  } cases[] = {
      {"two copies", QStringLiteral("2"), false, 2, QStringLiteral("Office1")},
      {"not a number prints one", QStringLiteral("x"), false, 1, QStringLiteral("Office1")},
      {"workstation printer", QStringLiteral("3"), true, 3, QStringLiteral("Office2")},
  };
  for (const Case& k : cases) {
    spool.jobs.clear();
    settings::SaveSetting(kApp, QStringLiteral("Config"), QStringLiteral("PC별프린터사용"),
                          k.workstation ? QStringLiteral("1") : QStringLiteral("0"));
    settings::SaveSetting(print::SettingsAppFor(kApp), QStringLiteral("Config"),
                          QStringLiteral("PC별프린터기기"), QStringLiteral("Office2"));
    prompt.ModalNext([](QDialog& d) {
      dynamic_cast<FrmSPPrint_Preview&>(d).actPrint->trigger();
      return int(QDialog::Rejected);
    });
    prompt.ModalNext([&](QDialog& d) {
      auto& dlg = dynamic_cast<FrmSPPrint_PrintDlg&>(d);
      dlg.txtCopies->setText(QString());
      for (QChar ch : k.typed) QTest::keyClick(dlg.txtCopies, ch.toLatin1());
      dlg.cmdPrint->click();
      return dlg.result();
    });
    SetDefaultPromptTitle(kApp);
    App().appTitle = kApp;
    Preview(fp, *grid, c);
    ASSERT_EQ(int(spool.jobs.size()), k.jobs) << k.name;
    for (const SentJob& j : spool.jobs) {
      EXPECT_EQ(j.printer, k.printer) << k.name;
      EXPECT_TRUE(PdfText(j.file).contains(QStringLiteral("R30C3"))) << k.name;
    }
    EXPECT_EQ(print::CurrentPrinter(), QStringLiteral("Office1")) << k.name;  // put back
    EXPECT_EQ(settings::GetSetting(print::SettingsAppFor(kApp), QStringLiteral("fRUseList"),
                                   QStringLiteral("인쇄시여러장인쇄")),
              k.typed.toInt() > 0 ? k.typed : QStringLiteral("1"))
        << k.name;
    EXPECT_TRUE(prompt.AllAnswersUsed()) << k.name;
  }
}

TEST_F(PrintPdf, WideGridContinuesOnFurtherPagesDownThenAcross) {
  // 30 columns of 20 characters: about three widths of a portrait page.
  auto grid = MakeGrid(5, 30, 20);
  grid->SetColHidden(7, true);
  Call c;
  Preview(fp, *grid, c);
  ASSERT_EQ(spool.jobs.size(), 1u);
  const QString file = spool.jobs[0].file;
  const int pages = PdfPages(file);
  ASSERT_GE(pages, 3);
  // Every visible column prints exactly once, and the pages go left to right.
  int lastPage = 1;
  for (int col = 1; col <= 30; ++col) {
    const QString cell = QStringLiteral("R5C%1").arg(col);
    int found = 0, on = 0;
    for (int page = 1; page <= pages; ++page)
      if (PdfText(file, page).split(QRegularExpression(QStringLiteral("\\s+"))).contains(cell)) {
        ++found;
        on = page;
      }
    EXPECT_EQ(found, col == 7 ? 0 : 1) << cell.toStdString();
    if (found) {
      EXPECT_GE(on, lastPage) << cell.toStdString();
      lastPage = on;
    }
  }
  EXPECT_EQ(lastPage, pages);

  // With more rows than a page holds, the rows of the first columns come first.
  auto tall = MakeGrid(200, 30, 20);
  spool.jobs.clear();
  Preview(fp, *tall, c);
  const QString file2 = spool.jobs.at(0).file;
  const QString page2 = PdfText(file2, 2);
  const QRegularExpression firstCol(QStringLiteral("\\bR(\\d+)C1\\b"));
  const QRegularExpressionMatch m = firstCol.match(page2);
  ASSERT_TRUE(m.hasMatch()) << page2.left(400).toStdString();
  EXPECT_GT(m.captured(1).toInt(), 1);
  EXPECT_FALSE(page2.contains(QRegularExpression(QStringLiteral("\\bR\\d+C30\\b"))));
}

// What the PDF's text layer gives back is what was printed, blanks included: the texts of cells,
// column headers and header and footer lines, in every alignment, plain and bold, and in
// underlined and struck-out header fonts.
TEST_F(PrintPdf, TextLayerReadsBackEveryPrintedText) {
  const QStringList texts = {
      QStringLiteral("(주)코르반 상사 1,234원"),
      QStringLiteral("010-1234-5678 / 메모 A"),
      QStringLiteral("a.b, c; d! 100% [x]"),
      QStringLiteral("발송 완료 3건 - 실패 0건"),
  };
  const int aligns[] = {spread::HAlignLeft, spread::HAlignRight, spread::HAlignCenter};
  auto grid = MakeGrid(int(texts.size() * std::size(aligns)), 1, 60);
  grid->SetText(1, 0, QStringLiteral("사용 내역 (건수)"));
  QStringList cells;
  int row = 0;
  for (int align : aligns)
    for (const QString& t : texts) {
      ++row;
      grid->SetText(1, row, t);
      grid->SetTypeHAlign(1, row, align);
      grid->SetFontBold(1, row, row % 2 == 0);
      cells << t;
    }
  QStringList rowNumbers;
  for (int r = 1; r <= row; ++r) rowNumbers << QString::number(r);
  const QStringList head = QStringList{QStringLiteral("사용 내역 (건수)")} + rowNumbers + cells;

  struct Case {
    const char* name;
    std::function<QString()> print;  // the PDF written
    QStringList lines;               // header and footer are drawn before the sheet
  } cases[] = {
      {"the ledger's own header and footer",
       [&] {
         Call c;
         c.title = QStringLiteral("문자 사용 내역");
         c.footerOn = true;
         c.note = QStringLiteral("비고: 월말 정산 / 2차");
         c.centre = QStringLiteral("기간: 2025-12-08 ~ 2025-12-09");
         Preview(fp, *grid, c);
         return spool.jobs.at(0).file;
       },
       QStringList{QStringLiteral("문자 사용 내역"),
                   QStringLiteral("Corvane 기간: 2025-12-08 ~ 2025-12-09"),
                   QStringLiteral("비고: 월말 정산 / 2차"),
                   QStringLiteral("Page: 1/1 출력일:2024-05-06 07:08:09")} +
           head},
      {"underlined and struck-out header fonts",
       [&] {
         print::PageSetup setup;
         setup.header = QStringLiteral(
             "/fn\"굴림체\"/fz\"12\"/fu1/l밑줄 친 제목 1//2/n/fu0/fk1/r취소 선 (예)");
         setup.footer = QStringLiteral("/fn\"NanumGothic\"/fz\"9\"/c쪽 /p / 전체 /pc");
         print::SheetPrinter sheet(*grid, setup);
         const QString file = spool.Path(QStringLiteral("fonts.pdf"));
         QPdfWriter pdf(file);
         sheet.Print(pdf);
         return file;
       },
       QStringList{QStringLiteral("밑줄 친 제목 1/2"), QStringLiteral("취소 선 (예)"),
                   QStringLiteral("쪽 1 / 전체 1")} +
           head},
      {"a printer set to write a PDF file",
       [&] {
         print::SheetPrinter sheet(*grid, print::PageSetup{});
         const QString file = spool.Path(QStringLiteral("printer.pdf"));
         QPrinter printer(QPrinter::HighResolution);
         printer.setOutputFormat(QPrinter::PdfFormat);
         printer.setOutputFileName(file);
         sheet.Print(printer);
         return file;
       },
       head},
      {"a Latin sheet font, Hangul from a fallback font",
       [&] {
         grid->setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
         print::SheetPrinter sheet(*grid, print::PageSetup{});
         const QString file = spool.Path(QStringLiteral("latin.pdf"));
         QPdfWriter pdf(file);
         sheet.Print(pdf);
         return file;
       },
       head},
  };
  for (const Case& k : cases) {
    spool.jobs.clear();
    const QString file = k.print();
    const QStringList got = PdfRawLines(file);
    EXPECT_EQ(got, k.lines) << k.name << "\n" << got.join(QLatin1Char('|')).toStdString();
  }
}

TEST_F(PrintPdf, WithoutAppNameTellsAndReadsUnderTheBareSuffix) {
  cFpPreview bare;
  settings::SaveSetting(QStringLiteral("_PritSetUp"), QStringLiteral("fRUseList"),
                        QStringLiteral("PrintMarginTop"), QStringLiteral("1.25"));
  auto grid = MakeGrid(2, 2);
  Call c;
  Preview(bare, *grid, c);
  ASSERT_EQ(prompt.MessageTexts(),
            QStringList{QStringLiteral("사용 프로그램이 설정되지 않았습니다.")});
  EXPECT_EQ(prompt.Messages()[0].buttons, MsgButtons::Ok);
  EXPECT_DOUBLE_EQ(bare.LastSession().setup.marginTop, 1.25);
  EXPECT_EQ(spool.jobs.size(), 1u);  // and goes on
}

}  // namespace
