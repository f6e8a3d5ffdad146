#include "print/SheetPrinter.h"

#include "grid/SpreadGrid.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace print {

namespace {
constexpr double kScreenPxToPt = 72.0 / 96.0;  // the grid measures itself at 96 dpi
constexpr double kCellPad = 2.0;               // points between a cell's edge and its text
const QColor kDefaultShadow(0xE4, 0xE4, 0xE4);
constexpr qsizetype kTextCacheSize = 1 << 16;  // entries per font, so memory stays bounded

// Greedy bands over sizes; every band holds at least one item.
template <typename Band>
std::vector<Band> MakeBands(const std::vector<double>& edges, double room) {
  std::vector<Band> bands;
  const int n = int(edges.size()) - 1;
  int first = 0;
  while (first < n) {
    int last = first;
    while (last + 1 < n && edges[size_t(last + 2)] - edges[size_t(first)] <= room + 1e-6) ++last;
    bands.push_back({first, last});
    first = last + 1;
  }
  if (bands.empty()) bands.push_back({0, -1});
  return bands;
}
bool HasBlank(const QString& text) {
  return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}
// A PDF file, whose text layer is read back. Not the preview: its printer may be set to PDF
// while the pages go to the preview's own engine.
bool WritesPdf(QPagedPaintDevice& device) {
  if (dynamic_cast<QPdfWriter*>(&device)) return true;
  auto* printer = dynamic_cast<QPrinter*>(&device);
  return printer && printer->outputFormat() == QPrinter::PdfFormat && printer->paintEngine() &&
         printer->paintEngine()->type() == QPaintEngine::Pdf;
}
}  // namespace

SheetPrinter::SheetPrinter(const SpreadGrid& grid, const PageSetup& setup)
    : m_grid(grid), m_setup(setup) {
  m_header = hf::Parse(setup.header).doc;
  m_footer = hf::Parse(setup.footer).doc;
}

QPageLayout SheetPrinter::Layout() const {
  const PageSetup& s = m_setup;
  return QPageLayout(
      QPageSize(QPageSize::A4),
      s.orientation == OrientLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
      QMarginsF(s.marginLeft, s.marginTop, s.marginRight, s.marginBottom), QPageLayout::Inch);
}

void SheetPrinter::Paginate(const QPaintDevice& device, const QPageLayout& layout) {
  m_device = &device;
  m_unit = device.logicalDpiY() / 72.0;
  m_fonts.clear();
  m_cellFonts.clear();
  m_metrics.clear();
  m_lineH.clear();
  m_area = layout.paintRect(QPageLayout::Point).size();
  m_headerH = DocHeight(m_header);
  m_footerH = DocHeight(m_footer);

  const auto& opt = m_setup.options;
  int lastRow = opt[OptDataOnly] ? m_grid.DataRowCnt() : m_grid.MaxRows();
  int lastCol = opt[OptDataOnly] ? m_grid.DataColCnt() : m_grid.MaxCols();
  int firstRow = 1, firstCol = 1;
  if (m_setup.range == Range::Selection && m_setup.block.isValid()) {
    firstCol = std::max(1, m_setup.block.left());
    firstRow = std::max(1, m_setup.block.top());
    lastCol = std::min(lastCol, m_setup.block.right());
    lastRow = std::min(lastRow, m_setup.block.bottom());
  }
  m_rows.clear();
  m_cols.clear();
  m_rowY.assign(1, 0.0);
  m_colX.assign(1, 0.0);
  double maxRowH = 0, maxColW = 0;
  for (int r = firstRow; r <= lastRow; ++r) {
    if (m_grid.RowHidden(r)) continue;
    const double h = m_grid.RowHeightPixels(r);
    if (h <= 0) continue;
    m_rows.push_back(r);
    m_rowY.push_back(m_rowY.back() + h);
    maxRowH = std::max(maxRowH, h);
  }
  for (int c = firstCol; c <= lastCol; ++c) {
    if (m_grid.ColHidden(c)) continue;
    const double w = m_grid.ColWidthPixels(c);
    if (w <= 0) continue;
    m_cols.push_back(c);
    m_colX.push_back(m_colX.back() + w);
    maxColW = std::max(maxColW, w);
  }
  m_headRows.clear();
  m_headH = 0;
  if (opt[OptColHeaders]) {
    for (int k = 1; k <= std::max(1, m_grid.ColHeaderRows()); ++k) {
      m_headRows.push_back(spread::ColHeaderRow(k));
      m_headH += m_grid.RowHeightPixels(spread::ColHeaderRow(k));
    }
  }
  m_rowHeadW = opt[OptRowHeaders] ? m_grid.ColWidthPixels(0) : 0;

  const double roomW = std::max(1.0, m_area.width());
  const double roomH = std::max(1.0, m_area.height() - m_headerH - m_footerH);
  m_scale = kScreenPxToPt;
  if (opt[OptFitToPage]) {
    m_scale = std::min({m_scale, roomW / std::max(1.0, m_rowHeadW + m_colX.back()),
                        roomH / std::max(1.0, m_headH + m_rowY.back())});
  } else {
    m_scale = std::min({m_scale, roomW / std::max(1.0, m_rowHeadW + maxColW),
                        roomH / std::max(1.0, m_headH + maxRowH)});
  }
  m_colBands = MakeBands<Band>(m_colX, roomW / m_scale - m_rowHeadW);
  m_rowBands = MakeBands<Band>(m_rowY, roomH / m_scale - m_headH);
}

