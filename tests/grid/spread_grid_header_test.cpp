// Several column-header rows: how they are addressed, how high the header is, and that each is
// drawn as a row of its own with the header spans merged (checked on the painted pixels).
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "grid/modSpread60.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QHeaderView>
#include <QImage>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTest>

#include <cstdlib>
#include <ostream>
#include <set>
#include <vector>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const char* const kSecondRow[] = {"일반", "보상", "합계", "일반", "보상", "합계"};

// The charge summary's header: 일자 over both rows, 수량 over 2-4, 금액 over 5-7.
void DesignSummary(SpreadGrid& g) {
  g.resize(700, 300);
  g.SetMaxCols(7);
  g.SetColHeaderRows(2);
  CommonSpreadDesign(g, true, true, true, true, true);
  g.SetText(1, 0, "일자");
  g.AddCellSpan(1, 0, 1, 2);
  g.SetText(2, 0, "수량");
  g.AddCellSpan(2, 0, 3, 1);
  g.SetText(5, 0, "금액");
  g.AddCellSpan(5, 0, 3, 1);
  for (int c = 2; c <= 7; ++c) g.SetText(c, spread::ColHeaderRow(2), kSecondRow[c - 2]);
  g.SetMaxRows(3);
  for (int r = 1; r <= 3; ++r) g.SetText(1, r, QString("2026-01-0%1").arg(r));
}

QHeaderView* HeaderOf(const SpreadGrid& g) {
  return qobject_cast<QHeaderView*>(g.ColHeaderArea()->parentWidget());
}

// Bounding box of the pixels inside r that differ from the one at r's left edge on their line:
// the headers shade from top to bottom, so a line's own left pixel is its background.
QRect Ink(const QImage& img, const QRect& r) {
  QRect box;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left() + 1; x <= r.right(); ++x)
      if (img.pixel(x, y) != img.pixel(r.left(), y)) box |= QRect(x, y, 1, 1);
  return box;
}

// Whether anything is drawn at the border x (a pixel either side) on the lines top..bottom,
// compared with the background a few pixels to the left.
bool LineAt(const QImage& img, int x, int top, int bottom) {
  for (int y = top; y <= bottom; ++y)
    for (int dx = -1; dx <= 1; ++dx)
      if (img.pixel(x + dx, y) != img.pixel(x - 6, y)) return true;
  return false;
}

TEST(SpreadGridHeader, HeaderRowsAreAddressedAsRows) {
  EXPECT_EQ(spread::ColHeaderRow(1), 0);
  EXPECT_EQ(spread::ColHeaderRow(2), spread::SpreadHeader + 1);
  SpreadGrid g;
  DesignSummary(g);
  EXPECT_EQ(g.GetText(0, 0), "No");
  EXPECT_EQ(g.GetText(2, 0), "수량");
  EXPECT_EQ(g.GetText(2, spread::SpreadHeader), "수량");
  for (int c = 2; c <= 7; ++c) EXPECT_EQ(g.GetText(c, spread::ColHeaderRow(2)), kSecondRow[c - 2]);
  EXPECT_EQ(g.GetText(2, spread::ColHeaderRow(3)), "");  // there is no third row
  g.SetFontBold(3, spread::ColHeaderRow(2), true);
  EXPECT_TRUE(g.FontBold(3, spread::ColHeaderRow(2)));
  EXPECT_FALSE(g.FontBold(3, 0));
}

