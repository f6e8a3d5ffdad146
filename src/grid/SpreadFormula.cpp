#include "grid/SpreadFormula.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace spread {

namespace {

enum Func { FuncSum = 1, FuncMin, FuncMax, FuncAverage, FuncCount, FuncAbs };

int FuncByName(const QString& name) {
  static const struct {
    const char* name;
    int id;
  } kFuncs[] = {{"SUM", FuncSum},         {"MIN", FuncMin},     {"MAX", FuncMax},
                {"AVERAGE", FuncAverage}, {"AVG", FuncAverage}, {"COUNT", FuncCount},
                {"ABS", FuncAbs}};
  for (const auto& f : kFuncs)
    if (name == QLatin1String(f.name)) return f.id;
  return 0;
}

}  // namespace

// Recursive descent over the formula text; any syntax error makes the whole formula invalid.
class FormulaParser {
 public:
  FormulaParser(const QString& text, Formula& f) : m_s(text.toUpper()), m_f(f) {}

  bool Run() {
    skipBlanks();
    if (m_pos < m_s.size() && m_s[m_pos] == u'=') ++m_pos;
    const int root = expr();
    skipBlanks();
    if (root < 0 || m_pos != m_s.size()) return false;
    m_f.m_root = root;
    return true;
  }

 private:
  using Node = Formula::Node;

  void skipBlanks() {
    while (m_pos < m_s.size() && m_s[m_pos].isSpace()) ++m_pos;
  }
  bool eat(QChar c) {
    skipBlanks();
    if (m_pos < m_s.size() && m_s[m_pos] == c) {
      ++m_pos;
      return true;
    }
    return false;
  }
  int add(Node n) {
    m_f.m_nodes.push_back(std::move(n));
    return int(m_f.m_nodes.size()) - 1;
  }
  int binary(Node::Kind k, int l, int r) {
    if (l < 0 || r < 0) return -1;
    Node n;
    n.kind = k;
    n.lhs = l;
    n.rhs = r;
    return add(n);
  }

  int expr() {
    int l = term();
    while (l >= 0) {
      if (eat(u'+'))
        l = binary(Node::Add, l, term());
      else if (eat(u'-'))
        l = binary(Node::Sub, l, term());
      else
        break;
    }
    return l;
  }
  int term() {
    int l = unary();
    while (l >= 0) {
      if (eat(u'*'))
        l = binary(Node::Mul, l, unary());
      else if (eat(u'/'))
        l = binary(Node::Div, l, unary());
      else
        break;
    }
    return l;
  }
  int unary() {
    if (eat(u'-')) {
      const int operand = unary();
      if (operand < 0) return -1;
      Node n;
      n.kind = Node::Neg;
      n.lhs = operand;
      return add(n);
    }
    if (eat(u'+')) return unary();
    return primary();
  }

  // Digits of an absolute part, or "[n]" of a relative one; nothing at all means "this row/col".
  bool refPart(RefPart& p) {
    if (m_pos < m_s.size() && m_s[m_pos] == u'[') {
      const int close = m_s.indexOf(u']', m_pos);
      if (close < 0) return false;
      bool ok = false;
      p.value = m_s.mid(m_pos + 1, close - m_pos - 1).trimmed().toInt(&ok);
      p.relative = true;
      m_pos = close + 1;
      return ok;
    }
    const int start = m_pos;
    while (m_pos < m_s.size() && m_s[m_pos].isDigit()) ++m_pos;
    if (m_pos == start) {
      p = RefPart{0, true};
      return true;
    }
    p.value = m_s.mid(start, m_pos - start).toInt();
    p.relative = false;
    return p.value > 0;
  }
  bool cellRef(CellRef& r) {
    skipBlanks();
    if (m_pos >= m_s.size() || m_s[m_pos] != u'R') return false;
    ++m_pos;
    if (!refPart(r.row)) return false;
    if (m_pos >= m_s.size() || m_s[m_pos] != u'C') return false;
    ++m_pos;
    return refPart(r.col);
  }

