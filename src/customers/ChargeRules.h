#pragma once
// From an amount paid to the number of messages it buys. Money is exact: amounts in thousandths
// of a won, unit prices in tenths, never binary floating point.

#include <QString>

#include <cstdint>
#include <optional>

// The amount box's text as a number of thousandths of a won ("16,500" -> 16500000); nullopt when
// the text is not a number. tooLarge tells a number too long to be any payment apart from a text
// that is no number at all.
std::optional<std::int64_t> ParseAmountMilli(const QString& text, bool* tooLarge = nullptr);

// The whole won and the message count of a typed amount fit the charge's INT columns (a text
// that is no number fits: it buys nothing).
bool ChargeAmountFitsColumns(const QString& text);

// "#,##0" of a typed amount; a text that is not a number stays as it is.
QString FormatAmount(const QString& text);

// Unit price in tenths of a won by the absolute amount: 242 below 55,000, 220 below 110,000,
// 198 from 110,000.
int UnitPriceTenths(std::int64_t amountMilli);
// "24.2", "22", "19.8".
QString UnitPriceText(int tenths);

// Messages for the amount: halves away from zero in the lower tiers, the 0.9 rule from 110,000.
std::int64_t MessageCount(std::int64_t amountMilli);
