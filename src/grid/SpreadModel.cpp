#include "grid/SpreadGridPrivate.h"
#include "platform/Numbers.h"

#include <QBrush>
#include <QFont>

#include <algorithm>

using spread::CellTypeNumber;

QVariant SpreadModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  const int col = index.column() + 1, row = index.row() + 1;
  switch (role) {
    case Qt::DisplayRole:
    // The shown text, a negative number with its minus: the red it is painted in is not read.
    case Qt::AccessibleTextRole:
      return d->shownText(col, row);
    case Qt::EditRole:
      return d->cellTypeAt(col, row) == CellTypeNumber ? d->plainValue(col, row)
                                                       : d->shownText(col, row);
    case Qt::BackgroundRole: {
      const Style s = d->resolve(col, row);
      long c = s.back;
      if (c < 0) c = d->oddEven ? (row % 2 ? d->oddBack : d->evenBack) : d->defaultBack;
      const QColor qc = OleToQColor(c);
      return QBrush(qc.isValid() ? qc : QColor(Qt::white));
    }
    case Qt::ForegroundRole: {
      const Style s = d->resolve(col, row);
      if (s.cellType == CellTypeNumber && s.negRed) {
        const Cell& cell = d->cols[size_t(col)].cells[size_t(row - 1)];
        std::optional<double> v;
        if (cell.extra && cell.extra->formula)
          v = d->formulaValue(col, row, *cell.extra);
        else
          v = numbers::LooseNumber(cell.text);
        if (v && RoundTo(*v, s.decPlaces) < 0) return QBrush(Qt::red);
      }
      long c = s.fore;
      if (c < 0 && d->oddEven) c = row % 2 ? d->oddFore : d->evenFore;
      const QColor qc = OleToQColor(c);
      return qc.isValid() ? QVariant(QBrush(qc)) : QVariant();
    }
    case Qt::FontRole: {
      const Style s = d->resolve(col, row);
      if (s.fontSize <= 0 && !s.bold) return QVariant();
      QFont f = d->view->font();
      if (s.fontSize > 0) f.setPointSizeF(s.fontSize);
      f.setBold(s.bold);
      return f;
    }
    case Qt::TextAlignmentRole: {
      const Style s = d->resolve(col, row);
      int h = s.hAlign;
      if (h < 0) h = s.cellType == CellTypeNumber ? spread::HAlignRight : spread::HAlignLeft;
      const Qt::Alignment ha = h == spread::HAlignRight    ? Qt::AlignRight
                               : h == spread::HAlignCenter ? Qt::AlignHCenter
                                                           : Qt::AlignLeft;
      const Qt::Alignment va = s.vAlign == spread::VAlignTop      ? Qt::AlignTop
                               : s.vAlign == spread::VAlignBottom ? Qt::AlignBottom
                                                                  : Qt::AlignVCenter;
      return int(ha | va);
    }
    default:
      return QVariant();
  }
}

QVariant SpreadModel::headerData(int section, Qt::Orientation orientation, int role) const {
  const bool horizontal = orientation == Qt::Horizontal;
  if (section < 0 || section >= (horizontal ? d->maxCols() : d->maxRows())) return QVariant();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
      // The grid paints its header itself; this text is what a screen reader reads for it, the
      // header rows as lines, or joined into one name.
      if (horizontal) {
        const QStringList lines = d->headerLines(section + 1);
        if (std::all_of(lines.begin(), lines.end(), [](const QString& l) { return l.isEmpty(); }))
          return ColumnLetters(section + 1);
        if (role == Qt::DisplayRole) return lines.join(u'\n');
        QStringList words = lines;
        words.removeAll(QString());
        return words.join(u' ');
      }
      const QString& text = d->cols[0].cells[size_t(section)].text;
      return text.isEmpty() ? QString::number(section + 1) : text;
    }
    case Qt::BackgroundRole: {
      const QColor c = OleToQColor(d->shadow);
      return c.isValid() ? QVariant(QBrush(c)) : QVariant();
    }
    case Qt::ForegroundRole: {
      const QColor c = OleToQColor(d->shadowText);
      return c.isValid() ? QVariant(QBrush(c)) : QVariant();
    }
    case Qt::FontRole: {
      const Style s = horizontal ? d->resolve(section + 1, 0) : d->resolve(0, section + 1);
      if (s.fontSize <= 0 && !s.bold) return QVariant();
      QFont f = d->view->font();
      if (s.fontSize > 0) f.setPointSizeF(s.fontSize);
      f.setBold(s.bold);
      return f;
    }
    case Qt::TextAlignmentRole:
      return int(Qt::AlignCenter);
    default:
      return QVariant();
  }
}

Qt::ItemFlags SpreadModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  const int col = index.column() + 1, row = index.row() + 1;
  const Style s = d->resolve(col, row);
  const Cell& cell = d->cols[size_t(col)].cells[size_t(row - 1)];
  const bool locked = s.lock && d->protect;
  if (!locked && s.cellType != spread::CellTypeStaticText && !(cell.extra && cell.extra->formula) &&
      d->opMode != spread::OpModeReadOnly)
    f |= Qt::ItemIsEditable;
  return f;
}

bool SpreadModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
    return false;
  d->userEdit(index.column() + 1, index.row() + 1, value.toString());
  return true;
}