  int primary() {
    skipBlanks();
    if (m_pos >= m_s.size()) return -1;
    const QChar c = m_s[m_pos];
    if (c == u'(') {
      ++m_pos;
      const int inner = expr();
      return eat(u')') ? inner : -1;
    }
    if (c.isDigit() || c == u'.') {
      const int start = m_pos;
      while (m_pos < m_s.size() && (m_s[m_pos].isDigit() || m_s[m_pos] == u'.')) ++m_pos;
      bool ok = false;
      Node n;
      n.number = m_s.mid(start, m_pos - start).toDouble(&ok);
      return ok ? add(n) : -1;
    }
    if (!c.isLetter()) return -1;
    // A function name is letters followed by "("; otherwise the letters start a reference.
    int end = m_pos;
    while (end < m_s.size() && m_s[end].isLetter()) ++end;
    int paren = end;
    while (paren < m_s.size() && m_s[paren].isSpace()) ++paren;
    if (paren < m_s.size() && m_s[paren] == u'(') {
      Node n;
      n.kind = Node::Func;
      n.name = m_s.mid(m_pos, end - m_pos);
      n.func = FuncByName(n.name);
      if (n.func == 0) return -1;
      m_pos = paren + 1;
      if (!eat(u')')) {
        do {
          const int arg = argument();
          if (arg < 0) return -1;
          n.args.push_back(arg);
        } while (eat(u','));
        if (!eat(u')')) return -1;
      }
      return add(n);
    }
    Node n;
    n.kind = Node::Ref;
    if (!cellRef(n.a)) return -1;
    return add(n);
  }

  // A function argument may be a block "R1C4:R120C4" as well as an expression.
  int argument() {
    const int save = m_pos;
    Node n;
    if (cellRef(n.a) && eat(u':')) {
      n.kind = Node::Range;
      if (!cellRef(n.b)) return -1;
      return add(n);
    }
    m_pos = save;
    return expr();
  }

  QString m_s;
  Formula& m_f;
  int m_pos = 0;
};

std::shared_ptr<const Formula> Formula::Parse(const QString& text) {
  auto f = std::make_shared<Formula>();
  FormulaParser p(text, *f);
  if (text.trimmed().isEmpty() || !p.Run()) return nullptr;
  return f;
}

std::optional<double> Formula::Evaluate(int ownCol, int ownRow, const Lookup& lookup) const {
  const std::optional<double> v = Eval(m_root, ownCol, ownRow, lookup);
  if (v && !std::isfinite(*v)) return std::nullopt;
  return v;
}

