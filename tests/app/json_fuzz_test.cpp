// Seeded random input for the JSON reader, run under the sanitizers with the other tests: it must
// never crash, never hang, and whatever it returns must be writable and read back as the same kind.
#include "app/json.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <random>

namespace {

const QStringList kSeeds = {
    QStringLiteral("{\"ver\": \"7\",\"servers\": [{\"name\": \"자동업데이트_런처\",\"host\": "
                   "\"10.0.0.5\"}]}"),
    QStringLiteral("{'a':'b', /* c */ x : (1.5e3), \"n\":null, t:true, f:false}"),
    QStringLiteral("[1,-2.5,\"q\\\"\\u00e9\\n\",[[]],{},// end\r\n]"),
    QStringLiteral("{\"success\": true, \"data\": {\"ver\": 3, \"servers\": []}}"),
};

// Pieces that reach the reader's branches more often than random characters do.
const QStringList kTokens = {
    QStringLiteral("{"),  QStringLiteral("}"),     QStringLiteral("["),    QStringLiteral("]"),
    QStringLiteral(","),  QStringLiteral(":"),     QStringLiteral("\""),   QStringLiteral("'"),
    QStringLiteral("("),  QStringLiteral(")"),     QStringLiteral("//"),   QStringLiteral("/*"),
    QStringLiteral("*/"), QStringLiteral("\\"),    QStringLiteral("\\u"),  QStringLiteral("true"),
    QStringLiteral("tr"), QStringLiteral("false"), QStringLiteral("null"), QStringLiteral("nu"),
    QStringLiteral("1"),  QStringLiteral("-0.5"),  QStringLiteral("e"),    QStringLiteral("9e99"),
    QStringLiteral(" "),  QStringLiteral("\r\n"),  QStringLiteral("key"),  QStringLiteral("한"),
};

QString RandomTokens(std::mt19937& rng) {
  std::uniform_int_distribution<int> count(0, 60), pick(0, kTokens.size() - 1);
  QString s;
  for (int n = count(rng); n > 0; --n) s += kTokens[pick(rng)];
  return s;
}

QString Mutate(QString s, std::mt19937& rng) {
  std::uniform_int_distribution<int> edits(1, 6), kind(0, 3), ch(1, 0x7f);
  for (int n = edits(rng); n > 0; --n) {
    std::uniform_int_distribution<int> at(0, s.size());
    const int p = at(rng);
    switch (kind(rng)) {
      case 0:
        s.insert(p, QChar(ch(rng)));
        break;
      case 1:
        if (p < s.size()) s.remove(p, 1);
        break;
      case 2:
        s.truncate(p);
        break;
      default:
        s.insert(p, kTokens[std::uniform_int_distribution<int>(0, kTokens.size() - 1)(rng)]);
    }
  }
  return s;
}

TEST(JsonFuzz, RandomInputNeverCrashesOrHangs) {
  std::mt19937 rng(20240613);
  QElapsedTimer total;
  total.start();
  for (int i = 0; i < 20000; ++i) {
    const QString input = i % 2 ? RandomTokens(rng) : Mutate(kSeeds[i / 2 % kSeeds.size()], rng);
    QElapsedTimer one;
    one.start();
    const JsonValue v = ParseJson(input);
    const QString written = JsonToString(v);
    ASSERT_LT(one.elapsed(), 1000) << "slow input: " << input.toStdString();
    if (v.IsNothing()) {
      ASSERT_EQ(JsonLastError(), QStringLiteral("Invalid JSON")) << input.toStdString();
      continue;
    }
    ASSERT_TRUE(v.kind() == JsonValue::Kind::Object || v.kind() == JsonValue::Kind::Array);
    // The writer's text starts the same kind of container again.
    ASSERT_EQ(ParseJson(written).kind(), v.kind()) << written.toStdString();
  }
  EXPECT_LT(total.elapsed(), 120000);
}

TEST(JsonFuzz, LongHostileTextsStayBounded) {
  // Many errors that each quote the rest of a long text: the error text must not explode.
  QString many = QStringLiteral("{");
  for (int i = 0; i < 20000; ++i) many += QStringLiteral("k%1:1-1,").arg(i);
  ParseJson(many);
  // Whole lines up to a bound: the first line quotes almost all of the text.
  EXPECT_LT(JsonLastError().size(), many.size() + 70000);
  EXPECT_TRUE(JsonLastError().startsWith(QStringLiteral("Invalid Number at position 5 : 1-1,")));

  const QString unclosedComment = QStringLiteral("[1,/*") + QString(200000, u'x');
  EXPECT_EQ(JsonToString(ParseJson(unclosedComment)), QStringLiteral("[1]"));
}

}  // namespace
