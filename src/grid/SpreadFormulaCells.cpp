#include "grid/SpreadFormula.h"
#include "grid/SpreadGridPrivate.h"
#include "platform/Numbers.h"

#include <algorithm>

// The grid's formula cells: values, evaluation order, recalculation after changes, and
// references and spans that follow inserted and deleted lines.

std::optional<double> SpreadGrid::Impl::lookup(int col, int row) {
  if (col < 1 || col > maxCols() || row < 1 || row > maxRows()) return std::nullopt;
  Cell& cell = cols[size_t(col)].cells[size_t(row - 1)];
  if (cell.extra && cell.extra->formula) return formulaValue(col, row, *cell.extra);
  return numberOf(cell.text).value_or(0.0);
}

std::optional<double> SpreadGrid::Impl::numberOf(const QString& text) {
  double v = 0;
  if (numbers::PlainNumber(text, 10, v)) return v;
  return numbers::LooseNumber(text);
}

std::optional<double> SpreadGrid::Impl::formulaValue(int col, int row, CellExtra& x) {
  if (valuesStale) {
    valuesStale = false;
    ++evalStamp;
  }
  if (x.stamp == evalStamp) return x.value;
  if (x.busy) return std::nullopt;  // read again while being evaluated: circular
  evaluate(col, row, x);
  return x.value;
}

const std::vector<std::pair<int, int>>& SpreadGrid::Impl::formulaCells() {
  if (!registryStale) return registry;
  registry.clear();
  if (formulaCount > 0) {
    for (int c = 1; c <= maxCols(); ++c) {
      const auto& cells = cols[size_t(c)].cells;
      for (size_t r = 0; r < cells.size(); ++r)
        if (cells[r].extra && cells[r].extra->formula) registry.emplace_back(c, int(r) + 1);
    }
  }
  registryStale = false;
  return registry;
}

void SpreadGrid::Impl::cellValueChanged(int col, int row) {
  if (formulaCount == 0) return;
  if (!redraw) {
    formulasDirty = valuesStale = true;
    return;
  }
  recalcFrom(col, row);
}

int SpreadGrid::Impl::countFormulas(const std::vector<Cell>& cells, size_t from, size_t to) const {
  int n = 0;
  for (size_t i = from; i < to; ++i)
    if (cells[i].extra && cells[i].extra->formula) ++n;
  return n;
}

void SpreadGrid::Impl::shiftSpans(bool byRows, int at, int count) {
  if (spans.empty()) return;
  std::vector<Span> kept;
  for (Span sp : spans) {
    int& line = byRows ? sp.row : sp.col;
    if (line >= at) {
      if (count < 0 && line < at - count) continue;
      line += count;
    }
    kept.push_back(sp);
  }
  spans.swap(kept);
  applySpans();
}

void SpreadGrid::Impl::structureChanged() {
  registryStale = true;
  if (formulaCount > 0) {
    if (redraw)
      recalc();
    else
      formulasDirty = valuesStale = true;
  }
}

void SpreadGrid::Impl::recalc() {
  const auto cells = formulaCells();  // copied: Change handlers may reshape the grid
  ++evalStamp;
  announce(cells);
}

void SpreadGrid::Impl::recalcFrom(int col, int row) {
  ++markStamp;
  std::vector<std::pair<int, int>> affected, work{{col, row}};
  while (!work.empty()) {
    const auto [c, r] = work.back();
    work.pop_back();
    for (const auto& [fc, fr] : formulaCells()) {
      CellExtra& x = *cols[size_t(fc)].cells[size_t(fr - 1)].extra;
      if (x.mark == markStamp || !x.formula->Reads(fc, fr, c, r)) continue;
      x.mark = markStamp;
      x.stamp = 0;  // evaluated afresh, and so is whatever it reads that is stale too
      affected.emplace_back(fc, fr);
      work.emplace_back(fc, fr);
    }
  }
  announce(affected);
}