std::optional<double> Formula::Eval(int index, int ownCol, int ownRow, const Lookup& lookup) const {
  const Node& n = m_nodes[size_t(index)];
  switch (n.kind) {
    case Node::Number:
      return n.number;
    case Node::Ref:
      return lookup(n.a.col.Resolve(ownCol), n.a.row.Resolve(ownRow));
    case Node::Range:
      return std::nullopt;  // a block only means something inside a function
    case Node::Neg: {
      const auto v = Eval(n.lhs, ownCol, ownRow, lookup);
      return v ? std::optional<double>(-*v) : std::nullopt;
    }
    case Node::Add:
    case Node::Sub:
    case Node::Mul:
    case Node::Div: {
      const auto l = Eval(n.lhs, ownCol, ownRow, lookup);
      const auto r = Eval(n.rhs, ownCol, ownRow, lookup);
      if (!l || !r) return std::nullopt;
      switch (n.kind) {
        case Node::Add:
          return *l + *r;
        case Node::Sub:
          return *l - *r;
        case Node::Mul:
          return *l * *r;
        default:
          if (*r == 0) return std::nullopt;
          return *l / *r;
      }
    }
    case Node::Func: {
      double sum = 0, lo = std::numeric_limits<double>::infinity(), hi = -lo;
      long count = 0;
      bool failed = false;
      auto take = [&](std::optional<double> v) {
        if (!v) {
          failed = true;
          return;
        }
        sum += *v;
        lo = std::min(lo, *v);
        hi = std::max(hi, *v);
        ++count;
      };
      for (int arg : n.args) {
        const Node& a = m_nodes[size_t(arg)];
        if (a.kind != Node::Range) {
          take(Eval(arg, ownCol, ownRow, lookup));
          continue;
        }
        const int c1 = a.a.col.Resolve(ownCol), c2 = a.b.col.Resolve(ownCol);
        const int r1 = a.a.row.Resolve(ownRow), r2 = a.b.row.Resolve(ownRow);
        for (int c = std::min(c1, c2); c <= std::max(c1, c2); ++c)
          for (int r = std::min(r1, r2); r <= std::max(r1, r2); ++r) take(lookup(c, r));
      }
      if (failed) return std::nullopt;
      switch (n.func) {
        case FuncSum:
          return sum;
        case FuncMin:
          return count ? lo : 0.0;
        case FuncMax:
          return count ? hi : 0.0;
        case FuncAverage:
          if (count == 0) return std::nullopt;
          return sum / double(count);
        case FuncCount:
          return double(count);
        case FuncAbs:
          return count == 1 ? std::optional<double>(std::fabs(sum)) : std::nullopt;
      }
      return std::nullopt;
    }
  }
  return std::nullopt;
}

void Formula::ForEachBlock(int ownCol, int ownRow,
                           const std::function<void(int, int, int, int)>& visit) const {
  for (const Node& n : m_nodes) {
    if (n.kind == Node::Ref) {
      const int c = n.a.col.Resolve(ownCol), r = n.a.row.Resolve(ownRow);
      visit(c, r, c, r);
    } else if (n.kind == Node::Range) {
      const int c1 = n.a.col.Resolve(ownCol), c2 = n.b.col.Resolve(ownCol);
      const int r1 = n.a.row.Resolve(ownRow), r2 = n.b.row.Resolve(ownRow);
      visit(std::min(c1, c2), std::min(r1, r2), std::max(c1, c2), std::max(r1, r2));
    }
  }
}

namespace {

// Where line t lies after the change; nullopt when it was deleted.
std::optional<int> MapLine(int t, int at, int count) {
  if (count > 0) return t >= at ? t + count : t;
  const int gone = -count;
  if (t < at) return t;
  if (t >= at + gone) return t - gone;
  return std::nullopt;
}

// end: the part is the far end of a block, which shrinks onto the lines that are left.
bool ShiftPart(RefPart& p, int at, int count, int ownBefore, int ownAfter, bool end,
               bool& changed) {
  if (p.broken) return true;
  const int target = p.relative ? ownBefore + p.value : p.value;
  std::optional<int> moved = MapLine(target, at, count);
  if (!moved) {
    if (end) return false;  // decided together with the block's other end
    moved = at;
  }
  const int value = p.relative ? *moved - ownAfter : *moved;
  if (value != p.value) {
    p.value = value;
    changed = true;
  }
  return true;
}

QString PartText(QChar axis, const RefPart& p) {
  if (p.relative)
    return p.value == 0 ? QString(axis) : QStringLiteral("%1[%2]").arg(axis).arg(p.value);
  return QStringLiteral("%1%2").arg(axis).arg(p.value);
}

QString RefText(const CellRef& r) {
  if (r.row.broken || r.col.broken) return QStringLiteral("#REF!");
  return PartText(u'R', r.row) + PartText(u'C', r.col);
}

}  // namespace

