#include "controls/FrmCalendar.h"

#include "controls/EasyDateRules.h"
#include "platform/Clock.h"

#include <QCalendarWidget>
#include <QVBoxLayout>

FrmCalendar::FrmCalendar(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("FrmCalendar"));
  MonthView1 = new QCalendarWidget(this);
  MonthView1->setObjectName(QStringLiteral("MonthView1"));
  MonthView1->setAccessibleName(QStringLiteral("달력"));
  MonthView1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  MonthView1->setSelectedDate(clock_::LocalNow().date());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(MonthView1);
  setFixedSize(MonthView1->sizeHint());
  // A click chooses the day clicked; Enter (and a double click) the day selected.
  connect(MonthView1, &QCalendarWidget::clicked, this, &FrmCalendar::Choose);
  connect(MonthView1, &QCalendarWidget::activated, this,
          [this] { Choose(MonthView1->selectedDate()); });
}

void FrmCalendar::SetText(const QString& text) {
  const QDate date = easydate::ParseDate(text);
  if (date.isValid()) {
    MonthView1->setSelectedDate(date);
    m_text = text;
  } else {
    m_text.clear();
  }
}

void FrmCalendar::Choose(const QDate& date) {
  if (!date.isValid()) return;
  m_text = easydate::DateText(date);
  accept();
}
