#include "grid/FrmFindInSpread.h"

#include "grid/FormNames.h"
#include "grid/SpreadGrid.h"
#include "platform/Prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// What the dialog keeps between openings, for the whole run.
struct FindState {
  QPointer<SpreadGrid> grid;
  int colStart = 1;
  int colEnd = 0;
  QString text;
  int direction = FrmFindInSpread::ByRow;
  bool wholeMatch = false;
};

FindState& State() {
  static FindState state;
  return state;
}

struct Hit {
  int col = -1;
  int row = -1;
  bool found() const { return col > 0 && row > 0; }
};

class Finder {
 public:
  Finder(const SpreadGrid& grid, const QString& text, bool wholeMatch, int colStart, int colEnd)
      : m_grid(grid),
        m_text(text),
        m_flags(wholeMatch ? spread::SearchFlagsNone : spread::SearchFlagsPartialMatch),
        m_first(std::max(colStart, 1)),
        m_last(std::min(colEnd, grid.MaxCols())) {}

  // Row by row: the rest of the active row, the rows below, then from the top down to the
  // active row again.
  Hit ByRow(int activeCol, int activeRow) const {
    int row = activeRow, after = std::max(activeCol, m_first - 1);
    if (row < 1) {  // no active cell: start before the first cell
      row = 1;
      after = m_first - 1;
    }
    if (const int c = VisibleInRow(row, after); c > 0) return {c, row};
    for (int r = row + 1; r <= m_grid.MaxRows(); ++r)
      if (const int c = VisibleInRow(r, m_first - 1); c > 0) return {c, r};
    for (int r = 1; r <= row; ++r)
      if (const int c = VisibleInRow(r, m_first - 1); c > 0) return {c, r};
    return {};
  }

  // Column by column: the rest of the active column, the visible columns to its right, then
  // the visible columns from the first up to the active one, each from the top.
  Hit ByColumn(int activeCol, int activeRow) const {
    int col = activeCol, below = activeRow;
    if (col < m_first || col > m_last || activeRow < 1) {
      col = m_first;
      below = 0;
    }
    if (!m_grid.ColHidden(col))
      if (const int r = m_grid.SearchCol(col, below, -1, m_text, m_flags); r > 0) return {col, r};
    for (int c = col + 1; c <= m_last; ++c)
      if (const int r = InColumn(c); r > 0) return {c, r};
    for (int c = m_first; c <= col; ++c)
      if (const int r = InColumn(c); r > 0) return {c, r};
    return {};
  }

 private:
  // The first hit after column `after` that the user can see; hidden hits are passed over.
  int VisibleInRow(int row, int after) const {
    int c = after;
    while ((c = m_grid.SearchRow(row, c, m_last, m_text, m_flags)) > 0)
      if (!m_grid.ColHidden(c)) return c;
    return -1;
  }

  int InColumn(int col) const {
    return m_grid.ColHidden(col) ? -1 : m_grid.SearchCol(col, 0, -1, m_text, m_flags);
  }

  const SpreadGrid& m_grid;
  const QString& m_text;
  const int m_flags;
  const int m_first;
  const int m_last;
};

}  // namespace

void FrmFindInSpread::SetFormInit(SpreadGrid& grid, int colStart, int colEnd) {
  FindState& s = State();
  s.grid = &grid;
  s.colStart = colStart == -1 ? 1 : colStart;
  s.colEnd = colEnd == -1 ? grid.MaxCols() : colEnd;
}

FrmFindInSpread::FrmFindInSpread(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("찾기"));
  setObjectName(QStringLiteral("FrmFindInSpread"));

  txtFindWd = new QLineEdit(this);
  txtFindWd->setObjectName(QStringLiteral("txtFindWd"));
  txtFindWd->installEventFilter(this);
  cboFindDir = new QComboBox(this);
  cboFindDir->setObjectName(QStringLiteral("cboFindDir"));
  cboFindDir->addItem(QStringLiteral("행(가로방향)"));
  cboFindDir->addItem(QStringLiteral("열(세로방향)"));
  chkSameAll = new QCheckBox(QStringLiteral("완전일치(&A)"), this);
  chkSameAll->setObjectName(QStringLiteral("chkSameAll"));
  cmdFind = new QPushButton(QStringLiteral("다음 찾기(&N)"), this);
  cmdFind->setObjectName(QStringLiteral("cmdFind"));
  cmdFind->setDefault(true);
  cmdClose = new QPushButton(QStringLiteral("닫기(&C)"), this);
  cmdClose->setObjectName(QStringLiteral("cmdClose"));

  auto* form = new QFormLayout;
  auto* findLabel = new QLabel(QStringLiteral("찾을 내용(&F):"), this);
  findLabel->setBuddy(txtFindWd);
  auto* dirLabel = new QLabel(QStringLiteral("검색 방향(&D):"), this);
  dirLabel->setBuddy(cboFindDir);
  form->addRow(findLabel, txtFindWd);
  form->addRow(dirLabel, cboFindDir);
  form->addRow(QString(), chkSameAll);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(cmdFind);
  buttons->addWidget(cmdClose);
  buttons->addStretch();
  auto* top = new QHBoxLayout(this);
  top->addLayout(form, 1);
  top->addLayout(buttons);
  txtFindWd->setMinimumWidth(220);
  NameFormControlsOnShow(*this);

  const FindState& s = State();
  txtFindWd->setText(s.text);
  cboFindDir->setCurrentIndex(s.direction == ByColumn ? ByColumn : ByRow);
  chkSameAll->setChecked(s.wholeMatch);

  connect(cmdFind, &QPushButton::clicked, this, [this] { FindNext(); });
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

bool FrmFindInSpread::FindNext() {
  const FindState& s = State();
  if (!s.grid) return false;
  SpreadGrid& grid = *s.grid;
  const Finder finder(grid, txtFindWd->text(), chkSameAll->isChecked(), s.colStart, s.colEnd);
  const Hit hit = cboFindDir->currentIndex() == ByColumn
                      ? finder.ByColumn(grid.ActiveCol(), grid.ActiveRow())
                      : finder.ByRow(grid.ActiveCol(), grid.ActiveRow());
  if (!hit.found()) {
    MsgInfo(QStringLiteral("일치하는 데이터가 없습니다."), QStringLiteral("검색실패"));
    return false;
  }
  grid.SetActiveCell(hit.col, hit.row);
  grid.SetTopRow(hit.row);
  return true;
}

void FrmFindInSpread::done(int result) {
  FindState& s = State();
  s.text = txtFindWd->text();
  s.direction = cboFindDir->currentIndex();
  s.wholeMatch = chkSameAll->isChecked();
  QDialog::done(result);
}

bool FrmFindInSpread::eventFilter(QObject* watched, QEvent* event) {
  // After the focus arrives, so that a click into the box does not undo the selection.
  if (watched == txtFindWd && event->type() == QEvent::FocusIn)
    QTimer::singleShot(0, txtFindWd, &QLineEdit::selectAll);
  return QDialog::eventFilter(watched, event);
}

void ShowFindInSpread(QWidget* owner, SpreadGrid& grid, int colStart, int colEnd) {
  FrmFindInSpread::SetFormInit(grid, colStart, colEnd);
  FrmFindInSpread dialog(owner);
  ShowModal(dialog);
}