std::pair<int, int> SheetPrinter::PageOrigin(int page) const {
  if (page < 1 || page > PageCount() || m_rows.empty() || m_cols.empty()) return {0, 0};
  const size_t n = m_rowBands.size();
  const Band& rb = m_rowBands[size_t(page - 1) % n];
  const Band& cb = m_colBands[size_t(page - 1) / n];
  return {m_rows[size_t(rb.first)], m_cols[size_t(cb.first)]};
}

void SheetPrinter::ForEachCell(
    int page, const std::function<void(int col, int row, const QRectF&)>& visit) const {
  if (page < 1 || page > PageCount() || m_rows.empty() || m_cols.empty()) return;
  const size_t n = m_rowBands.size();
  const Band rb = m_rowBands[size_t(page - 1) % n];
  const Band cb = m_colBands[size_t(page - 1) / n];
  const double s = m_scale, x0 = m_rowHeadW * s, y0 = m_headerH + m_headH * s;
  const double bx = m_colX[size_t(cb.first)], by = m_rowY[size_t(rb.first)];
  for (int i = rb.first; i <= rb.last; ++i)
    for (int j = cb.first; j <= cb.last; ++j)
      visit(m_cols[size_t(j)], m_rows[size_t(i)],
            QRectF(x0 + (m_colX[size_t(j)] - bx) * s, y0 + (m_rowY[size_t(i)] - by) * s,
                   (m_colX[size_t(j) + 1] - m_colX[size_t(j)]) * s,
                   (m_rowY[size_t(i) + 1] - m_rowY[size_t(i)]) * s));
}

bool SheetPrinter::Print(QPagedPaintDevice& device, int from, int to) {
  const QPageLayout layout = Layout();
  if (!(device.pageLayout() == layout)) device.setPageLayout(layout);
  Paginate(device, device.pageLayout());
  m_wordByWord = WritesPdf(device);
  const int count = PageCount();
  from = std::max(1, from);
  to = to < 0 ? count : std::min(to, count);
  QPainter painter;
  if (!painter.begin(&device)) return false;
  for (int page = from; page <= to; ++page) {
    if (page > from) device.newPage();
    PaintPage(painter, page);
  }
  painter.end();
  return from <= to;
}

