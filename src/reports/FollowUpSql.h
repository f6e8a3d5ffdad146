#pragma once
// The statements of the balance reconciliation and the low-balance follow-up: one grouped
// statement per table, each served from that table's customer index, merged in the program.

#include <QDate>
#include <QString>
#include <QStringList>

// userid (empty: every customer) restricts each statement to one customer.
QString BalanceCustomersSql(const QString& userid);
QString BalanceChargesSql(const QString& userid);
// Sending per customer over all time: count and last time. table 0 SMS, 1 MMS sent, 2 MMS queued.
QString BalanceSendingSql(int table, const QString& userid);

// Customers whose stored balance is below the threshold.
QString LowBalanceCustomersSql(qint64 threshold);
// Units (SMS 1, MMS 3) per customer of the list, sent from..to (whole days).
QString RecentUseSql(int table, const QStringList& userids, const QDate& from, const QDate& to);
// The last charge of each customer of the list: time and amount.
QString LastChargeSql(const QStringList& userids);
