#pragma once
// The report windows' reads: the report session on a read replica, the fall-back to the SMS
// database when that replica stops answering, and reads of several statements in one consistent
// snapshot. Statements are timed and logged like every other SELECT.

#include "db/Recordset.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class cMySQL;
using RecordsetPtr = std::unique_ptr<Recordset>;

// The report windows read through a session of their own on another server (a read replica of
// the SMS database). False when it cannot connect (said once); reports then read the SMS
// database.
bool DBInitReports(const QString& host, int port);
// A report's SELECT: on the report session when there is one, else like DBOpenRecordset. When the
// replica is lost for good, the program says so once, drops the report session and reads this
// and every later statement from the SMS database.
int DBOpenReportRecordset(RecordsetPtr& rs, const QString& sql);
// The report session's connect timeout: a replica that is gone costs one short wait, not 15 s.
inline constexpr unsigned int kReportConnectTimeoutSeconds = 5;

// Why a snapshot read gave nothing: for the caller's one message.
struct DBSnapshotError {
  long number = 0;
  QString text;
  QString sql;  // the statement that failed, when one did
};

// Several report SELECTs that must agree with one another, read on one session inside one
// read-only transaction with a consistent snapshot: a change committed while they run shows in
// all of them or in none. On the report session when there is one (falling back once to the SMS
// database when the replica is lost), else on the SMS reading session. Statements run quietly.
// True when every statement read all its rows (out holds one recordset per statement, in
// order); otherwise out is empty and error says why.
bool DBReadSnapshot(const QStringList& statements, std::vector<RecordsetPtr>& out,
                    DBSnapshotError& error);
