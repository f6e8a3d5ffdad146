#include "reports/ReportSql.h"

#include "db/modMySQL_Func.h"

namespace {

QString Day(const QDate& d) { return d.toString(QStringLiteral("yyyyMMdd")); }

// "YYYY-MM-DD" out of a 14-digit time column.
QString DashedDate(const QString& column) {
  return QStringLiteral(
             "CONCAT(SUBSTRING(%1, 1, 4), '-', SUBSTRING(%1, 5, 2), '-', "
             "SUBSTRING(%1, 7, 2))")
      .arg(column);
}

// LEFT(column, 8) BETWEEN from AND to, written so that an index on the column serves it: the
// first eight characters are at least from's day and at most to's day exactly when the text
// lies from that day on and before the text just after to's day.
QString DayRange(const QString& column, const QDate& from, const QDate& to) {
  QString after = Day(to);
  after.back() = QChar(after.back().unicode() + 1);
  return column + QStringLiteral(" >= '") + Day(from) + QStringLiteral("' AND ") + column +
         QStringLiteral(" < '") + after + QStringLiteral("'");
}

}  // namespace

namespace {

// One gateway table's part of the ledger: its sending before the period as carry-over, or per
// day within a time condition (none: every row, as for the queue).
struct Gateway {
  const char* table;
  const char* idColumn;
  const char* timeColumn;
  int units;
};
constexpr Gateway kSms{"telink_sms", "SND_PHN_ID", "WRT_DTTM", 1};
constexpr Gateway kMms{"tbl_msg_hist", "ETC_CHAR_1", "RESERVED_DTTM", 3};
constexpr Gateway kQueue{"tbl_submit_queue", "ETC_CHAR_1", "RESERVED_DTTM", 3};

QString GatewayFrom(const Gateway& g, const QString& c) {
  return QStringLiteral(" FROM %1 AS s WHERE s.%2 = '")
             .arg(QLatin1String(g.table), QLatin1String(g.idColumn)) +
         c + u'\'';
}

QString GatewayCarryOver(const Gateway& g, const QString& c, const QString& carry,
                         const QString& carryTail, const QString& s0) {
  return QStringLiteral(" UNION ALL SELECT s.%1 AS uid, ").arg(QLatin1String(g.idColumn)) + carry +
         QStringLiteral(", COUNT(*) * -%1").arg(g.units) + carryTail + GatewayFrom(g, c) +
         QStringLiteral(" AND s.%1 < '").arg(QLatin1String(g.timeColumn)) + s0 +
         QStringLiteral("' GROUP BY s.%1").arg(QLatin1String(g.idColumn));
}

QString GatewayPerDay(const Gateway& g, const QString& c, const QString& label,
                      const QString& timeCondition) {
  return QStringLiteral(" UNION ALL SELECT s.%1 AS uid, ").arg(QLatin1String(g.idColumn)) +
         DashedDate(QStringLiteral("s.") + QLatin1String(g.timeColumn)) +
         QStringLiteral(" AS rdate, '") + label +
         QStringLiteral("' AS sec, COUNT(*) * -%1 AS cnt, '' AS bigo, 3 AS sort").arg(g.units) +
         GatewayFrom(g, c) + timeCondition +
         QStringLiteral(" GROUP BY LEFT(%1,8), s.%2")
             .arg(QLatin1String(g.timeColumn), QLatin1String(g.idColumn));
}

}  // namespace

QString UseListSql(const QString& userid, const QDate& from, const QDate& to) {
  const QString c = DBEscape(userid);
  const QString s0 = Day(from) + QStringLiteral("000000");
  const QString e9 = Day(to) + QStringLiteral("235959");
  const QString p10(10, u' ');
  const QString p100(100, u' ');
  // The carry-over parts give rdate and bigo as blanks: the first SELECT fixes the widths of the
  // union, and a blank date sorts before every day.
  const QString carry = QStringLiteral("'") + p10 + QStringLiteral("' AS rdate, '기초이월' AS sec");
  const QString carryTail =
      QStringLiteral(" AS cnt, '") + p100 + QStringLiteral("' AS bigo, 1 AS sort");
  const auto within = [&](const char* column) {
    return QStringLiteral(" AND s.%1 BETWEEN '").arg(QLatin1String(column)) + s0 +
           QStringLiteral("' AND '") + e9 + u'\'';
  };
  QString sql;
  sql += QStringLiteral("SELECT u.userid AS uid, ") + carry + QStringLiteral(", iwolcnt") +
         carryTail + QStringLiteral(" FROM smsuser AS u WHERE u.userid = '") + c +
         QStringLiteral("' AND u.iwolcnt <> 0");
  sql += QStringLiteral(" UNION ALL SELECT f.userid AS uid, ") + carry +
         QStringLiteral(", SUM(f.casecnt)") + carryTail +
         QStringLiteral(" FROM smsfill AS f WHERE f.userid = '") + c +
         QStringLiteral("' AND f.regtime < '") + s0 + QStringLiteral("' GROUP BY f.userid");
  sql += GatewayCarryOver(kSms, c, carry, carryTail, s0);
  sql += GatewayCarryOver(kMms, c, carry, carryTail, s0);
  sql += QStringLiteral(" UNION ALL SELECT f.userid AS uid, ") +
         DashedDate(QStringLiteral("f.regtime")) +
         QStringLiteral(
             " AS rdate, f.regtype AS sec, SUM(f.casecnt) AS cnt, f.bigo, 2 AS sort"
             " FROM smsfill AS f WHERE f.userid = '") +
         c + QStringLiteral("' AND f.regtime BETWEEN '") + s0 + QStringLiteral("' AND '") + e9 +
         QStringLiteral("' GROUP BY LEFT(f.regtime, 8), f.userid");
  sql += GatewayPerDay(kSms, c, QStringLiteral("SMS사용"), within(kSms.timeColumn));
  sql += GatewayPerDay(kMms, c, QStringLiteral("MMS사용"), within(kMms.timeColumn));
  // Queued MMS count whatever the period.
  sql += GatewayPerDay(kQueue, c, QStringLiteral("MMS전송중"), QString());
  sql += QStringLiteral(" ORDER BY uid, rdate, sort");
  return sql;
}