// Depth first over what the formula reads, on a stack of our own: a chain of formulas can be as
// long as the sheet is high. Once a formula's turn comes, everything it reads is evaluated, so its
// own look-ups go no deeper. busy marks the formulas on the current path; meeting one of them
// again is a circular reference, which reads as an error.
void SpreadGrid::Impl::evaluate(int col, int row, CellExtra& first) {
  struct Step {
    int col, row;
    CellExtra* x;
    bool expanded;
  };
  std::vector<Step> stack{{col, row, &first, false}};
  while (!stack.empty()) {
    const Step step = stack.back();  // a copy: pushing moves the stack
    CellExtra& x = *step.x;
    if (!step.expanded) {
      if (x.stamp == evalStamp || x.busy) {
        stack.pop_back();  // reached twice; done already, or circular
        continue;
      }
      stack.back().expanded = true;
      x.busy = true;
      x.formula->ForEachBlock(step.col, step.row, [&](int c1, int r1, int c2, int r2) {
        c1 = std::max(c1, 1);
        r1 = std::max(r1, 1);
        c2 = std::min(c2, maxCols());
        r2 = std::min(r2, maxRows());
        for (int c = c1; c <= c2; ++c) {
          std::vector<Cell>& cells = cols[size_t(c)].cells;
          for (int r = r1; r <= r2; ++r) {
            CellExtra* e = cells[size_t(r - 1)].extra.get();
            if (e && e->formula && e->stamp != evalStamp && !e->busy)
              stack.push_back({c, r, e, false});
          }
        }
      });
      continue;
    }
    x.value =
        x.formula->Evaluate(step.col, step.row, [this](int c, int r) { return lookup(c, r); });
    x.busy = false;
    x.stamp = evalStamp;
    stack.pop_back();
  }
}

void SpreadGrid::Impl::announce(const std::vector<std::pair<int, int>>& cells) {
  std::vector<std::pair<int, int>> moved;
  for (const auto& [c, r] : cells) {
    CellExtra& x = *cols[size_t(c)].cells[size_t(r - 1)].extra;
    const auto v = formulaValue(c, r, x);
    if (!x.notified || x.announced != v) {
      x.notified = true;
      x.announced = v;
      moved.emplace_back(c, r);
    }
  }
  for (const auto& [c, r] : moved) {
    // An earlier Change handler may have shrunk the grid: cells that are gone are not announced.
    if (c > maxCols() || r > maxRows()) continue;
    touch(c, r, c, r);
    emit q->Change(c, r);
  }
}

std::shared_ptr<const spread::Formula> SpreadGrid::Impl::parseFormula(const QString& text) {
  if (text.isEmpty()) return nullptr;
  auto parsed = spread::Formula::Parse(text);
  // A formula this grid cannot read keeps its text and shows as an error (empty).
  return parsed ? parsed : spread::Formula::Parse(QStringLiteral("1/0"));
}

bool SpreadGrid::Impl::setFormulaRaw(int col, int row, const QString& text,
                                     const std::shared_ptr<const spread::Formula>& parsed,
                                     bool fromColumn) {
  Cell* cell = cellAt(col, row);
  if (!cell || col < 1 || row < 1) return false;
  const bool had = cell->extra && cell->extra->formula;
  if (!parsed && !had) return false;
  CellExtra& x = extraOf(*cell);
  x.formulaText = parsed ? text : QString();
  x.formula = parsed;
  x.fromColumn = fromColumn && parsed;
  x.notified = false;
  x.stamp = 0;
  const bool has = bool(x.formula);
  if (has != had) {
    formulaCount += has ? 1 : -1;
    registryStale = true;
  }
  if (has) cell->text.clear();
  return true;
}

void SpreadGrid::Impl::fillColumnFormulas(int first, int last) {
  first = std::max(first, 1);
  last = std::min(last, maxRows());
  for (int c = 1; c <= maxCols(); ++c) {
    const Column& column = cols[size_t(c)];
    if (!column.formula) continue;
    for (int r = first; r <= last; ++r)
      setFormulaRaw(c, r, column.formulaText, column.formula, true);
  }
}

void SpreadGrid::Impl::shiftFormulas(bool byRows, int at, int count) {
  registryStale = true;
  // A column's own formula has no row of its own: only column shifts reach it.
  if (!byRows) {
    for (int c = 1; c <= maxCols(); ++c) {
      Column& column = cols[size_t(c)];
      if (!column.formula) continue;
      const int before = c >= at + std::max(count, 0) ? c - count : c;
      if (auto moved = column.formula->Shifted(false, at, count, before, c)) {
        column.formula = std::move(moved);
        column.formulaText = column.formula->Text();
      }
    }
  }
  if (formulaCount == 0) return;
  for (const auto& [c, r] : formulaCells()) {
    CellExtra& x = *cols[size_t(c)].cells[size_t(r - 1)].extra;
    const int after = byRows ? r : c;
    const int before = after >= at + std::max(count, 0) ? after - count : after;
    if (auto moved = x.formula->Shifted(byRows, at, count, before, after)) {
      x.formula = std::move(moved);
      x.formulaText = x.formula->Text();
    }
  }
}
