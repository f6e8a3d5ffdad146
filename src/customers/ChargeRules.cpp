#include "customers/ChargeRules.h"

#include <QLocale>

#include <limits>

std::optional<std::int64_t> ParseAmountMilli(const QString& text, bool* tooLarge) {
  if (tooLarge) *tooLarge = false;
  bool overflow = false;
  QString t = text.trimmed();
  t.remove(u',');
  if (t.isEmpty()) return std::nullopt;
  bool negative = false;
  qsizetype i = 0;
  if (t[0] == u'-' || t[0] == u'+') {
    negative = t[0] == u'-';
    ++i;
  }
  std::int64_t whole = 0, frac = 0;
  int fracDigits = 0;
  bool digits = false, point = false;
  for (; i < t.size(); ++i) {
    const QChar c = t[i];
    if (c == u'.' && !point) {
      point = true;
    } else if (c >= u'0' && c <= u'9') {
      digits = true;
      const int d = c.unicode() - u'0';
      if (!point) {
        if (whole > 1'000'000'000'000LL) {  // beyond any real payment; keep looking for a non-digit
          overflow = true;
          continue;
        }
        whole = whole * 10 + d;
      } else if (fracDigits < 3) {
        frac = frac * 10 + d;
        ++fracDigits;
      }
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  if (overflow) {
    if (tooLarge) *tooLarge = true;
    return std::nullopt;
  }
  while (fracDigits < 3) {
    frac *= 10;
    ++fracDigits;
  }
  const std::int64_t milli = whole * 1000 + frac;
  return negative ? -milli : milli;
}

QString FormatAmount(const QString& text) {
  const auto milli = ParseAmountMilli(text);
  if (!milli) return text;
  // "#,##0": whole won, halves away from zero.
  const std::int64_t abs = *milli < 0 ? -*milli : *milli;
  const std::int64_t won = (abs + 500) / 1000;
  QString digits = QString::number(won);
  for (qsizetype pos = digits.size() - 3; pos > 0; pos -= 3) digits.insert(pos, u',');
  return (*milli < 0 && won != 0 ? QStringLiteral("-") : QString()) + digits;
}

int UnitPriceTenths(std::int64_t amountMilli) {
  const std::int64_t abs = amountMilli < 0 ? -amountMilli : amountMilli;
  if (abs < 55'000'000) return 242;
  if (abs < 110'000'000) return 220;
  return 198;
}

QString UnitPriceText(int tenths) {
  return tenths % 10 == 0 ? QString::number(tenths / 10)
                          : QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
}

std::int64_t MessageCount(std::int64_t amountMilli) {
  const int unit = UnitPriceTenths(amountMilli);
  const std::int64_t abs = amountMilli < 0 ? -amountMilli : amountMilli;
  // amount / (unit / 10) = abs * 10 / (unit * 1000) in thousandths of a won.
  const std::int64_t denominator = static_cast<std::int64_t>(unit) * 1000;
  std::int64_t count;
  if (unit == 198) {
    // Add 0.9 to the quotient and cut the fraction.
    count = (abs * 10 + 9 * denominator / 10) / denominator;
  } else {
    count = (abs * 20 + denominator) / (2 * denominator);
  }
  return amountMilli < 0 ? -count : count;
}

bool ChargeAmountFitsColumns(const QString& text) {
  bool tooLarge = false;
  const auto milli = ParseAmountMilli(text, &tooLarge);
  if (tooLarge) return false;
  if (!milli) return true;  // not a number: the count is 0 and the save stops there
  const std::int64_t won = (*milli < 0 ? *milli - 500 : *milli + 500) / 1000;
  const std::int64_t count = MessageCount(*milli);
  const auto fits = [](std::int64_t v) {
    return v >= std::numeric_limits<std::int32_t>::min() &&
           v <= std::numeric_limits<std::int32_t>::max();
  };
  return fits(won) && fits(count);
}
