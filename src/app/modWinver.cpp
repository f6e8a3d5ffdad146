#include "app/modWinver.h"

std::int16_t OSTypeCodeFromRecord(const OsVersionRecord& rec) {
  // The build field is already a whole number; the old trip through text and back changed nothing.
  const std::uint32_t build = rec.buildNumber;

  switch (rec.platformId) {
    case 0:
      return 1;
    case 1:
      if (build >= 3000) return 30;
      if (build >= 1998) return 20;
      if (build < 1111) return 10;
      return 15;
    case 2:
      if (build >= 6000) {
        // Only the minor version counts here, so later systems reporting x.0 land on 80/100.
        const bool workstation = rec.productType == 1;
        switch (rec.minorVersion) {
          case 0:
            return workstation ? 80 : 100;
          case 1:
            return workstation ? 90 : 105;
          case 2:
            return 110;
          default:
            return 999;
        }
      }
      if (build >= 3500) return 70;
      if (build >= 2500) return (rec.suiteMask & 0x200) ? 62 : 64;
      if (build >= 2000) return 50;
      return 40;
    default:
      return -1;
  }
}

std::int16_t GetOSTypeCode() {
  const auto rec = QueryOsVersion();
  return rec ? OSTypeCodeFromRecord(*rec) : std::int16_t{0};
}
