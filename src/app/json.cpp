#include "app/json.h"

#include <algorithm>

JsonValue JsonValue::MakeEmpty() {
  JsonValue v;
  v.m_kind = Kind::Empty;
  return v;
}

JsonValue JsonValue::MakeNull() {
  JsonValue v;
  v.m_kind = Kind::Null;
  return v;
}

JsonValue JsonValue::MakeBoolean(bool value) {
  JsonValue v;
  v.m_kind = Kind::Boolean;
  v.m_bool = value;
  return v;
}

JsonValue JsonValue::MakeNumber(const QString& canonical) {
  JsonValue v;
  v.m_kind = Kind::Number;
  v.m_text = canonical;
  return v;
}

JsonValue JsonValue::MakeText(const QString& text) {
  JsonValue v;
  v.m_kind = Kind::Text;
  v.m_text = text;
  return v;
}

JsonValue JsonValue::MakeObject(std::shared_ptr<JsonObject> object) {
  JsonValue v;
  v.m_kind = Kind::Object;
  v.m_object = std::move(object);
  return v;
}

JsonValue JsonValue::MakeArray(std::shared_ptr<JsonArray> array) {
  JsonValue v;
  v.m_kind = Kind::Array;
  v.m_array = std::move(array);
  return v;
}

QString JsonValue::ToText() const {
  switch (m_kind) {
    case Kind::Text:
    case Kind::Number:
      return m_text;
    case Kind::Boolean:
      return m_bool ? QStringLiteral("true") : QStringLiteral("false");
    default:
      return QString();
  }
}

bool JsonObject::Add(const QString& key, JsonValue value) {
  if (m_index.contains(key)) return false;
  m_index.insert(key, Count());
  m_items.emplace_back(key, std::move(value));
  return true;
}

const JsonValue* JsonObject::Find(const QString& key) const {
  const auto it = m_index.constFind(key);
  return it == m_index.cend() ? nullptr : &m_items[*it].second;
}

namespace json {
namespace {

// The largest mantissa of the decimal type (2^96 - 1).
const QString kMaxMantissa = QStringLiteral("79228162514264337593543950335");

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

QString StripLeadingZeros(QString s) {
  int i = 0;
  while (i < s.size() && s[i] == u'0') ++i;
  return s.mid(i);
}

bool FitsMantissa(const QString& digits) {
  const QString d = StripLeadingZeros(digits);
  if (d.size() != kMaxMantissa.size()) return d.size() < kMaxMantissa.size();
  return d <= kMaxMantissa;
}

// Adds one to a string of decimal digits.
QString Increment(QString digits) {
  int i = digits.size() - 1;
  while (i >= 0 && digits[i] == u'9') digits[i--] = u'0';
  if (i < 0) return u'1' + digits;
  digits[i] = QChar(digits[i].unicode() + 1);
  return digits;
}

}  // namespace

bool DecimalFromText(const QString& text, QString* canonical) {
  const int n = text.size();
  int p = 0;
  bool negative = false;
  if (p < n && (text[p] == u'+' || text[p] == u'-')) negative = text[p++] == u'-';
  QString intDigits, fracDigits;
  while (p < n && IsDigit(text[p])) intDigits += text[p++];
  if (p < n && text[p] == u'.') {
    ++p;
    while (p < n && IsDigit(text[p])) fracDigits += text[p++];
  }
  if (intDigits.isEmpty() && fracDigits.isEmpty()) return false;
  long exponent = 0;
  if (p < n && (text[p] == u'e' || text[p] == u'E')) {
    ++p;
    bool negExp = false;
    if (p < n && (text[p] == u'+' || text[p] == u'-')) negExp = text[p++] == u'-';
    if (p >= n || !IsDigit(text[p])) return false;
    // Saturates: anything this far out is zero or an overflow either way.
    while (p < n && IsDigit(text[p]))
      exponent = std::min(exponent * 10 + (text[p++].unicode() - '0'), 100000L);
    if (negExp) exponent = -exponent;
  }
  if (p != n) return false;

  // The value is 0.<sig> times ten to the power point.
  QString sig = intDigits + fracDigits;
  long point = intDigits.size() + exponent;
  while (!sig.isEmpty() && sig[0] == u'0') {
    sig.remove(0, 1);
    --point;
  }
  while (!sig.isEmpty() && sig.back() == u'0') sig.chop(1);
  if (sig.isEmpty() || point < -60) {
    *canonical = QStringLiteral("0");
    return true;
  }
  if (point > kMaxMantissa.size()) return false;

  QString intPart, frac;
  if (point >= sig.size()) {
    intPart = sig + QString(point - sig.size(), u'0');
  } else if (point > 0) {
    intPart = sig.left(point);
    frac = sig.mid(point);
  } else {
    frac = QString(-point, u'0') + sig;
  }

  // Round half to even to the places the type can hold, fewer when the mantissa would overflow.
  for (int scale = std::min<int>(28, kMaxMantissa.size() - intPart.size()); scale >= 0; --scale) {
    const int used = std::min<int>(scale, frac.size());
    QString digits = intPart + frac.left(used);
    if (frac.size() > scale) {
      const QChar first = frac[scale];
      const bool restNonZero =
          std::any_of(frac.begin() + scale + 1, frac.end(), [](QChar c) { return c != u'0'; });
      const bool lastOdd = !digits.isEmpty() && (digits.back().unicode() - '0') % 2 == 1;
      if (first > u'5' || (first == u'5' && (restNonZero || lastOdd))) digits = Increment(digits);
    }
    if (!FitsMantissa(digits)) continue;
    QString whole = StripLeadingZeros(digits.left(digits.size() - used));
    QString fraction = digits.right(used);
    while (!fraction.isEmpty() && fraction.back() == u'0') fraction.chop(1);
    if (whole.isEmpty()) whole = QStringLiteral("0");
    QString out = whole;
    if (!fraction.isEmpty()) out += u'.' + fraction;
    if (negative && out != QLatin1String("0")) out.prepend(u'-');
    *canonical = out;
    return true;
  }
  return false;
}

}  // namespace json

