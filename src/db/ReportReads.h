#pragma once
// The report windows' reads: the report session on a read replica, the fall-back to the SMS
// database when that replica stops answering, and reads of several statements in one consistent
// snapshot. Statements are timed and logged like every other SELECT.

#include "db/Recordset.h"

#include <QString>

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

// Several report SELECTs that must agree with one another, read on one session inside one
// read-only transaction with a consistent snapshot: a change committed while they run shows in
// all of them or in none. Statements run quietly; a failure shows nothing and leaves Ok() false,
// with the first error kept for the caller's one message.
//
// Keep every rs alive and unread until Commit: when the replica is lost midway, the snapshot
// starts again on the SMS database and reads each earlier statement into its rs again.
class DBReportSnapshot {
 public:
  DBReportSnapshot() = default;
  ~DBReportSnapshot();  // ends a snapshot still open
  DBReportSnapshot(const DBReportSnapshot&) = delete;
  DBReportSnapshot& operator=(const DBReportSnapshot&) = delete;

  bool Begin();
  // Row count, -1 when this statement or an earlier step failed (nothing more is sent then).
  int Open(RecordsetPtr& rs, const QString& sql);
  // Ends the snapshot; true when it began and every statement read all its rows.
  bool Commit();

  bool Ok() const { return m_ok; }
  long ErrorNumber() const { return m_errorNumber; }
  QString ErrorText() const { return m_errorText; }
  QString FailedSql() const { return m_failedSql; }

 private:
  struct Read {
    RecordsetPtr* rs;
    QString sql;
    int rows;
  };
  bool Start();
  bool Run(Read& read);
  bool Restart();
  bool Fail(long number, const QString& text, const QString& sql);
  void End(const QString& sql);

  cMySQL* m_session = nullptr;
  long m_connectionId = 0;
  bool m_open = false;
  bool m_ok = false;
  int m_restarts = 0;
  std::vector<Read> m_reads;
  long m_errorNumber = 0;
  QString m_errorText;
  QString m_failedSql;
};
