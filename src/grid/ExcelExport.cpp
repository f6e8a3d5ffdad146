#include "grid/ExcelExport.h"

#include "controls/WaitCursor.h"
#include "grid/SpreadGrid.h"
#include "grid/SpreadGridPrivate.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Numbers.h"
#include "platform/Process.h"
#include "platform/Prompt.h"

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <exception>
#include <vector>

namespace {

constexpr int kMaxCellText = 32767;  // the most one spreadsheet cell holds
constexpr int kMaxDecimals = 15;

// What goes into the file around the grid's own rows.
struct Layout {
  bool titleRow = false;
  QString title;
  int headerRows = 0;
};

struct Outcome {
  bool ok = false;
  QString error;
  int rowsWritten = 0;
  int hiddenCols = 0;
};

// One workbook in constant-memory mode: rows go straight to a temporary file, in order, so a
// 100,000-row grid costs no more memory than one row.
class Workbook {
 public:
  explicit Workbook(const QString& file) : m_path(QFile::encodeName(file)) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    m_wb = workbook_new_opt(m_path.constData(), &options);
  }
  ~Workbook() {
    if (m_wb) lxw_workbook_free(m_wb);
  }
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;

  lxw_workbook* get() const { return m_wb; }

  lxw_error Close() {
    const lxw_error err = workbook_close(m_wb);
    m_wb = nullptr;
    return err;
  }

  lxw_format* Centred(bool bold) {
    lxw_format* f = workbook_add_format(m_wb);
    if (bold) format_set_bold(f);
    format_set_align(f, LXW_ALIGN_CENTER);
    format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    return f;
  }

  // "#,##0.00" and the like, one format per decimals/separator pair.
  lxw_format* Number(int decimals, bool separator) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    lxw_format*& f = m_numbers[size_t(decimals * 2 + (separator ? 1 : 0))];
    if (!f) {
      QByteArray pattern = separator ? "#,##0" : "0";
      if (decimals > 0) pattern += '.' + QByteArray(decimals, '0');
      f = workbook_add_format(m_wb);
      format_set_num_format(f, pattern.constData());
    }
    return f;
  }

 private:
  QByteArray m_path;
  lxw_workbook* m_wb = nullptr;
  std::array<lxw_format*, (kMaxDecimals + 1) * 2> m_numbers{};
};

class SheetWriter {
 public:
  SheetWriter(const SpreadGrid& grid, Workbook& book, lxw_worksheet* sheet)
      : m_grid(grid), m_book(book), m_sheet(sheet) {}

  void Text(lxw_row_t row, lxw_col_t col, const QString& text, lxw_format* format = nullptr) {
    if (text.isEmpty()) return;
    const QByteArray utf8 = (text.size() > kMaxCellText ? text.left(kMaxCellText) : text).toUtf8();
    Note(worksheet_write_string(m_sheet, row, col, utf8.constData(), format));
  }

  void Number(lxw_row_t row, lxw_col_t col, double value, lxw_format* format) {
    Note(worksheet_write_number(m_sheet, row, col, value, format));
  }

  // One grid cell. Numbers stay numbers; a text column's digits ("0101234567", an ID) stay text.
  void Cell(lxw_row_t row, int c, int r, bool numberColumn) {
    const lxw_col_t col = lxw_col_t(c - 1);
    if (m_grid.CellType(c, r) == spread::CellTypeNumber) {
      const QString value = m_grid.Value(c, r);
      if (value.isEmpty()) return;
      Number(row, col, ToDouble(value), NumberFormatOf(c, r));
      return;
    }
    const QString text = m_grid.GetText(c, r);
    if (text.isEmpty()) return;
    double v = 0;
    // A number column's own cells set to text (a subtotal row) still hold its numbers.
    if (numberColumn && numbers::GroupedNumber(text, v)) {
      Number(row, col, v, NumberFormatOf(c, r));
    } else if (!m_grid.Formula(c, r).isEmpty()) {
      Number(row, col, ToDouble(text), nullptr);
    } else {
      Text(row, col, text);
    }
  }

