#pragma once
// Cell formulas in R1C1 style, the way the list windows write them: SUM over a block
// ("SUM(R1C4:R120C4)") and arithmetic between cells ("RC6/RC5", "R[-1]C+RC3"). A formula is parsed
// once and evaluated against its own cell, because relative references depend on where it sits.

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace spread {

// One end of a reference: absolute (R5) or relative to the formula's cell (R[-1], or R alone).
struct RefPart {
  int value = 0;
  bool relative = false;
  bool broken = false;  // pointed into deleted lines
  int Resolve(int own) const { return broken ? 0 : relative ? own + value : value; }
};

struct CellRef {
  RefPart row;
  RefPart col;
};

class Formula {
 public:
  // nullptr when the text is not a formula this grid understands.
  static std::shared_ptr<const Formula> Parse(const QString& text);

  // Cell values as numbers; a cell outside the sheet or in error gives nullopt.
  using Lookup = std::function<std::optional<double>(int col, int row)>;

  // nullopt for errors (division by zero, a reference outside the sheet): the cell shows empty.
  std::optional<double> Evaluate(int ownCol, int ownRow, const Lookup& lookup) const;

  // Calls visit(col1, row1, col2, row2) for every cell or block the formula reads, as placed at
  // (ownCol, ownRow); a single cell is a block of one.
  void ForEachBlock(int ownCol, int ownRow,
                    const std::function<void(int, int, int, int)>& visit) const;

  bool Reads(int ownCol, int ownRow, int col, int row) const;

  // After rows (or columns, when !rows) were inserted before `at` (count > 0) or the lines
  // at .. at - count - 1 deleted (count < 0), with the formula's own line moved from ownBefore to
  // ownAfter: the same formula pointing at the same cells, or nullptr when nothing changes.
  // A reference into deleted lines becomes #REF! and evaluates as an error.
  std::shared_ptr<const Formula> Shifted(bool rows, int at, int count, int ownBefore,
                                         int ownAfter) const;
  // The formula in R1C1 text, as it reads after a shift.
  QString Text() const;

  struct Node {
    enum Kind { Number, Ref, Range, Neg, Add, Sub, Mul, Div, Func } kind = Number;
    double number = 0;
    CellRef a, b;
    int lhs = -1, rhs = -1;
    int func = 0;
    QString name;  // of the function, as written
    std::vector<int> args;
  };

 private:
  std::optional<double> Eval(int node, int ownCol, int ownRow, const Lookup& lookup) const;
  QString NodeText(int node) const;
  std::vector<Node> m_nodes;
  int m_root = -1;
  friend class FormulaParser;
};

}  // namespace spread
