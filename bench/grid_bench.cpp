// Filling and painting the list grid against a QStandardItemModel table with the same data.
//
//   bench_grid_bench [rows]      (QT_QPA_PLATFORM=offscreen when there is no display)
//
// Fill: ReDraw off, SetText per cell, ReDraw on, first paint (rendered into an image so that the
// paint really happens). Paint: the same screenful of a 100,000-row and a 100-row grid.
#include "grid/SpreadGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kCols = 12;
constexpr int kNumberCols[] = {4, 5, 6, 7};  // like a report: counts and money
const QSize kScreen(1200, 800);

// One text per cell, made before any timing, like the rows of a recordset.
std::vector<QString> MakeData(int rows) {
  std::vector<QString> data;
  data.reserve(size_t(rows) * kCols);
  for (int r = 1; r <= rows; ++r) {
    for (int c = 1; c <= kCols; ++c) {
      switch (c) {
        case 1:
          data.push_back(QStringLiteral("user%1").arg(r));
          break;
        case 2:
          data.push_back(QString::fromUtf16(u"(주)코르반 상사 %1").arg(r % 997));
          break;
        case 3:
          data.push_back(QStringLiteral("010-%1-%2")
                             .arg(r % 9000 + 1000)
                             .arg(r % 10000, 4, 10, QLatin1Char('0')));
          break;
        case 4:
        case 5:
        case 6:
        case 7:
          data.push_back(QString::number((r * 7919LL * c) % 10000000 - 2000000));
          break;
        case 8:
          data.push_back(QStringLiteral("2024-%1-%2")
                             .arg(r % 12 + 1, 2, 10, QLatin1Char('0'))
                             .arg(r % 28 + 1, 2, 10, QLatin1Char('0')));
          break;
        default:
          data.push_back(QString::fromUtf16(u"메모 %1 열%2").arg(r).arg(c));
      }
    }
  }
  return data;
}

void Render(QWidget& w) {
  QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
  QPainter p(&image);
  w.render(&p);
}

void DesignNumbers(SpreadGrid& g) {
  for (int c : kNumberCols) {
    g.SetCellType(c, -1, spread::CellTypeNumber);
    g.SetTypeNumberDecPlaces(c, -1, 0);
    g.SetTypeNumberShowSep(c, -1, true);
    g.SetTypeNegRed(c, -1, true);
  }
}

struct Phases {
  double rows = 0, texts = 0, redraw = 0, paint = 0;
  double Total() const { return rows + texts + redraw + paint; }
};

Phases FillOurs(int rows, const std::vector<QString>& data, SpreadGrid& g) {
  Phases p;
  QElapsedTimer t;
  t.start();
  auto lap = [&t](double& into) { into = double(t.nsecsElapsed()) / 1e6, t.restart(); };
  g.SetReDraw(false);
  g.SetMaxRows(rows);
  lap(p.rows);
  size_t i = 0;
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= kCols; ++c) g.SetText(c, r, data[i++]);
  lap(p.texts);
  g.SetReDraw(true);
  lap(p.redraw);
  Render(g);
  lap(p.paint);
  return p;
}