namespace {

// Deeper nesting than this is refused instead of exhausting the stack.
constexpr int kMaxDepth = 512;
// Every error line quotes the rest of the text; past this size further lines are dropped, so a
// long text full of errors cannot grow the error text without bound.
constexpr int kMaxErrorText = 64 * 1024;

const QString kDuplicateKey =
    QStringLiteral("This key is already associated with an element of this collection");

int HexDigit(QChar c) {
  if (c >= u'0' && c <= u'9') return c.unicode() - '0';
  if (c >= u'a' && c <= u'f') return c.unicode() - 'a' + 10;
  if (c >= u'A' && c <= u'F') return c.unicode() - 'A' + 10;
  return -1;
}

QString& LastError() {
  static QString text;
  return text;
}

// One escape after a backslash at s[i]: appends what it stands for, returns the position after it.
int UnescapeAt(const QString& s, int i, QString& out) {
  const QChar e = s[i++];
  switch (e.unicode()) {
    case 'b':
      out += QChar(8);
      break;
    case 'f':
      out += QChar(12);
      break;
    case 'n':
      out += QChar(10);
      break;
    case 'r':
      out += QChar(13);
      break;
    case 't':
      out += QChar(9);
      break;
    case 'u': {
      int code = 0;
      int k = 0;
      for (; k < 4 && i + k < s.size(); ++k) {
        const int h = HexDigit(s[i + k]);
        if (h < 0) break;
        code = code * 16 + h;
      }
      if (k == 4) {
        out += QChar(static_cast<char16_t>(code));
        i += 4;
      } else {
        out += e;  // not a code: the backslash goes, the letter stays
      }
      break;
    }
    default:
      out += e;  // quotes, backslash, slash, and any other character stand for themselves
  }
  return i;
}

QString Unescape(const QString& raw) {
  QString out;
  for (int i = 0; i < raw.size();) {
    if (raw[i] != u'\\') {
      out += raw[i++];
    } else if (i + 1 < raw.size()) {
      i = UnescapeAt(raw, i + 1, out);
    } else {
      ++i;
    }
  }
  return out;
}

class Reader {
 public:
  explicit Reader(const QString& text) : m_s(text) {}

  JsonValue Top() {
    Skip();
    if (AtEnd()) return Invalid();
    if (Cur() == u'{') return Object();
    if (Cur() == u'[') return Array();
    return Invalid();
  }

 private:
  static JsonValue Invalid() {
    LastError() = QStringLiteral("Invalid JSON");
    return JsonValue();
  }

  bool AtEnd() const { return m_i >= m_s.size(); }
  QChar Cur() const { return m_s[m_i]; }
  QChar At(int i) const { return i < m_s.size() ? m_s[i] : QChar(); }
  QString Pos() const { return QString::number(m_i + 1); }

