#pragma once
// The one renderer of printed grids: lays a grid out on pages (with the header and footer of the
// page setup) and draws them on any paged device, the preview's, a printer or a PDF writer.
//
// Pages run down, then across: when the columns do not fit the width, every row band of the
// first columns comes first, then every row band of the next columns, and so on. The row
// headers and the column headers repeat on every page. A single column (or row) larger than a
// page shrinks the whole sheet until it fits, so no cell is cut off at a page edge.

#include "print/HeaderFooterCode.h"
#include "print/PrintSetup.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>

#include <functional>
#include <map>
#include <utility>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPaintDevice;
class SpreadGrid;

namespace print {

class SheetPrinter {
 public:
  SheetPrinter(const SpreadGrid& grid, const PageSetup& setup);

  // A4 with the setup's orientation and margins.
  QPageLayout Layout() const;
  // Lays out for the device's page layout; Print does it itself.
  void Paginate(const QPaintDevice& device, const QPageLayout& layout);
  int PageCount() const { return int(m_rowBands.size() * m_colBands.size()); }
  // Page's first grid row and column (for tests and the "current page" range).
  std::pair<int, int> PageOrigin(int page) const;

  // Each cell of the page with its rectangle in points from the paint rectangle's origin.
  void ForEachCell(int page,
                   const std::function<void(int col, int row, const QRectF&)>& visit) const;

  // Prints pages from..to (clamped to the document) on the device; false when nothing could be
  // drawn. Page numbers in the header and footer stay those of the whole document.
  bool Print(QPagedPaintDevice& device, int from = 1, int to = -1);

 private:
  struct Band {
    int first = 0, last = 0;  // indexes into m_rows / m_cols
  };
  void PaintPage(QPainter& p, int page) const;
  void PaintHeaderFooter(QPainter& p, const hf::Document& doc, double top, int page) const;
  double DocHeight(const hf::Document& doc) const;
  double LineHeight(const hf::Line& line) const;
  const QFont& RunFont(const hf::Font& f) const;
  const QFont& CellFont(double points, bool bold) const;
  struct Metrics {
    QFontMetricsF fm;
    double ascent = 0, descent = 0;
    std::vector<float> advance;                        // per UTF-16 unit, < 0 until measured
    QHash<QString, double> widths;                     // shaped widths of texts seen before
    std::map<double, QHash<QString, QString>> fitted;  // by room: text as drawn
  };
  Metrics& MetricsOf(const QFont& font) const;
  // Never less than the shaped width; infinite when a character defies a cheap bound.
  static double Bound(Metrics& m, const QString& text);
  static double Width(Metrics& m, const QString& text);
  // The text, or its elided form when it is wider than room.
  static QString Fit(Metrics& m, const QString& text, double room);
  QColor Ink(long ole, QColor fallback) const;
  // drawText with the baseline at pos; on a PDF with the blanks left unpainted (see the .cpp).
  void DrawWords(QPainter& p, const QPointF& pos, const QString& text, const QFont& font) const;

  const SpreadGrid& m_grid;
  PageSetup m_setup;
  hf::Document m_header, m_footer;
  std::vector<int> m_rows, m_cols;
  std::vector<double> m_rowY, m_colX;  // sheet pixels from the first row / column
  std::vector<Band> m_rowBands, m_colBands;
  std::vector<int> m_headRows;         // column-header rows printed
  double m_headH = 0, m_rowHeadW = 0;  // sheet pixels
  double m_scale = 0.75;               // sheet pixels to points
  QSizeF m_area;                       // paint rectangle, points
  double m_headerH = 0, m_footerH = 0;
  double m_unit = 1;  // device pixels per point
  const QPaintDevice* m_device = nullptr;
  bool m_wordByWord = false;  // Print's device is a PDF
  mutable std::map<QString, QFont> m_fonts;
  mutable std::map<std::pair<int, bool>, QFont> m_cellFonts;
  mutable std::map<const QFont*, Metrics> m_metrics;
  mutable std::map<const hf::Line*, double> m_lineH;  // points
};

}  // namespace print
