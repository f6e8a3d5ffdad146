#pragma once
// What a staff member may do in the customer windows, by login ID (compared exactly).

#include <QString>

bool MayExportCustomerList(const QString& loginId);
bool MaySearchWithFewerThanTwoCharacters(const QString& loginId);
bool MayOpenChargeList(const QString& loginId);
bool MaySeeSummaries(const QString& loginId);
// Everybody else may charge on Saturdays only, and may not add or delete sender numbers.
bool IsChargeStaff(const QString& loginId);
