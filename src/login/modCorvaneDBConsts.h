#pragma once
// The in-house staff database as the login uses it, and the workstation check.

#include <QString>

inline constexpr const char* kInHouseUser = "cv_inhouse";
inline constexpr const char* kInHousePassword = "vorn5830";
inline constexpr const char* kInHouseDatabase = "cv_inhouse";

// The staff member this computer is registered to; empty when it is not registered, is blocked,
// or the lookup failed.
QString GetAllowMyPC();
// The first IP-enabled adapter's address, 12 upper-case hex digits; empty when there is none.
QString GetMyMacAddress();
