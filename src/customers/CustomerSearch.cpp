#include "customers/CustomerSearch.h"

#include "db/modMySQL_Func.h"

QString LikeContainsLiteral(const QString& text) {
  // First the pattern (backslash is LIKE's escape character), then the string literal around it.
  QString pattern;
  pattern.reserve(text.size() + 8);
  for (const QChar c : text) {
    if (c == u'\\' || c == u'%' || c == u'_') pattern += u'\\';
    pattern += c;
  }
  return DBEscape(pattern);
}

QString CustomerSearchSql(const QString& text) {
  QString sql = QStringLiteral(
      "SELECT u.userid, u.userpw, u.username, u.restcnt AS cnt, u.regdate"
      ", u.bigo, u.userseq, u.hpno"
      ", u.reguser, u.update_user, u.update_dttm"
      ", MIN(f.telno) AS certtel, COUNT(f.telno) AS certcnt"
      " FROM smsuser AS u"
      " LEFT JOIN certified_telno AS f ON u.userid = f.userid"
      " WHERE 1=1");
  if (!text.isEmpty()) {
    const QString like = LikeContainsLiteral(text);
    sql += QStringLiteral(" AND (u.userid LIKE '%") + like + QStringLiteral("%'") +
           QStringLiteral(" OR u.username LIKE '%") + like + QStringLiteral("%'") +
           QStringLiteral(" OR REPLACE(u.hpno, '-', '') LIKE '%") + like + QStringLiteral("%'") +
           QStringLiteral(")");
  }
  sql += QStringLiteral(
      " GROUP BY u.userid, u.userpw, u.username, u.restcnt, u.regdate"
      ", u.bigo, u.userseq, u.hpno"
      " ORDER BY u.username");
  return sql;
}
