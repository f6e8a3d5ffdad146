#pragma once
// What the print tests share: a spooler that writes every job to a PDF file and remembers it,
// pdftotext / pdfinfo over those files, and report-like grids.

#include "grid/SpreadGrid.h"
#include "print/PrintSpooler.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

struct SentJob {
  QString printer, docName, file;
  int from = 0, to = 0;
};

class PdfSpooler final : public print::Spooler {
 public:
  PdfSpooler() { print::SetSpooler(this); }
  ~PdfSpooler() override { print::SetSpooler(nullptr); }
  QStringList PrinterNames() override {
    return {QStringLiteral("Office1"), QStringLiteral("Office2")};
  }
  QString DefaultPrinterName() override { return QStringLiteral("Office1"); }
  bool Send(print::SheetPrinter& sheet, const QString& printer, const QString& docName, int from,
            int to) override {
    SentJob job{printer, docName, m_dir.filePath(QStringLiteral("job%1.pdf").arg(jobs.size() + 1)),
                from, to};
    jobs.push_back(job);
    return print::SavePdf(sheet, job.file, docName, from, to);
  }
  QString Path(const QString& name) const { return m_dir.filePath(name); }

  std::vector<SentJob> jobs;

 private:
  QTemporaryDir m_dir;
};

inline QString RunTool(const QString& tool, const QStringList& args) {
  QProcess p;
  p.start(tool, args);
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

// Text of one page (0: every page), laid out as printed.
inline QString PdfText(const QString& file, int page = 0) {
  QStringList args{QStringLiteral("-layout")};
  if (page > 0)
    args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
         << QString::number(page);
  return RunTool(QStringLiteral("pdftotext"), args << file << QStringLiteral("-"));
}

// Lines of one page in the order they were drawn, without blank lines: pdftotext keeps a
// line's blanks as single spaces and adds one where texts on a baseline are far apart.
inline QStringList PdfRawLines(const QString& file, int page = 1) {
  const QString text =
      RunTool(QStringLiteral("pdftotext"),
              {QStringLiteral("-raw"), QStringLiteral("-f"), QString::number(page),
               QStringLiteral("-l"), QString::number(page), file, QStringLiteral("-")});
  QStringList lines;
  for (const QString& line : text.split(QLatin1Char('\n')))
    if (!line.trimmed().isEmpty()) lines << line;
  return lines;
}

// Without blanks and control characters: pdftotext drops or garbles the blank between a Latin
// and a Hangul font.
inline QString Squeezed(QString text) {
  text.removeIf([](QChar c) { return c.isSpace() || c.unicode() < 0x20; });
  return text;
}

inline int PdfPages(const QString& file) {
  const QString info = RunTool(QStringLiteral("pdfinfo"), {file});
  for (const QString& line : info.split(QLatin1Char('\n')))
    if (line.startsWith(QLatin1String("Pages:"))) return line.mid(6).trimmed().toInt();
  return -1;
}

// "Page size:" line of pdfinfo, e.g. "841.89 x 595.28 pts (A4)".
inline QString PdfPageSize(const QString& file) {
  const QString info = RunTool(QStringLiteral("pdfinfo"), {file});
  for (const QString& line : info.split(QLatin1Char('\n')))
    if (line.startsWith(QLatin1String("Page size:"))) return line.mid(10).trimmed();
  return QString();
}

// Left edge (points) of the first word equal to word on the page, or -1.
inline double WordLeft(const QString& file, int page, const QString& word) {
  const QString html =
      RunTool(QStringLiteral("pdftotext"),
              {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
               QStringLiteral("-l"), QString::number(page), file, QStringLiteral("-")});
  const QString needle = QLatin1Char('>') + word + QStringLiteral("</word>");
  const qsizetype at = html.indexOf(needle);
  if (at < 0) return -1;
  const qsizetype x = html.lastIndexOf(QStringLiteral("xMin=\""), at);
  return html.mid(x + 6, html.indexOf(QLatin1Char('"'), x + 6) - x - 6).toDouble();
}

// A report grid: cols columns, "R<row>C<col>" in every cell, "H<col>" in the header.
inline std::unique_ptr<SpreadGrid> MakeGrid(int rows, int cols, double colWidth = 10) {
  auto grid = std::make_unique<SpreadGrid>();
  grid->SetMaxCols(cols);
  grid->SetMaxRows(rows);
  for (int c = 1; c <= cols; ++c) {
    grid->SetColWidth(c, colWidth);
    grid->SetText(c, 0, QStringLiteral("H%1").arg(c));
    for (int r = 1; r <= rows; ++r) grid->SetText(c, r, QStringLiteral("R%1C%2").arg(r).arg(c));
  }
  return grid;
}
