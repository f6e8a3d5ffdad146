// Exporting a list grid to a spreadsheet file against writing the same cells with the bare
// library calls.
//
//   bench_export_bench [rows]      (QT_QPA_PLATFORM=offscreen when there is no display)
//
// Ours: ExportToExcelFile on a filled 12-column grid (two header rows, number columns, one
// hidden column), no question, nothing opened. Baseline: the same cells, already in memory as
// UTF-8 texts and doubles with their formats, written by libxlsxwriter directly in the same
// constant-memory mode, with the same column options and header formats. Both write a real file
// to the same temporary folder; the medians of three runs each are compared.
#include "grid/ExcelExport.h"
#include "grid/SpreadGrid.h"
#include "platform/Prompt.h"

#include <xlsxwriter.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kCols = 12;
constexpr int kHiddenCol = 12;
// Counts and money with separators, a rate with two decimals.
bool IsNumberCol(int c) { return (c >= 4 && c <= 7) || c == 9; }
int DecimalsOf(int c) { return c == 9 ? 2 : 0; }

QString CellText(int r, int c) {
  switch (c) {
    case 1:
      return QStringLiteral("user%1").arg(r);
    case 2:
      return QString::fromUtf16(u"(주)코르반 상사 %1").arg(r % 997);
    case 3:
      return QStringLiteral("010-%1-%2").arg(r % 9000 + 1000).arg(r % 10000, 4, 10, QChar('0'));
    case 8:
      return QStringLiteral("2024-%1-%2 10:%3:00")
          .arg(r % 12 + 1, 2, 10, QChar('0'))
          .arg(r % 28 + 1, 2, 10, QChar('0'))
          .arg(r % 60, 2, 10, QChar('0'));
    case 9:
      return QString::number(double((r * 37) % 10000) / 100.0, 'f', 2);
    case 10:
      return r % 5 ? QStringLiteral("발송완료") : QStringLiteral("실패");
    case 11:
      return QStringLiteral("%1").arg(r * 13 % 1000000, 7, 10, QChar('0'));  // an ID with zeros
    case 12:
      return QStringLiteral("memo %1").arg(r);
    default:
      return QString::number((r * 7919LL * c) % 10000000 - 2000000);
  }
}

void Fill(SpreadGrid& g, int rows) {
  g.SetReDraw(false);
  g.SetMaxCols(kCols);
  g.SetColHeaderRows(2);
  for (int c = 1; c <= kCols; ++c) {
    g.SetText(c, 0, QStringLiteral("구분 %1").arg(c));
    g.SetText(c, spread::ColHeaderRow(2), QStringLiteral("항목 %1").arg(c));
    if (IsNumberCol(c)) {
      g.SetCellType(c, -1, spread::CellTypeNumber);
      g.SetTypeNumberDecPlaces(c, -1, DecimalsOf(c));
      g.SetTypeNumberShowSep(c, -1, true);
    }
  }
  g.SetColHidden(kHiddenCol, true);
  g.SetMaxRows(rows);
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= kCols; ++c) g.SetText(c, r, CellText(r, c));
  g.SetReDraw(true);
}

// The baseline's input: what a program holding the data itself would hand the library.
struct PlainCell {
  bool number = false;
  double value = 0;
  std::string text;
};

std::vector<PlainCell> PlainData(int rows) {
  std::vector<PlainCell> cells;
  cells.reserve(size_t(rows) * kCols);
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= kCols; ++c) {
      const QString t = CellText(r, c);
      if (IsNumberCol(c))
        cells.push_back({true, t.toDouble(), {}});
      else
        cells.push_back({false, 0, t.toStdString()});
    }
  return cells;
}

