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
