// The lenient JSON reader, its error texts and the one-line writer.
#include "app/json.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase {
  const char* name;
  QString text;
  QString written;  // JsonToString of the result ("" for nothing)
  QString error;    // the last JSON error text
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class JsonParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(JsonParseTest, ReadsAndWrites) {
  const ParseCase& c = GetParam();
  const JsonValue v = ParseJson(c.text);
  EXPECT_EQ(JsonToString(v), c.written);
  EXPECT_EQ(JsonLastError(), c.error);
}

const QString kDup =
    QStringLiteral("This key is already associated with an element of this collection: ");

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonParseTest,
    ::testing::Values(
        ParseCase{
            "single_quotes", QStringLiteral("{'a':'b'}"), QStringLiteral("{\"a\": \"b\"}"), {}},
        ParseCase{"block_comment_and_parens",
                  QStringLiteral("({\"a\":1,/* note */\"b\":(2)})"),
                  QStringLiteral("{\"a\": 1,\"b\": 2}"),
                  {}},
        ParseCase{"line_comment",
                  QStringLiteral("{\"a\":1 // rest\r\n,\"b\":2}"),
                  QStringLiteral("{\"a\": 1,\"b\": 2}"),
                  {}},
        ParseCase{"leading_comment_unquoted_key",
                  QStringLiteral("/* x */ {ver:3}"),
                  QStringLiteral("{\"ver\": 3}"),
                  {}},
        ParseCase{"blanks_dropped_from_keys",
                  QStringLiteral("{ my key :1,\" a\tb \":2}"),
                  QStringLiteral("{\"mykey\": 1,\"ab\": 2}"),
                  {}},
        ParseCase{"keys_case_sensitive",
                  QStringLiteral("{\"a\":1,\"A\":2}"),
                  QStringLiteral("{\"a\": 1,\"A\": 2}"),
                  {}},
        ParseCase{"duplicate_key_stops_object", QStringLiteral("{\"a\":1,\"a\":2,\"b\":3}"),
                  QStringLiteral("{\"a\": 1}"), kDup + QStringLiteral("a\r\n")},
        ParseCase{"bare_word", QStringLiteral("hello"), QString(), QStringLiteral("Invalid JSON")},
        ParseCase{"empty_text", QString(), QString(), QStringLiteral("Invalid JSON")},
        ParseCase{"only_comment", QStringLiteral("// nothing"), QString(),
                  QStringLiteral("Invalid JSON")},
        ParseCase{"key_without_colon", QStringLiteral("{\"a\" 1}"), QStringLiteral("{}"),
                  QStringLiteral("Invalid Key at position 6 : a\r\n")},
        ParseCase{"missing_brace_number_at_end", QStringLiteral("{\"a\":1,\"b\":2"),
                  QStringLiteral("{\"a\": 1,\"b\": }"),
                  QStringLiteral("Missing '}': {\"a\":1,\"b\":2\r\n")},
        ParseCase{"missing_brace_last_20", QStringLiteral("{\"key\":\"0123456789abcdefghij\""),
                  QStringLiteral("{\"key\": \"0123456789abcdefghij\"}"),
                  QStringLiteral("Missing '}': 123456789abcdefghij\"\r\n")},
        ParseCase{"missing_bracket", QStringLiteral("[1,2"), QStringLiteral("[1,]"),
                  QStringLiteral("Missing ']': [1,2\r\n")},
        ParseCase{"unterminated_string", QStringLiteral("[\"abc"), QStringLiteral("[\"abc\"]"),
                  QStringLiteral("Missing ']': [\"abc\r\n")},
        ParseCase{"numbers_exact",
                  QStringLiteral("[1.50,-0,1e3,+5,.5,1E-2,-12.340]"),
                  QStringLiteral("[1.5,0,1000,5,0.5,0.01,-12.34]"),
                  {}},
        ParseCase{"number_too_large", QStringLiteral("[79228162514264337593543950336]"),
                  QStringLiteral("[]"),
                  QStringLiteral("Invalid Number at position 2 : "
                                 "79228162514264337593543950336]\r\n")},
        ParseCase{"number_malformed", QStringLiteral("[1-2]"), QStringLiteral("[]"),
                  QStringLiteral("Invalid Number at position 2 : 1-2]\r\n")},
        ParseCase{"not_a_value_ends_array", QStringLiteral("[1,x,2]"), QStringLiteral("[1]"),
                  QStringLiteral("Invalid Number at position 4 : x,2]\r\n")},
        ParseCase{"literals",
                  QStringLiteral("{\"t\":true,\"f\":false,\"n\":null}"),
                  QStringLiteral("{\"t\": true,\"f\": false,\"n\": null}"),
                  {}},
        ParseCase{"bad_boolean", QStringLiteral("[tru]"), QStringLiteral("[]"),
                  QStringLiteral("Invalid Boolean at position 2 : tru]\r\n")},
        ParseCase{"bad_null", QStringLiteral("{\"a\":nul}"), QStringLiteral("{}"),
                  QStringLiteral("Invalid null value at position 6 : nul}\r\n")},
        ParseCase{"nested_list",
                  QStringLiteral("{\"servers\":[{\"name\":\"a\",\"host\":\"b\"}],\"ver\":3}"),
                  QStringLiteral("{\"servers\": [{\"name\": \"a\",\"host\": \"b\"}],\"ver\": 3}"),
                  {}},
        ParseCase{"trailing_text_ignored", QStringLiteral("[1] tail"), QStringLiteral("[1]"), {}},
        ParseCase{"empty_containers", QStringLiteral("[{},[],,]"), QStringLiteral("[{},[]]"), {}},
        ParseCase{"other_quote_inside_string",
                  QStringLiteral("['say \"hi\"']"),
                  QStringLiteral("[\"say \\\"hi\\\"\"]"),
                  {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JsonReader, StringEscapes) {
  const JsonValue v = ParseJson(QStringLiteral(
      "[\"q\\\" b\\\\ s\\/ a\\' \\b\\f\\n\\r\\t \\u00e9\\u4E2D \\q \\u12 \\ud83d\\ude00\"]"));
  ASSERT_EQ(v.kind(), JsonValue::Kind::Array);
  EXPECT_EQ(JsonLastError(), QString());
  const QString expected = QStringLiteral("q\" b\\ s/ a' ") + QChar(8) + QChar(12) + u'\n' + u'\r' +
                           u'\t' + QStringLiteral(" é中 q u12 ") +
                           QString::fromUtf8("\xF0\x9F\x98\x80");
  EXPECT_EQ(v.Array()->Item(1).Text(), expected);
}

TEST(JsonReader, SingleAndDoubleQuotesReadTheSame) {
  const QString a = JsonToString(ParseJson(QStringLiteral("{'ver':'7','servers':[{'name':'x'}]}")));
  const QString b =
      JsonToString(ParseJson(QStringLiteral("{\"ver\":\"7\",\"servers\":[{\"name\":\"x\"}]}")));
  EXPECT_EQ(a, b);
}

TEST(JsonReader, ObjectKeepsOrderAndLooksUpExactly) {
  const JsonValue v = ParseJson(QStringLiteral("{z:1,a:'x',M:[true]}"));
  const JsonObject* o = v.Object();
  ASSERT_NE(o, nullptr);
  ASSERT_EQ(o->Count(), 3);
  EXPECT_EQ(o->KeyAt(0), QStringLiteral("z"));
  EXPECT_EQ(o->KeyAt(2), QStringLiteral("M"));
  EXPECT_EQ(o->Find(QStringLiteral("m")), nullptr);
  ASSERT_NE(o->Find(QStringLiteral("a")), nullptr);
  EXPECT_EQ(o->Find(QStringLiteral("a"))->ToText(), QStringLiteral("x"));
  EXPECT_TRUE(o->Find(QStringLiteral("M"))->Array()->Item(1).Boolean());
}

TEST(JsonReader, ErrorTextIsEmptiedByTheNextParse) {
  ParseJson(QStringLiteral("nope"));
  ASSERT_FALSE(JsonLastError().isEmpty());
  ParseJson(QStringLiteral("[]"));
  EXPECT_EQ(JsonLastError(), QString());
}

TEST(JsonReader, DeepNestingIsRefusedNotFollowed) {
  const QString deep = QString(100000, u'[');
  const JsonValue v = ParseJson(deep);
  EXPECT_EQ(v.kind(), JsonValue::Kind::Array);
  EXPECT_TRUE(JsonLastError().startsWith(QStringLiteral("Nesting too deep at position 513 : [[")));
  EXPECT_EQ(JsonLastError().count(QStringLiteral("\r\n")), 1);  // the whole reading stopped
}

TEST(JsonWriter, EscapesWhatTheReaderWouldTakeOtherwise) {
  EXPECT_EQ(JsonToString(JsonValue::MakeText(QStringLiteral("a\"b\\c\nd/\t") + QChar(1))),
            QStringLiteral("\"a\\\"b\\\\c\\nd/\\t\\u0001\""));
  // Keys too, with their blanks kept: the reader drops blanks typed into a key.
  auto o = std::make_shared<JsonObject>();
  o->Add(QStringLiteral("a \"b\\"), JsonValue::MakeText(QStringLiteral("C:\\x\\")));
  EXPECT_EQ(JsonToString(JsonValue::MakeObject(o)),
            QStringLiteral("{\"a\\u0020\\\"b\\\\\": \"C:\\\\x\\\\\"}"));
  EXPECT_EQ(ParseJson(JsonToString(JsonValue::MakeObject(o))).Object()->KeyAt(0),
            QStringLiteral("a \"b\\"));
  EXPECT_EQ(JsonToString(JsonValue::MakeBoolean(false)), QStringLiteral("false"));
  EXPECT_EQ(JsonToString(JsonValue::MakeNull()), QStringLiteral("null"));
  EXPECT_EQ(JsonToString(JsonValue()), QString());
}

struct DecimalCase {
  const char* text;
  const char* canonical;  // nullptr: not a decimal
};

class JsonDecimalTest : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(JsonDecimalTest, Converts) {
  const DecimalCase& c = GetParam();
  QString out;
  const bool ok = json::DecimalFromText(QString::fromLatin1(c.text), &out);
  if (!c.canonical) {
    EXPECT_FALSE(ok) << out.toStdString();
  } else {
    ASSERT_TRUE(ok);
    EXPECT_EQ(out, QString::fromLatin1(c.canonical));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonDecimalTest,
    ::testing::Values(
        DecimalCase{"0", "0"}, DecimalCase{"007", "7"}, DecimalCase{"-0.0", "0"},
        DecimalCase{"1.50", "1.5"}, DecimalCase{"+.5", "0.5"}, DecimalCase{"1.", "1"},
        DecimalCase{"2.5E+2", "250"}, DecimalCase{"1e-28", "0.0000000000000000000000000001"},
        DecimalCase{"5e-29", "0"},  // half to even
        DecimalCase{"6e-29", "0.0000000000000000000000000001"},
        DecimalCase{"0.12345678901234567890123456789", "0.1234567890123456789012345679"},
        DecimalCase{"79228162514264337593543950335", "79228162514264337593543950335"},
        DecimalCase{"79228162514264337593543950336", nullptr},
        DecimalCase{"1e28", "10000000000000000000000000000"}, DecimalCase{"1e29", nullptr},
        DecimalCase{"1e99999999999", nullptr}, DecimalCase{"1e-99999999999", "0"},
        DecimalCase{"", nullptr}, DecimalCase{"-", nullptr}, DecimalCase{".", nullptr},
        DecimalCase{"1e", nullptr}, DecimalCase{"1.2.3", nullptr}, DecimalCase{"1-", nullptr},
        DecimalCase{"--1", nullptr}));

}  // namespace