const QFont& SheetPrinter::RunFont(const hf::Font& f) const {
  const QString key = QStringLiteral("%1|%2|%3%4%5%6")
                          .arg(f.name)
                          .arg(f.size)
                          .arg(f.bold)
                          .arg(f.italic)
                          .arg(f.underline)
                          .arg(f.strike);
  auto it = m_fonts.find(key);
  if (it == m_fonts.end()) {
    QFont font(f.name);
    font.setPointSizeF(f.size);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strike);
    it = m_fonts.emplace(key, font).first;
  }
  return it->second;
}

const QFont& SheetPrinter::CellFont(double points, bool bold) const {
  // No size of its own: the grid's font.
  if (points <= 0) points = m_grid.font().pointSizeF() > 0 ? m_grid.font().pointSizeF() : 9;
  const std::pair<int, bool> key{int(std::lround(points * 100)), bold};
  auto it = m_cellFonts.find(key);
  if (it == m_cellFonts.end()) {
    QFont font(m_grid.font().family());
    // Type shrinks with the sheet when it is scaled down to fit.
    font.setPointSizeF(std::max(1.0, points * m_scale / kScreenPxToPt));
    font.setBold(bold);
    it = m_cellFonts.emplace(key, font).first;
  }
  return it->second;
}

SheetPrinter::Metrics& SheetPrinter::MetricsOf(const QFont& font) const {
  auto it = m_metrics.find(&font);
  if (it == m_metrics.end()) {
    const QFontMetricsF fm(font, m_device);
    it = m_metrics.emplace(&font, Metrics{fm, fm.ascent(), fm.descent(), {}, {}, {}}).first;
  }
  return it->second;
}

double SheetPrinter::Bound(Metrics& m, const QString& text) {
  constexpr float kUnknown = -1, kNoBound = std::numeric_limits<float>::infinity();
  if (m.advance.empty()) m.advance.assign(0x10000, kUnknown);
  double sum = 0;
  for (const QChar ch : text) {
    float& a = m.advance[ch.unicode()];
    if (a == kUnknown) {
      const char16_t u = ch.unicode();
      // Tabs, controls, marks and surrogate halves change width with their neighbours.
      a = u < 0x20 || (u >= 0x7F && u < 0xA0) || ch.isSurrogate() || ch.isMark()
              ? kNoBound
              : float(m.fm.horizontalAdvance(ch));
    }
    sum += a;
  }
  // Kerning may widen a pair a little; the margin covers it.
  return sum * 1.1 + 1;
}

double SheetPrinter::Width(Metrics& m, const QString& text) {
  auto it = m.widths.constFind(text);
  if (it != m.widths.cend()) return *it;
  if (m.widths.size() > kTextCacheSize) m.widths.clear();
  const double w = m.fm.horizontalAdvance(text);
  m.widths.insert(text, w);
  return w;
}

QString SheetPrinter::Fit(Metrics& m, const QString& text, double room) {
  // Elides nothing when the text fits, so it also measures.
  QHash<QString, QString>& seen = m.fitted[room];
  auto it = seen.constFind(text);
  if (it != seen.cend()) return *it;
  if (seen.size() > kTextCacheSize) seen.clear();
  const QString t = m.fm.elidedText(text, Qt::ElideRight, std::max(0.0, room));
  seen.insert(text, t);
  return t;
}

double SheetPrinter::LineHeight(const hf::Line& line) const {
  auto known = m_lineH.find(&line);
  if (known != m_lineH.end()) return known->second;
  double h = 0;
  for (const auto& part : line.parts)
    for (const hf::Run& run : part) h = std::max(h, MetricsOf(RunFont(run.font)).fm.lineSpacing());
  if (h <= 0) h = MetricsOf(RunFont(line.font)).fm.lineSpacing();
  return m_lineH[&line] = h / m_unit;
}

double SheetPrinter::DocHeight(const hf::Document& doc) const {
  double h = 0;
  for (const hf::Line& line : doc.lines) h += LineHeight(line);
  return h;
}

QColor SheetPrinter::Ink(long ole, QColor fallback) const {
  QColor c = ole < 0 ? fallback : OleToQColor(ole);
  if (!m_setup.options[OptColor]) {
    const int g = qGray(c.rgb());
    c = QColor(g, g, g);
  }
  return c;
}

