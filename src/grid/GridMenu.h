#pragma once
// The right-click menu and the Ctrl shortcuts that every list grid shares: row height, font
// size, row-number width, separator rows, subtotal views, resetting the window's saved layout
// and (on the customer list) the report columns.

#include <QString>
#include <QStringList>

class QWidget;
class SpreadGrid;

// Shows a pop-up menu of item strings ("-" a separator line, otherwise two digits giving the
// command number followed by the caption) at the mouse cursor; returns the chosen number, 0
// when nothing was chosen.
int ShowPopupMenu(QWidget& form, const QStringList& items);

// The grid menu's items, in the order shown.
QStringList SpreadMenuItems(const SpreadGrid& grid, bool reportColumnItem, bool subtotalItems);
// Shows the menu and carries out the chosen command (the answer to a right-click of type 2).
void SpreadPopupMenu(QWidget& form, SpreadGrid& grid, bool reportColumnItem,
                     bool subtotalItems = true);
// Carries out one command number of the menu directly.
void RunSpreadMenuCommand(QWidget& form, SpreadGrid& grid, int command);

// Ctrl+F, Ctrl+E, Ctrl+W and Ctrl+H; other keys and other shift states do nothing.
void SpreadKeyDown(SpreadGrid& grid, int keyCode, int shift);
void ShowSpreadShortcuts(SpreadGrid& grid);

// What Ctrl+F opens: the find dialog, searching columns colStart..colEnd (-1, -1: all).
// Without a handler Ctrl+F does nothing.
using FindInSpreadHandler = void (*)(QWidget* owner, SpreadGrid& grid, int colStart, int colEnd);
void SetFindInSpreadHandler(FindInSpreadHandler handler);

// The wiring for one grid of a window: right-click (type 2) opens the menu, key-down goes to
// SpreadKeyDown, and a column-width change is saved to the window's layout file (with the same
// width for the sum grid, when there is one).
void AttachGridServices(QWidget& form, SpreadGrid& grid, bool reportColumnItem,
                        SpreadGrid* sumGrid = nullptr);
