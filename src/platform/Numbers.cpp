#include "platform/Numbers.h"

#include <QString>

#include <charconv>
#include <cmath>

namespace numbers {

namespace {
bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }
}  // namespace

double LeadingNumber(QStringView text) {
  char buffer[64];
  int len = 0;
  bool seenDigit = false, seenPoint = false, inExponent = false, exponentDigit = false;
  int exponentStart = -1;
  for (QChar c : text) {
    if (IsBlank(c)) continue;
    if (len >= int(sizeof buffer) - 1) break;
    if ((c == u'-' || c == u'+') && (len == 0 || (inExponent && len == exponentStart))) {
      buffer[len++] = char(c.unicode());
    } else if (IsDigit(c)) {
      buffer[len++] = char(c.unicode());
      (inExponent ? exponentDigit : seenDigit) = true;
    } else if (c == u'.' && !seenPoint && !inExponent) {
      buffer[len++] = '.';
      seenPoint = true;
    } else if ((c == u'e' || c == u'E') && seenDigit && !inExponent) {
      buffer[len++] = 'e';
      inExponent = true;
      exponentStart = len;
    } else {
      break;
    }
  }
  if (!seenDigit) return 0;
  if (inExponent && !exponentDigit) len = exponentStart - 1;  // "12e" and "12e-" read as 12
  const char* first = buffer[0] == '+' ? buffer + 1 : buffer;
  double v = 0;
  const auto [end, ec] = std::from_chars(first, buffer + len, v);
  if (ec != std::errc() || !std::isfinite(v)) return 0;
  return v;
}

std::optional<double> LooseNumber(QStringView text) {
  QString t = text.trimmed().toString();
  if (t.isEmpty()) return std::nullopt;
  if (t.contains(u',')) t.remove(u',');
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

bool PlainNumber(QStringView s, int maxPlaces, double& out) {
  static const double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
  const qsizetype n = s.size();
  if (n == 0 || n > 17) return false;
  qsizetype i = 0;
  const bool negative = s[0] == u'-';
  if (negative) ++i;
  auto digit = [&](qsizetype k) { return k < n && IsDigit(s[k]); };
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

bool GroupedNumber(QStringView s, double& out) {
  if (PlainNumber(s, 10, out)) return true;
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
  int whole = 0, group = 0;
  bool grouped = false;
  for (; i < n; ++i) {
    if (IsDigit(s[i])) {
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
    for (++i; i < n && IsDigit(s[i]); ++i, ++places) digits[len++] = char(s[i].unicode());
  }
  if (i != n || (whole == 0 && places == 0)) return false;
  // from_chars reads the same whatever the process locale says a decimal point is.
  double v = 0;
  const auto [end, ec] = std::from_chars(digits, digits + len, v);
  if (ec != std::errc() || end != digits + len || !std::isfinite(v)) return false;
  out = v;
  return true;
}

}  // namespace numbers
