#include "reports/ReportWindow.h"

#include "controls/CommandButton.h"
#include "controls/DateBox.h"
#include "controls/HCTerm.h"
#include "customers/ReadBusyPanel.h"
#include "customers/modCustomer.h"
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "grid/modFormIni.h"
#include "grid/modMy_formReSize.h"
#include "platform/Hoverlet.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

namespace {
// Two lines: the buttons with the filters, then the period.
constexpr int kLineHeight = 36;
constexpr int kTopHeight = 2 * kLineHeight + 4;
constexpr int kSumHeight = 26;
}  // namespace

ReportWindow::ReportWindow(const QString& name, const QString& caption, int widthTwips,
                           int heightTwips, bool withSumGrid, QWidget* parent, bool withPeriod)
    : QDialog(parent) {
  const int topHeight = withPeriod ? kTopHeight : kLineHeight + 4;
  setObjectName(name);
  setWindowTitle(caption);
  pnlTop[0] = new QWidget(this);
  pnlTop[0]->setObjectName(QStringLiteral("pnlTop0"));
  pnlTop[0]->setFixedHeight(topHeight);
  pnlTop[1] = new QWidget(this);
  pnlTop[1]->setObjectName(QStringLiteral("pnlTop1"));
  pnlTop[1]->move(0, topHeight);

  if (withPeriod) {
    htDate = new HCTerm(pnlTop[0]);
    htDate->setObjectName(QStringLiteral("htDate"));
  }

  spList = new SpreadGrid(pnlTop[1]);
  spList->setObjectName(QStringLiteral("spList"));
  spList->move(TwipsToPixels(45), 0);
  if (withSumGrid) {
    spSum = new SpreadGrid(pnlTop[1]);
    spSum->setObjectName(QStringLiteral("spSum"));
    spSum->move(TwipsToPixels(45), 0);
    spSum->resize(spSum->width(), kSumHeight);
    connect(spList, &SpreadGrid::Change, this, &ReportWindow::CopyTotal);
    // The sum grid follows the data grid's columns.
    connect(spList, &SpreadGrid::ColWidthChange, this, [this] {
      if (m_sumLabelCol > 0) SetupSumSpread(*spSum, *spList, m_sumLabelCol);
    });
  }

  btnClose = AddButton("btnClose", QStringLiteral("닫기 &C "), 1);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
  auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
  connect(f5, &QShortcut::activated, this, &ReportWindow::RunQuery);

  pnlBusy = new ReadBusyPanel(this, pnlTop[1], {pnlTop[0], pnlTop[1]});
  btnStop = pnlBusy->btnStop;

  DecorateForm(this, true);
  setGeometry(0, 0, TwipsToPixels(widthTwips), TwipsToPixels(heightTwips));
}

void ReportWindow::RunQuery() {
  if (Reading()) return;
  if (htDate) {
    for (DateBox* box : htDate->dateBox)
      if (box && !box->Check()) return;
  }
  // A window not yet on screen (opened with its first query) has nothing to keep painting.
  ScopedReadWatcher watch(isVisible() ? pnlBusy : nullptr);
  Query();
}

void ReportWindow::ReplaceRows() {
  spList->SetMaxRows(0);
  ClearSum();
}

bool ReportWindow::Reading() const { return pnlBusy->Reading(); }

void ReportWindow::StopQuery() { pnlBusy->Stop(); }

void ReportWindow::keyPressEvent(QKeyEvent* event) {
  if (Reading() && event->key() == Qt::Key_Escape) {
    StopQuery();
    return;
  }
  QDialog::keyPressEvent(event);
}

void ReportWindow::reject() {
  if (Reading()) {
    StopQuery();
    return;
  }
  QDialog::reject();
}

void ReportWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_placed) return;
  m_placed = true;
  if (FormIniHasPosition(*this)) return;  // where the staff member put it last time
  QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
  if (!owner || !owner->isVisible()) return;
  QRect frame = frameGeometry();
  frame.moveCenter(owner->frameGeometry().center());
  if (const QScreen* screen = owner->screen()) {
    const QRect area = screen->availableGeometry();
    frame.moveLeft(
        std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - frame.width())));
    frame.moveTop(
        std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - frame.height())));
  }
  move(frame.topLeft());
}

QLabel* ReportWindow::AddCaption(const QString& text, int x, int width, int line) {
  auto* label = new QLabel(text, pnlTop[0]);
  label->setGeometry(x, 8 + line * kLineHeight, width, 24);
  return label;
}

void ReportWindow::PlaceInTop(QWidget* control, int x, int width, int line) {
  control->setParent(pnlTop[0]);
  const QSize own = control->sizeHint();
  control->setGeometry(x, 7 + line * kLineHeight, width > 0 ? width : own.width(),
                       std::max(26, own.height()));
}

void ReportWindow::PlacePeriod() {
  AddCaption(QStringLiteral("기간:"), 6, 36, 1);
  PlaceInTop(htDate, 44, 0, 1);
}

QPushButton* ReportWindow::AddButton(const char* name, const QString& caption, int position) {
  auto* b = new CommandButton(caption, pnlTop[0]);
  b->setObjectName(QLatin1String(name));
  b->setGeometry(0, 3, TwipsToPixels(1125), 34);
  b->setFocusPolicy(Qt::TabFocus);
  m_buttons.emplace_back(b, position);
  return b;
}

void ReportWindow::SetColumnWidths(std::initializer_list<double> widths) {
  int col = 0;
  for (double w : widths) spList->SetColWidth(++col, w);
}

void ReportWindow::SetupSum(int labelCol, std::vector<int> numberCols) {
  m_sumLabelCol = labelCol;
  spSum->SetColHeadersShow(false);
  spSum->SetMaxRows(1);
  SetupSumSpread(*spSum, *spList, labelCol);
  for (int c : numberCols) SetCellTypeNumber(*spSum, c);
  spSum->FollowHorizontalScroll(*spList);
}

void ReportWindow::SetSumFormulas(const std::vector<std::pair<int, int>>& sourceToHidden) {
  for (const auto& [source, hidden] : sourceToHidden) SetSumColumnFormula(*spList, source, hidden);
}

void ReportWindow::ClearSum() {
  if (!spSum) return;
  for (const auto& entry : m_sumMap) spSum->SetText(entry.second, 1, QString());
}

void ReportWindow::CopyTotal(int col, int row) {
  if (row != 1) return;
  const auto it = m_sumMap.find(col);
  if (it == m_sumMap.end()) return;
  spSum->SetText(it->second, 1, spList->Value(col, 1));
}

void ReportWindow::NoResultNotice() {
  if (isVisible()) ShowHoverlet(QStringLiteral("검색된 결과가 없습니다."), 500);
}

void ReportWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (FormMinSize(*this, -1, -1) == -1) return;
  const int clientWidth = PixelsToTwips(width());
  FitWidth(*pnlTop[0], clientWidth);
  for (const auto& [b, position] : m_buttons) PlaceTopButton(*b, clientWidth, position);
  FitWidth(*pnlTop[1], clientWidth, spList, spSum);
  FitHeight(*pnlTop[1], PixelsToTwips(height()), spList, spSum);
}
