// The spreadsheet export, checked on the written file as a spreadsheet reader sees it (openpyxl
// through python3): cells and their types, header and title rows, hidden columns, Hangul, the
// boxes on the way, the automatic name, the log, and the grid left as it was.
#include "grid/ExcelExport.h"
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Process.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <map>
#include <set>
#include <vector>

namespace {

// Prints every non-empty cell of the first sheet with its type and looks, and what is hidden.
constexpr const char* kReader = R"(
import json, sys, openpyxl
from openpyxl.utils import column_index_from_string
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
cells = []
for row in ws.iter_rows():
    for c in row:
        if c.value is None:
            continue
        cells.append({"r": c.row, "c": c.column, "t": c.data_type, "v": c.value,
                      "bold": bool(c.font.b), "fmt": c.number_format,
                      "h": c.alignment.horizontal or ""})
print(json.dumps({
    "sheets": wb.sheetnames,
    "cells": cells,
    "hiddenCols": sorted(column_index_from_string(k)
                         for k, d in ws.column_dimensions.items() if d.hidden),
    "hiddenRows": sorted(k for k, d in ws.row_dimensions.items() if d.hidden)}))
)";

struct SheetCell {
  QString type;  // "n" number, "s" text
  QJsonValue value;
  bool bold = false;
  QString format;
  QString hAlign;
};

struct ReadBack {
  QStringList sheets;
  std::map<std::pair<int, int>, SheetCell> cells;  // (row, col), from 1
  std::set<int> hiddenCols, hiddenRows;

  const SheetCell* at(int row, int col) const {
    const auto it = cells.find({row, col});
    return it == cells.end() ? nullptr : &it->second;
  }
  QString text(int row, int col) const {
    const SheetCell* c = at(row, col);
    return c && c->type == "s" ? c->value.toString() : QString();
  }
};

// The system's interpreter, where the Debian package puts openpyxl; a python3 earlier in PATH
// (a version manager's) may not have it.
QString Python() {
  const QString system = QStringLiteral("/usr/bin/python3");
  return QFile::exists(system) ? system : QStringLiteral("python3");
}

ReadBack Read(const QString& file) {
  QProcess py;
  py.start(Python(), {QStringLiteral("-c"), QString::fromUtf8(kReader), file});
  EXPECT_TRUE(py.waitForFinished(60000));
  const QByteArray out = py.readAllStandardOutput();
  EXPECT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
  const QJsonObject root = QJsonDocument::fromJson(out).object();
  ReadBack rb;
  for (const QJsonValue& s : root["sheets"].toArray()) rb.sheets << s.toString();
  for (const QJsonValue& v : root["cells"].toArray()) {
    const QJsonObject o = v.toObject();
    rb.cells[{o["r"].toInt(), o["c"].toInt()}] = {o["t"].toString(), o["v"], o["bold"].toBool(),
                                                  o["fmt"].toString(), o["h"].toString()};
  }
  for (const QJsonValue& v : root["hiddenCols"].toArray()) rb.hiddenCols.insert(v.toInt());
  for (const QJsonValue& v : root["hiddenRows"].toArray()) rb.hiddenRows.insert(v.toInt());
  return rb;
}

// A customer-list-like grid: ID, name, phone, balance (number), a hidden note, a rate with two
// decimals; two header rows; row 3 a subtotal row whose balance cell was made text.
void Fill(SpreadGrid& g) {
  g.SetMaxCols(6);
  g.SetColHeaderRows(2);
  const char* const top[] = {"고객", "", "", "금액", "", ""};
  const char* const second[] = {"ID", "상호", "전화", "잔액", "메모", "비율"};
  for (int c = 1; c <= 6; ++c) {
    g.SetText(c, 0, top[c - 1]);
    g.SetText(c, spread::ColHeaderRow(2), second[c - 1]);
  }
  SetCellTypeNumber(g, 4);
  SetCellTypeNumber(g, 6, 2);
  g.SetColHidden(5, true);
  g.SetMaxRows(4);
  const char* const rows[][6] = {
      {"00123", "(주)코르반 상사", "010-1234-5678", "1234567", "내부용", "12.5"},
      {"007", "한빛𠀀상회", "0212345678", "-2000", "", "0.25"},
      {"", "소계", "", "", "", ""},
  };
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 6; ++c) g.SetText(c, r, rows[r - 1][c - 1]);
  g.SetCellType(4, 3, spread::CellTypeStaticText);
  g.SetText(4, 3, "1,232,567");
  g.SetFormula(6, 3, "R1C6+R2C6");
  g.SetFormula(1, 3, "R1C4*2");
}