  void HideRow(lxw_row_t row) {
    lxw_row_col_options hidden{};
    hidden.hidden = LXW_TRUE;
    Note(worksheet_set_row_opt(m_sheet, row, LXW_DEF_ROW_HEIGHT, nullptr, &hidden));
  }

  // The first failure of any call, as the library words it.
  lxw_error Error() const { return m_error; }

 private:
  static double ToDouble(const QString& plain) {
    double v = 0;
    if (numbers::PlainNumber(plain, 10, v)) return v;
    return plain.toDouble();
  }

  lxw_format* NumberFormatOf(int c, int r) {
    return m_book.Number(m_grid.TypeNumberDecPlaces(c, r), m_grid.TypeNumberShowSep(c, r));
  }

  void Note(lxw_error err) {
    if (err != LXW_NO_ERROR && m_error == LXW_NO_ERROR) m_error = err;
  }

  const SpreadGrid& m_grid;
  Workbook& m_book;
  lxw_worksheet* m_sheet;
  lxw_error m_error = LXW_NO_ERROR;
};

Outcome WriteFile(const SpreadGrid& grid, const QString& file, const QString& sheetName,
                  const Layout& layout) {
  Outcome out;
  Workbook book(file);
  if (!book.get()) {
    out.error = QStringLiteral("the workbook could not be created");
    return out;
  }
  const QByteArray name = sheetName.toUtf8();
  lxw_worksheet* sheet = workbook_add_worksheet(book.get(), name.isEmpty() ? nullptr : name.data());
  if (!sheet) {
    out.error = QStringLiteral("invalid sheet name \"%1\"").arg(sheetName);
    return out;
  }

  const int maxCols = grid.MaxCols(), maxRows = grid.MaxRows();
  const int fileRows = int(layout.titleRow) + layout.headerRows + maxRows;
  if (fileRows > LXW_ROW_MAX || maxCols > LXW_COL_MAX) {
    out.error =
        QStringLiteral("%1 rows x %2 columns do not fit into one sheet").arg(fileRows).arg(maxCols);
    return out;
  }

  std::vector<bool> numberColumn(size_t(maxCols) + 1, false);
  for (int c = 1; c <= maxCols; ++c) {
    numberColumn[size_t(c)] = grid.CellType(c, -1) == spread::CellTypeNumber;
    lxw_row_col_options options{};
    options.hidden = grid.ColHidden(c) ? LXW_TRUE : LXW_FALSE;
    if (options.hidden) ++out.hiddenCols;
    worksheet_set_column_opt(sheet, lxw_col_t(c - 1), lxw_col_t(c - 1), grid.ColWidth(c), nullptr,
                             &options);
  }

  SheetWriter writer(grid, book, sheet);
  lxw_row_t row = 0;
  if (layout.titleRow) {
    writer.Text(row, 1, layout.title, book.Centred(true));
    ++row;
  }
  if (layout.headerRows > 0) {
    lxw_format* header = book.Centred(true);
    for (int k = 1; k <= layout.headerRows; ++k, ++row)
      for (int c = 1; c <= maxCols; ++c)
        writer.Text(row, lxw_col_t(c - 1), grid.GetText(c, spread::ColHeaderRow(k)), header);
  }
  for (int r = 1; r <= maxRows; ++r, ++row) {
    if (grid.RowHidden(r)) writer.HideRow(row);
    for (int c = 1; c <= maxCols; ++c) writer.Cell(row, c, r, numberColumn[size_t(c)]);
  }
  out.rowsWritten = int(row);

  const lxw_error written = writer.Error();
  const lxw_error closed = book.Close();
  const lxw_error err = written != LXW_NO_ERROR ? written : closed;
  if (err != LXW_NO_ERROR) {
    out.error = QString::fromUtf8(lxw_strerror(err));
    return out;
  }
  out.ok = true;
  return out;
}

