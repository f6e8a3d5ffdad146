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
  int Resolve(int own) const { return relative ? own + value : value; }
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

  struct Node {
    enum Kind { Number, Ref, Range, Neg, Add, Sub, Mul, Div, Func } kind = Number;
    double number = 0;
    CellRef a, b;
    int lhs = -1, rhs = -1;
    int func = 0;
    std::vector<int> args;
  };

 private:
  std::optional<double> Eval(int node, int ownCol, int ownRow, const Lookup& lookup) const;
  std::vector<Node> m_nodes;
  int m_root = -1;
  friend class FormulaParser;
};

}  // namespace spread
