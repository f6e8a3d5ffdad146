// The column-header rows: one band per header row, header spans drawn as one merged cell.
#include "grid/SpreadGridPrivate.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>

int SpreadGrid::Impl::headerLinePixels() const {
  const QFontMetrics fm(view->horizontalHeader()->font());
  return std::max(rowPixels(rowHeight(0)), fm.height() + 2);
}

const Span* SpreadGrid::Impl::headerSpanAt(int col, int h) const {
  for (const Span& s : spans) {
    const int top = headerIndex(s.row);
    if (top < 0 || h < top || h >= top + s.rows) continue;
    if (col >= s.col && col < s.col + s.cols) return &s;
  }
  return nullptr;
}

QStringList SpreadGrid::Impl::headerLines(int col) const {
  const Column& c = cols[size_t(col)];
  QStringList lines;
  for (int h = 0; h < int(c.header.size()); ++h) {
    const Span* s = headerSpanAt(col, h);
    if (!s) {
      lines << c.header[size_t(h)].text;
      continue;
    }
    const int top = headerIndex(s->row);
    lines << (h == top ? cols[size_t(s->col)].header[size_t(top)].text : QString());
  }
  return lines;
}

namespace {

QFont HeaderFont(const Style& s, const QWidget* w) {
  QFont f = w->font();
  if (s.fontSize > 0) f.setPointSizeF(s.fontSize);
  if (s.bold) f.setBold(true);
  return f;
}

// Header row index h as a row number: 0 for the first, SpreadHeader + h for the others.
int HeaderRowNumber(int h) { return h == 0 ? 0 : spread::SpreadHeader + h; }

}  // namespace

void SpreadHeaderView::PaintRows(const SpreadGrid::Impl& d, QPainter& p, QWidget* w, int first,
                                 int last, const std::function<std::pair<int, int>(int)>& xOf,
                                 const QRect& exposed) {
  const int rows = d.headerRows;
  const int line = d.headerLinePixels();
  const QHeaderView* hh = d.view->horizontalHeader();
  const int sortCol = hh->isSortIndicatorShown() ? hh->sortIndicatorSection() + 1 : -1;
  const QPalette palette = CellPalette(d, *w);
  std::vector<const Span*> painted;
  for (int h = 0; h < rows; ++h) {
    for (int c = first; c <= last; ++c) {
      const auto [x, width] = xOf(c);
      if (width <= 0) continue;
      int col = c, top = h, height = 1, span = 1;
      QRect r(x, h * line, width, line);
      if (const Span* s = d.headerSpanAt(c, h)) {
        if (std::find(painted.begin(), painted.end(), s) != painted.end()) continue;
        painted.push_back(s);
        col = s->col;
        top = d.headerIndex(s->row);
        height = std::min(s->rows, rows - top);
        span = s->cols;
        // The span reaches over the shown columns it covers, whichever of them comes first.
        int left = INT_MAX, right = INT_MIN;
        for (int k = std::max(s->col, first); k <= std::min(s->col + s->cols - 1, last); ++k) {
          const auto [kx, kw] = xOf(k);
          if (kw <= 0) continue;
          left = std::min(left, kx);
          right = std::max(right, kx + kw);
        }
        r = QRect(left, top * line, right - left, height * line);
      }
      if (!r.intersects(exposed)) continue;
      const int row = HeaderRowNumber(top);
      QStyleOptionHeader opt;
      opt.initFrom(w);
      opt.state |= QStyle::State_Raised;
      opt.rect = r;
      opt.position = QStyleOptionHeader::Middle;  // with a border on its right, like the rest
      opt.textAlignment = Qt::AlignCenter;
      opt.text = d.cols[size_t(col)].header[size_t(top)].text;
      if (opt.text.isEmpty() && top == 0 && col > 0 &&
          std::all_of(d.cols[size_t(col)].header.begin(), d.cols[size_t(col)].header.end(),
                      [](const Cell& cell) { return cell.text.isEmpty(); }))
        opt.text = ColumnLetters(col);
      // The arrow goes where the column's own cell touches the rows below.
      if (col == sortCol && span == 1 && top + height == rows)
        opt.sortIndicator = hh->sortIndicatorOrder() == Qt::AscendingOrder
                                ? QStyleOptionHeader::SortDown
                                : QStyleOptionHeader::SortUp;
      opt.palette = palette;
      p.save();
      p.setFont(HeaderFont(d.resolve(col, row), w));
      p.setClipRect(r.intersected(exposed));
      w->style()->drawControl(QStyle::CE_Header, &opt, &p, w);
      p.restore();
    }
  }
}

QPalette SpreadHeaderView::CellPalette(const SpreadGrid::Impl& d, const QWidget& w) {
  QPalette palette = w.palette();
  const QColor back = OleToQColor(d.shadow);
  const QColor fore = OleToQColor(d.shadowText);
  if (back.isValid()) {
    palette.setColor(QPalette::Button, back);
    palette.setColor(QPalette::Window, back);
  }
  if (fore.isValid()) palette.setColor(QPalette::ButtonText, fore);
  return SharedPalette(palette);
}

SpreadHeaderView::SpreadHeaderView(SpreadGrid::Impl* d, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), d(d) {}

QSize SpreadHeaderView::sizeHint() const {
  QSize s = QHeaderView::sizeHint();
  s.setHeight(d->headerLinePixels() * std::max(1, d->headerRows));
  return s;
}

void SpreadHeaderView::paintEvent(QPaintEvent* e) {
  QPainter p(viewport());
  QStyleOption empty;
  empty.initFrom(this);
  empty.rect = viewport()->rect();
  style()->drawControl(QStyle::CE_HeaderEmptyArea, &empty, &p, this);
  if (d->headerRows < 1 || d->maxCols() < 1) return;
  PaintRows(
      *d, p, viewport(), 1, d->maxCols(),
      [this](int col) -> std::pair<int, int> {
        const int s = col - 1;
        if (isSectionHidden(s)) return {0, 0};
        return {sectionViewportPosition(s), sectionSize(s)};
      },
      e->rect());
}

SpreadRowHeaderView::SpreadRowHeaderView(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
  // As the table view's own row header: a click on a number selects the row.
  setSectionsClickable(true);
  setHighlightSections(true);
}

void SpreadRowHeaderView::initStyleOptionForIndex(QStyleOptionHeader* option,
                                                  int logicalIndex) const {
  QHeaderView::initStyleOptionForIndex(option, logicalIndex);
  // Qt sets the model's header colours on a copy of the palette at each cell, a new key each
  // time: the shared palette of the same colours keeps one.
  option->palette = SharedPalette(option->palette);
}