std::shared_ptr<const Formula> Formula::Shifted(bool rows, int at, int count, int ownBefore,
                                                int ownAfter) const {
  auto copy = std::make_shared<Formula>(*this);
  bool changed = false;
  for (Node& n : copy->m_nodes) {
    if (n.kind != Node::Ref && n.kind != Node::Range) continue;
    RefPart& a = rows ? n.a.row : n.a.col;
    if (n.kind == Node::Ref) {
      if (!ShiftPart(a, at, count, ownBefore, ownAfter, true, changed)) a.broken = changed = true;
      continue;
    }
    RefPart& b = rows ? n.b.row : n.b.col;
    // A block keeps whatever of it survives; with nothing left it is broken.
    const int firstBefore = a.relative ? ownBefore + a.value : a.value;
    const int lastBefore = b.relative ? ownBefore + b.value : b.value;
    const int lo = std::min(firstBefore, lastBefore), hi = std::max(firstBefore, lastBefore);
    if (count < 0 && lo >= at && hi < at - count) {
      a.broken = b.broken = changed = true;
      continue;
    }
    RefPart& first = firstBefore <= lastBefore ? a : b;
    RefPart& last = firstBefore <= lastBefore ? b : a;
    ShiftPart(first, at, count, ownBefore, ownAfter, false, changed);
    if (!ShiftPart(last, at, count, ownBefore, ownAfter, true, changed)) {
      const int value = last.relative ? (at - 1) - ownAfter : at - 1;
      if (value != last.value) {
        last.value = value;
        changed = true;
      }
    }
  }
  return changed ? copy : nullptr;
}

QString Formula::Text() const { return m_root < 0 ? QString() : NodeText(m_root); }

QString Formula::NodeText(int index) const {
  const Node& n = m_nodes[size_t(index)];
  auto wrapped = [this](int child) {
    const Node::Kind k = m_nodes[size_t(child)].kind;
    const QString t = NodeText(child);
    return k == Node::Add || k == Node::Sub || k == Node::Mul || k == Node::Div
               ? QStringLiteral("(") + t + QStringLiteral(")")
               : t;
  };
  switch (n.kind) {
    case Node::Number:
      return QString::number(n.number, 'g', 15);
    case Node::Ref:
      return RefText(n.a);
    case Node::Range:
      return RefText(n.a) + QStringLiteral(":") + RefText(n.b);
    case Node::Neg:
      return QStringLiteral("-") + wrapped(n.lhs);
    case Node::Add:
    case Node::Sub: {
      const Node::Kind rk = m_nodes[size_t(n.rhs)].kind;
      const QString rhs = rk == Node::Add || rk == Node::Sub ? wrapped(n.rhs) : NodeText(n.rhs);
      return NodeText(n.lhs) + (n.kind == Node::Add ? QStringLiteral("+") : QStringLiteral("-")) +
             rhs;
    }
    case Node::Mul:
    case Node::Div: {
      const Node::Kind lk = m_nodes[size_t(n.lhs)].kind;
      const QString lhs = lk == Node::Add || lk == Node::Sub ? wrapped(n.lhs) : NodeText(n.lhs);
      return lhs + (n.kind == Node::Mul ? QStringLiteral("*") : QStringLiteral("/")) +
             wrapped(n.rhs);
    }
    case Node::Func: {
      QStringList args;
      for (int a : n.args) args << NodeText(a);
      return n.name + QStringLiteral("(") + args.join(u',') + QStringLiteral(")");
    }
  }
  return QString();
}

bool Formula::Reads(int ownCol, int ownRow, int col, int row) const {
  // Asked for every formula on every edit: no callbacks here.
  for (const Node& n : m_nodes) {
    if (n.kind == Node::Ref) {
      if (n.a.col.Resolve(ownCol) == col && n.a.row.Resolve(ownRow) == row) return true;
    } else if (n.kind == Node::Range) {
      const int c1 = n.a.col.Resolve(ownCol), c2 = n.b.col.Resolve(ownCol);
      const int r1 = n.a.row.Resolve(ownRow), r2 = n.b.row.Resolve(ownRow);
      if (col >= std::min(c1, c2) && col <= std::max(c1, c2) && row >= std::min(r1, r2) &&
          row <= std::max(r1, r2))
        return true;
    }
  }
  return false;
}

}  // namespace spread
