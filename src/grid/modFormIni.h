#pragma once
// Where each window stood and how its grids looked, one profile file per window:
// <data folder, paths::DataFolder>/FormIni/<window name>.ini, in the key layout the earlier program
// wrote (and still reads on machines that run both). Positions and sizes are twips; column widths
// and row heights are the grid's own units, written as they are set. Nothing is cached: every call
// reads or writes the file.

#include <QString>

#include <optional>

class QWidget;
class SpreadGrid;

// A text that reads as a number as the old runtime saw it (blanks around, a sign, thousands
// commas, a decimal point, an exponent); nullopt for anything else, the empty text included.
std::optional<double> NumericValue(const QString& text);

// The window's file, whether or not it exists. The suffix is part of the file name.
QString FormIniFile(const QString& formName, const QString& suffix = QString());
// A grid's section prefix: its object name, or name + "_" + index for a grid that carries an
// "Index" property (one of a set of grids that share a name).
QString SpreadIniKey(const SpreadGrid& grid);

// Restores the window's position, size and maximised state and every grid on it (grids of other
// windows parented to it are left alone). A missing file leaves the design layout; keys that do
// not read as sensible numbers are skipped one by one; a position that would put the window
// off every screen is moved onto one. Returns false when there was no file.
bool LoadFormIni(QWidget& form, const QString& suffix = QString());
// One grid from a file: column widths, font size, row height. index -1 when not in a set.
void LoadSpreadIni(SpreadGrid& grid, const QString& file, int index = -1);

// Writes "FormPosition" when the window is visible and not minimised; a maximised window
// writes only its state, so the position it will come back to stays in the file.
void SaveFormIni(QWidget& form, const QString& suffix = QString());
// One column width, when the grid is visible; the paired (sum) grid gets the same width.
void SaveSpreadIni_Cw(QWidget& form, SpreadGrid& grid, int col, const QString& suffix = QString(),
                      bool alsoPaired = false, SpreadGrid* paired = nullptr);
// One key of the grid's "_General" section ("FontSize", "RowHeight").
void SaveSpreadIni_Gn(QWidget& form, SpreadGrid& grid, const QString& key, const QString& value,
                      const QString& suffix = QString());
// Deletes the window's file; the next opening has the design layout.
void DelFormIni(const QString& formName);

// Creates the FormIni folder when missing; false when it cannot be made.
bool EnsureFormIniFolder();

// The wiring for a window: loads its layout now and saves the position whenever it closes
// (close(), or a dialog's accept/reject). Call once, after the window and its grids are built.
void LoadFormLayout(QWidget& form);
// The window's layout file holds a position of its own.
bool FormIniHasPosition(const QWidget& form);
// For windows that save at a moment of their own choosing; the same as SaveFormIni(form).
void SaveFormLayout(QWidget& form);
