#include "app/modWinver.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct Row {
  std::uint32_t platform;
  std::uint32_t minor;
  std::uint32_t build;
  std::uint16_t suiteMask;
  std::uint8_t productType;
  std::int16_t code;
};

OsVersionRecord Record(const Row& r) {
  OsVersionRecord rec;
  rec.platformId = r.platform;
  // Builds from 10000 come with major version 10, which the table must not look at.
  rec.majorVersion = r.build >= 10000 ? 10 : r.build >= 6000 ? 6 : 5;
  rec.minorVersion = r.minor;
  rec.buildNumber = r.build;
  rec.suiteMask = r.suiteMask;
  rec.productType = r.productType;
  return rec;
}

struct OverrideGuard {
  ~OverrideGuard() { SetOsVersionOverride(nullptr); }
};

}  // namespace

TEST(OSTypeCode, EveryRowAndBoundaryOfTheTable) {
  const Row rows[] = {
      // Win32s, whatever else the record says.
      {0, 0, 0, 0, 0, 1},
      {0, 2, 9200, 0x200, 1, 1},
      // 9x family.
      {1, 0, 0, 0, 0, 10},
      {1, 0, 1110, 0, 0, 10},
      {1, 0, 1111, 0, 0, 15},
      {1, 0, 1997, 0, 0, 15},
      {1, 0, 1998, 0, 0, 20},
      {1, 0, 2999, 0, 0, 20},
      {1, 0, 3000, 0, 0, 30},
      {1, 2, 9200, 0, 1, 30},
      // NT family below 6000: the minor version and product type do not matter.
      {2, 0, 1999, 0, 1, 40},
      {2, 0, 2000, 0, 1, 50},
      {2, 0, 2499, 0, 1, 50},
      {2, 1, 2500, 0, 1, 64},
      {2, 1, 2500, 0x200, 1, 62},
      {2, 1, 2600, 0x200, 1, 62},
      {2, 1, 2600, 0, 1, 64},
      {2, 1, 2600, 0x300, 1, 62},
      {2, 1, 2600, 0x100, 1, 64},
      {2, 2, 3499, 0x200, 3, 62},
      {2, 2, 3500, 0x200, 3, 70},
      {2, 0, 5999, 0, 1, 70},
      // 6000 and up: the minor version, then the product type.
      {2, 0, 6000, 0, 1, 80},
      {2, 0, 6000, 0, 3, 100},
      {2, 0, 19045, 0, 2, 100},
      {2, 0, 22631, 0, 1, 80},
      {2, 1, 7601, 0, 1, 90},
      {2, 1, 7601, 0, 3, 105},
      {2, 2, 9200, 0, 1, 110},
      {2, 2, 9200, 0, 3, 110},
      {2, 3, 9600, 0, 1, 999},
      {2, 3, 9600, 0, 3, 999},
      // Unknown platforms.
      {3, 2, 9200, 0, 1, -1},
      {4, 0, 0, 0, 0, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message()
                 << "platform " << r.platform << " minor " << r.minor << " build " << r.build
                 << " suite 0x" << std::hex << r.suiteMask << std::dec << " product "
                 << int(r.productType));
    EXPECT_EQ(OSTypeCodeFromRecord(Record(r)), r.code);
  }
}

TEST(OSTypeCode, GetOSTypeCodeAsksThePlatformAndGivesZeroWhenTheQueryFails) {
  OverrideGuard guard;
  SetOsVersionOverride([] { return std::optional<OsVersionRecord>{}; });
  EXPECT_EQ(GetOSTypeCode(), 0);

  SetOsVersionOverride([] {
    return std::optional<OsVersionRecord>(Record({2, 1, 2600, 0x200, 1, 0}));
  });
  EXPECT_EQ(GetOSTypeCode(), 62);

  // The record this platform reports must put the text box in its newest input-method mode.
  SetOsVersionOverride(nullptr);
  ASSERT_TRUE(QueryOsVersion().has_value());
  EXPECT_EQ(GetOSTypeCode(), 110);
}
