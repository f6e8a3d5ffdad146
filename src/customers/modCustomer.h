#pragma once
// Small routines shared by the customer windows.

#include <QDateTime>
#include <QString>

class HCText;
class QWidget;
class SpreadGrid;

// The cell's text; col or row -2 stands for the active column or row; empty when there is none.
QString GetCellText(const SpreadGrid& grid, int col, int row);

// True when the field is empty (or "0" when zeroIsEmpty); then says which field is required and
// puts the focus there.
bool IsEmptyField(HCText* field, const QString& label, bool zeroIsEmpty);
// The application icon, the controls' accessible names from their captions (grid/FormNames.h),
// and under the styling switch the required-field colours of the caption panels (a caption
// starting with "*" is required).
void DecorateForm(QWidget* form, bool setIcon);

// Gives the control the focus only when it can take it (visible and enabled).
void SafeSetFocus(QWidget* control);
// 14 digits yyyymmddHHMMSS; part 0 the date, 1 the time (on day 0), 2 both. Invalid text gives
// an invalid value.
QDateTime ParseDateTime14(const QString& text, int part);
// Closes every open top-level window whose object name differs from name (case ignored).
void UnloadOtherForms(const QString& name);
QString DigitsOnly(const QString& text);
