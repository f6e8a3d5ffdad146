// Printing a report grid to PDF: pages per second of the print engine against the floor, a bare
// QPdfWriter + QPainter loop that draws the same cell texts at the same places on the same pages
// and nothing else, and, for the record, against QTextDocument printing the same table.
//
//   bench_print_bench [rows]      (QT_QPA_PLATFORM=offscreen when there is no display)
#include "grid/SpreadGrid.h"
#include "print/SheetPrinter.h"
#include "print/cFpPreview.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kCols = 12;
constexpr int kRuns = 7;  // best of: other work on the machine only ever adds time

QString CellText(int r, int c) {
  switch (c) {
    case 1:
      return QStringLiteral("user%1").arg(r);
    case 2:
      return QString::fromUtf16(u"(주)코르반 상사 %1").arg(r % 997);
    case 3:
      return QStringLiteral("010-%1-%2")
          .arg(r % 9000 + 1000)
          .arg(r % 10000, 4, 10, QLatin1Char('0'));
    case 4:
    case 5:
    case 6:
    case 7:
      return QString::number((r * 7919LL * c) % 10000000);
    default:
      return QString::fromUtf16(u"메모 %1").arg(r);
  }
}

print::PageSetup LedgerSetup() {
  print::PageSetup s;
  s.orientation = print::OrientLandscape;
  s.marginLeft = 0.3;
  s.marginRight = 0.2;
  s.header = cFpPreview::BuildHeader(16, QStringLiteral("문자사용내역"), QStringLiteral("Corvane"),
                                     QStringLiteral("2024-05-01 ~ 2024-05-31"));
  s.footer = cFpPreview::BuildFooter(16, QString(), true, true, true, QDateTime::currentDateTime());
  return s;
}

struct Placed {
  QPointF at;  // device pixels
  QString text;
};

double Best(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;

  SpreadGrid grid;
  grid.SetMaxCols(kCols);
  grid.SetMaxRows(rows);
  for (int c = 1; c <= kCols; ++c) {
    grid.SetColWidth(c, c == 2 ? 18 : 11);
    grid.SetText(c, 0, QStringLiteral("열%1").arg(c));
    for (int r = 1; r <= rows; ++r) grid.SetText(c, r, CellText(r, c));
  }
  const print::PageSetup setup = LedgerSetup();

  // The engine: layout, header and footer, headers, lines, colours, cell fonts and alignment.
  std::vector<double> engineMs;
  int pages = 0;
  qint64 engineBytes = 0;
  for (int run = 0; run < kRuns; ++run) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QElapsedTimer t;
    t.start();
    QPdfWriter pdf(&out);
    print::SheetPrinter sheet(grid, setup);
    sheet.Print(pdf);
    engineMs.push_back(double(t.nsecsElapsed()) / 1e6);
    pages = sheet.PageCount();
    engineBytes = out.size();
  }

  // The floor: the same texts at the same baselines, placed before the clock starts.
  std::vector<std::vector<Placed>> placed;
  QFont cellFont;
  {
    QBuffer scratch;
    scratch.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&scratch);
    print::SheetPrinter sheet(grid, setup);
    pdf.setPageLayout(sheet.Layout());
    sheet.Paginate(pdf, pdf.pageLayout());
    const double u = pdf.logicalDpiY() / 72.0;
    cellFont = QFont(grid.font().family());
    cellFont.setPointSizeF(grid.font().pointSizeF() > 0 ? grid.font().pointSizeF() : 9);
    const QFontMetricsF fm(cellFont, &pdf);
    for (int page = 1; page <= sheet.PageCount(); ++page) {
      std::vector<Placed> list;
      sheet.ForEachCell(page, [&](int col, int row, const QRectF& r) {
        const double y = r.top() * u + (r.height() * u + fm.ascent() - fm.descent()) / 2;
        list.push_back({QPointF(r.left() * u + 2 * u, y), grid.GetText(col, row)});
      });
      placed.push_back(std::move(list));
    }
  }
  std::vector<double> floorMs;
  qint64 floorBytes = 0;
  for (int run = 0; run < kRuns; ++run) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QElapsedTimer t;
    t.start();
    QPdfWriter pdf(&out);
    pdf.setPageLayout(print::SheetPrinter(grid, setup).Layout());
    QPainter p(&pdf);
    p.setFont(cellFont);
    for (size_t page = 0; page < placed.size(); ++page) {
      if (page > 0) pdf.newPage();
      for (const Placed& c : placed[page]) p.drawText(c.at, c.text);
    }
    p.end();
    floorMs.push_back(double(t.nsecsElapsed()) / 1e6);
    floorBytes = out.size();
  }

  // For the record: the same table as HTML, printed by QTextDocument (one run: it is slow).
  QString html = QStringLiteral("<table border=1 cellspacing=0><tr>");
  for (int c = 1; c <= kCols; ++c) html += QStringLiteral("<th>열%1</th>").arg(c);
  html += QStringLiteral("</tr>");
  for (int r = 1; r <= rows; ++r) {
    html += QStringLiteral("<tr>");
    for (int c = 1; c <= kCols; ++c)
      html += QStringLiteral("<td>") + grid.GetText(c, r) + QStringLiteral("</td>");
    html += QStringLiteral("</tr>");
  }
  html += QStringLiteral("</table>");
  QElapsedTimer t;
  t.start();
  QBuffer docOut;
  docOut.open(QIODevice::WriteOnly);
  QPdfWriter docPdf(&docOut);
  docPdf.setPageLayout(print::SheetPrinter(grid, setup).Layout());
  QTextDocument doc;
  doc.setHtml(html);
  const double setHtmlMs = double(t.nsecsElapsed()) / 1e6;
  doc.print(&docPdf);
  const double docMs = double(t.nsecsElapsed()) / 1e6;

  const double e = Best(engineMs), f = Best(floorMs);
  std::printf("print to PDF: %d rows x %d columns, %d pages (best of %d)\n", rows, kCols, pages,
              kRuns);
  std::printf("  engine          %9.1f ms  %7.1f pages/s  %8lld bytes\n", e, pages / (e / 1000),
              static_cast<long long>(engineBytes));
  std::printf("  floor           %9.1f ms  %7.1f pages/s  %8lld bytes\n", f, pages / (f / 1000),
              static_cast<long long>(floorBytes));
  std::printf("  engine / floor  %9.2fx  (goal <= 1.5x)\n", e / f);
  std::printf("  QTextDocument   %9.1f ms  (setHtml %.1f ms), %8lld bytes: %.2fx the engine\n",
              docMs, setHtmlMs, static_cast<long long>(docOut.size()), docMs / e);
  return 0;
}