// The log next to the file: when, what, how it went. Each export writes its own.
void WriteLog(const QString& logFile, const QString& file, const QString& sheetName,
              const SpreadGrid& grid, const Layout& layout, const Outcome& out,
              const QDateTime& started) {
  QFile f(logFile);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  QStringList lines;
  lines << QStringLiteral("Export %1").arg(started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
        << QStringLiteral("File: %1").arg(file) << QStringLiteral("Sheet: %1").arg(sheetName)
        << QStringLiteral("Grid: %1 rows x %2 columns, %3 column-header rows copied, title row %4")
               .arg(grid.MaxRows())
               .arg(grid.MaxCols())
               .arg(layout.headerRows)
               .arg(layout.titleRow ? QStringLiteral("yes") : QStringLiteral("no"))
        << QStringLiteral("Rows written: %1, hidden columns (written hidden): %2")
               .arg(out.rowsWritten)
               .arg(out.hiddenCols)
        << (out.ok ? QStringLiteral("Result: OK")
                   : QStringLiteral("Result: failed (%1)").arg(out.error));
  f.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

}  // namespace

QString ExportNoDataText() {
  return QStringLiteral("엑셀로 보낼 데이터가 없습니다.\r\n자료 조회 후 엑셀로 보내세요.");
}
QString ExportQuestionText() { return QStringLiteral("엑셀로 자료를 내보내기 하시겠습니까?"); }
QString ExportFailedText() { return QStringLiteral("엑셀로 내보내기에 실패했습니다."); }

QString ExportToExcelFile(SpreadGrid& grid, const QString& sheetName, bool /*ignored*/,
                          bool noConfirm, bool wholeBook, bool openAfterwards, bool copyHeaders,
                          bool skipDataCheck, const QString& fileName, const QString& folder,
                          bool titleRow, const QString& fromDate, const QString& toDate,
                          bool /*checkRight: no right is recorded anywhere; always allowed*/) {
  if (!skipDataCheck && grid.DataRowCnt() == 0) {
    MsgInfo(ExportNoDataText());
    return QString();
  }
  if (!noConfirm && !MsgYesNo(ExportQuestionText(), QString(), true)) return QString();

  QString result;
  try {
    const QString dir =
        folder.isEmpty() ? QDir(paths::DataFolder()).filePath(QStringLiteral("ExpExcel")) : folder;
    QDir().mkpath(dir);
    const QDateTime now = clock_::LocalNow();
    const QString base =
        QFileInfo(QDir(dir).filePath(fileName.isEmpty()
                                         ? QStringLiteral("Exp") +
                                               now.toString(QStringLiteral("yyMMdd_HHmmss"))
                                         : fileName))
            .absoluteFilePath();
    const QString file = base + QStringLiteral(".xlsx");

    Layout layout;
    layout.headerRows = copyHeaders ? grid.ColHeaderRows() : 0;
    layout.titleRow = titleRow;
    layout.title = QStringLiteral("일자:") + fromDate + QStringLiteral("~") + toDate;
    // The grid has one sheet; the whole book is that sheet under its own name.
    const QString sheet = wholeBook ? QStringLiteral("Sheet1") : sheetName;

    Outcome out;
    {
      WaitCursor wait;
      out = WriteFile(grid, file, sheet, layout);
      WriteLog(base + QStringLiteral("LOG.TXT"), file, sheet, grid, layout, out, now);
    }
    if (out.ok) {
      result = file;
      if (openAfterwards) process::OpenWithDefaultApp(file);
    } else {
      QFile::remove(file);  // half a file is no file
      MsgBox(ExportFailedText(), MsgButtons::Ok, MsgIcon::Exclamation);
    }
  } catch (const std::exception& e) {
    MsgError(0, QString::fromLocal8Bit(e.what()), QStringLiteral("ExportToExcelFile"),
             QStringLiteral("modExcel"));
  }
  return result;
}
