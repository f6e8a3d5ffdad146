#include "controls/CommandButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

CommandButton::CommandButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {}

void CommandButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString caption = option.text;
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  // "&C" underlines C, as the mnemonic does on a plain button.
  // A caption too long for two lines steps its font down until it fits.
  const QRect area = rect().adjusted(3, 2, -3, -2);
  const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
  QFont f = font();
  while (f.pointSizeF() > 6 && !area.contains(QFontMetrics(f).boundingRect(area, flags, caption))) {
    f.setPointSizeF(f.pointSizeF() - 0.5);
  }
  painter.setFont(f);
  painter.drawItemText(area, flags, palette(), isEnabled(), caption, QPalette::ButtonText);
}
