#include "grid/SpreadGridPrivate.h"
#include "platform/KeyCodes.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QToolTip>

#include <deque>

QPalette spread::detail::SharedPalette(const QPalette& palette) {
  static std::deque<QPalette> kept;  // the most recent first
  constexpr std::size_t kKept = 16;
  auto it = std::find(kept.begin(), kept.end(), palette);  // the colours, not the key
  if (it == kept.end()) {
    kept.push_front(palette);
    if (kept.size() > kKept) kept.pop_back();
  } else if (it != kept.begin()) {
    std::rotate(kept.begin(), it, it + 1);
  }
  QPalette shared = kept.front();
  // Active, inactive or disabled as asked; the cache key does not change with it.
  shared.setCurrentColorGroup(palette.currentColorGroup());
  return shared;
}

namespace {

// A scroll bar drawn with the shared palette of its colours: the grid's colours reach the
// scroll bars through the view, with a new key in every grid.
class SpreadScrollBar final : public QScrollBar {
 public:
  SpreadScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {}

 protected:
  void initStyleOption(QStyleOptionSlider* option) const override {
    QScrollBar::initStyleOption(option);
    option->palette = SharedPalette(option->palette);
  }
};

}  // namespace

SpreadView::SpreadView(SpreadGrid::Impl* d, QWidget* parent) : QTableView(parent), d(d) {
  setHorizontalHeader(new SpreadHeaderView(d, this));
  setVerticalHeader(new SpreadRowHeaderView(this));
  auto* horizontal = new SpreadScrollBar(Qt::Horizontal, this);
  auto* vertical = new SpreadScrollBar(Qt::Vertical, this);
  setHorizontalScrollBar(horizontal);
  setVerticalScrollBar(vertical);
  // The item view wires the scroll bars it is made with, not those put in later.
  connect(horizontal, &QScrollBar::actionTriggered, this, &SpreadView::horizontalScrollbarAction);
  connect(vertical, &QScrollBar::actionTriggered, this, &SpreadView::verticalScrollbarAction);
  connect(horizontal, &QScrollBar::valueChanged, this,
          &SpreadView::horizontalScrollbarValueChanged);
  connect(vertical, &QScrollBar::valueChanged, this, &SpreadView::verticalScrollbarValueChanged);
}

void SpreadView::watchHeaders() {
  horizontalHeader()->viewport()->installEventFilter(this);
  verticalHeader()->viewport()->installEventFilter(this);
  // The corner button is the view's own child; we draw the "No" text on it ourselves.
  for (QAbstractButton* b : findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
    m_corner = b;
    b->installEventFilter(this);
  }
}

void SpreadView::keyPressEvent(QKeyEvent* e) {
  const int shift = keys::VbShift(e->modifiers());  // the same bits as spread::ShiftMask
  // Windows key codes, as the windows' key handling (Enter 13, Ctrl+C 67 ...) was written for.
  emit d->q->KeyDown(keys::VbKeyCode(*e), shift);
  QTableView::keyPressEvent(e);
}

void SpreadView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) {
    const QModelIndex i = indexAt(e->position().toPoint());
    emit d->q->RightClick(1, i.isValid() ? i.column() + 1 : 0, i.isValid() ? i.row() + 1 : 0);
    return;
  }
  QTableView::mousePressEvent(e);
}

void SpreadView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) {
    const QModelIndex i = indexAt(e->position().toPoint());
    emit d->q->RightClick(2, i.isValid() ? i.column() + 1 : 0, i.isValid() ? i.row() + 1 : 0);
    return;
  }
  QTableView::mouseReleaseEvent(e);
}

void SpreadView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) {
    const QModelIndex i = indexAt(e->position().toPoint());
    if (i.isValid()) emit d->q->DblClick(i.column() + 1, i.row() + 1);
  }
  QTableView::mouseDoubleClickEvent(e);
}

bool SpreadView::viewportEvent(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    const auto* he = static_cast<QHelpEvent*>(e);
    const QModelIndex i = indexAt(he->pos());
    QString tip;
    if (d->textTip != 0 && i.isValid()) {
      const QString text = d->shownText(i.column() + 1, i.row() + 1);
      const QFontMetrics fm(font());
      if (fm.horizontalAdvance(text) > visualRect(i).width() - kCellPadding) tip = text;
    }
    if (tip.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(he->globalPos(), tip, viewport(), visualRect(i));
    return true;
  }
  return QTableView::viewportEvent(e);
}

bool SpreadView::eventFilter(QObject* o, QEvent* e) {
  if (o == m_corner && e->type() == QEvent::Paint) {
    paintCorner();
    return true;
  }
  if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonRelease) {
    auto* me = static_cast<QMouseEvent*>(e);
    if (me->button() == Qt::RightButton) {
      const int type = e->type() == QEvent::MouseButtonPress ? 1 : 2;
      const QPoint p = me->position().toPoint();
      if (o == horizontalHeader()->viewport()) {
        const int s = horizontalHeader()->logicalIndexAt(p);
        emit d->q->RightClick(type, s + 1, 0);
        return true;
      }
      if (o == verticalHeader()->viewport()) {
        const int s = verticalHeader()->logicalIndexAt(p);
        emit d->q->RightClick(type, 0, s + 1);
        return true;
      }
    }
  }
  return QTableView::eventFilter(o, e);
}

void SpreadView::paintCorner() {
  QPainter p(m_corner);
  const int width = m_corner->width();
  SpreadHeaderView::PaintRows(
      *d, p, m_corner, 0, 0, [width](int) { return std::pair<int, int>(0, width); },
      m_corner->rect());
}
