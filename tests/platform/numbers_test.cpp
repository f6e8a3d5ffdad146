#include "platform/Numbers.h"

#include <gtest/gtest.h>

#include <QString>

#include <cmath>
#include <optional>

namespace {

constexpr double kNone = NAN;  // the rule reads no number

struct Case {
  const char* text;
  double leading;  // LeadingNumber
  double loose;    // LooseNumber
  double plain;    // PlainNumber with 10 places
  double grouped;  // GroupedNumber
};

// One row per text, one column per rule, so that where the rules part is seen at a glance.
const Case kCases[] = {
    {"3", 3, 3, 3, 3},
    {"0.5", 0.5, 0.5, 0.5, 0.5},
    {" 2.25 ", 2.25, 2.25, kNone, 2.25},
    {"-1", -1, -1, -1, -1},
    {"+7", 7, 7, kNone, 7},
    {"", 0, kNone, kNone, kNone},
    {"abc", 0, kNone, kNone, kNone},
    {"4abc", 4, kNone, kNone, kNone},
    {"1 0", 10, kNone, kNone, kNone},  // the old runtime skipped blanks inside a number
    {"1.2.3", 1.2, kNone, kNone, kNone},
    {"1,234", 1, 1234, kNone, 1234},
    {"12,345,678.5", 12, 12345678.5, kNone, 12345678.5},
    {"1,2", 1, 12, kNone, kNone},  // separators anywhere only for the loose rule
    {"1234,567", 1234, 1234567, kNone, kNone},
    {"1e3", 1000, 1000, kNone, kNone},
    {"12e", 12, kNone, kNone, kNone},
    {"2E-2x", 0.02, kNone, kNone, kNone},
    {"007", 7, 7, kNone, 7},         // leading zeros: not the recordset's plain form
    {"1.50", 1.5, 1.5, kNone, 1.5},  // nor trailing fraction zeros
    {"-0", 0, 0, kNone, 0},
    {".5", 0.5, 0.5, kNone, 0.5},
    {"5-", 5, kNone, kNone, kNone},
    {"-", 0, kNone, kNone, kNone},
    {"1e999", 0, kNone, kNone, kNone},  // overflow is no number
    {"\t42\t원", 42, kNone, kNone, kNone},
    {"2026-03-09", 2026, kNone, kNone, kNone},
    {"1234567890123456", 1234567890123456, 1234567890123456, kNone, 1234567890123456},
};

void ExpectNumber(const char* rule, const char* text, std::optional<double> got, double want) {
  if (std::isnan(want)) {
    EXPECT_FALSE(got.has_value()) << rule << "(\"" << text << "\") read " << got.value_or(0);
  } else {
    ASSERT_TRUE(got.has_value()) << rule << "(\"" << text << "\") read nothing";
    EXPECT_DOUBLE_EQ(*got, want) << rule << "(\"" << text << "\")";
  }
}

std::optional<double> Plain(const QString& text, int places) {
  double v = 0;
  return numbers::PlainNumber(text, places, v) ? std::optional<double>(v) : std::nullopt;
}

TEST(Numbers, EachRuleReadsEachText) {
  for (const Case& c : kCases) {
    const QString text = QString::fromUtf8(c.text);
    EXPECT_DOUBLE_EQ(numbers::LeadingNumber(text), c.leading)
        << "LeadingNumber(\"" << c.text << "\")";
    ExpectNumber("LooseNumber", c.text, numbers::LooseNumber(text), c.loose);
    ExpectNumber("PlainNumber", c.text, Plain(text, 10), c.plain);
    double v = 0;
    ExpectNumber("GroupedNumber", c.text,
                 numbers::GroupedNumber(text, v) ? std::optional<double>(v) : std::nullopt,
                 c.grouped);
  }
}

TEST(Numbers, PlainNumberKeepsToItsPlaces) {
  ExpectNumber("PlainNumber/2", "12.34", Plain(QStringLiteral("12.34"), 2), 12.34);
  ExpectNumber("PlainNumber/2", "12.345", Plain(QStringLiteral("12.345"), 2), kNone);
  ExpectNumber("PlainNumber/0", "12.5", Plain(QStringLiteral("12.5"), 0), kNone);
}

}  // namespace
