#pragma once
// Process-wide state of the data access layer.

#include "db/cMySQL.h"
#include "db/modMySQL_Func.h"

#include <QString>

#include <functional>
#include <memory>

struct DbState {
  // 0 writes; 1 exists only with an alternate host and then serves the SELECTs.
  std::unique_ptr<cMySQL> sessions[2];
  int readIndex = 0;
  int logLevel = -1;
  QString statementLogFile;
  QString fullLogPrefix;
  QString slowLogFile;
  double slowThresholdSeconds = 3.0;
  QString currentDatabase;
  // The read-only session of the report windows, when reports read from a replica.
  std::unique_ptr<cMySQL> reports;
  std::unique_ptr<cMySQL> inHouse;
  bool inHouseOpen = false;
  bool logFailureReported = false;
  bool compress = true;
  DbTls tls[3];
  std::function<void(const QString&)> hostChanged;
};

// A new, unconnected session with the settings for that server.
std::unique_ptr<cMySQL> NewSession(DbServer server);
// The SMS session that serves the SELECTs.
cMySQL* Reader();
// A SELECT on that session, timed and logged; its row count, -1 when it failed (and then a box
// unless quiet). No session fails quietly.
int OpenOn(cMySQL* session, RecordsetPtr& rs, const QString& sql, bool quiet = false);
// The same, off this thread while a window watches its reads (db/BackgroundRead.h); -1 without a
// box when the staff member stopped it.
int OpenWatched(cMySQL* session, RecordsetPtr& rs, const QString& sql, bool quiet = false);
// A new read starts: what stopped the one before is over.
void ClearReadStopped();

DbState& Db();
