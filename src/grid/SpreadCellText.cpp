#include "grid/SpreadGridPrivate.h"

#include <QStringView>

#include <algorithm>
#include <charconv>
#include <cmath>

QColor OleToQColor(long color) {
  if (color < 0) return QColor();
  // System colours (top bit set) have no meaning here; they fall back to the palette.
  if (color & 0x80000000L) return QColor();
  return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

namespace spread::detail {

std::optional<double> ParseNumber(const QString& text) {
  QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  if (t.contains(u',')) t.remove(u',');
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

// The plain numbers a recordset hands over ("-1234", "12.5") are read without conversions and kept
// as they are; anything else (separators, blanks, exponents, leading zeros) returns false and goes
// the careful way.
bool QuickNumber(QStringView s, int maxPlaces, double& out) {
  static const double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
  const qsizetype n = s.size();
  if (n == 0 || n > 17) return false;
  qsizetype i = 0;
  const bool negative = s[0] == u'-';
  if (negative) ++i;
  auto digit = [&](qsizetype k) { return k < n && s[k] >= u'0' && s[k] <= u'9'; };
  if (!digit(i)) return false;
  if (s[i] == u'0' && (digit(i + 1) || (negative && i + 1 == n))) return false;
  long long whole = 0;
  int digits = 0;
  for (; digit(i); ++i, ++digits) whole = whole * 10 + (s[i].unicode() - u'0');
  if (digits > 15) return false;
  double v = double(whole);
  if (i < n) {
    if (s[i] != u'.') return false;
    ++i;
    long long fraction = 0;
    int places = 0;
    for (; digit(i); ++i, ++places) fraction = fraction * 10 + (s[i].unicode() - u'0');
    if (i != n || places == 0 || places > maxPlaces || places > 10 || s[n - 1] == u'0')
      return false;
    v += double(fraction) / kPow10[places];
  }
  out = negative ? -v : v;
  return true;
}

bool TextNumber(QStringView s, double& out) {
  if (QuickNumber(s, 10, out)) return true;
  s = s.trimmed();
  const qsizetype n = s.size();
  if (n == 0 || n > 40) return false;
  char digits[48];
  int len = 0;
  qsizetype i = 0;
  if (s[0] == u'-' || s[0] == u'+') {
    if (s[0] == u'-') digits[len++] = '-';
    ++i;
  }
  auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
  int whole = 0, group = 0;
  bool grouped = false;
  for (; i < n; ++i) {
    if (isDigit(s[i])) {
      digits[len++] = char(s[i].unicode());
      ++whole;
      ++group;
    } else if (s[i] == u',') {
      // 1,234 and 12,345,678, never 1,2 or 1234,567.
      if (group == 0 || group > 3 || (grouped && group != 3)) return false;
      grouped = true;
      group = 0;
    } else {
      break;
    }
  }
  if (grouped && group != 3) return false;
  int places = 0;
  if (i < n && s[i] == u'.') {
    digits[len++] = '.';
    for (++i; i < n && isDigit(s[i]); ++i, ++places) digits[len++] = char(s[i].unicode());
  }
  if (i != n || (whole == 0 && places == 0)) return false;
  // from_chars reads the same whatever the process locale says a decimal point is.
  double v = 0;
  const auto [end, ec] = std::from_chars(digits, digits + len, v);
  if (ec != std::errc() || end != digits + len || !std::isfinite(v)) return false;
  out = v;
  return true;
}

double RoundTo(double v, int places) {
  const double f = std::pow(10.0, places);
  return std::round(v * f) / f;
}

// "#,##0" with the given decimals; no "-0".
QString FormatNumber(double v, int places, bool sep) {
  v = RoundTo(v, places);
  if (v == 0) v = 0;  // turns -0 into 0
  QString s = QString::number(v, 'f', places);
  if (!sep) return s;
  const int start = s.startsWith(u'-') ? 1 : 0;
  int point = s.indexOf(u'.');
  if (point < 0) point = s.size();
  for (int i = point - 3; i > start; i -= 3) s.insert(i, u',');
  return s;
}

// The plain form Value gives: no separators, no trailing zeros.
QString PlainNumber(double v, int places) {
  v = RoundTo(v, std::max(0, places));
  if (v == 0) v = 0;
  QString s = QString::number(v, 'f', std::max(0, places));
  if (s.contains(u'.')) {
    while (s.endsWith(u'0')) s.chop(1);
    if (s.endsWith(u'.')) s.chop(1);
  }
  return s;
}

QString ColumnLetters(int col) {
  QString s;
  for (int n = col; n > 0; n = (n - 1) / 26) s.prepend(QChar(u'A' + (n - 1) % 26));
  return s;
}

}  // namespace spread::detail