// Everything a caller could see of the grid, to compare before and after an export.
QStringList Snapshot(const SpreadGrid& g) {
  QStringList s{QString::number(g.MaxRows()),       QString::number(g.MaxCols()),
                QString::number(g.ColHeaderRows()), QString::number(g.DataRowCnt()),
                QString::number(g.GetRefStyle()),   QString::number(g.ReDraw())};
  std::vector<int> rows;
  for (int k = 1; k <= g.ColHeaderRows(); ++k) rows.push_back(spread::ColHeaderRow(k));
  for (int r = 1; r <= g.MaxRows(); ++r) rows.push_back(r);
  for (int r : rows)
    for (int c = 1; c <= g.MaxCols(); ++c)
      s << g.GetText(c, r) + "|" + QString::number(g.CellType(c, r)) + "|" +
               QString::number(g.FontBold(c, r)) + "|" + QString::number(g.RowHidden(r));
  return s;
}

class ExcelExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QDir(ExpFolder()).removeRecursively();
    clock_::SetLocalNowOverride([this] { return now; });
    process::SetOpenWithDefaultAppOverride([this](const QString& f) {
      opened << f;
      return true;
    });
    Fill(grid);
  }
  void TearDown() override {
    clock_::SetLocalNowOverride(nullptr);
    process::SetOpenWithDefaultAppOverride(nullptr);
    EXPECT_TRUE(prompt.AllAnswersUsed());
  }
  static QString ExpFolder() { return QDir(paths::AppFolder()).filePath("ExpExcel"); }
  static QStringList Written() { return QDir(ExpFolder()).entryList(QDir::Files, QDir::Name); }

  ScriptedPrompt prompt;
  SpreadGrid grid;
  QDateTime now{QDate(2024, 12, 7), QTime(9, 30, 15)};
  QStringList opened;
};

TEST_F(ExcelExportTest, CallersDefaultsAskFirstWriteTheAutomaticNameAndOpenIt) {
  prompt.AnswerNext(MsgResult::Yes);
  const QStringList before = Snapshot(grid);

  const QString file = ExportToExcelFile(grid);

  const QString expected = QDir(ExpFolder()).filePath("Exp241207_093015.xlsx");
  EXPECT_EQ(file, expected);
  EXPECT_EQ(opened, QStringList{expected});
  ASSERT_EQ(prompt.Messages().size(), 1u);
  const PromptRecord q = prompt.Messages()[0];
  EXPECT_EQ(q.text, "엑셀로 자료를 내보내기 하시겠습니까?");
  EXPECT_EQ(q.buttons, MsgButtons::YesNo);
  EXPECT_EQ(q.defaultButton, MsgResult::Yes);
  EXPECT_EQ(Written(), (QStringList{"Exp241207_093015.xlsx", "Exp241207_093015LOG.TXT"}));
  EXPECT_EQ(Snapshot(grid), before);
}

