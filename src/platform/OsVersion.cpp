#include "platform/OsVersion.h"

#include <QCoreApplication>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {
std::function<std::optional<OsVersionRecord>()>& Override() {
  static std::function<std::optional<OsVersionRecord>()> query;
  return query;
}
}  // namespace

std::optional<OsVersionRecord> QueryOsVersion() {
  if (Override()) return Override()();
#ifdef Q_OS_WIN
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return std::nullopt;
  return OsVersionRecord{info.dwPlatformId,  info.dwMajorVersion, info.dwMinorVersion,
                         info.dwBuildNumber, info.wSuiteMask,     info.wProductType};
#else
  // Only the text box's input-method handling reads the code, and it should take the path of a
  // current desktop system: what an unmanifested program on one is told, 6.2 build 9200,
  // workstation (code 110).
  OsVersionRecord rec;
  rec.platformId = 2;
  rec.majorVersion = 6;
  rec.minorVersion = 2;
  rec.buildNumber = 9200;
  rec.productType = 1;
  return rec;
#endif
}

void SetOsVersionOverride(std::function<std::optional<OsVersionRecord>()> query) {
  Override() = std::move(query);
}

QString ModuleFileName() { return QCoreApplication::applicationFilePath(); }
