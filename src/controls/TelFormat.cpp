#include "controls/TelFormat.h"

#include "platform/Prompt.h"

namespace {

QString Keep(const QString& text, bool keepStars) {
  QString out;
  for (QChar c : text) {
    if ((c >= u'0' && c <= u'9') || (keepStars && c == u'*')) out += c;
  }
  return out;
}

// Returns false when the first group leaves no room for the last four.
bool Group(const QString& s, int first, QString* out) {
  const qsizetype middle = s.size() - first - 4;
  if (middle < 0) return false;
  if (first == 0) {
    *out = s.left(s.size() - 4) + u'-' + s.right(4);
  } else {
    *out = s.left(first) + u'-' + s.mid(first, middle) + u'-' + s.right(4);
  }
  return true;
}

}  // namespace

bool IsDigitsOnly(const QString& text) {
  if (text.isEmpty()) return false;
  for (QChar c : text) {
    if (c < u'0' || c > u'9') return false;
  }
  return true;
}

QString FormatTelNo(const QString& text) {
  if (text.size() < 6) return text;
  QString s = IsDigitsOnly(text) ? text : Keep(text, false);
  if (!IsDigitsOnly(s) || s.size() <= 4) return s;

  int first = 0;
  if (s.startsWith(QLatin1String("02"))) {
    first = 2;
  } else if (s.startsWith(QLatin1String("0505")) || s.startsWith(QLatin1String("0303"))) {
    first = 4;
  } else if (s.startsWith(u'0') && s.size() >= 9) {
    first = 3;
  }
  QString grouped;
  if (!Group(s, first, &grouped)) {
    // The old control failed here on a negative middle length and said so.
    MsgBox(QStringLiteral("Error 5 (Invalid procedure call or argument) in procedure FormatTelNo "
                          "of User Control HCText"),
           MsgButtons::Ok, MsgIcon::Critical);
    return s;
  }
  return grouped;
}

QString FormatTelNoMasked(const QString& text) {
  if (text.size() < 6) return text;
  const QString s = IsDigitsOnly(text) ? text : Keep(text, true);
  if (s.size() < 5) return s;

  int first = 0;
  if (s.startsWith(QLatin1String("02"))) {
    first = 2;
  } else if (s.startsWith(u'0') && s.size() >= 9) {
    first = 3;
  }
  QString grouped;
  return Group(s, first, &grouped) ? grouped : s;
}