TEST_F(ExcelExportTest, CellsKeepTheirTypesTextsAndHangul) {
  const ReadBack rb = Read(ExportToExcelFile(grid, "Sheet1", true, true, false, false));
  EXPECT_EQ(rb.sheets, QStringList{"Sheet1"});
  // Header rows 1-2, data from row 3.
  struct Expect {
    int row, col;
    const char* type;
    QJsonValue value;
    const char* format;
  };
  const Expect cases[] = {
      {3, 1, "s", "00123", "General"},  // an ID keeps its zeros
      {3, 2, "s", "(주)코르반 상사", "General"},
      {3, 3, "s", "010-1234-5678", "General"},
      {3, 4, "n", 1234567, "#,##0"},
      {3, 5, "s", "내부용", "General"},  // in the hidden column
      {3, 6, "n", 12.5, "#,##0.00"},
      {4, 1, "s", "007", "General"},
      {4, 2, "s", "한빛𠀀상회", "General"},  // a syllable outside the BMP as well
      {4, 3, "s", "0212345678", "General"},
      {4, 4, "n", -2000, "#,##0"},
      {4, 6, "n", 0.25, "#,##0.00"},
      {5, 1, "n", 2469134, "General"},  // formula result in a text column
      {5, 2, "s", "소계", "General"},
      {5, 4, "n", 1232567, "#,##0"},   // text cell of a number column
      {5, 6, "n", 12.75, "#,##0.00"},  // formula result
  };
  for (const Expect& e : cases) {
    SCOPED_TRACE(testing::Message() << "row " << e.row << " col " << e.col);
    const SheetCell* c = rb.at(e.row, e.col);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->type, e.type);
    EXPECT_EQ(c->value, e.value);
    EXPECT_EQ(c->format, e.format);
  }
  // Besides those, only the 8 non-empty header cells: empty cells are not written.
  EXPECT_EQ(rb.cells.size(), 8u + std::size(cases));
  EXPECT_EQ(rb.hiddenCols, std::set<int>{5});
}

TEST_F(ExcelExportTest, HiddenRowsStayHidden) {
  grid.SetRowHidden(2, true);
  const ReadBack rb = Read(ExportToExcelFile(grid, "Sheet1", true, true, false, false));
  EXPECT_EQ(rb.hiddenRows, std::set<int>{4});
  EXPECT_EQ(rb.text(4, 1), "007");
  EXPECT_TRUE(grid.RowHidden(2));
}

// Where the title row, the header rows and the first data row land for each switch.
TEST_F(ExcelExportTest, TitleRowAndHeaderRowsComeBeforeTheData) {
  struct Case {
    bool headers, title;
    int titleRow, firstHeaderRow, firstDataRow;
  };
  const Case cases[] = {
      {true, false, 0, 1, 3},
      {true, true, 1, 2, 4},
      {false, true, 1, 0, 2},
      {false, false, 0, 0, 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "headers " << k.headers << " title " << k.title);
    QDir(ExpFolder()).removeRecursively();
    const QStringList before = Snapshot(grid);
    const QString file = ExportToExcelFile(grid, "Sheet1", true, true, false, false, k.headers,
                                           false, "", "", k.title, "2024-12-01", "2024-12-07");
    ASSERT_FALSE(file.isEmpty());
    EXPECT_EQ(Snapshot(grid), before);
    const ReadBack rb = Read(file);
    EXPECT_EQ(rb.text(k.firstDataRow, 1), "00123");
    EXPECT_EQ(rb.text(k.firstDataRow + 1, 2), "한빛𠀀상회");
    if (k.title) {
      const SheetCell* t = rb.at(k.titleRow, 2);
      ASSERT_NE(t, nullptr);
      EXPECT_EQ(t->value.toString(), "일자:2024-12-01~2024-12-07");
      EXPECT_TRUE(t->bold);
      EXPECT_EQ(t->hAlign, "center");
    }
    if (k.headers) {
      for (int c = 1; c <= 6; ++c) {
        const QString top = grid.GetText(c, 0), second = grid.GetText(c, spread::ColHeaderRow(2));
        EXPECT_EQ(rb.text(k.firstHeaderRow, c), top);
        EXPECT_EQ(rb.text(k.firstHeaderRow + 1, c), second);
      }
      const SheetCell* h = rb.at(k.firstHeaderRow + 1, 4);
      ASSERT_NE(h, nullptr);
      EXPECT_TRUE(h->bold);
      EXPECT_EQ(h->hAlign, "center");
    } else {
      EXPECT_EQ(rb.text(1, 4), QString());
      EXPECT_FALSE(rb.text(k.firstDataRow, 2).isEmpty());
    }
  }
}

