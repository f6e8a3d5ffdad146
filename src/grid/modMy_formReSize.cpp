#include "grid/modMy_formReSize.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kDefaultMinWidth = 4635;
constexpr int kDefaultMinHeight = 5000;
constexpr int kButtonStep = 1155;
constexpr int kButtonMargin = 30;
constexpr int kGridMargin = 105;
constexpr int kGridGap = 135;
constexpr int kSumGridGap = 30;
}  // namespace

double TwipsPerPixel() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
  return dpi > 0 ? 1440.0 / dpi : 15.0;
}

int TwipsToPixels(int twips) { return int(std::lround(twips / TwipsPerPixel())); }
int PixelsToTwips(int pixels) { return int(std::lround(pixels * TwipsPerPixel())); }

int FormMinSize(QWidget& window, int minWidth, int minHeight) {
  if (window.isMinimized()) return -1;
  if (window.isMaximized()) return 0;
  if (minWidth < 0) minWidth = kDefaultMinWidth;
  if (minHeight < 0) minHeight = kDefaultMinHeight;
  // Rounded up, so that the window really is no smaller than the minimum in twips.
  const int minW = int(std::ceil(minWidth / TwipsPerPixel() - 1e-9));
  const int minH = int(std::ceil(minHeight / TwipsPerPixel() - 1e-9));
  if (window.width() < minW || window.height() < minH)
    window.resize(std::max(window.width(), minW), std::max(window.height(), minH));
  return 0;
}

int PlaceTopButton(QWidget& button, int clientWidth, int position) {
  const int left = clientWidth - kButtonMargin - position * kButtonStep;
  button.move(TwipsToPixels(left), button.y());
  return left;
}

void FitWidth(QWidget& panel, int clientWidth, QWidget* grid1, QWidget* grid2) {
  panel.resize(std::max(0, TwipsToPixels(clientWidth)), panel.height());
  for (QWidget* g : {grid1, grid2})
    if (g) g->resize(std::max(0, TwipsToPixels(clientWidth - kGridMargin)), g->height());
}

void FitHeight(QWidget& panel, int clientHeight, QWidget* grid1, QWidget* grid2) {
  const int below = clientHeight - PixelsToTwips(panel.y());
  panel.resize(panel.width(), std::max(0, TwipsToPixels(below)));
  if (grid1 && grid2) {
    const int h1 = below - PixelsToTwips(grid2->height()) - kGridGap;
    grid1->resize(grid1->width(), std::max(0, TwipsToPixels(h1)));
    const int top2 = PixelsToTwips(grid1->y()) + PixelsToTwips(grid1->height()) + kSumGridGap;
    grid2->move(grid2->x(), TwipsToPixels(top2));
  } else if (grid1) {
    grid1->resize(grid1->width(), std::max(0, TwipsToPixels(below - kGridMargin)));
  } else if (grid2) {
    grid2->resize(grid2->width(), std::max(0, TwipsToPixels(below - kGridMargin)));
  }
}
