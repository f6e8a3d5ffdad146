#pragma once
// The operating-system version record the input-method handling of the text box keys on, and the
// running executable's full path.

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// Field for field the extended version record of the Windows version query.
struct OsVersionRecord {
  std::uint32_t platformId = 0;
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint16_t suiteMask = 0;
  std::uint8_t productType = 0;
};

// nullopt when the query fails.
std::optional<OsVersionRecord> QueryOsVersion();
// Tests fix the record (or the failure); nullptr restores the real query.
void SetOsVersionOverride(std::function<std::optional<OsVersionRecord>()> query);

// Full path of the running executable.
QString ModuleFileName();