TEST_F(ExcelExportTest, AnEmptyGridIsRefusedUnlessTheCheckIsSkipped) {
  SpreadGrid empty;
  empty.SetMaxCols(3);
  empty.SetMaxRows(5);
  empty.SetText(1, 0, "ID");

  EXPECT_EQ(ExportToExcelFile(empty), QString());
  EXPECT_EQ(prompt.MessageTexts(),
            QStringList{"엑셀로 보낼 데이터가 없습니다.\r\n자료 조회 후 엑셀로 보내세요."});
  EXPECT_TRUE(Written().isEmpty());

  prompt.Clear();
  const QString file =
      ExportToExcelFile(empty, "Sheet1", true, true, false, false, true, /*skipDataCheck*/ true);
  ASSERT_FALSE(file.isEmpty());
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(Read(file).text(1, 1), "ID");
}

TEST_F(ExcelExportTest, NoToTheQuestionWritesNothing) {
  prompt.AnswerNext(MsgResult::No);
  EXPECT_EQ(ExportToExcelFile(grid), QString());
  EXPECT_TRUE(Written().isEmpty());
  EXPECT_TRUE(opened.isEmpty());

  prompt.AnswerNext(MsgResult::Yes);
  EXPECT_FALSE(ExportToExcelFile(grid).isEmpty());
  EXPECT_EQ(Written().size(), 2);
}

TEST_F(ExcelExportTest, TwoExportsInOneSecondShareTheNameTheSecondWins) {
  const QString first = ExportToExcelFile(grid, "Sheet1", true, true, false, false);
  grid.SetText(2, 1, "두 번째");
  now = now.addMSecs(900);
  const QString second = ExportToExcelFile(grid, "Sheet1", true, true, false, false);
  EXPECT_EQ(second, first);
  EXPECT_EQ(Written(), (QStringList{"Exp241207_093015.xlsx", "Exp241207_093015LOG.TXT"}));
  EXPECT_EQ(Read(second).text(3, 2), "두 번째");

  now = now.addMSecs(100);
  const QString third = ExportToExcelFile(grid, "Sheet1", true, true, false, false);
  EXPECT_TRUE(third.endsWith("/Exp241207_093016.xlsx")) << third.toStdString();
}

TEST_F(ExcelExportTest, TheLogSitsNextToTheFile) {
  const QString file = ExportToExcelFile(grid, "Sheet1", true, true, false, false);
  QFile log(file.chopped(5) + "LOG.TXT");
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(log.readAll());
  EXPECT_TRUE(text.contains("File: " + file)) << text.toStdString();
  EXPECT_TRUE(text.contains("Result: OK"));
  EXPECT_TRUE(text.contains("hidden columns (written hidden): 1"));
}

TEST_F(ExcelExportTest, NamedFileAndFolderAreUsedAndTheFolderMade) {
  QTemporaryDir tmp;
  const QString folder = tmp.filePath("보고서/12월");
  const QString file =
      ExportToExcelFile(grid, "Sheet1", true, true, false, false, true, false, "고객목록", folder);
  EXPECT_EQ(file, QDir(folder).filePath("고객목록.xlsx"));
  EXPECT_TRUE(QFile::exists(QDir(folder).filePath("고객목록LOG.TXT")));
  EXPECT_EQ(Read(file).text(3, 1), "00123");
  EXPECT_TRUE(Written().isEmpty());
}

TEST_F(ExcelExportTest, SheetNameComesFromTheCallerExceptForTheWholeBook) {
  struct Case {
    const char* given;
    bool wholeBook;
    const char* written;
  };
  const Case cases[] = {{"Sheet1", false, "Sheet1"},
                        {"고객", false, "고객"},
                        {"고객", true, "Sheet1"},
                        {"", false, "Sheet1"}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.given);
    const QString file = ExportToExcelFile(grid, k.given, true, true, k.wholeBook, false);
    ASSERT_FALSE(file.isEmpty());
    EXPECT_EQ(Read(file).sheets, QStringList{k.written});
  }
}

TEST_F(ExcelExportTest, AFailedWriteSaysSoAndLeavesNoFile) {
  const QStringList before = Snapshot(grid);
  EXPECT_EQ(ExportToExcelFile(grid, "bad/name", true, true, false, true), QString());
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_EQ(prompt.Messages()[0].text, "엑셀로 내보내기에 실패했습니다.");
  EXPECT_EQ(prompt.Messages()[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(Written(), QStringList{"Exp241207_093015LOG.TXT"});
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_EQ(Snapshot(grid), before);
}

}  // namespace