TEST(SpreadGridHeader, HeaderIsAsHighAsItsRows) {
  struct Case {
    int rows;
    double rowHeight;  // of the header rows; 0 leaves the default
  } cases[] = {{1, 0}, {2, 0}, {3, 0}, {2, 30}};
  SpreadGrid one;
  const int line = HeaderOf(one)->height();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rows << " rows " << c.rowHeight);
    SpreadGrid g;
    g.resize(500, 300);
    g.SetMaxCols(3);
    g.SetMaxRows(2);
    g.SetColHeaderRows(c.rows);
    if (c.rowHeight > 0) g.SetRowHeight(0, c.rowHeight);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    const int expected = c.rows * (c.rowHeight > 0 ? std::max(g.RowHeightPixels(0), line) : line);
    QHeaderView* header = HeaderOf(g);
    EXPECT_EQ(header->height(), expected);
    EXPECT_EQ(header->sizeHint().height(), expected);
    // The cells start under the whole header.
    const QPoint cellTop = g.CellArea()->mapTo(&g, QPoint(0, 0));
    EXPECT_GE(cellTop.y(), header->mapTo(&g, QPoint(0, expected)).y());
  }
}

TEST(SpreadGridHeader, StackedRowsAndSpansAreDrawn) {
  struct Case {
    const char* name;
    void (*change)(SpreadGrid&);
    int borders;  // inner borders of the span clear of its text
  } cases[] = {
      {"as designed", [](SpreadGrid&) {}, 2},
      {"wider second column", [](SpreadGrid& g) { g.SetColWidth(2, 20); }, 1},
      {"fourth column hidden", [](SpreadGrid& g) { g.SetColHidden(4, true); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SpreadGrid g;
    DesignSummary(g);
    c.change(g);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    const QImage img = g.ColHeaderArea()->grab().toImage();
    const int line = HeaderOf(g)->height() / 2;
    ASSERT_GT(line, 10);
    const QRect c3 = g.ColHeaderRect(3);
    const int spanLeft = g.ColHeaderRect(2).left(), spanRight = g.ColHeaderRect(4).right();

    // Second row: a text under column 3.
    EXPECT_TRUE(Ink(img, QRect(c3.left() + 3, line + 3, c3.width() - 6, line - 6)).isValid());
    // First row: one text centred over columns 2-4.
    const QRect ink = Ink(img, QRect(spanLeft + 3, 3, spanRight - spanLeft - 6, line - 6));
    ASSERT_TRUE(ink.isValid());
    EXPECT_NEAR(ink.center().x(), (spanLeft + spanRight) / 2, 3);
    EXPECT_LT(ink.width(), (spanRight - spanLeft) / 2);
    // Between the columns under the span a border in the second row, none in the first (where
    // the text does not cover it).
    int borders = 0;
    for (int col : {3, 4}) {
      const QRect r = g.ColHeaderRect(col);
      if (r.width() == 0 || std::abs(r.left() - ink.center().x()) < ink.width() / 2 + 4) continue;
      ++borders;
      EXPECT_TRUE(LineAt(img, r.left(), line + 3, 2 * line - 4)) << col;
      EXPECT_FALSE(LineAt(img, r.left(), 3, line - 4)) << col;
    }
    EXPECT_GE(borders, c.borders);

    // 일자 over both rows: its text sits in the middle of the whole header, no border between.
    const QRect c1 = g.ColHeaderRect(1);
    const QRect date = Ink(img, QRect(c1.left() + 3, 3, c1.width() - 6, 2 * line - 6));
    ASSERT_TRUE(date.isValid());
    EXPECT_NEAR(date.center().y(), line, 3);
    EXPECT_LT(date.height(), line);
  }
}

TEST(SpreadGridHeader, CornerSpansBothRows) {
  SpreadGrid g;
  DesignSummary(g);
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  auto* corner = g.findChild<QAbstractButton*>();
  ASSERT_NE(corner, nullptr);
  const QImage img = corner->grab().toImage();
  const int height = HeaderOf(g)->height();
  ASSERT_EQ(img.height(), height);
  const QRect no = Ink(img, QRect(3, 3, img.width() - 6, height - 6));
  ASSERT_TRUE(no.isValid());
  EXPECT_NEAR(no.center().y(), height / 2, 3);
  EXPECT_LT(no.height(), height / 2);
}

TEST(SpreadGridHeader, SpansMoveWithTheirColumns) {
  // A saved column order puts the money block first: 금액 now spans columns 2-4.
  SpreadGrid g;
  DesignSummary(g);
  SpreadMyMoveCols(g, 5, 7, 2);
  EXPECT_EQ(g.MaxCols(), 7);
  EXPECT_EQ(g.GetText(2, 0), "금액");
  EXPECT_EQ(g.GetText(5, 0), "수량");
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  const QImage img = g.ColHeaderArea()->grab().toImage();
  const int line = HeaderOf(g)->height() / 2;
  for (int first : {2, 5}) {
    SCOPED_TRACE(first);
    const int left = g.ColHeaderRect(first).left(), right = g.ColHeaderRect(first + 2).right();
    EXPECT_FALSE(LineAt(img, g.ColHeaderRect(first + 1).left(), 3, line - 4));
    const QRect ink = Ink(img, QRect(left + 3, 3, right - left - 6, line - 6));
    ASSERT_TRUE(ink.isValid());
    EXPECT_NEAR(ink.center().x(), (left + right) / 2, 3);
  }
}

// The palette cache keys of the header cells and of the scroll bars drawn.
class PaletteKeys final : public QProxyStyle {
 public:
  PaletteKeys() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    if (element == CE_Header) {
      headers.insert(option->palette.cacheKey());
      headerColours.insert(option->palette.color(QPalette::Button).rgb());
    }
    QProxyStyle::drawControl(element, option, painter, widget);
  }
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget) const override {
    if (control == CC_ScrollBar) scrollBars.insert(option->palette.cacheKey());
    QProxyStyle::drawComplexControl(control, option, painter, widget);
  }
  mutable std::set<qint64> headers, scrollBars;
  mutable std::set<QRgb> headerColours;
};

