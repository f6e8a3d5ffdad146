#include "customers/modCustomer.h"

#include "controls/HCText.h"
#include "controls/LabelPanel.h"
#include "grid/FormNames.h"
#include "grid/SpreadGrid.h"
#include "platform/AppState.h"
#include "platform/Prompt.h"

#include <QApplication>
#include <QWidget>

bool IsEmptyField(HCText* field, const QString& label, bool zeroIsEmpty) {
  const QString text = field->Text();
  if (!text.isEmpty() && !(zeroIsEmpty && text == QLatin1String("0"))) return false;
  MsgInfo(label.isEmpty()
              ? QStringLiteral("필수 입력사항을 입력하지 않았습니다.")
              : QStringLiteral("[") + label + QStringLiteral("]은(는) 필수 입력 사항입니다."),
          QStringLiteral("필수입력"));
  SafeSetFocus(field->txtBox);
  return true;
}

void DecorateForm(QWidget* form, bool setIcon) {
  if (setIcon) form->setWindowIcon(QApplication::windowIcon());
  NameFormControlsOnShow(*form);
  if (!StylingEnabled()) return;
  for (LabelPanel* panel : form->findChildren<LabelPanel*>()) {
    if (panel->BackColor() != LabelPanel::kDesignBack) continue;
    panel->SetBackColor(16048844);
    panel->SetForeColor(panel->Caption().startsWith(u'*') ? 9844483 : 0);
  }
}

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

QString GetCellText(const SpreadGrid& grid, int col, int row) {
  // The active cell of an empty grid is no cell: never the header's text.
  if (col == -2 && (col = grid.ActiveCol()) < 1) return QString();
  if (row == -2 && (row = grid.ActiveRow()) < 1) return QString();
  if (col < 0 || row < 0 || col > grid.MaxCols() || row > grid.MaxRows()) return QString();
  return grid.GetText(col, row);
}
