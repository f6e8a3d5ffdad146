#include "customers/modCustomer.h"

#include <QApplication>
#include <QWidget>

void SafeSetFocus(QWidget* control) {
  if (control && control->isVisible() && control->isEnabled()) control->setFocus();
}

QDateTime ParseDateTime14(const QString& text, int part) {
  if (text.size() < 14) return QDateTime();
  const QDate date(text.mid(0, 4).toInt(), text.mid(4, 2).toInt(), text.mid(6, 2).toInt());
  const QTime time(text.mid(8, 2).toInt(), text.mid(10, 2).toInt(), text.mid(12, 2).toInt());
  switch (part) {
    case 0:
      return QDateTime(date, QTime(0, 0));
    case 1:
      return QDateTime(QDate(1899, 12, 30), time);  // the old runtime's day 0
    default:
      return QDateTime(date, time);
  }
}

void UnloadOtherForms(const QString& name) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->objectName().compare(name, Qt::CaseInsensitive) != 0) w->close();
  }
}

QString DigitsOnly(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text)
    if (c >= u'0' && c <= u'9') out += c;
  return out;
}