// A PDF's text layer maps each embedded glyph back to the lowest code point the font gives it.
// Fonts share their blank glyph with control codes (the Nanum fonts with U+0001, most others
// with the TAB Qt stands a space in for), so painted blanks would read back as control
// characters. Readers of PDFs find blanks from the gaps between words anyway, so the words are
// painted where one shaping of the whole text puts them, and the blanks are not painted. Other
// devices have no text layer and get the text in one piece.
void SheetPrinter::DrawWords(QPainter& p, const QPointF& pos, const QString& text,
                             const QFont& font) const {
  if (!m_wordByWord || !HasBlank(text)) {
    p.drawText(pos, text);
    return;
  }
  QTextLayout layout(text, font, m_device);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  const QTextLine line = layout.createLine();
  layout.endLayout();
  if (!line.isValid()) return;
  const QPointF origin(pos.x(), pos.y() - line.ascent());
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n;) {
    while (i < n && text[i].isSpace()) ++i;
    qsizetype end = i;
    while (end < n && !text[end].isSpace()) ++end;
    if (end > i) {
      const QList<QGlyphRun> runs = layout.glyphRuns(int(i), int(end - i));
      if (runs.size() == 1) {
        QGlyphRun run = runs.front();
        // Drawn across the blanks below, not word by word.
        run.setUnderline(false);
        run.setStrikeOut(false);
        run.setOverline(false);
        p.drawGlyphRun(origin, run);
      } else if (!runs.isEmpty()) {
        // Runs come grouped by font, not in reading order; the word shaped alone keeps it.
        QFont plain = font;
        plain.setUnderline(false);
        plain.setStrikeOut(false);
        plain.setOverline(false);
        p.setFont(plain);
        p.drawText(QPointF(pos.x() + line.cursorToX(int(i)), pos.y()), text.mid(i, end - i));
        p.setFont(font);
      }
    }
    i = end;
  }
  if (font.underline() || font.strikeOut() || font.overline()) {
    const QFontMetricsF& fm = MetricsOf(font).fm;
    const double x2 = pos.x() + line.naturalTextWidth();
    const QPen pen = p.pen();
    p.setPen(QPen(pen.brush(), fm.lineWidth()));
    const auto rule = [&](double y) { p.drawLine(QPointF(pos.x(), y), QPointF(x2, y)); };
    if (font.underline()) rule(pos.y() + fm.underlinePos());
    if (font.strikeOut()) rule(pos.y() - fm.strikeOutPos());
    if (font.overline()) rule(pos.y() - fm.overlinePos());
    p.setPen(pen);
  }
}

void SheetPrinter::PaintHeaderFooter(QPainter& p, const hf::Document& doc, double top,
                                     int page) const {
  const double u = m_unit;
  const QString pageText = QString::number(page), countText = QString::number(PageCount());
  double y = top;
  for (const hf::Line& line : doc.lines) {
    const double h = LineHeight(line);
    for (int z = 0; z < 3; ++z) {
      const auto& runs = line.parts[size_t(z)];
      if (runs.empty()) continue;
      struct Piece {
        const QFont* font;
        QString text;
        double width;
      };
      std::vector<Piece> pieces;
      double width = 0, ascent = 0;
      for (const hf::Run& run : runs) {
        QString t = run.text;
        t.replace(hf::kPageCountMark, countText);
        t.replace(hf::kPageMark, pageText);
        const QFont& font = RunFont(run.font);
        Metrics& m = MetricsOf(font);
        const double w = Width(m, t) / u;
        width += w;
        ascent = std::max(ascent, m.ascent / u);
        pieces.push_back({&font, std::move(t), w});
      }
      double x = z == hf::Left     ? 0
                 : z == hf::Center ? (m_area.width() - width) / 2
                                   : m_area.width() - width;
      for (const Piece& piece : pieces) {
        p.setFont(*piece.font);
        DrawWords(p, QPointF(x * u, (y + ascent) * u), piece.text, *piece.font);
        x += piece.width;
      }
    }
    y += h;
  }
}

