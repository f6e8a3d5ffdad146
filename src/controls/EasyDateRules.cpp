#include "controls/EasyDateRules.h"

#include <QRegularExpression>

namespace easydate {

namespace {

QDate FirstOfMonth(const QDate& date, int monthsAhead) {
  return QDate(date.year(), date.month(), 1).addMonths(monthsAhead);
}

QDate LastOfMonth(const QDate& date, int monthsAhead) {
  return FirstOfMonth(date, monthsAhead + 1).addDays(-1);
}

QString Year4(int year) { return QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')); }

// Year and month-day glued as they come, which is how the quarter and half rows write them.
Period YearPart(int year, const char* from, const char* to) {
  return {QString::number(year) + QLatin1String(from), QString::number(year) + QLatin1String(to)};
}

Period Days(const QDate& from, const QDate& to) { return {DateText(from), DateText(to)}; }

}  // namespace

QString DateText(const QDate& date) {
  return Year4(date.year()) + QStringLiteral("-%1-%2")
                                  .arg(date.month(), 2, 10, QLatin1Char('0'))
                                  .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QDate ParseDate(const QString& text) {
  static const QRegularExpression re(
      QStringLiteral("^\\s*(\\d{4})([-/.])(\\d{1,2})\\2(\\d{1,2})\\s*$"));
  const QRegularExpressionMatch m = re.match(text);
  if (!m.hasMatch()) return QDate();
  const int year = m.captured(1).toInt();
  if (year < 1) return QDate();
  return QDate(year, m.captured(3).toInt(), m.captured(4).toInt());
}

int QuarterButton(const QDate& today) { return (today.month() - 1) / 3 + 1 + 15; }

int HalfButton(const QDate& today) { return today.month() <= 6 ? 20 : 21; }

Period QuickPeriod(int index, const QDate& t) {
  const int w = t.dayOfWeek() % 7;  // days since Sunday
  const int y = t.year();
  const int m = t.month();
  switch (index) {
    case 0:
    case 1:
    case 2:
    case 3:
      return Days(t.addDays(index - 2), t.addDays(index - 2));
    case 4:
    case 5:
    case 6:
    case 7: {
      const int weeks = index - 6;  // -2 .. +1
      return Days(t.addDays(7 * weeks - w), t.addDays(7 * weeks + 6 - w));
    }
    case 8:
    case 9:
    case 10:
    case 11:
      return Days(FirstOfMonth(t, index - 10), LastOfMonth(t, index - 10));
    case 12:
    case 13:
    case 14:
    case 15: {
      const QString year = Year4(y + index - 14);
      return {year + QStringLiteral("-01-01"), year + QStringLiteral("-12-31")};
    }
    case 16:
      return YearPart(y, "-01-01", "-03-31");
    case 17:
      return YearPart(m < 4 ? y - 1 : y, "-04-01", "-06-30");
    case 18:
      return YearPart(m < 7 ? y - 1 : y, "-07-01", "-09-30");
    case 19:
      return YearPart(m < 10 ? y - 1 : y, "-10-01", "-12-31");
    case 20:
      return YearPart(y, "-01-01", "-06-30");
    case 21:
      return YearPart(m < 7 ? y - 1 : y, "-07-01", "-12-31");
    case 22:
      return Days(t.addDays(-30), t);
    case 23:
      return Days(t.addDays(-60), t);
    case 24:
      return Days(t.addDays(-90), t);
    case 25:
      return Days(t.addDays(-180), t);
    case 26:
      return Days(t.addDays(-365), t);
    default:
      return {};
  }
}

Period MovePeriod(int index, const QDate& from, const QDate& to) {
  if (index < 0 || index >= kMoveCount) return {};
  const int dir = index % 2 == 0 ? -1 : 1;
  const auto yearMoved = [dir](const QDate& d) {
    return Year4(d.year() + dir) + QStringLiteral("-%1-%2")
                                       .arg(d.month(), 2, 10, QLatin1Char('0'))
                                       .arg(d.day(), 2, 10, QLatin1Char('0'));
  };
  switch (index / 2) {
    case 0:
      return Days(from.addDays(dir), to.addDays(dir));
    case 1:
      return Days(from.addDays(7 * dir), to.addDays(7 * dir));
    case 2:
      return Days(FirstOfMonth(from, dir), LastOfMonth(to, dir));
    case 3:
      return {yearMoved(from), yearMoved(to)};
    case 4:
      return Days(FirstOfMonth(from, 3 * dir), LastOfMonth(to, 3 * dir));
    case 5:
      return Days(FirstOfMonth(from, 6 * dir), LastOfMonth(to, 6 * dir));
    default:
      return {};
  }
}

}  // namespace easydate