double FillStandard(int rows, const std::vector<QString>& data, QTableView& view) {
  QElapsedTimer t;
  t.start();
  // Filled before the view sees it: with the view attached every setItem makes the view
  // re-examine all its rows, which at this size does not finish in minutes.
  auto* model = new QStandardItemModel(rows, kCols, &view);
  size_t i = 0;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < kCols; ++c) model->setItem(r, c, new QStandardItem(data[i++]));
  view.setModel(model);
  Render(view);
  return double(t.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double TimedRender(QWidget& w) {
  QElapsedTimer t;
  t.start();
  Render(w);
  return double(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;

  const std::vector<QString> data = MakeData(rows);
  std::printf("grid fill: %d rows x %d columns\n", rows, kCols);

  // Each fill runs three times on a fresh grid or view; the medians are compared, so that one
  // slow moment on a shared machine does not decide the ratio.
  constexpr int kRuns = 3;
  std::vector<Phases> ourRuns;
  std::vector<double> ourTotals, standardTotals;
  std::unique_ptr<SpreadGrid> ours;
  for (int run = 0; run < kRuns; ++run) {
    ours = std::make_unique<SpreadGrid>();
    ours->resize(kScreen);
    ours->SetMaxCols(kCols);
    DesignNumbers(*ours);
    ours->show();
    ourRuns.push_back(FillOurs(rows, data, *ours));
    ourTotals.push_back(ourRuns.back().Total());

    QTableView standardView;
    standardView.resize(kScreen);
    standardView.show();
    standardTotals.push_back(FillStandard(rows, data, standardView));
  }
  const double oursMs = Median(ourTotals), standardMs = Median(standardTotals);
  const Phases& phases = *std::find_if(ourRuns.begin(), ourRuns.end(),
                                       [&](const Phases& p) { return p.Total() == oursMs; });

  std::printf("  SpreadGrid (ReDraw off, SetText, ReDraw on, paint): %9.1f ms (median of %d)\n",
              oursMs, kRuns);
  std::printf("    MaxRows %.1f, SetText %.1f, ReDraw on %.1f, first paint %.1f ms\n", phases.rows,
              phases.texts, phases.redraw, phases.paint);
  std::printf("  QStandardItemModel + QTableView (same data, paint):  %9.1f ms (median of %d)\n",
              standardMs, kRuns);
  std::printf("  ratio standard / ours: %.1fx (goal >= 5x)\n", standardMs / oursMs);

  // The same screenful of a big and a small grid: the small one holds the rows the big one shows,
  // and the two are drawn in turns so that a busy machine slows both alike.
  const int firstShown = std::max(1, rows / 2);
  std::vector<QString> window(
      data.begin() + std::ptrdiff_t(firstShown - 1) * kCols,
      data.begin() + std::ptrdiff_t(std::min(rows, firstShown + 99)) * kCols);
  SpreadGrid small;
  small.resize(kScreen);
  small.SetMaxCols(kCols);
  DesignNumbers(small);
  small.show();
  FillOurs(int(window.size()) / kCols, window, small);
  ours->SetTopRow(firstShown);
  small.SetTopRow(1);
  Render(*ours);
  Render(small);
  const int repeats = 101;
  std::vector<double> big, little;
  for (int i = 0; i < repeats; ++i) {
    big.push_back(TimedRender(*ours));
    little.push_back(TimedRender(small));
  }
  const double bigMs = Median(big), smallMs = Median(little);
  std::printf(
      "screenful paint (median of %d, rows %d.. shown): %d-row grid %.3f ms, "
      "100-row grid %.3f ms, ratio %.2f (goal <= 1.2)\n",
      repeats, firstShown, rows, bigMs, smallMs, bigMs / smallMs);

  // A header-click sort of the whole grid by a number column, and back by a text column.
  {
    QElapsedTimer t;
    t.start();
    ours->Sort(5, true);
    const double byNumber = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    ours->Sort(1, true);
    const double byText = double(t.nsecsElapsed()) / 1e6;
    std::printf("sort of %d rows: by a number column %.1f ms, by a text column %.1f ms\n", rows,
                byNumber, byText);
  }

  // A report's totals: SUM formulas in four hidden columns, then one edit of a summed cell.
  {
    QElapsedTimer t;
    t.start();
    ours->SetMaxCols(kCols + 4);
    {
      ReDrawOff off(*ours);
      for (int i = 0; i < 4; ++i) {
        ours->SetColHidden(kCols + 1 + i, true);
        ours->SetFormula(kCols + 1 + i, 1,
                         QStringLiteral("SUM(R1C%1:R%2C%1)").arg(kNumberCols[i]).arg(rows));
      }
    }
    const double sums = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    ours->SetText(kNumberCols[0], rows / 2, QStringLiteral("1"));
    const double edit = double(t.nsecsElapsed()) / 1e6;
    std::printf("four column sums over %d rows: set %.1f ms, one edit with ReDraw on %.1f ms\n",
                rows, sums, edit);
    ours->SetMaxCols(kCols);
  }

  // Hiding every other row (the subtotal view of the context menu does this to all data rows),
  // then showing them again.
  {
    QElapsedTimer t;
    t.start();
    {
      ReDrawOff off(*ours);
      for (int r = 1; r <= rows; r += 2) ours->SetRowHidden(r, true);
    }
    Render(*ours);
    const double hide = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    {
      ReDrawOff off(*ours);
      for (int r = 1; r <= rows; r += 2) ours->SetRowHidden(r, false);
    }
    Render(*ours);
    const double show = double(t.nsecsElapsed()) / 1e6;
    std::printf("hiding %d rows %.1f ms, showing them again %.1f ms (with a paint each)\n",
                (rows + 1) / 2, hide, show);
  }

  return 0;
}