void SheetPrinter::PaintPage(QPainter& p, int page) const {
  const double u = m_unit;
  p.setPen(Qt::black);
  PaintHeaderFooter(p, m_header, 0, page);
  PaintHeaderFooter(p, m_footer, m_area.height() - m_footerH, page);
  if (m_rows.empty() || m_cols.empty()) return;

  const auto& opt = m_setup.options;
  const size_t n = m_rowBands.size();
  const Band rb = m_rowBands[size_t(page - 1) % n];
  const Band cb = m_colBands[size_t(page - 1) / n];
  const double s = m_scale;
  // Sheet pixels of this page to device pixels.
  const double x0 = 0, y0 = m_headerH;
  const double cellX0 = x0 + m_rowHeadW * s, cellY0 = y0 + m_headH * s;
  const double bx = m_colX[size_t(cb.first)], by = m_rowY[size_t(rb.first)];
  auto colLeft = [&](int i) { return (cellX0 + (m_colX[size_t(i)] - bx) * s) * u; };
  auto rowTop = [&](int i) { return (cellY0 + (m_rowY[size_t(i)] - by) * s) * u; };
  const double right = colLeft(cb.last + 1), bottom = rowTop(rb.last + 1);
  const double pad = kCellPad * u;

  const QColor shadow = opt[OptShadows] ? Ink(m_grid.ShadowColor(), kDefaultShadow) : Qt::white;
  const QColor shadowText = Ink(m_grid.ShadowText(), Qt::black);
  auto drawText = [&](const QRectF& r, const QString& text, int align, const QFont& font) {
    if (text.isEmpty()) return;
    Metrics& m = MetricsOf(font);
    const double room = r.width() - 2 * pad;
    QString t = text;
    double w = 0;
    if (align == spread::HAlignRight || align == spread::HAlignCenter) {
      w = Width(m, t);
      if (w > room) {
        // Marked with an ellipsis rather than cut silently.
        t = Fit(m, t, room);
        w = Width(m, t);
      }
    } else if (Bound(m, t) > room) {
      // Left-aligned text that surely fits is not shaped twice: shaping is most of the cost.
      t = Fit(m, t, room);
    }
    const double x = align == spread::HAlignRight    ? r.right() - pad - w
                     : align == spread::HAlignCenter ? r.left() + (r.width() - w) / 2
                                                     : r.left() + pad;
    DrawWords(p, QPointF(x, r.top() + (r.height() + m.ascent - m.descent) / 2), t, font);
  };

  // Headers: one fill per band, then their texts in one font and colour.
  const QFont& headFont =
      CellFont(m_grid.font().pointSizeF() > 0 ? m_grid.font().pointSizeF() : 9, false);
  double headBottom = y0 * u;
  for (int hr : m_headRows) headBottom += m_grid.RowHeightPixels(hr) * s * u;
  if (!m_headRows.empty())
    p.fillRect(QRectF(QPointF(opt[OptRowHeaders] ? x0 * u : colLeft(cb.first), y0 * u),
                      QPointF(right, headBottom)),
               shadow);
  if (opt[OptRowHeaders])
    p.fillRect(QRectF(x0 * u, rowTop(rb.first), m_rowHeadW * s * u, bottom - rowTop(rb.first)),
               shadow);
  p.setPen(shadowText);
  p.setFont(headFont);
  double hy = y0 * u;
  for (int hr : m_headRows) {
    const double hh = m_grid.RowHeightPixels(hr) * s * u;
    for (int i = cb.first; i <= cb.last; ++i) {
      const QRectF r(colLeft(i), hy, colLeft(i + 1) - colLeft(i), hh);
      drawText(r, m_grid.GetText(m_cols[size_t(i)], hr), spread::HAlignCenter, headFont);
    }
    hy += hh;
  }
  if (opt[OptRowHeaders]) {
    for (int i = rb.first; i <= rb.last; ++i) {
      const int row = m_rows[size_t(i)];
      const QRectF r(x0 * u, rowTop(i), m_rowHeadW * s * u, rowTop(i + 1) - rowTop(i));
      const QString label = m_grid.GetText(0, row);
      drawText(r, label.isEmpty() ? QString::number(row) : label, spread::HAlignCenter, headFont);
    }
  }
  // Cells. Font and pen change only when the cell's own differ from the last cell's.
  const QFont* current = nullptr;
  QColor currentPen;
  double lastSize = -1;
  bool lastBold = false;
  long lastFore = std::numeric_limits<long>::min();
  for (int i = rb.first; i <= rb.last; ++i) {
    const int row = m_rows[size_t(i)];
    const double top = rowTop(i), h = rowTop(i + 1) - top;
    const long rowBack = row % 2 ? m_grid.OddRowBackColor() : m_grid.EvenRowBackColor();
    for (int j = cb.first; j <= cb.last; ++j) {
      const int col = m_cols[size_t(j)];
      const QRectF r(colLeft(j), top, colLeft(j + 1) - colLeft(j), h);
      const long back = m_grid.BackColor(col, row);
      const long fill = back >= 0 ? back : rowBack;
      if (fill >= 0 && fill != RgbColor(255, 255, 255)) p.fillRect(r, Ink(fill, Qt::white));
      const QString text = m_grid.GetText(col, row);
      if (text.isEmpty()) continue;
      const double size = m_grid.FontSize(col, row);
      const bool bold = m_grid.FontBold(col, row);
      if (!current || size != lastSize || bold != lastBold) {
        const QFont& font = CellFont(size, bold);
        lastSize = size;
        lastBold = bold;
        if (&font != current) {
          p.setFont(font);
          current = &font;
        }
      }
      const long fore = m_grid.ForeColor(col, row);
      if (fore != lastFore) {
        lastFore = fore;
        const QColor ink = Ink(fore, Qt::black);
        if (ink != currentPen) {
          p.setPen(ink);
          currentPen = ink;
        }
      }
      drawText(r, text, m_grid.TypeHAlign(col, row), *current);
    }
  }
  // Lines last, so fills do not cover them.
  const double left = x0 * u, head = y0 * u;
  if (opt[OptGridLines]) {
    // One path for the page's lines: a stroke per line costs far more in the PDF.
    const double gx = m_rowHeadW > 0 ? left : colLeft(cb.first);
    const double gy = m_headRows.empty() ? rowTop(rb.first) : head;
    std::vector<QLineF> lines;
    lines.reserve(m_headRows.size() + size_t(rb.last - rb.first + cb.last - cb.first) + 6);
    double yy = head;
    if (!m_headRows.empty()) lines.emplace_back(gx, yy, right, yy);
    for (int hr : m_headRows) {
      yy += m_grid.RowHeightPixels(hr) * s * u;
      lines.emplace_back(gx, yy, right, yy);
    }
    // The first row's top is the last header row's bottom when headers print.
    for (int i = m_headRows.empty() ? rb.first : rb.first + 1; i <= rb.last + 1; ++i)
      lines.emplace_back(gx, rowTop(i), right, rowTop(i));
    if (m_rowHeadW > 0) lines.emplace_back(left, gy, left, bottom);
    for (int j = cb.first; j <= cb.last + 1; ++j)
      lines.emplace_back(colLeft(j), gy, colLeft(j), bottom);
    p.setPen(QPen(Ink(RgbColor(160, 160, 160), Qt::gray), 0.5 * u));
    p.drawLines(lines.data(), int(lines.size()));
  }
  if (opt[OptBorder]) {
    p.setPen(QPen(Qt::black, 1.0 * u));
    p.setBrush(Qt::NoBrush);
    const double bxl = m_rowHeadW > 0 ? left : colLeft(cb.first);
    const double byt = m_headRows.empty() ? rowTop(rb.first) : head;
    p.drawRect(QRectF(QPointF(bxl, byt), QPointF(right, bottom)));
  }
}

}  // namespace print
