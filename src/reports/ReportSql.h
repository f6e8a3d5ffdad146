#pragma once
// The statements of the report windows. Dates come in as "YYYY-MM-DD"; typed customer IDs go in
// escaped, so a quote or a backslash in an ID matches itself.

#include <QDate>
#include <QString>

// The usage ledger of one customer: carry-over parts (sort 1), the period's charges per day
// (sort 2), its SMS and MMS per day and every queued MMS (sort 3).
QString UseListSql(const QString& userid, const QDate& from, const QDate& to);

// The grouping unit of the summaries: 0 by year, 1 by month, 2 by day; -1 none (an invalid
// statement, reported by the session).
enum class SumKind { Fill, Use };
QString SumGroupExpression(SumKind kind, int unit);
QString SumSql(SumKind kind, int unit, const QString& userid, const QDate& from, const QDate& to);
// The group key of a summary row as shown: "YYYY", "YYYY-MM" or "YYYY-MM-DD".
QString SumDateText(const QString& sdate, int unit);

// The charge list: typeIndex 0 all types, k >= 1 type k - 1; saturdays keeps only charges
// registered on a Saturday.
QString ChargeListSql(const QDate& from, const QDate& to, int typeIndex, bool saturdays);
