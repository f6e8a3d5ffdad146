#pragma once
// The SQL log: a statement log, an hourly full log and the slow-statement log, each line encoded
// so that the files stay plain ASCII whatever the statements hold.

#include <QDate>
#include <QString>

#include <cstdint>

// The line before encoding: time, elapsed seconds, statement, result.
QString SQLLogLine(const QString& sql, const QString& result, std::int64_t elapsedMs);
QString SQLLogEncode(const QString& line);
// Elapsed seconds as the log writes them: 0, 0.016, 3.5.
QString FormatElapsed(std::int64_t elapsedMs);

// Fixes the three file names for the given day (the data folder's "log" folder, paths::DataFolder).
void SQLLogSetDay(const QDate& day);
// First start of a day: removes the files of the same day of an earlier year.
void SQLLogMaintainFolder(const QDate& today);

// encoded: the line when a caller already built it; empty otherwise.
void SQLLogExec(const QString& sql, const QString& result, std::int64_t elapsedMs);
void SQLLogFull(const QString& sql, const QString& result, std::int64_t elapsedMs,
                const QString& encoded = QString());
void SQLLogSlow(const QString& sql, const QString& result, std::int64_t elapsedMs,
                const QString& encoded = QString());
