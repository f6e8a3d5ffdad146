// Amount to message count: the three tiers, their two roundings, negative amounts, bad text.
#include "customers/ChargeRules.h"

#include <gtest/gtest.h>

namespace {

TEST(ChargeRules, CountsFollowTheTiersAndTheirRoundings) {
  const struct {
    const char* amount;
    std::int64_t count;
    const char* unit;
  } cases[] = {
      // The price list of the dialog.
      {"16,500", 682, "24.2"},
      {"27,500", 1136, "24.2"},
      {"33,000", 1364, "24.2"},
      {"52,800", 2182, "24.2"},
      {"55,000", 2500, "22"},
      {"75,900", 3450, "22"},
      {"96,800", 4400, "22"},
      {"110,000", 5556, "19.8"},
      {"115,500", 5834, "19.8"},
      {"220,000", 11112, "19.8"},
      // Typed amounts at the tier edges.
      {"54999", 2273, "24.2"},
      {"55000", 2500, "22"},
      {"100000", 4545, "22"},
      {"109999", 5000, "22"},
      {"110000", 5556, "19.8"},
      // An exact half rounds away from zero: 12.1 / 24.2 = 0.5.
      {"12.1", 1, "24.2"},
      {"-12.1", -1, "24.2"},
      // An exact multiple keeps its count under the 0.9 rule: 217,800 / 19.8 = 11000.
      {"217,800", 11000, "19.8"},
      {"-220,000", -11112, "19.8"},
      {"-16500", -682, "24.2"},
      {"0", 0, "24.2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.amount);
    const auto milli = ParseAmountMilli(QLatin1String(c.amount));
    ASSERT_TRUE(milli.has_value());
    EXPECT_EQ(MessageCount(*milli), c.count);
    EXPECT_EQ(UnitPriceText(UnitPriceTenths(*milli)), QLatin1String(c.unit));
  }
}

TEST(ChargeRules, TextThatIsNotANumberGivesNoAmount) {
  for (const char* text : {"", "abc", "12a", "1.2.3", "-", ",", "--5"})
    EXPECT_FALSE(ParseAmountMilli(QLatin1String(text)).has_value()) << text;
  EXPECT_EQ(ParseAmountMilli(QStringLiteral(" 1,234.5 ")), 1234500);
}

TEST(ChargeRules, AmountIsShownWithThousandsSeparators) {
  const struct {
    const char* typed;
    const char* shown;
  } cases[] = {{"16500", "16,500"}, {"220000", "220,000"}, {"-16500", "-16,500"},
               {"1,000", "1,000"},  {"999", "999"},        {"1234567", "1,234,567"},
               {"abc", "abc"},      {"12.5", "13"},        {"", ""}};
  for (const auto& c : cases)
    EXPECT_EQ(FormatAmount(QLatin1String(c.typed)), QLatin1String(c.shown)) << c.typed;
}

}  // namespace