double Baseline(const QString& file, int rows, const std::vector<PlainCell>& cells) {
  QElapsedTimer t;
  t.start();
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  const QByteArray path = QFile::encodeName(file);
  lxw_workbook* wb = workbook_new_opt(path.constData(), &options);
  lxw_worksheet* ws = workbook_add_worksheet(wb, "Sheet1");
  lxw_format* header = workbook_add_format(wb);
  format_set_bold(header);
  format_set_align(header, LXW_ALIGN_CENTER);
  format_set_align(header, LXW_ALIGN_VERTICAL_CENTER);
  lxw_format* whole = workbook_add_format(wb);
  format_set_num_format(whole, "#,##0");
  lxw_format* twoPlaces = workbook_add_format(wb);
  format_set_num_format(twoPlaces, "#,##0.00");
  for (int c = 1; c <= kCols; ++c) {
    lxw_row_col_options o{};
    o.hidden = c == kHiddenCol;
    worksheet_set_column_opt(ws, lxw_col_t(c - 1), lxw_col_t(c - 1), 8.43, nullptr, &o);
  }
  const std::string top = QStringLiteral("구분 ").toStdString(),
                    second = QStringLiteral("항목 ").toStdString();
  for (int c = 1; c <= kCols; ++c) {
    worksheet_write_string(ws, 0, lxw_col_t(c - 1), (top + std::to_string(c)).c_str(), header);
    worksheet_write_string(ws, 1, lxw_col_t(c - 1), (second + std::to_string(c)).c_str(), header);
  }
  size_t i = 0;
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= kCols; ++c, ++i) {
      const PlainCell& cell = cells[i];
      const lxw_row_t row = lxw_row_t(r + 1);
      if (cell.number)
        worksheet_write_number(ws, row, lxw_col_t(c - 1), cell.value,
                               DecimalsOf(c) ? twoPlaces : whole);
      else
        worksheet_write_string(ws, row, lxw_col_t(c - 1), cell.text.c_str(), nullptr);
    }
  if (workbook_close(wb) != LXW_NO_ERROR) {
    std::fprintf(stderr, "baseline: the workbook could not be written\n");
    std::exit(1);
  }
  return double(t.nsecsElapsed()) / 1e6;
}

double Ours(SpreadGrid& grid, const QString& folder) {
  QElapsedTimer t;
  t.start();
  const QString file = ExportToExcelFile(grid, QStringLiteral("Sheet1"), true, true, false, false,
                                         true, false, QStringLiteral("ours"), folder);
  if (file.isEmpty()) {
    std::fprintf(stderr, "ours: the export failed\n");
    std::exit(1);
  }
  return double(t.nsecsElapsed()) / 1e6;
}

// No box may wait for a click here: a failure is printed instead.
class PrintingPrompt final : public PromptHandler {
 public:
  MsgResult MessageBox(const QString& text, const QString&, MsgButtons, MsgIcon,
                       MsgResult) override {
    std::fprintf(stderr, "box: %s\n", text.toLocal8Bit().constData());
    return MsgResult::No;
  }
  QString InputBox(const QString&, const QString&, const QString&) override { return {}; }
  void ShowHoverlet(const QString&, int) override {}
  int ShowModal(QDialog&) override { return 0; }
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  PrintingPrompt prompt;
  SetPromptHandler(&prompt);
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;

  QTemporaryDir dir;
  SpreadGrid grid;
  Fill(grid, rows);
  const std::vector<PlainCell> plain = PlainData(rows);
  std::printf("spreadsheet export: %d rows x %d columns (+2 header rows)\n", rows, kCols);

  // Taken in turns, so that a busy moment on a shared machine slows both alike.
  constexpr int kRuns = 3;
  std::vector<double> ours, baseline;
  for (int run = 0; run < kRuns; ++run) {
    ours.push_back(Ours(grid, dir.path()));
    baseline.push_back(Baseline(dir.filePath(QStringLiteral("baseline.xlsx")), rows, plain));
  }
  const double oursMs = Median(ours), baseMs = Median(baseline);
  std::printf("  ExportToExcelFile (grid -> .xlsx):           %9.1f ms (median of %d)\n", oursMs,
              kRuns);
  std::printf("  libxlsxwriter directly (same cells, formats): %9.1f ms (median of %d)\n", baseMs,
              kRuns);
  std::printf("  file sizes: ours %lld bytes, baseline %lld bytes\n",
              QFileInfo(dir.filePath(QStringLiteral("ours.xlsx"))).size(),
              QFileInfo(dir.filePath(QStringLiteral("baseline.xlsx"))).size());
  std::printf("  ratio ours / baseline: %.2fx (goal <= 1.5x)\n", oursMs / baseMs);
  SetPromptHandler(nullptr);
  return 0;
}
