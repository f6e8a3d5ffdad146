#include "reports/FollowUpSql.h"

#include "db/modMySQL_Func.h"

namespace {

struct SendingTable {
  const char* table;
  const char* id;
  const char* time;
};
constexpr SendingTable kSending[] = {{"telink_sms", "SND_PHN_ID", "WRT_DTTM"},
                                     {"tbl_msg_hist", "ETC_CHAR_1", "RESERVED_DTTM"},
                                     {"tbl_submit_queue", "ETC_CHAR_1", "RESERVED_DTTM"}};

QString OneCustomer(const char* column, const QString& userid, const char* keyword) {
  if (userid.isEmpty()) return QString();
  return QLatin1Char(' ') + QLatin1String(keyword) + QLatin1Char(' ') + QLatin1String(column) +
         QStringLiteral(" = ") + DBQuoted(userid);
}

QString InList(const QStringList& userids) {
  QStringList quoted;
  quoted.reserve(userids.size());
  for (const QString& id : userids) quoted << DBQuoted(id);
  return QLatin1Char('(') + quoted.join(QLatin1Char(',')) + QLatin1Char(')');
}

}  // namespace

QString BalanceCustomersSql(const QString& userid) {
  return QStringLiteral("SELECT userid, username, restcnt, iwolcnt FROM smsuser") +
         OneCustomer("userid", userid, "WHERE");
}

QString BalanceChargesSql(const QString& userid) {
  return QStringLiteral("SELECT userid, SUM(casecnt) AS cnt, MAX(regtime) AS last FROM smsfill") +
         OneCustomer("userid", userid, "WHERE") + QStringLiteral(" GROUP BY userid");
}

QString BalanceSendingSql(int table, const QString& userid) {
  const SendingTable& t = kSending[table];
  return QStringLiteral("SELECT %1 AS userid, COUNT(*) AS cnt, MAX(%2) AS last FROM %3")
             .arg(QLatin1String(t.id), QLatin1String(t.time), QLatin1String(t.table)) +
         OneCustomer(t.id, userid, "WHERE") + QStringLiteral(" GROUP BY ") + QLatin1String(t.id);
}

QString LowBalanceCustomersSql(qint64 threshold) {
  return QStringLiteral(
             "SELECT userseq, userid, username, restcnt, hpno FROM smsuser WHERE restcnt < ") +
         QString::number(threshold);
}

QString RecentUseSql(int table, const QStringList& userids, const QDate& from, const QDate& to) {
  const SendingTable& t = kSending[table];
  return QStringLiteral("SELECT %1 AS userid, COUNT(*) AS cnt FROM %2 WHERE %1 IN ")
             .arg(QLatin1String(t.id), QLatin1String(t.table)) +
         InList(userids) + QStringLiteral(" AND ") + QLatin1String(t.time) +
         QStringLiteral(" BETWEEN '") + from.toString(QStringLiteral("yyyyMMdd")) +
         QStringLiteral("000000' AND '") + to.toString(QStringLiteral("yyyyMMdd")) +
         QStringLiteral("235959' GROUP BY ") + QLatin1String(t.id);
}

QString LastChargeSql(const QStringList& userids) {
  return QStringLiteral(
             "SELECT f.userid, f.regtime, f.casemoney FROM smsfill AS f JOIN (SELECT userid, "
             "MAX(regtime) AS t FROM smsfill WHERE userid IN ") +
         InList(userids) +
         QStringLiteral(" GROUP BY userid) AS m ON f.userid = m.userid AND f.regtime = m.t");
}
