#pragma once
// The OS type code the formatted text box reads for its input-method handling.

#include "platform/OsVersion.h"

#include <cstdint>

// The code for one version record: 1 Win32s, 10..30 the 9x family, 40..110 (999 unknown minor)
// the NT family, -1 any other platform.
std::int16_t OSTypeCodeFromRecord(const OsVersionRecord& rec);
// The code of the running system; 0 when the version query fails.
std::int16_t GetOSTypeCode();
