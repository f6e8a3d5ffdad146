#pragma once
// Date texts of the date and period inputs, and the arithmetic of the quick-period and move
// buttons of the period dialog. Kept free of widgets so the rules can be checked on any "today".

#include <QDate>
#include <QString>

namespace easydate {

// What an empty masked date box shows.
inline const QString kEmptyBox = QStringLiteral("____-__-__");

// "YYYY-MM-DD".
QString DateText(const QDate& date);
// The date a text names: "2024-03-15", also with "/" or "." and one-digit month or day
// ("2024/3/5"); an invalid QDate for anything else, such as "2023-02-29" or "2024-03-__".
QDate ParseDate(const QString& text);
inline bool IsDateText(const QString& text) { return ParseDate(text).isValid(); }

struct Period {
  QString from;
  QString to;
  bool operator==(const Period&) const = default;
};

constexpr int kQuickCount = 27;  // the quick-period buttons, 0..26
constexpr int kMoveCount = 12;   // the move buttons, 0..11: even back, odd forward

// The period quick-period button `index` gives on `today`; empty texts for other indexes.
Period QuickPeriod(int index, const QDate& today);
// The button of today's quarter (16..19) and of today's half year (20 or 21), shown bold.
int QuarterButton(const QDate& today);
int HalfButton(const QDate& today);

// The period move button `index` makes of from `from` to `to`. A year move keeps month and day,
// so 29 February can become a day that does not exist ("2025-02-29").
Period MovePeriod(int index, const QDate& from, const QDate& to);

}  // namespace easydate
