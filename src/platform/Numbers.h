#pragma once
// Reading numbers out of texts, for every layer. Each function is one rule; callers whose rule
// differs say so where they read.

#include <QStringView>

#include <optional>

namespace numbers {

// The number a text starts with, as the old runtime read it: blanks are skipped anywhere, then a
// sign, digits with one decimal point and an exponent; reading stops at the first other
// character. 0 when no digit comes first, and for an overflow.
double LeadingNumber(QStringView text);

// The whole text as a number, with thousands separators anywhere and blanks around; exponents
// taken. Nothing for any other text.
std::optional<double> LooseNumber(QStringView text);

// The plain numbers a recordset hands over ("-1234", "12.5"), read without conversions: no
// blanks, separators, exponents, leading zeros or trailing fraction zeros, at most maxPlaces
// decimals and 15 whole digits. False for anything else, which callers read the careful way.
bool PlainNumber(QStringView text, int maxPlaces, double& out);

// A text that reads as a number when sorting with automatic cell types: a sign, digits with
// commas between every three or none, decimals; blanks around. Dates, phone numbers and codes
// with letters or exponents are no numbers.
bool GroupedNumber(QStringView text, double& out);

}  // namespace numbers
