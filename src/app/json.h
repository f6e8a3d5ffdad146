#pragma once
// The lenient JSON reader and the one-line writer of the server list. The reader never fails:
// what it cannot read is noted in the last JSON error text and the partial structure comes back.

#include <QHash>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

class JsonObject;
class JsonArray;

class JsonValue {
 public:
  // Nothing: no value at all (a failed top level). Empty: a value that was never given (a number
  // cut off by the end of the text).
  enum class Kind { Nothing, Empty, Null, Boolean, Number, Text, Object, Array };

  JsonValue() = default;
  static JsonValue MakeEmpty();
  static JsonValue MakeNull();
  static JsonValue MakeBoolean(bool value);
  // canonical: the exact decimal's text as DecimalFromText gives it.
  static JsonValue MakeNumber(const QString& canonical);
  static JsonValue MakeText(const QString& text);
  static JsonValue MakeObject(std::shared_ptr<JsonObject> object);
  static JsonValue MakeArray(std::shared_ptr<JsonArray> array);

  Kind kind() const { return m_kind; }
  bool IsNothing() const { return m_kind == Kind::Nothing; }
  bool Boolean() const { return m_bool; }
  // The text of a Text, the decimal text of a Number.
  const QString& Text() const { return m_text; }
  const JsonObject* Object() const { return m_object.get(); }
  const JsonArray* Array() const { return m_array.get(); }
  // A scalar as text ("true"/"false" for Booleans); empty for Null, Empty, objects and arrays.
  QString ToText() const;

 private:
  Kind m_kind = Kind::Nothing;
  bool m_bool = false;
  QString m_text;
  std::shared_ptr<JsonObject> m_object;
  std::shared_ptr<JsonArray> m_array;
};

// Keys compared case-sensitively, kept in insertion order.
class JsonObject {
 public:
  // False (and nothing added) when the key is already present.
  bool Add(const QString& key, JsonValue value);
  const JsonValue* Find(const QString& key) const;
  int Count() const { return static_cast<int>(m_items.size()); }
  const QString& KeyAt(int index) const { return m_items[index].first; }
  const JsonValue& ValueAt(int index) const { return m_items[index].second; }

 private:
  std::vector<std::pair<QString, JsonValue>> m_items;
  QHash<QString, int> m_index;
};

class JsonArray {
 public:
  void Add(JsonValue value) { m_items.push_back(std::move(value)); }
  int Count() const { return static_cast<int>(m_items.size()); }
  // 1-based, like the list the reader fills.
  const JsonValue& Item(int position) const { return m_items[position - 1]; }

 private:
  std::vector<JsonValue> m_items;
};

// Parses one top-level object or array; Nothing when the text starts with neither.
JsonValue ParseJson(const QString& text);
QString JsonToString(const JsonValue& value);
// What the last ParseJson could not read, one line (ending in CR LF) per problem.
QString JsonLastError();

namespace json {
// The exact decimal (29 significant digits, at most 28 after the point) of a number's text, in
// its plain text form ("-1.5", "1000"); false when the text is no number or too large.
bool DecimalFromText(const QString& text, QString* canonical);
}  // namespace json