QString SumGroupExpression(SumKind kind, int unit) {
  static const int widths[] = {4, 6, 8};
  if (unit < 0 || unit > 2) return QString();
  const QString column =
      kind == SumKind::Fill ? QStringLiteral("f.regtime") : QStringLiteral("s.WRT_DTTM");
  return QStringLiteral("LEFT(%1, %2)").arg(column).arg(widths[unit]);
}

QString SumSql(SumKind kind, int unit, const QString& userid, const QDate& from, const QDate& to) {
  const QString g = SumGroupExpression(kind, unit);
  QString sql;
  if (kind == SumKind::Fill) {
    sql = QStringLiteral(" SELECT ") + g +
          QStringLiteral(
              " AS sdate, SUM(IF(REGTYPE = 0, casecnt, 0)) AS bcnt"
              ", SUM(IF(REGTYPE = 0, casemoney, 0)) AS bmoney"
              ", SUM(IF(REGTYPE = 1, casecnt, 0)) AS tcnt"
              ", SUM(IF(REGTYPE = 1, casemoney, 0)) AS tmoney"
              ", SUM(casecnt) AS scnt, SUM(casemoney) AS smoney"
              " FROM smsfill AS f WHERE 1=1");
    if (!userid.isEmpty()) sql += QStringLiteral(" AND f.userid = ") + DBQuoted(userid);
    sql += QStringLiteral(" AND ") + DayRange(QStringLiteral("f.regtime"), from, to);
  } else {
    sql = QStringLiteral(
        " SELECT s.WRT_DTTM AS sdate, COUNT(*) AS cnt"
        ", SUM(IF(s.RSLT_VAL = -100 OR s.RSLT_VAL = 99, 1, 0)) AS rcnt"
        ", SUM(IF(s.RSLT_VAL = -100 OR s.RSLT_VAL = 99, 0, 1)) AS scnt"
        " FROM telink_sms AS s WHERE 1=1");
    if (!userid.isEmpty()) sql += QStringLiteral(" AND s.SND_PHN_ID = ") + DBQuoted(userid);
    sql += QStringLiteral(" AND ") + DayRange(QStringLiteral("s.WRT_DTTM"), from, to);
  }
  sql += QStringLiteral(" GROUP BY ") + g + QStringLiteral(" ORDER BY ") + g;
  return sql;
}

QString SumDateText(const QString& sdate, int unit) {
  switch (unit) {
    case 0:
      return sdate.left(4);
    case 1:
      return sdate.left(4) + u'-' + sdate.mid(4, 2);
    case 2:
      return sdate.left(4) + u'-' + sdate.mid(4, 2) + u'-' + sdate.mid(6, 2);
    default:
      return sdate;
  }
}

QString ChargeListSql(const QDate& from, const QDate& to, int typeIndex, bool saturdays) {
  QString sql = QStringLiteral(
                    "SELECT reguser, userid, regtime, regtype, casecnt, casemoney, bigo"
                    " FROM smsfill AS f WHERE f.regtime BETWEEN '") +
                Day(from) + QStringLiteral("000000' AND '") + Day(to) + QStringLiteral("235959'");
  if (typeIndex >= 1) sql += QStringLiteral(" AND regtype = ") + QString::number(typeIndex - 1);
  if (saturdays) sql += QStringLiteral(" AND DAYOFWEEK(STR_TO_DATE(regtime, '%Y%m%d%H%i%s')) = 7");
  return sql;
}
