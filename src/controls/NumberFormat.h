#pragma once
// Number texts as the old runtime read and wrote them, done on the digits themselves so that no
// amount ever passes through binary floating point.

#include <QString>
#include <QStringView>

#include <optional>

namespace numfmt {

struct Decimal {
  bool negative = false;
  QString intDigits;   // without separators, may be empty (".5")
  QString fracDigits;  // may be empty
};

// A text that reads as a number: blanks around it, one sign in front or behind, digits with ","
// anywhere in the integer part, at most one ".", at least one digit. Its own rule, not one of
// numbers::: the digits are kept exactly as typed, for formatting, never through a double.
std::optional<Decimal> ParseNumber(QStringView text);

// "#,##0" (grouping) or "0", followed by "." and `decimals` zeros when decimals > 0; rounds half
// away from zero. A text that is not a number comes back unchanged. A minus sign survives even
// when the value rounds to zero, so that a "-" being typed is not lost.
QString FormatNumber(const QString& text, int decimals, bool grouping);

// Fills a pattern of "0" placeholders and literal characters from the right with the digits of
// a whole number ("000-000-0000"); surplus digits go in front. Not a number: unchanged.
QString FormatDigits(const QString& text, QStringView pattern);

}  // namespace numfmt
