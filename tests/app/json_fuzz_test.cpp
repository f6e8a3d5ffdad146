// Seeded random input for the JSON reader, run under the sanitizers with the other tests: it must
// never crash, never hang, and whatever it returns must be writable and read back as the same kind.
// Random values written and read back (through UTF-8, as the server-list file is) come back equal.
#include "app/json.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <memory>
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

// Characters that need the writer's care: quotes, backslashes, blanks and controls (which the
// reader drops from keys when typed), comment and structure characters, Hangul, a character
// outside the basic plane and halves of one.
const QList<QChar> kAwkward = {u'"',  u'\'', u'\\',         u' ',          u'\t',
                               u'\r', u'\n', QChar(1),      QChar(8),      QChar(0x1f),
                               u'/',  u'*',  u'{',          u'}',          u'[',
                               u':',  u',',  u'(',          u'u',          u'a',
                               u'0',  u'한', QChar(0xD83D), QChar(0xDE00), QChar(0xDC00)};

QString RandomText(std::mt19937& rng) {
  std::uniform_int_distribution<int> length(0, 12), pick(0, kAwkward.size() - 1);
  QString s;
  for (int n = length(rng); n > 0; --n) s += kAwkward[pick(rng)];
  return s;
}

JsonValue RandomValue(std::mt19937& rng, int depth) {
  std::uniform_int_distribution<int> kind(0, depth > 0 ? 6 : 4), count(0, 4);
  switch (kind(rng)) {
    case 0:
      return JsonValue::MakeNull();
    case 1:
      return JsonValue::MakeBoolean(rng() % 2);
    case 2: {
      QString canonical;
      const QString text = QStringLiteral("%1.%2e%3")
                               .arg(static_cast<int>(rng() % 2000001) - 1000000)
                               .arg(rng() % 1000)
                               .arg(static_cast<int>(rng() % 21) - 10);
      if (!json::DecimalFromText(text, &canonical)) canonical = QStringLiteral("0");
      return JsonValue::MakeNumber(canonical);
    }
    case 3:
    case 4:
      return JsonValue::MakeText(RandomText(rng));
    case 5: {
      auto o = std::make_shared<JsonObject>();
      for (int n = count(rng); n > 0; --n) o->Add(RandomText(rng), RandomValue(rng, depth - 1));
      return JsonValue::MakeObject(o);
    }
    default: {
      auto a = std::make_shared<JsonArray>();
      for (int n = count(rng); n > 0; --n) a->Add(RandomValue(rng, depth - 1));
      return JsonValue::MakeArray(a);
    }
  }
}

// Why two values differ, empty when they are equal.
std::string Difference(const JsonValue& a, const JsonValue& b) {
  if (a.kind() != b.kind()) return "kind";
  if (a.kind() == JsonValue::Kind::Boolean && a.Boolean() != b.Boolean()) return "boolean";
  if (a.Text() != b.Text())
    return "text " + a.Text().toStdString() + " / " + b.Text().toStdString();
  if (const JsonObject* o = a.Object()) {
    const JsonObject* p = b.Object();
    if (o->Count() != p->Count()) return "member count";
    for (int i = 0; i < o->Count(); ++i) {
      if (o->KeyAt(i) != p->KeyAt(i)) return "key " + o->KeyAt(i).toStdString();
      const std::string d = Difference(o->ValueAt(i), p->ValueAt(i));
      if (!d.empty()) return d;
    }
  }
  if (const JsonArray* x = a.Array()) {
    const JsonArray* y = b.Array();
    if (x->Count() != y->Count()) return "item count";
    for (int i = 1; i <= x->Count(); ++i) {
      const std::string d = Difference(x->Item(i), y->Item(i));
      if (!d.empty()) return d;
    }
  }
  return {};
}

TEST(JsonFuzz, WrittenValuesReadBackEqual) {
  std::mt19937 rng(77031);
  for (int i = 0; i < 5000; ++i) {
    auto top = std::make_shared<JsonObject>();
    for (int n = rng() % 5; n > 0; --n) top->Add(RandomText(rng), RandomValue(rng, 3));
    const JsonValue v = i % 3 ? JsonValue::MakeObject(top) : JsonValue::MakeArray([&] {
      auto a = std::make_shared<JsonArray>();
      a->Add(RandomValue(rng, 3));
      a->Add(JsonValue::MakeObject(top));
      return a;
    }());
    const QString written = JsonToString(v);
    const JsonValue back = ParseJson(QString::fromUtf8(written.toUtf8()));
    ASSERT_EQ(JsonLastError(), QString()) << written.toStdString();
    ASSERT_EQ(Difference(v, back), std::string()) << written.toStdString();
    ASSERT_EQ(JsonToString(back), written);
  }
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
