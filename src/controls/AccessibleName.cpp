#include "controls/AccessibleName.h"

#include "controls/DateBox.h"
#include "controls/HCDateAdv.h"
#include "controls/HCTerm.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QWidget>

namespace controls {

namespace {

// "F5" or "(F12)" closing a caption; the modifiers go with it.
const QRegularExpression& KeyHintPattern() {
  static const QRegularExpression re(
      QStringLiteral(R"(\s*\(?((?:(?:Ctrl|Shift|Alt)\+)*F(?:1[0-2]|[1-9]))\)?\s*$)"));
  return re;
}

bool IsSingleSyllable(const QString& word) {
  return word.size() == 1 && word[0] >= QChar(0xAC00) && word[0] <= QChar(0xD7A3);
}

}  // namespace

QString CaptionKeyHint(const QString& caption) {
  const QRegularExpressionMatch m = KeyHintPattern().match(caption);
  return m.hasMatch() ? m.captured(1) : QString();
}

QString CaptionName(const QString& caption) {
  static const QRegularExpression parenMnemonic(QStringLiteral(R"(\(&[^&\s]\))"));
  static const QRegularExpression loneMnemonic(QStringLiteral(R"((^|\s)&[A-Za-z0-9](?=\s|$))"));
  QString t = caption;
  t.remove(parenMnemonic);
  t.replace(loneMnemonic, QStringLiteral("\\1"));
  // What is left of the marks: "&x" reads "x", "&&" reads "&".
  QString plain;
  plain.reserve(t.size());
  for (qsizetype i = 0; i < t.size(); ++i) {
    if (t[i] == u'&' && i + 1 < t.size()) ++i;
    plain += t[i];
  }
  t = plain;
  t.remove(KeyHintPattern());
  t = t.trimmed();
  if (t.startsWith(u'*')) t.remove(0, 1);
  while (t.endsWith(u':') || t.endsWith(QChar(0xFF1A))) t.chop(1);

  // Captions spaced out to fill their panel ("상 호 명", "고 객 ID") read letter by letter.
  static const QRegularExpression blanks(QStringLiteral(R"(\s+)"));
  const QStringList words = t.split(blanks, Qt::SkipEmptyParts);
  QString out;
  for (qsizetype i = 0; i < words.size(); ++i) {
    const bool joins = i > 0 && IsSingleSyllable(words[i]) && IsSingleSyllable(words[i - 1]);
    if (i > 0 && !joins) out += u' ';
    out += words[i];
  }
  return out;
}

void SetControlName(QWidget* control, const QString& name) {
  if (!control) return;
  control->setAccessibleName(name);
  if (auto* term = qobject_cast<HCTerm*>(control)) {
    term->NameParts(name);
  } else if (auto* date = qobject_cast<HCDateAdv*>(control)) {
    date->dateBox->NameParts(name);
  } else if (auto* box = qobject_cast<DateBox*>(control)) {
    box->NameParts(name);
  } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
    if (combo->lineEdit()) combo->lineEdit()->setAccessibleName(name);
  } else {
    // A text box's edit box, a grid's table: the part that takes the focus is what is read.
    for (QWidget* part = control->focusProxy(); part; part = part->focusProxy())
      part->setAccessibleName(name);
  }
}

}  // namespace controls