  static bool ErrorFull() { return LastError().size() >= kMaxErrorText; }
  void Error(const QString& line) {
    if (!ErrorFull()) LastError() += line + QStringLiteral("\r\n");
  }
  // The rest of the text from the current position.
  void ErrorAt(const QString& what) { ErrorAt(what, m_i); }
  void ErrorAt(const QString& what, int tailFrom) {
    if (ErrorFull()) return;
    ErrorAt(what, m_s.mid(tailFrom));
  }
  void ErrorAt(const QString& what, const QString& tail) {
    Error(what + QStringLiteral(" at position ") + Pos() + QStringLiteral(" : ") + tail);
  }

  void Skip() {
    while (!AtEnd()) {
      const QChar c = Cur();
      if (c == u'\r' || c == u'\n' || c == u'\t' || c == u' ' || c == u'(' || c == u')') {
        ++m_i;
      } else if (c == u'/' && At(m_i + 1) == u'/') {
        m_i += 2;
        while (!AtEnd() && Cur() != u'\r' && Cur() != u'\n') ++m_i;
      } else if (c == u'/' && At(m_i + 1) == u'*') {
        const int end = m_s.indexOf(QLatin1String("*/"), m_i + 2);
        m_i = end < 0 ? m_s.size() : end + 2;
      } else {
        break;
      }
    }
  }

  // Too deep a structure ends the whole reading, not just the innermost level.
  bool TooDeep() {
    if (m_depth < kMaxDepth) return false;
    ErrorAt(QStringLiteral("Nesting too deep"));
    m_stopped = true;
    return true;
  }

  JsonValue Object() {
    auto object = std::make_shared<JsonObject>();
    const JsonValue result = JsonValue::MakeObject(object);
    if (AtEnd() || Cur() != u'{') {
      ErrorAt(QStringLiteral("Invalid Object"));
      return result;
    }
    if (TooDeep()) return result;
    ++m_i;
    ++m_depth;
    while (!m_stopped) {
      Skip();
      if (AtEnd()) {
        Error(QStringLiteral("Missing '}': ") + m_s.right(20));
        break;
      }
      if (Cur() == u'}') {
        ++m_i;
        break;
      }
      if (Cur() == u',') {
        ++m_i;
        continue;
      }
      QString key;
      if (!Key(&key)) break;
      const int start = m_i;
      JsonValue value = Value();
      // A value that could not be read at all ends the object where it stands.
      if ((m_i == start && !AtEnd()) || m_stopped) break;
      if (!object->Add(key, std::move(value))) {
        Error(kDuplicateKey + QStringLiteral(": ") + key);
        break;
      }
    }
    --m_depth;
    return result;
  }

  JsonValue Array() {
    auto array = std::make_shared<JsonArray>();
    const JsonValue result = JsonValue::MakeArray(array);
    if (AtEnd() || Cur() != u'[') {
      ErrorAt(QStringLiteral("Invalid Array"));
      return result;
    }
    if (TooDeep()) return result;
    ++m_i;
    ++m_depth;
    while (!m_stopped) {
      Skip();
      if (AtEnd()) {
        Error(QStringLiteral("Missing ']': ") + m_s.right(20));
        break;
      }
      if (Cur() == u']') {
        ++m_i;
        break;
      }
      if (Cur() == u',') {
        ++m_i;
        continue;
      }
      const int start = m_i;
      JsonValue value = Value();
      if (m_i == start || m_stopped) break;
      array->Add(std::move(value));
    }
    --m_depth;
    return result;
  }

  static void DropBlanks(QString& key) {
    key.remove(u'\r');
    key.remove(u'\n');
    key.remove(u'\t');
    key.remove(u' ');
  }

  bool Key(QString* key) {
    const QChar c = Cur();
    if (c == u'"' || c == u'\'') {
      // Blanks typed into a key are dropped, escaped ones (as the writer puts them) are kept.
      const int begin = m_i + 1;
      int end = begin;
      while (end < m_s.size() && m_s[end] != c) end += m_s[end] == u'\\' ? 2 : 1;
      QString raw = m_s.mid(begin, std::min<qsizetype>(end, m_s.size()) - begin);
      DropBlanks(raw);
      *key = Unescape(raw);
      m_i = std::min<qsizetype>(end + 1, m_s.size());
      Skip();
      if (AtEnd() || Cur() != u':') {
        ErrorAt(QStringLiteral("Invalid Key"), *key);
        return false;
      }
      ++m_i;
      return true;
    }
    const int colon = m_s.indexOf(u':', m_i);
    *key = m_s.mid(m_i, colon < 0 ? -1 : colon - m_i);
    m_i = colon < 0 ? m_s.size() : colon + 1;
    DropBlanks(*key);
    return true;
  }

