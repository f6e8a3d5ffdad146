#include "controls/NumberFormat.h"

namespace numfmt {

namespace {

bool IsAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Adds one unit in the last place of a digit string; returns the carry-out digit string.
QString IncrementDigits(QString digits) {
  for (qsizetype i = digits.size() - 1; i >= 0; --i) {
    if (digits[i] == u'9') {
      digits[i] = u'0';
    } else {
      digits[i] = QChar(digits[i].unicode() + 1);
      return digits;
    }
  }
  return u'1' + digits;
}

QString Group(const QString& digits) {
  QString out;
  out.reserve(digits.size() + digits.size() / 3);
  for (qsizetype i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += u',';
    out += digits[i];
  }
  return out;
}

}  // namespace

std::optional<Decimal> ParseNumber(QStringView text) {
  QStringView s = text.trimmed();
  Decimal d;
  if (!s.isEmpty() && (s.front() == u'-' || s.front() == u'+')) {
    d.negative = s.front() == u'-';
    s = s.mid(1).trimmed();
  } else if (!s.isEmpty() && (s.back() == u'-' || s.back() == u'+')) {
    d.negative = s.back() == u'-';
    s = s.chopped(1).trimmed();
  }
  bool inFraction = false;
  int digits = 0;
  for (QChar c : s) {
    if (IsAsciiDigit(c)) {
      (inFraction ? d.fracDigits : d.intDigits) += c;
      ++digits;
    } else if (c == u',' && !inFraction) {
      continue;
    } else if (c == u'.' && !inFraction) {
      inFraction = true;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0) return std::nullopt;
  return d;
}

QString FormatNumber(const QString& text, int decimals, bool grouping) {
  const std::optional<Decimal> parsed = ParseNumber(text);
  if (!parsed) return text;
  if (decimals < 0) decimals = 0;

  QString whole = parsed->intDigits;
  QString frac = parsed->fracDigits;
  const bool roundUp = frac.size() > decimals && frac[decimals] >= u'5';
  frac = frac.left(decimals).leftJustified(decimals, u'0');
  if (roundUp) {
    QString all = IncrementDigits(whole + frac);
    whole = all.left(all.size() - decimals);
    frac = all.right(decimals);
  }
  while (whole.size() > 1 && whole.front() == u'0') whole.remove(0, 1);
  if (whole.isEmpty()) whole = QStringLiteral("0");

  QString out = parsed->negative ? QStringLiteral("-") : QString();
  out += grouping ? Group(whole) : whole;
  if (decimals > 0) out += u'.' + frac;
  return out;
}

QString FormatDigits(const QString& text, QStringView pattern) {
  const QString rounded = FormatNumber(text, 0, false);
  if (rounded == text && !ParseNumber(text)) return text;
  QString digits = rounded;
  const bool negative = digits.startsWith(u'-');
  if (negative) digits.remove(0, 1);
  if (digits == u"0") digits.clear();  // "0" placeholders supply the zeros

  QString out;
  qsizetype next = digits.size() - 1;
  for (qsizetype i = pattern.size() - 1; i >= 0; --i) {
    if (pattern[i] == u'0') {
      out.prepend(next >= 0 ? digits[next--] : QChar(u'0'));
    } else {
      out.prepend(pattern[i]);
    }
  }
  if (next >= 0) {
    // Digits beyond the placeholders stand before the first of them.
    const qsizetype first = pattern.indexOf(u'0');
    out.insert(first < 0 ? 0 : first, digits.left(next + 1));
  }
  return negative ? u'-' + out : out;
}

}  // namespace numfmt
