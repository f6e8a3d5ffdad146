#include "db/SqlLog.h"

#include "db/DbState.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/Clock.h"
#include "platform/Cp949.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>

namespace {

QString LogFolder() { return paths::DataFolder() + QStringLiteral("/log"); }

void AppendLine(const QString& file, const QString& encoded) {
  QFile f(file);
  if (f.open(QIODevice::WriteOnly | QIODevice::Append)) {
    const QByteArray bytes = encoded.toLatin1() + "\r\n";
    if (f.write(bytes) == bytes.size()) return;
  }
  // The statement has run; a log that cannot be written is said once, not at every statement.
  if (!Db().logFailureReported) {
    Db().logFailureReported = true;
    MsgError(static_cast<long>(f.error()), f.errorString() + QStringLiteral(": ") + file,
             QStringLiteral("SQLLogWrite"), QStringLiteral("modMySQL_Func"));
  }
}

}  // namespace

QString FormatElapsed(std::int64_t elapsedMs) {
  QString text = QString::number(elapsedMs / 1000);
  std::int64_t frac = elapsedMs % 1000;
  if (frac == 0) return text;
  QString digits = QString::number(frac).rightJustified(3, u'0');
  while (digits.endsWith(u'0')) digits.chop(1);
  return text + u'.' + digits;
}

QString SQLLogLine(const QString& sql, const QString& result, std::int64_t elapsedMs) {
  return clock_::LocalNow().toString(QStringLiteral("yyMMddHHmmss")) + u'\t' +
         FormatElapsed(elapsedMs) + u'\t' + sql + QStringLiteral(";\t -> ") + result;
}

QString SQLLogEncode(const QString& line) {
  static const char* const hex = "0123456789ABCDEF";
  QString out;
  out.reserve(line.size() * 4);
  for (char32_t ch : line.toUcs4()) {
    std::uint16_t code = cp949::CodeOf(ch);
    if (code == 0 && ch != 0) code = '?';
    // Hex digits without leading zeros, padded to four ("41" + "00", "000" + "9"), then the two
    // halves of the group swapped.
    char group[4];
    if (code > 0xFF) {
      group[0] = hex[(code >> 12) & 0xF];
      group[1] = hex[(code >> 8) & 0xF];
      group[2] = hex[(code >> 4) & 0xF];
      group[3] = hex[code & 0xF];
    } else if (code > 0xF) {
      group[0] = hex[(code >> 4) & 0xF];
      group[1] = hex[code & 0xF];
      group[2] = '0';
      group[3] = '0';
    } else {
      group[0] = '0';
      group[1] = '0';
      group[2] = '0';
      group[3] = hex[code & 0xF];
    }
    out += QLatin1Char(group[2]);
    out += QLatin1Char(group[3]);
    out += QLatin1Char(group[0]);
    out += QLatin1Char(group[1]);
  }
  return out;
}

void SQLLogSetDay(const QDate& day) {
  const QString base =
      LogFolder() + QStringLiteral("/SQLLog_") + day.toString(QStringLiteral("MMdd"));
  Db().statementLogFile = base + QStringLiteral(".dat");
  Db().fullLogPrefix = base + QStringLiteral("_full_");
  Db().slowLogFile = base + QStringLiteral("_slow.dat");
}

void SQLLogMaintainFolder(const QDate& today) {
  const QString todayText = today.toString(QStringLiteral("yyyy-MM-dd"));
  QDir folder(LogFolder());
  if (folder.exists()) {
    const QString last =
        settings::GetSetting(AppTitle(), QStringLiteral("Config"), QStringLiteral("SQLLogLast"));
    if (last == todayText) return;
    QFile::remove(Db().statementLogFile);
    QFile::remove(Db().slowLogFile);
    const QString prefix = QFileInfo(Db().fullLogPrefix).fileName();
    for (const QString& name : folder.entryList({prefix + QStringLiteral("*.dat")}, QDir::Files))
      folder.remove(name);
  } else {
    QDir().mkpath(folder.path());
  }
  settings::SaveSetting(AppTitle(), QStringLiteral("Config"), QStringLiteral("SQLLogLast"),
                        todayText);
}

void SQLLogExec(const QString& sql, const QString& result, std::int64_t elapsedMs) {
  if (Db().logLevel >= 1) {
    const QString encoded = SQLLogEncode(SQLLogLine(sql, result, elapsedMs));
    AppendLine(Db().statementLogFile, encoded);
    SQLLogFull(sql, result, elapsedMs, encoded);
  } else {
    SQLLogSlow(sql, result, elapsedMs);
  }
}

void SQLLogFull(const QString& sql, const QString& result, std::int64_t elapsedMs,
                const QString& encoded) {
  if (Db().logLevel >= 2) {
    const QString line =
        encoded.isEmpty() ? SQLLogEncode(SQLLogLine(sql, result, elapsedMs)) : encoded;
    AppendLine(Db().fullLogPrefix + clock_::LocalNow().toString(QStringLiteral("HH")) +
                   QStringLiteral(".dat"),
               line);
    SQLLogSlow(sql, result, elapsedMs, line);
  } else {
    SQLLogSlow(sql, result, elapsedMs, encoded);
  }
}

void SQLLogSlow(const QString& sql, const QString& result, std::int64_t elapsedMs,
                const QString& encoded) {
  if (static_cast<double>(elapsedMs) / 1000.0 < Db().slowThresholdSeconds) return;
  AppendLine(Db().slowLogFile,
             encoded.isEmpty() ? SQLLogEncode(SQLLogLine(sql, result, elapsedMs)) : encoded);
}