  JsonValue Value() {
    Skip();
    const QChar c = AtEnd() ? QChar() : Cur();
    if (c == u'{') return Object();
    if (c == u'[') return Array();
    if (c == u'"' || c == u'\'') return String(c);
    if (c == u't' || c == u'f') return Boolean();
    if (c == u'n') return Null();
    return Number();
  }

  JsonValue String(QChar quote) {
    ++m_i;
    QString out;
    while (!AtEnd()) {
      const QChar c = Cur();
      ++m_i;
      if (c == quote) return JsonValue::MakeText(out);
      if (c != u'\\') {
        out += c;
        continue;
      }
      if (AtEnd()) break;
      m_i = UnescapeAt(m_s, m_i, out);
    }
    return JsonValue::MakeText(out);
  }

  JsonValue Boolean() {
    if (m_s.mid(m_i, 4) == QLatin1String("true")) {
      m_i += 4;
      return JsonValue::MakeBoolean(true);
    }
    if (m_s.mid(m_i, 5) == QLatin1String("false")) {
      m_i += 5;
      return JsonValue::MakeBoolean(false);
    }
    ErrorAt(QStringLiteral("Invalid Boolean"));
    return JsonValue::MakeEmpty();
  }

  JsonValue Null() {
    if (m_s.mid(m_i, 4) == QLatin1String("null")) {
      m_i += 4;
      return JsonValue::MakeNull();
    }
    ErrorAt(QStringLiteral("Invalid null value"));
    return JsonValue::MakeEmpty();
  }

  JsonValue Number() {
    static const QString kChars = QStringLiteral("+-0123456789.eE");
    int end = m_i;
    while (end < m_s.size() && kChars.contains(m_s[end])) ++end;
    if (end >= m_s.size()) {
      m_i = end;
      return JsonValue::MakeEmpty();
    }
    QString canonical;
    if (end == m_i || !json::DecimalFromText(m_s.mid(m_i, end - m_i), &canonical)) {
      ErrorAt(QStringLiteral("Invalid Number"));
      m_i = end;
      return JsonValue::MakeEmpty();
    }
    m_i = end;
    return JsonValue::MakeNumber(canonical);
  }

  const QString& m_s;
  int m_i = 0;
  int m_depth = 0;
  bool m_stopped = false;
};

// What the reader takes back as the same text: quotes, backslashes and control characters
// escaped, and in keys the blanks too (the reader drops blanks typed into a key). A lone
// surrogate is written as its code, because UTF-8 cannot carry it to the file.
void WriteEscaped(const QString& text, bool key, QString& out) {
  static const char* const kHex = "0123456789abcdef";
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    const char16_t u = c.unicode();
    const bool pairedHigh =
        c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    const bool pairedLow = c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate();
    if (u == u'"' || u == u'\\') {
      out += u'\\';
      out += c;
    } else if (u == u'\n') {
      out += QLatin1String("\\n");
    } else if (u == u'\r') {
      out += QLatin1String("\\r");
    } else if (u == u'\t') {
      out += QLatin1String("\\t");
    } else if (u < 0x20 || (key && u == u' ') || (c.isSurrogate() && !pairedHigh && !pairedLow)) {
      out += QLatin1String("\\u");
      for (int shift = 12; shift >= 0; shift -= 4) out += QLatin1Char(kHex[(u >> shift) & 0xF]);
    } else {
      out += c;
    }
  }
}

void Write(const JsonValue& v, QString& out) {
  switch (v.kind()) {
    case JsonValue::Kind::Object: {
      const JsonObject& o = *v.Object();
      out += u'{';
      for (int i = 0; i < o.Count(); ++i) {
        out += u'"';
        WriteEscaped(o.KeyAt(i), true, out);
        out += QStringLiteral("\": ");
        Write(o.ValueAt(i), out);
        out += u',';
      }
      if (out.back() == u',') out.chop(1);
      out += u'}';
      break;
    }
    case JsonValue::Kind::Array: {
      const JsonArray& a = *v.Array();
      out += u'[';
      for (int i = 1; i <= a.Count(); ++i) {
        Write(a.Item(i), out);
        out += u',';
      }
      if (out.back() == u',') out.chop(1);
      out += u']';
      break;
    }
    case JsonValue::Kind::Text:
      out += u'"';
      WriteEscaped(v.Text(), false, out);
      out += u'"';
      break;
    case JsonValue::Kind::Null:
      out += QLatin1String("null");
      break;
    default:
      out += v.ToText();
  }
}

}  // namespace

JsonValue ParseJson(const QString& text) {
  LastError().clear();
  return Reader(text).Top();
}

QString JsonToString(const JsonValue& value) {
  QString out;
  Write(value, out);
  return out;
}

QString JsonLastError() { return LastError(); }