TEST(SpreadGridHeader, HeadersAndScrollBarsAreDrawnWithTheSamePaletteKeyEveryTime) {
  // The style keeps the header cells and scroll bars it draws in Qt's pixmap cache under the
  // palette's key: a new key at each paint or in each new grid fills the cache with pixmaps
  // never drawn again.
  PaletteKeys style;
  std::vector<std::set<qint64>> headers, scrollBars;
  for (int grid = 0; grid < 2; ++grid) {
    SpreadGrid g;
    DesignSummary(g);
    g.SetShadowColor(0x3366CC);  // the header colour, BGR
    g.SetMaxRows(200);           // both scroll bars show
    g.SetMaxCols(30);
    for (QWidget* w : g.findChildren<QWidget*>()) w->setStyle(&style);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    for (int paint = 0; paint < 2; ++paint) {
      style.headers.clear();
      style.scrollBars.clear();
      g.grab();
      ASSERT_FALSE(style.headers.empty());
      ASSERT_FALSE(style.scrollBars.empty());
      headers.push_back(style.headers);
      scrollBars.push_back(style.scrollBars);
    }
  }
  // Row and column headers alike in the grid's header colour.
  EXPECT_EQ(style.headerColours, std::set<QRgb>{qRgb(0xCC, 0x66, 0x33)});
  // Column and row headers may differ; a repaint and a second grid bring no new key.
  for (std::size_t i = 1; i < headers.size(); ++i) {
    EXPECT_EQ(headers[i], headers[0]) << i;
    EXPECT_EQ(scrollBars[i], scrollBars[0]) << i;
  }
}

TEST(SpreadGridHeader, TheScrollBarsMoveTheRows) {
  SpreadGrid g;
  DesignSummary(g);
  g.SetMaxRows(200);
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  auto* area = qobject_cast<QAbstractScrollArea*>(g.CellArea()->parentWidget());
  ASSERT_NE(area, nullptr);
  QScrollBar* bar = area->verticalScrollBar();
  ASSERT_TRUE(bar->isVisible());
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(g.TopRow(), 2);
  bar->setValue(50);
  EXPECT_EQ(g.TopRow(), 51);
}

}  // namespace
