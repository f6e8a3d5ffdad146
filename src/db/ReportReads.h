#pragma once
// The report windows' reads: the report session on a read replica. Statements are timed and
// logged like every other SELECT.

#include "db/Recordset.h"

#include <QString>

#include <memory>

using RecordsetPtr = std::unique_ptr<Recordset>;

// The report windows read through a session of their own on another server (a read replica of
// the SMS database). False when it cannot connect; reports then fail like any lost session.
bool DBInitReports(const QString& host, int port);
// A report's SELECT: on the report session when there is one, else like DBOpenRecordset.
int DBOpenReportRecordset(RecordsetPtr& rs, const QString& sql);
