#pragma once
// Grand-total sums computed by the program and moving blocks of columns.

class SpreadGrid;

// Writes into the last row the sum of the column over every other row that is not tagged
// "subtot" in its row header. totRow -1 (what every caller passes) means the last row. A value,
// not a formula: later edits do not move it.
void SetColSumFormula2(SpreadGrid& grid, int col, int totRow = -1);

// Moves columns first..last so that they stand before column dest (dest may be MaxCols + 1:
// to the end); the column count stays the same.
void SpreadMyMoveCols(SpreadGrid& grid, int first, int last, int dest);
