// Pasting into HCText: whatever the route (Ctrl+V or Shift+Insert, the context menu, the middle
// button), pasted text meets the key rules of the field's kind and its byte limit.
#include "controls/ControlSupport.h"
#include "controls/HCText.h"
#include "controls/NumberFormat.h"
#include "controls/TelFormat.h"
#include "platform/Cp949.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace {

// The box text that stays when the selection is replaced.
QString OutsideSelection(const QLineEdit& box) {
  if (!box.hasSelectedText()) return box.text();
  return box.text().left(box.selectionStart()) + box.text().mid(box.selectionEnd());
}

// A single-line box takes a pasted text up to its first line break.
QString FirstLine(const QString& text) {
  const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
  return end < 0 ? text : text.left(end);
}

}  // namespace

void HCText::Paste(const QString& pasted) {
  if (txtBox->isReadOnly()) return;
  const QString line = FirstLine(pasted);
  bool refused = false;
  QString accepted = PastedForKind(line, refused);
  if (m_maxLength > 0) {
    const int room = m_maxLength - cp949::ByteLength(OutsideSelection(*txtBox));
    const qsizetype fits = cp949::FitBytes(accepted, std::max(0, room));
    refused = refused || fits < accepted.size();
    accepted.truncate(fits);
  }
  if (refused) controls::Beep();  // once for the whole paste
  // An empty clipboard still takes the selection away, as the box's own paste did.
  if (accepted.isEmpty() && !(line.isEmpty() && txtBox->hasSelectedText())) return;
  txtBox->insert(accepted);
}

// What the kind's key rules make of a pasted line. A number must be one as a whole: dropping
// a separator or the decimal point from it would change its value.
QString HCText::PastedForKind(const QString& line, bool& refused) {
  refused = true;
  if (m_acceptType == kTelNo) {
    // A number copied from elsewhere comes in already grouped.
    const QString formatted = FormatTelNo(line);
    if (!IsDigitsOnly(QString(formatted).remove(u'-'))) return QString();
    refused = false;
    return formatted;
  }
  if (m_acceptType == kNumber) {
    const std::optional<numfmt::Decimal> n = numfmt::ParseNumber(line);
    if (!n) return QString();
    QString fraction = n->fracDigits;
    while (fraction.endsWith(u'0')) fraction.chop(1);
    const QString whole = n->intDigits.isEmpty() ? QStringLiteral("0") : n->intDigits;
    const QString sign = n->negative ? QStringLiteral("-") : QString();
    // Decimals need a box that takes them and has no point of its own outside the selection.
    if (!fraction.isEmpty() && (m_decPlace <= 0 || OutsideSelection(*txtBox).contains(u'.')))
      return QString();
    refused = false;
    return fraction.isEmpty() ? sign + whole : sign + whole + u'.' + fraction;
  }
  refused = false;
  QString out;
  for (const QChar ch : line) {
    const int c = ch.unicode() < 32 ? 0 : FilterChar(ch.unicode(), false);
    if (c >= 32)
      out += QChar(char16_t(c));
    else
      refused = true;
  }
  return out;
}
