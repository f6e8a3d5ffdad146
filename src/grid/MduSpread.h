#pragma once
// One look and one behaviour for every grid of the program, the number columns and the sum grid
// that sits under a report's data grid.

#include <QString>

class SpreadGrid;

// Header, selection, odd/even rows and the sum grid, as Windows colour values.
long SpreadHeaderBackColor();
long SpreadHeaderTextColor();
long SpreadSelBackColor();
long SpreadSumBackColor();
long DefaultEvenRowColor();

// The even-row colour the user chose for all of the company's programs (read, never written);
// 0, empty, unreadable or missing means the default.
long GetEvenRowColor();

// The standard design, applied once when a window sets up its grid. Unexpected errors show the
// standard error box; the grid is then left as far as it got.
void CommonSpreadDesign(SpreadGrid& grid, bool readOnly, bool clearRows, bool userColAction,
                        bool singleSelect, bool oddEvenColors);

// Makes a column (row -1) or a cell a whole-number column with thousands separators.
void SetCellTypeNumber(SpreadGrid& grid, int col, int decimals = 0, bool vCenter = true,
                       int row = -1, bool negRed = true, bool hCenter = false);

// Gives the sum grid the data grid's columns and styles it; run at set-up and again after every
// column-width change of the data grid.
void SetupSumSpread(SpreadGrid& sum, SpreadGrid& data, int labelCol);

// Empties the hidden sum column and puts a SUM over the source column into its row 1.
void SetSumColumnFormula(SpreadGrid& grid, int srcCol, int sumCol);

// Appends the grand-total row, tagged "gndtot" in its row header.
void AddGrandTotalRow(SpreadGrid& grid, int labelCol, bool bold, const QString& text,
                      long backColor);
